// Hash table: the reference hash values, the resize thresholds and the visiting order
// that decides the order of attribute chunks in saved files.
#include "core/hash.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> visit_keys(HashTable* table) {
    std::vector<std::string> keys;
    hash_filter(
        table,
        [](const char* key, void*, void* user) {
            static_cast<std::vector<std::string>*>(user)->push_back(key);
            return 0;
        },
        &keys);
    return keys;
}

void* val(intptr_t v) {
    return reinterpret_cast<void*>(v);
}

TEST(HashString, ReferenceValuesAndBuckets) {
    EXPECT_EQ(hash_string(""), 0xF0E1D2u);
    EXPECT_EQ(hash_string("") & 15, 2u);
    EXPECT_EQ(hash_string("abc"), 0x562E2CB8u);
    EXPECT_EQ(hash_string("ABC"), 0x562E2CB8u);
    EXPECT_EQ(hash_string("abc") & 15, 8u);
    EXPECT_EQ(hash_string("PROGRAM"), 0x6E87ABF2u);
    EXPECT_EQ(hash_string("PROGRAM") & 15, 2u);
}

TEST(HashString, HighBytesAreSignExtended) {
    // 0xE9 widens to 0xFFFFFFE9; OR 0x20 leaves it, so it differs from 0x69 ('i').
    EXPECT_NE(hash_string("\xE9"), hash_string("i"));
    uint32_t h = 0xF0E1D2u;
    h ^= 0xFFFFFFE9u + (h << 7) + (h >> 2);
    EXPECT_EQ(hash_string("\xE9"), h);
}

TEST(HashTable, PutReplacesKeepingStoredKey) {
    HashTable* t = hash_create();
    ASSERT_NE(hash_add(t, "PROGRAM", val(1)), nullptr);
    EXPECT_EQ(hash_put(t, "program", val(2)), nullptr);
    EXPECT_EQ(t->count, 1);
    EXPECT_EQ(hash_get(t, "Program"), val(2));
    EXPECT_EQ(visit_keys(t), std::vector<std::string>{"PROGRAM"});
    hash_free(t);
}

TEST(HashTable, GrowsAtThirteenthAndShrinksAtFive) {
    HashTable* t = hash_create();
    std::vector<std::string> keys;
    for (int i = 0; i < 25; ++i)
        keys.push_back("key" + std::to_string(i));
    for (int i = 0; i < 12; ++i)
        hash_add(t, keys[i].c_str(), val(i + 1));
    EXPECT_EQ(t->mask, 15);
    hash_add(t, keys[12].c_str(), val(13));
    EXPECT_EQ(t->mask, 31);
    for (int i = 13; i < 24; ++i)
        hash_add(t, keys[i].c_str(), val(i + 1));
    EXPECT_EQ(t->mask, 31);
    hash_add(t, keys[24].c_str(), val(25));
    EXPECT_EQ(t->mask, 63);
    // 64 buckets shrink to 32 at 11 entries, then 32 to 16 at 5; never below 16.
    for (int i = 24; i >= 11; --i)
        hash_remove(t, keys[i].c_str(), val(i + 1));
    EXPECT_EQ(t->count, 11);
    EXPECT_EQ(t->mask, 31);
    for (int i = 10; i >= 5; --i)
        hash_remove(t, keys[i].c_str(), val(i + 1));
    EXPECT_EQ(t->count, 5);
    EXPECT_EQ(t->mask, 15);
    for (int i = 4; i >= 0; --i)
        hash_remove(t, keys[i].c_str(), val(i + 1));
    EXPECT_EQ(t->count, 0);
    EXPECT_EQ(t->mask, 15);
    hash_free(t);
}

TEST(HashTable, DuplicateKeysKeepAddOrderThroughResizes) {
    HashTable* t = hash_create();
    hash_add(t, "K", val(1));
    hash_add(t, "k", val(2));
    for (int i = 0; i < 100; ++i)
        hash_add(t, ("filler" + std::to_string(i)).c_str(), val(100 + i));
    EXPECT_EQ(hash_get(t, "K"), val(1));
    for (int i = 0; i < 100; ++i)
        hash_remove(t, ("filler" + std::to_string(i)).c_str(), val(100 + i));
    EXPECT_EQ(t->mask, 15);
    EXPECT_EQ(hash_get(t, "K"), val(1));
    // Removing by the second value removes only the second entry.
    hash_remove(t, "K", val(2));
    EXPECT_EQ(t->count, 1);
    EXPECT_EQ(hash_get(t, "k"), val(1));
    hash_free(t);
}

TEST(HashTable, RehashKeepsWalkOrderWithinChains) {
    HashTable* t = hash_create();
    std::vector<std::string> keys;
    for (int i = 0; i < 40; ++i)
        keys.push_back("attr_" + std::to_string(i * 7));
    for (auto& k : keys)
        hash_add(t, k.c_str(), val(1));
    // Expected order: ascending bucket index under the final mask, and within a bucket the
    // order of insertion (each rehash keeps the relative order of entries met in the walk).
    std::vector<std::string> expected;
    for (uint32_t b = 0; b <= static_cast<uint32_t>(t->mask); ++b)
        for (auto& k : keys)
            if ((hash_string(k.c_str()) & static_cast<uint32_t>(t->mask)) == b)
                expected.push_back(k);
    EXPECT_EQ(visit_keys(t), expected);
    hash_free(t);
}

TEST(HashTable, FilterRemovingEverything) {
    HashTable* t = hash_create();
    for (int i = 0; i < 30; ++i)
        hash_add(t, std::to_string(i).c_str(), val(1));
    hash_filter(
        t, [](const char*, void*, void*) { return 1; }, nullptr);
    EXPECT_EQ(t->count, 0);
    // One filter shrinks one step only.
    EXPECT_EQ(t->mask, 31);
    for (int32_t i = 0; i <= t->mask; ++i)
        EXPECT_EQ(t->buckets[i], nullptr);
    hash_free(t);
}

TEST(SplitField, CutsKeyAtDelimiter) {
    char buf[64];
    const char* src = "abc=def";
    EXPECT_EQ(split_field(buf, src, 64, '='), src + 4);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(split_field(buf, "abc", 64, '='), nullptr);
    EXPECT_STREQ(buf, "abc");
    const char* longer = "abcdef=x";
    EXPECT_EQ(split_field(buf, longer, 3, '='), longer + 7);
    EXPECT_STREQ(buf, "ab");
    char one[1] = {'z'};
    const char* pair = "a=b";
    EXPECT_EQ(split_field(one, pair, 1, '='), pair + 2);
    EXPECT_EQ(one[0], '\0');
}

TEST(TextCompare, FoldsOnlyAsciiLetters) {
    EXPECT_EQ(text_icmp("Base", "BASE"), 0);
    EXPECT_NE(text_icmp("\xE9", "\xC9"), 0);
    EXPECT_EQ(text_nicmp("?SAVE x", "?save", 5), 0);
}

} // namespace
