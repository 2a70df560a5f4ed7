// Core services: the hash table whose order decides the order of chunks in saved files (chain
// ends kept right through removals and resizes, and the order of adding), the list, and the
// fatal stop when memory runs out.
#include "core/hash.h"
#include "core/list.h"
#include "core/mem.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <map>
#include <string>
#include <vector>

namespace {

void* val(intptr_t v) {
    return reinterpret_cast<void*>(v);
}

TEST(Hash, ReferenceValuesFoldCaseAndHighBytesStayApart) {
    EXPECT_EQ(hash_string(""), 0xF0E1D2u);
    EXPECT_EQ(hash_string("abc"), 0x562E2CB8u);
    EXPECT_EQ(hash_string("ABC"), 0x562E2CB8u);
    EXPECT_EQ(hash_string("PROGRAM"), 0x6E87ABF2u);
    EXPECT_NE(hash_string("\xE9"), hash_string("i"));
    EXPECT_EQ(text_icmp("Base", "BASE"), 0);
    EXPECT_EQ(text_icmp("AZ", "az"), 0); // both ends of the alphabet fold
    EXPECT_LT(text_icmp("abc", "ABD"), 0); // ordered as the sorted lists need
    EXPECT_NE(text_icmp("\xE9", "\xC9"), 0);
    EXPECT_EQ(text_nicmp("?SAVE x", "?save", 5), 0);
}

// Two entries of one key (case folded): removal by value takes only its own; put replaces.
TEST(Hash, DuplicatesAreRemovedByValueAndPutReplaces) {
    HashTable* t = hash_create();
    hash_add(t, "K", val(1));
    hash_add(t, "k", val(2));
    EXPECT_EQ(hash_get(t, "k"), val(1));
    hash_remove(t, "K", val(2)); // by value: the second entry only
    EXPECT_EQ(hash_get(t, "K"), val(1));
    EXPECT_EQ(hash_put(t, "k", val(3)), nullptr); // replaces, keeping the stored key
    EXPECT_EQ(t->count, 1);
    EXPECT_EQ(hash_get(t, "K"), val(3));
    hash_free(t);
}

TEST(List, RemovalKeepsHeadAndTailAndTakesTheFirstOfDuplicates) {
    int a, b, c;
    LinkedList list{};
    for (int* p : {&a, &b, &a, &c})
        list_append(&list, p);
    EXPECT_EQ(list_remove(&list, &c), 1);
    list_append(&list, &c); // links after the new tail
    EXPECT_EQ(list_remove(&list, &a), 1);
    std::vector<void*> items;
    for (ListNode* node = list.head; node; node = node->next)
        items.push_back(node->data);
    EXPECT_EQ(items, (std::vector<void*>{&b, &a, &c}));
    EXPECT_EQ(list.tail->data, &c);
    // The kept count follows every kind of change.
    list_insert_at(&list, 0, &c);
    list_insert_at(&list, 2, &b);
    EXPECT_EQ(list_count(&list), 5u);
    EXPECT_EQ(list_remove_at(&list, 4), &c);
    EXPECT_EQ(list_remove_at(&list, 9), nullptr);
    EXPECT_EQ(list_remove_at(&list, 0), &c);
    EXPECT_EQ(list_remove_at(&list, 1), &b);
    EXPECT_EQ(list_count(&list), 2u);
    EXPECT_EQ(list.tail->data, &a);
    list_append(&list, &c);
    EXPECT_EQ(list_remove(&list, &b) + list_remove(&list, &a) + list_remove(&list, &c), 3);
    EXPECT_TRUE(!list.head && !list.tail && list_count(&list) == 0);
    EXPECT_EQ(list_remove(&list, &a), 0);
}

TEST(MemDeathTest, ExhaustionIsTheFatalStop) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
#else
    // In the child, cap the address space so that a 4 GiB request must fail.
    auto exhaust = [] {
        rlimit limit{1u << 30, 1u << 30};
        setrlimit(RLIMIT_AS, &limit);
        mem_alloc(0xFFFFFFF0u);
    };
    EXPECT_EXIT(exhaust(), testing::ExitedWithCode(3), "");
#endif
}

using Visit = std::vector<std::pair<std::string, intptr_t>>;

HashVisitor collect = [](const char* key, void* value, void* user) {
    static_cast<Visit*>(user)->emplace_back(key, reinterpret_cast<intptr_t>(value));
    return 0;
};

// Adds and removes by script (negative: remove the entry of that number), then checks that
// each key's entries come in the order they were added, in the table's walk and in the order
// of adding, and that the latter lists every entry left.
TEST(HashOrder, ChainsAndTheOrderOfAddingSurviveRemovalsAndResizes) {
    // Keys cycle through three names; removals hit chain ends, heads and middles, and enough
    // of them to shrink the table between bursts of adds that grow it.
    std::vector<int> script;
    for (int i = 1; i <= 60; ++i)
        script.push_back(i);
    // A chain's end removed, then the same chain added to before any resize.
    for (int i : {-60, 63, -57, -1, -30, -63, 66, -59, -58})
        script.push_back(i);
    for (int i = 2; i <= 50; ++i)
        if (i != 30) script.push_back(-i);
    for (int i = 61; i <= 75; ++i)
        if (i != 63 && i != 66) script.push_back(i);
    HashTable* t = hash_create();
    std::vector<std::pair<std::string, intptr_t>> alive;
    auto key = [](int i) { return "k" + std::to_string(i % 3); };
    for (int step : script) {
        int i = step > 0 ? step : -step;
        void* value = reinterpret_cast<void*>(static_cast<intptr_t>(i));
        if (step > 0) {
            hash_add(t, key(i).c_str(), value);
            alive.emplace_back(key(i), i);
        } else {
            hash_remove(t, key(i).c_str(), value);
            std::erase(alive, std::make_pair(key(i), static_cast<intptr_t>(i)));
        }
    }
    Visit added, walked;
    hash_foreach_added(t, collect, &added);
    EXPECT_EQ(added, alive);
    hash_filter(t, collect, &walked);
    std::map<std::string, std::vector<intptr_t>> per_key_walk, per_key_alive;
    for (const auto& [k, v] : walked)
        per_key_walk[k].push_back(v);
    for (const auto& [k, v] : alive)
        per_key_alive[k].push_back(v);
    EXPECT_EQ(per_key_walk, per_key_alive);
    EXPECT_EQ(t->count, static_cast<int32_t>(alive.size()));
    EXPECT_EQ(hash_get(t, "K1"), reinterpret_cast<void*>(intptr_t{52}));
    hash_free(t);
}

} // namespace
