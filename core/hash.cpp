// hash.cpp - the hash table behind attributes, regions and kept chunks.
#include "core/hash.h"
#include "core/mem.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

uint32_t hash_string(const char* key) {
    uint32_t h = 0xF0E1D2u;
    for (const char* p = key; *p; ++p) {
        // Bytes are widened with their sign; OR 0x20 folds letter case into one bucket.
        auto c = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(*p)));
        h ^= (c | 0x20u) + (h << 7) + (h >> 2);
    }
    return h;
}

static int fold(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

int text_nicmp(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        int d = fold(static_cast<unsigned char>(a[i])) - fold(static_cast<unsigned char>(b[i]));
        if (d != 0 || a[i] == '\0') return d;
    }
    return 0;
}

int text_icmp(const char* a, const char* b) {
    return text_nicmp(a, b, static_cast<size_t>(-1));
}

static HashEntry** bucket_of(const HashTable* table, const char* key) {
    return &table->buckets[hash_string(key) & static_cast<uint32_t>(table->mask)];
}

// One block holds the chain heads followed by the chain ends.
static HashEntry** new_chains(uint32_t count) {
    return static_cast<HashEntry**>(
        mem_alloc(2 * count * static_cast<uint32_t>(sizeof(HashEntry*))));
}

HashTable* hash_create() {
    auto* table = static_cast<HashTable*>(mem_alloc(sizeof(HashTable)));
    table->mask = 15;
    table->limit = 75;
    table->buckets = new_chains(16);
    table->tails = table->buckets + 16;
    return table;
}

void hash_free(HashTable* table) {
    if (!table) return;
    for (HashEntry* e = table->first_added; e;) {
        HashEntry* next = e->added_next;
        mem_free(e);
        e = next;
    }
    mem_free(table->buckets);
    mem_free(table);
}

// Unlinks an entry from the order of adding and releases it; its chain is the caller's.
static void release_entry(HashTable* table, HashEntry* e) {
    (e->added_prev ? e->added_prev->added_next : table->first_added) = e->added_next;
    (e->added_next ? e->added_next->added_prev : table->last_added) = e->added_prev;
    mem_free(e);
    table->count--;
}

char* hash_add(HashTable* table, const char* key, void* value) {
    size_t len = std::strlen(key);
    auto* entry =
        static_cast<HashEntry*>(mem_alloc(static_cast<uint32_t>(sizeof(HashEntry) + len + 1)));
    entry->value = value;
    std::memcpy(hash_entry_key(entry), key, len + 1);
    // The end of the chain in constant time: many chunks of one type share one chain.
    uint32_t i = hash_string(key) & static_cast<uint32_t>(table->mask);
    (table->tails[i] ? table->tails[i]->next : table->buckets[i]) = entry;
    table->tails[i] = entry;
    entry->added_prev = table->last_added;
    (table->last_added ? table->last_added->added_next : table->first_added) = entry;
    table->last_added = entry;
    table->count++;
    hash_resize(table);
    return hash_entry_key(entry);
}

char* hash_put(HashTable* table, const char* key, void* value) {
    for (HashEntry* e = *bucket_of(table, key); e; e = e->next) {
        if (text_icmp(hash_entry_key(e), key) == 0) {
            e->value = value;
            return nullptr;
        }
    }
    return hash_add(table, key, value);
}

void* hash_get(const HashTable* table, const char* key) {
    for (HashEntry* e = *bucket_of(table, key); e; e = e->next)
        if (text_icmp(hash_entry_key(e), key) == 0) return e->value;
    return nullptr;
}

void hash_remove(HashTable* table, const char* key, void* value) {
    uint32_t i = hash_string(key) & static_cast<uint32_t>(table->mask);
    HashEntry* prev = nullptr;
    for (HashEntry* e = table->buckets[i]; e; prev = e, e = e->next) {
        if (e->value == value && text_icmp(hash_entry_key(e), key) == 0) {
            (prev ? prev->next : table->buckets[i]) = e->next;
            if (table->tails[i] == e) table->tails[i] = prev;
            release_entry(table, e);
            hash_resize(table);
            return;
        }
    }
}

void hash_filter(HashTable* table, HashVisitor visitor, void* user) {
    for (int32_t i = 0; i <= table->mask; ++i) {
        HashEntry* prev = nullptr;
        for (HashEntry* e = table->buckets[i]; e;) {
            HashEntry* next = e->next;
            if (visitor(hash_entry_key(e), e->value, user)) {
                (prev ? prev->next : table->buckets[i]) = next;
                if (table->tails[i] == e) table->tails[i] = prev;
                release_entry(table, e);
            } else {
                prev = e;
            }
            e = next;
        }
    }
    hash_resize(table);
}

void hash_foreach_settled(const HashTable* table, HashVisitor visitor, void* user) {
    // The mask a table reaches by adding count entries: it only grows.
    int32_t mask = 15;
    for (int32_t n = 1; n <= table->count; ++n)
        if ((n * 100) / (mask + 1) > table->limit) mask = 2 * mask + 1;
    std::vector<HashEntry*> order;
    order.reserve(static_cast<size_t>(table->count));
    for (int32_t i = 0; i <= table->mask; ++i)
        for (HashEntry* e = table->buckets[i]; e; e = e->next)
            order.push_back(e);
    // Such a table keeps each bucket's entries in the order they were added.
    if (mask != table->mask) {
        auto bucket = [mask](HashEntry* e) {
            return hash_string(hash_entry_key(e)) & static_cast<uint32_t>(mask);
        };
        std::stable_sort(order.begin(), order.end(),
                         [&](HashEntry* a, HashEntry* b) { return bucket(a) < bucket(b); });
    }
    for (HashEntry* e : order)
        visitor(hash_entry_key(e), e->value, user);
}

void hash_foreach_added(const HashTable* table, HashVisitor visitor, void* user) {
    for (HashEntry* e = table->first_added; e; e = e->added_next)
        visitor(hash_entry_key(e), e->value, user);
}

void hash_resize(HashTable* table) {
    int32_t load = (table->count * 100) / (table->mask + 1);
    int32_t new_mask;
    if (load > table->limit)
        new_mask = 2 * table->mask + 1;
    else if (load < table->limit / 4 && table->mask > 15)
        new_mask = (table->mask - 1) / 2;
    else
        return;
    auto count = static_cast<uint32_t>(new_mask) + 1;
    HashEntry** fresh = new_chains(count);
    HashEntry** tails = fresh + count;
    // Push each entry onto the front of its new chain, walking the old buckets in order...
    for (int32_t i = 0; i <= table->mask; ++i) {
        for (HashEntry* e = table->buckets[i]; e;) {
            HashEntry* next = e->next;
            HashEntry** head =
                &fresh[hash_string(hash_entry_key(e)) & static_cast<uint32_t>(new_mask)];
            e->next = *head;
            *head = e;
            e = next;
        }
    }
    // ...then reverse every chain so it lists its entries in the order the walk met them.
    for (uint32_t i = 0; i < count; ++i) {
        tails[i] = fresh[i]; // the last one pushed ends the reversed chain
        HashEntry* reversed = nullptr;
        for (HashEntry* e = fresh[i]; e;) {
            HashEntry* next = e->next;
            e->next = reversed;
            reversed = e;
            e = next;
        }
        fresh[i] = reversed;
    }
    mem_free(table->buckets);
    table->buckets = fresh;
    table->tails = tails;
    table->mask = new_mask;
}

HashTable* hash_clone(const HashTable* table, void* (*copy)(const void* value, void* user),
                      void* user) {
    auto* clone = static_cast<HashTable*>(mem_alloc(sizeof(HashTable)));
    clone->mask = table->mask;
    clone->count = table->count;
    clone->limit = table->limit;
    auto buckets = static_cast<uint32_t>(table->mask) + 1;
    clone->buckets = new_chains(buckets);
    clone->tails = clone->buckets + buckets;
    // Entries are copied in the order of adding, then chained as the original chains them,
    // so both walks of the clone give what the original's give.
    std::unordered_map<const HashEntry*, HashEntry*> copies;
    copies.reserve(static_cast<size_t>(table->count));
    for (const HashEntry* e = table->first_added; e; e = e->added_next) {
        size_t len = std::strlen(hash_entry_key(const_cast<HashEntry*>(e)));
        auto* entry = static_cast<HashEntry*>(
            mem_alloc(static_cast<uint32_t>(sizeof(HashEntry) + len + 1)));
        entry->value = copy ? copy(e->value, user) : e->value;
        std::memcpy(hash_entry_key(entry), hash_entry_key(const_cast<HashEntry*>(e)), len + 1);
        entry->added_prev = clone->last_added;
        (clone->last_added ? clone->last_added->added_next : clone->first_added) = entry;
        clone->last_added = entry;
        copies.emplace(e, entry);
    }
    for (uint32_t i = 0; i < buckets; ++i) {
        HashEntry** link = &clone->buckets[i];
        for (const HashEntry* e = table->buckets[i]; e; e = e->next) {
            *link = copies.at(e);
            clone->tails[i] = *link;
            link = &(*link)->next;
        }
    }
    return clone;
}

int hash_free_value(const char*, void* value, void*) {
    mem_free(value);
    return 0;
}

const char* split_field(char* dest, const char* src, uint32_t size, char delim) {
    uint32_t copied = 0;
    const char* p = src;
    for (; *p && *p != delim; ++p)
        if (size > 1 && copied < size - 1) dest[copied++] = *p;
    if (size > 0) dest[copied] = '\0';
    return *p == delim ? p + 1 : nullptr;
}
