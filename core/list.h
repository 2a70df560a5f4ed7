// list.h - singly linked list with head and tail, in insertion order; never owns its data.
#pragma once
#include <cstdint>

struct ListNode {
    ListNode* next;
    void* data;
};

struct LinkedList {
    ListNode* head;
    ListNode* tail;
    uint32_t count; // kept by every call below: a map may hold millions of regions or objects
};

void list_init(LinkedList* list);
ListNode* list_append(LinkedList* list, void* data);
// Unlinks the first node (from the head) holding data; 1 if one was removed.
int list_remove(LinkedList* list, void* data);
// Inserts data so that it becomes node number index (0 = head); past the end it is appended
// (UINT32_MAX: at once, without walking the list).
ListNode* list_insert_at(LinkedList* list, uint32_t index, void* data);
// Unlinks node number index and returns its data; null when the list is shorter.
void* list_remove_at(LinkedList* list, uint32_t index);
inline uint32_t list_count(const LinkedList* list) { return list->count; }
// Visits each node's data head to tail; the visitor must not remove the current node.
void list_foreach(LinkedList* list, void (*visitor)(void* data));
// Releases every node (not the data).
void list_clear(LinkedList* list);
