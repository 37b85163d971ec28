// objektlist: singly linked lists of items, as lying on tiles or carried.
#pragma once

struct objekt_;

struct objektlist_ {
    objekt_* objekt;   // the item; never null in a list made here
    objektlist_* next; // following node, null at the tail
};

/// Appends `item` at the tail of the list at `*head`; null items are ignored.
void objektlist_add_objekt_to_list(objekt_* item, objektlist_** head);

/// Unlinks the first node holding `item` and frees the node (not the item).
void objektlist_remove_objekt_from_list(objekt_* item, objektlist_** head);

/// Frees every item (objekt_remove) and every node of the list.
void objektlist_empty(objektlist_* head);

/// Number of nodes in the list; 0 for null.
int objektlist_count_stuff(objektlist_* head);

/// The item at `index` (0 = head) in list order, or null past the end.
objekt_* objektlist_get(objektlist_* head, int index);
