// Hash table: chain ends kept right through removals and resizes, and the order of adding.
#include "core/hash.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

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
