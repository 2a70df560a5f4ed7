// Linked list: removal at head, tail and middle keeps head and tail consistent.
#include "core/list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<void*> items(LinkedList* list) {
    std::vector<void*> out;
    for (ListNode* n = list->head; n; n = n->next)
        out.push_back(n->data);
    return out;
}

TEST(LinkedList, RemoveHeadTailMiddle) {
    int a, b, c, d;
    LinkedList list;
    list_init(&list);
    list_append(&list, &a);
    EXPECT_EQ(list_remove(&list, &a), 1);
    EXPECT_EQ(list.head, nullptr);
    EXPECT_EQ(list.tail, nullptr);

    list_append(&list, &a);
    list_append(&list, &b);
    list_append(&list, &c);
    EXPECT_EQ(list_remove(&list, &c), 1); // tail
    EXPECT_EQ(list.tail->data, &b);
    list_append(&list, &d); // links after the new tail
    EXPECT_EQ(items(&list), (std::vector<void*>{&a, &b, &d}));
    EXPECT_EQ(list_remove(&list, &b), 1); // middle
    EXPECT_EQ(list_remove(&list, &a), 1); // head
    EXPECT_EQ(items(&list), (std::vector<void*>{&d}));
    EXPECT_EQ(list.head, list.tail);
    EXPECT_EQ(list_remove(&list, &a), 0);
    list_clear(&list);
    EXPECT_EQ(list_count(&list), 0u);
}

TEST(LinkedList, DuplicateDataRemovesNearestHead) {
    int a, b;
    LinkedList list{};
    list_append(&list, &a);
    list_append(&list, &b);
    list_append(&list, &a);
    list_remove(&list, &a);
    EXPECT_EQ(items(&list), (std::vector<void*>{&b, &a}));
    EXPECT_EQ(list.tail->data, &a);
    list_clear(&list);
}

} // namespace
