// objektlist: the item lists lying on tiles and carried by creatures, kept in
// the order the items were added.
#include "world/objektlist.h"

#include "world/alloc.h"
#include "world/objekt.h"

void objektlist_add_objekt_to_list(objekt_* item, objektlist_** head) {
    if (!item)
        return;
    objektlist_** link = head;
    while (*link)
        link = &(*link)->next;
    objektlist_* node = static_cast<objektlist_*>(alloc_zeroed(sizeof(objektlist_)));
    if (!node)
        return;
    node->objekt = item;
    *link = node;
}

void objektlist_remove_objekt_from_list(objekt_* item, objektlist_** head) {
    objektlist_** link = head;
    while (*link && (*link)->objekt != item)
        link = &(*link)->next;
    objektlist_* node = *link;
    if (!node)
        return;
    *link = node->next;
    alloc_free(node);
}

void objektlist_empty(objektlist_* head) {
    while (head) {
        objektlist_* next = head->next;
        objekt_remove(head->objekt);
        alloc_free(head);
        head = next;
    }
}

int objektlist_count_stuff(objektlist_* head) {
    int count = 0;
    for (; head; head = head->next)
        count++;
    return count;
}

objekt_* objektlist_get(objektlist_* head, int index) {
    if (index < 0)
        return nullptr;
    for (; head; head = head->next, index--)
        if (index == 0)
            return head->objekt;
    return nullptr;
}
