// list.cpp - the linked list that holds stamps and region-list rows.
#include "core/list.h"
#include "core/mem.h"

void list_init(LinkedList* list) {
    list->head = nullptr;
    list->tail = nullptr;
    list->count = 0;
}

ListNode* list_append(LinkedList* list, void* data) {
    auto* node = static_cast<ListNode*>(mem_alloc(sizeof(ListNode)));
    node->data = data;
    if (list->tail) {
        list->tail->next = node;
        list->tail = node;
    } else {
        list->head = list->tail = node;
    }
    ++list->count;
    return node;
}

int list_remove(LinkedList* list, void* data) {
    ListNode* prev = nullptr;
    for (ListNode* node = list->head; node; prev = node, node = node->next) {
        if (node->data != data) continue;
        if (!prev) {
            list->head = node->next;
            if (!list->head) list->tail = nullptr;
        } else {
            prev->next = node->next;
            if (list->tail == node) list->tail = prev;
        }
        mem_free(node);
        --list->count;
        return 1;
    }
    return 0;
}

ListNode* list_insert_at(LinkedList* list, uint32_t index, void* data) {
    // The tail without the walk: a reader appends a million regions one by one.
    if (index == UINT32_MAX) return list_append(list, data);
    if (index == 0 || !list->head) {
        if (!list->head) return list_append(list, data);
        auto* node = static_cast<ListNode*>(mem_alloc(sizeof(ListNode)));
        node->data = data;
        node->next = list->head;
        list->head = node;
        ++list->count;
        return node;
    }
    ListNode* prev = list->head;
    for (uint32_t i = 1; i < index && prev->next; ++i)
        prev = prev->next;
    if (!prev->next) return list_append(list, data);
    auto* node = static_cast<ListNode*>(mem_alloc(sizeof(ListNode)));
    node->data = data;
    node->next = prev->next;
    prev->next = node;
    ++list->count;
    return node;
}

void* list_remove_at(LinkedList* list, uint32_t index) {
    ListNode* prev = nullptr;
    ListNode* node = list->head;
    for (uint32_t i = 0; i < index && node; ++i) {
        prev = node;
        node = node->next;
    }
    if (!node) return nullptr;
    if (prev)
        prev->next = node->next;
    else
        list->head = node->next;
    if (list->tail == node) list->tail = prev;
    void* data = node->data;
    mem_free(node);
    --list->count;
    return data;
}

void list_foreach(LinkedList* list, void (*visitor)(void* data)) {
    for (ListNode* node = list->head; node;) {
        ListNode* next = node->next;
        visitor(node->data);
        node = next;
    }
}

void list_clear(LinkedList* list) {
    for (ListNode* node = list->head; node;) {
        ListNode* next = node->next;
        mem_free(node);
        node = next;
    }
    list->head = list->tail = nullptr;
    list->count = 0;
}
