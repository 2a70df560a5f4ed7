// hash.h - string-keyed table with case-insensitive keys and chained buckets.
// Its visiting order (ascending bucket, then chain order) is the order of attribute
// chunks in saved files, so the hash function and the resize rule are fixed.
#pragma once
#include <cstddef>
#include <cstdint>

struct HashEntry {
    HashEntry* next;
    void* value;
    // Every entry of the table in the order it was added, whatever bucket it lies in.
    HashEntry* added_prev;
    HashEntry* added_next;
    // The key text follows the entry in the same block; see hash_entry_key.
};

struct HashTable {
    int32_t mask; // bucket count - 1; bucket count is a power of two, at least 16
    int32_t count;
    int32_t limit;       // load limit in percent
    HashEntry** buckets; // chain heads
    HashEntry** tails;   // chain ends (same block as buckets): adding never walks a chain
    HashEntry* first_added;
    HashEntry* last_added;
};

inline char* hash_entry_key(HashEntry* entry) {
    return reinterpret_cast<char*>(entry + 1);
}

using HashVisitor = int (*)(const char* key, void* value, void* user);

uint32_t hash_string(const char* key);
HashTable* hash_create();
// Releases entries, buckets and the table; never the values.
void hash_free(HashTable* table);
// Adds an entry even when the key is present; returns the entry's own key copy.
char* hash_add(HashTable* table, const char* key, void* value);
// Replaces the value of the first matching entry (null result), else adds.
char* hash_put(HashTable* table, const char* key, void* value);
void* hash_get(const HashTable* table, const char* key);
// Removes the first entry with a matching key and this exact value.
void hash_remove(HashTable* table, const char* key, void* value);
// Visits every entry; entries whose visit returns non-zero are removed. One resize after.
void hash_filter(HashTable* table, HashVisitor visitor, void* user);
// Visits every entry in the order a table built by adding the same entries in visiting order
// would visit them: the visiting order itself, unless removals left the table larger than
// adding alone makes it. The visitor must not change the table.
void hash_foreach_settled(const HashTable* table, HashVisitor visitor, void* user);
// Visits every entry in the order the entries were added (a file's chunk order); the visit's
// result is ignored and the visitor must not change the table.
void hash_foreach_added(const HashTable* table, HashVisitor visitor, void* user);
void hash_resize(HashTable* table);
// A copy with the same bucket count and the same order in every chain (so the same visiting
// order); each value is copy(value, user), or the same pointer when copy is null.
HashTable* hash_clone(const HashTable* table, void* (*copy)(const void* value, void* user),
                      void* user);
// A filter visitor that releases the value and keeps the entry.
int hash_free_value(const char* key, void* value, void* user);

// Copies the text before delim into dest (at most size - 1 characters, terminated) and
// returns the position after the delimiter, or null when src ended first.
const char* split_field(char* dest, const char* src, uint32_t size, char delim);

// Compares texts ignoring the case of the letters A to Z only (whole text / first n bytes).
int text_icmp(const char* a, const char* b);
int text_nicmp(const char* a, const char* b, size_t n);
