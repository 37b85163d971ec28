// Item lists: insertion order, unlinking at every position, running out of
// memory, counting and indexing.
#include <gtest/gtest.h>

#include <vector>

#include "headless.h"
#include "world/alloc.h"
#include "world/objekt.h"
#include "world/objektlist.h"

namespace {

/// The items of a list, following the links from the head.
std::vector<objekt_*> items_of(objektlist_* head) {
    std::vector<objekt_*> items;
    for (; head; head = head->next)
        items.push_back(head->objekt);
    return items;
}

class ObjektlistTest : public ::testing::Test {
  protected:
    void SetUp() override {
        headless_init();
        alloc_fail_at(0);
        srand(3);
        for (objekt_*& item : stock)
            item = objekt_create_stone();
    }
    void TearDown() override {
        alloc_fail_at(0);
        objektlist_empty(list);
        for (objekt_* item : loose)
            objekt_remove(item);
    }
    /// Builds the list stock[0..n-1] in that order.
    void fill(int n) {
        for (int i = 0; i < n; i++)
            objektlist_add_objekt_to_list(stock[i], &list);
    }
    objekt_* stock[4] = {};
    objektlist_* list = nullptr;
    std::vector<objekt_*> loose; // removed from the list, freed at the end
};

TEST_F(ObjektlistTest, AddKeepsInsertionOrderAndIgnoresNull) {
    objektlist_add_objekt_to_list(stock[0], &list);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->objekt, stock[0]);
    EXPECT_EQ(list->next, nullptr);

    objektlist_add_objekt_to_list(nullptr, &list);
    objektlist_add_objekt_to_list(stock[1], &list);
    objektlist_add_objekt_to_list(stock[2], &list);
    EXPECT_EQ(items_of(list), (std::vector<objekt_*>{stock[0], stock[1], stock[2]}));
    objektlist_add_objekt_to_list(stock[3], &list);
    EXPECT_EQ(objektlist_count_stuff(list), 4);
}

TEST_F(ObjektlistTest, FailedNodeLeavesTheListUnchanged) {
    fill(2);
    objektlist_* head = list;
    objektlist_* second = list->next;
    alloc_fail_at(1);
    objektlist_add_objekt_to_list(stock[2], &list);
    EXPECT_EQ(list, head);
    EXPECT_EQ(head->next, second);
    EXPECT_EQ(second->next, nullptr);
    loose.push_back(stock[2]); // never placed, still ours to free

    objektlist_* empty = nullptr;
    alloc_fail_at(1);
    objektlist_add_objekt_to_list(stock[3], &empty);
    EXPECT_EQ(empty, nullptr);
    loose.push_back(stock[3]);
}

TEST_F(ObjektlistTest, RemoveAtHeadMiddleAndTailRelinks) {
    fill(4);
    objektlist_* n0 = list;
    objektlist_* n2 = n0->next->next;
    objektlist_* n3 = n2->next;

    // middle: the node before it now points past it
    objektlist_remove_objekt_from_list(stock[1], &list);
    loose.push_back(stock[1]);
    EXPECT_EQ(list, n0);
    EXPECT_EQ(n0->next, n2);
    EXPECT_EQ(n2->next, n3);
    EXPECT_EQ(n3->next, nullptr);

    // tail: the new last node ends the list
    objektlist_remove_objekt_from_list(stock[3], &list);
    loose.push_back(stock[3]);
    EXPECT_EQ(list, n0);
    EXPECT_EQ(n0->next, n2);
    EXPECT_EQ(n2->next, nullptr);

    // head: the head pointer moves on to the second node
    objektlist_remove_objekt_from_list(stock[0], &list);
    loose.push_back(stock[0]);
    EXPECT_EQ(list, n2);
    EXPECT_EQ(n2->objekt, stock[2]);
    EXPECT_EQ(n2->next, nullptr);

    // the only item: the list is empty again
    objektlist_remove_objekt_from_list(stock[2], &list);
    loose.push_back(stock[2]);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(objektlist_count_stuff(list), 0);
}

TEST_F(ObjektlistTest, RemovingAnAbsentItemChangesNothing) {
    objektlist_remove_objekt_from_list(stock[0], &list);
    EXPECT_EQ(list, nullptr);

    fill(2);
    objektlist_add_objekt_to_list(stock[0], &list); // the same item twice
    objektlist_remove_objekt_from_list(stock[3], &list);
    objektlist_remove_objekt_from_list(nullptr, &list);
    EXPECT_EQ(items_of(list), (std::vector<objekt_*>{stock[0], stock[1], stock[0]}));
    objektlist_remove_objekt_from_list(stock[0], &list); // only the first node goes
    EXPECT_EQ(items_of(list), (std::vector<objekt_*>{stock[1], stock[0]}));
    loose.push_back(stock[2]);
    loose.push_back(stock[3]);
}

TEST_F(ObjektlistTest, CountAndGetSeeEveryCategoryAlike) {
    for (objekt_* item : stock)
        loose.push_back(item); // not used in this case
    objekt_* thing = objekt_create_ring();
    objekt_* food = objekt_create_bread();
    objekt_* weapon = objekt_create_sword();
    objektlist_add_objekt_to_list(thing, &list);
    objektlist_add_objekt_to_list(food, &list);
    objektlist_add_objekt_to_list(weapon, &list);

    EXPECT_EQ(objektlist_count_stuff(nullptr), 0);
    EXPECT_EQ(objektlist_count_stuff(list), 3);
    EXPECT_EQ(objektlist_get(list, 0), thing);
    EXPECT_EQ(objektlist_get(list, 1), food);
    EXPECT_EQ(objektlist_get(list, 2), weapon);
    EXPECT_EQ(objektlist_get(list, 3), nullptr);
    EXPECT_EQ(objektlist_get(list, -1), nullptr);
    EXPECT_EQ(objektlist_get(nullptr, 0), nullptr);
}

TEST_F(ObjektlistTest, EmptyReleasesItemsOfEveryKind) {
    fill(1);
    objektlist_add_objekt_to_list(objekt_create_wand(), &list);
    objektlist_add_objekt_to_list(objekt_create_explosion("wand", stock[0]->pic, 1, 0, 5), &list);
    EXPECT_EQ(objektlist_count_stuff(list), 3);
    objektlist_empty(list); // the sanitizer build checks nothing is left behind
    list = nullptr;
    for (int i = 1; i < 4; i++)
        loose.push_back(stock[i]);
}

} // namespace
