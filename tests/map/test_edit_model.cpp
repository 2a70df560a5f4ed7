// test_edit_model.cpp - random edit sessions checked step by step against a plain model.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/hash.h"
#include "core/mem.h"
#include "map/edit/edit.h"
#include "map/lvl/level.h"
#include "map/model/attributes.h"
#include "map/model/stamp.h"
#include "test_util.h"

namespace {

// Edits happen near two corners so that objects meet the map's edge: on columns and rows
// 0..9 and 1014..1023. The model covers 0..15 and 1014..1023, all that objects reach.
constexpr int kSide = 26;
int coord(int i) {
    return i < 16 ? i : 998 + i;
}
int index(int c) {
    return c < 16 ? c : c - 998;
}
int random_coord(std::mt19937& rng) {
    int r = static_cast<int>(rng() % 20);
    return coord(r < 10 ? r : r + 6);
}
// Enough keys that the attribute table grows and shrinks, which regroups its buckets; keys
// match ignoring case.
const char* const kKeys[] = {"Alpha", "ALPHA", "beta", "Gamma", "d", "e", "f", "g", "h",
                             "i",     "j",     "k",    "l",     "m", "n", "o", "p"};

// What the edits touch, kept the plainest way: per cell the tile and one bit per region.
struct State {
    std::vector<uint16_t> cells = std::vector<uint16_t>(kSide * kSide);
    std::vector<std::array<int, 4>> stamps; // x, y, tile, side; oldest first
    std::map<std::string, std::string> attributes;
    uint64_t revision = 0;
    bool operator==(const State&) const = default;

    uint16_t& at(int x, int y) {
        return cells.at(static_cast<size_t>(index(x) * kSide + index(y)));
    }
    void put(int x, int y, int t) { at(x, y) = static_cast<uint16_t>((at(x, y) & ~0xFF) | t); }
    void paint(int x, int y, int t) {
        for (auto s = stamps.begin(); s != stamps.end(); ++s) {
            auto [sx, sy, st, n] = *s;
            if (x < sx || x >= sx + n || y < sy || y >= sy + n) continue;
            for (int i = 0; i < n * n; ++i)
                if (sx + i / n < 1024 && sy + i % n < 1024) put(sx + i / n, sy + i % n, 0);
            stamps.erase(s);
            break;
        }
        if (t >= 216 && t <= 220) {
            int n = object_size(t);
            for (int i = 1; i < n * n; ++i)
                if (x + i / n < 1024 && y + i % n < 1024) paint(x + i / n, y + i % n, 250);
            stamps.push_back({x, y, t, n});
        }
        put(x, y, t);
    }
};

std::string fold(std::string key) {
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return key;
}

Bytes save(MapData* map) {
    Quiet quiet; // the writer's detail lines
    Bytes file;
    mapdata_save_bytes(map, &file);
    return file;
}

struct Session {
    ScopedMap owner;
    MapEdit map;
    Region* regions[3] = {};
    Bytes loaded; // the save of the map as loaded

    // A map with objects at the edge, overlapping regions and attributes, loaded from bytes.
    explicit Session(std::mt19937& rng) {
        Quiet quiet; // the reader's and writer's detail lines
        EditedMap build(mapdata_new());
        mapdata_make_default(build);
        Region* made[3];
        for (int r = 0; r < 3; ++r)
            made[r] = add_region(build, "R" + std::to_string(r));
        for (int k = 0; k < 40; ++k) {
            int x = random_coord(rng), y = random_coord(rng);
            edit_paint(build, x, y, k % 4 ? 1 + k : 216 + static_cast<int>(rng() % 5));
            region_add_tile(made[k % 3], x, y);
        }
        for (int k = 2; k < 15; ++k) {
            char* value = static_cast<char*>(mem_alloc(2));
            value[0] = static_cast<char>('a' + k);
            mapdata_set_attribute(build, kKeys[k], value);
        }
        Bytes file;
        mapdata_save_bytes(build, &file);
        owner.map = EditedMap(parse(file));
        map = owner.map;
        for (int r = 0; r < 3; ++r)
            regions[r] = mapdata_find_region(map, ("R" + std::to_string(r)).c_str());
        mapdata_save_bytes(map, &loaded);
    }

    State read() const {
        State m;
        for (int i = 0; i < kSide * kSide; ++i) {
            int x = coord(i / kSide), y = coord(i % kSide);
            m.cells[i] = static_cast<uint16_t>(mapdata_get_tile(map, x, y));
            for (int r = 0; r < 3; ++r)
                m.cells[i] |= static_cast<uint16_t>(region_contains(regions[r], x, y) << (8 + r));
        }
        for (const Stamp& s : stamp_span(map->stamps))
            m.stamps.push_back({static_cast<int>(s.anchor & 0xFFF),
                                static_cast<int>((s.anchor >> 12) & 0xFFF),
                                static_cast<int>(s.anchor >> 24), s.width});
        for (const char* key : kKeys)
            if (auto* v = map->attributes ? hash_get(map->attributes, key) : nullptr)
                m.attributes[fold(key)] = static_cast<const char*>(v);
        m.revision = map->revision;
        return m;
    }

    // One random change, made on the map and on the model.
    void change(std::mt19937& rng, State& m) {
        int x = random_coord(rng), y = random_coord(rng);
        uint32_t kind = rng() % 11, pick = rng();
        if (kind < 5) { // objects often, so that they land on each other and at the edge
            int t = kind < 2
                        ? 216 + static_cast<int>(pick % 5)
                        : (kind == 4 ? 0 : (pick % 3 ? 1 + static_cast<int>(pick % 190) : 250));
            edit_paint(map, x, y, t);
            m.paint(x, y, t);
        } else if (kind < 7) {
            edit_region_toggle(map, regions[pick % 3], x, y);
            m.at(x, y) ^= static_cast<uint16_t>(1 << (8 + pick % 3));
        } else {
            std::string key = kKeys[pick % 17], value = std::to_string(pick % 1000);
            if (pick % 4 > 0) {
                edit_remove_attribute(map, key.c_str());
                m.attributes.erase(fold(key));
            } else {
                edit_set_attribute(map, key.c_str(), value.c_str());
                m.attributes[fold(key)] = value;
            }
        }
    }
};

TEST(EditModel, RandomSessionsMatchThePlainModelAndUndoToTheLoadedBytes) {
    std::mt19937 rng(12);
    for (int seq = 0; seq < 300; ++seq) {
        Session s(rng);
        const uint64_t loaded_revision = s.map->revision;
        // states[k] is the state after k steps; those past `at` can be redone.
        std::vector<State> states{s.read()};
        size_t at = 0;
        for (int op = 0; op < 40; ++op) {
            uint32_t pick = rng() % 10;
            if (pick < 2) {
                ASSERT_EQ(edit_undo(s.map, nullptr), at > 0);
                at -= at > 0;
            } else if (pick < 3) {
                ASSERT_EQ(edit_redo(s.map, nullptr), at + 1 < states.size());
                at += at + 1 < states.size();
            } else {
                State next = states[at];
                edit_begin(s.map, "step");
                for (uint32_t n = 1 + rng() % 4; n > 0; --n)
                    s.change(rng, next);
                if (edit_end(s.map)) {
                    next.revision = s.map->revision;
                    states.resize(++at);
                    states.push_back(next);
                } else { // an empty step is forgotten
                    ASSERT_TRUE(next == states[at]) << "sequence " << seq << ", operation " << op;
                }
            }
            ASSERT_TRUE(states[at] == s.read()) << "sequence " << seq << ", operation " << op;
        }
        Bytes before = save(s.map);
        size_t steps = at;
        while (edit_undo(s.map, nullptr))
            --at;
        ASSERT_TRUE(at == 0 && states[0] == s.read()) << "sequence " << seq;
        ASSERT_EQ(save(s.map), s.loaded) << "sequence " << seq;
        EXPECT_EQ(s.map->revision, loaded_revision);
        for (size_t k = 0; k < steps; ++k)
            ASSERT_TRUE(edit_redo(s.map, nullptr));
        ASSERT_EQ(save(s.map), before) << "sequence " << seq;
    }
}

// The program's name is written into the saved file only: a save is no edit, so undoing and
// redoing back to the saved state finds the map saved again.
TEST(EditHistory, SaveStampsTheFileNotTheMap) {
    ScratchFolder folder;
    ScopedMap m;
    mapdata_make_default(m.map);
    edit_paint(m.map, 3, 4, 7);
    ASSERT_EQ(mapdata_save(m.map, "stamped.lvl", {}, false, "maker 1").result, MAPDATA_SAVE_OK);
    const uint64_t saved_revision = m.map->revision;
    EXPECT_EQ(m.map->attributes ? hash_get(m.map->attributes, "PROGRAM") : nullptr, nullptr);
    ASSERT_TRUE(edit_undo(m.map, nullptr));
    EXPECT_NE(m.map->revision, saved_revision);
    ASSERT_TRUE(edit_redo(m.map, nullptr));
    EXPECT_EQ(m.map->revision, saved_revision);
    MapData* back = parse(read_file("stamped.lvl"));
    EXPECT_STREQ(static_cast<const char*>(hash_get(back->attributes, "PROGRAM")), "maker 1");
    mapdata_free(back);
}

TEST(EditHistory, BoundsDropTheOldestStepsAndSayItOnce) {
    ScopedMap m;
    mapdata_make_default(m.map);
    edit_set_limits(m.map, {size_t{1} << 20, 3});
    for (int k = 0; k < 5; ++k)
        edit_paint(m.map, k, 0, 7); // each a step of its own
    EXPECT_EQ(edit_undo_count(m.map), 3u);
    EXPECT_TRUE(edit_take_cut_notice(m.map));
    EXPECT_FALSE(edit_take_cut_notice(m.map));
    // Nested steps are one; an empty step keeps the redo steps.
    ASSERT_TRUE(edit_undo(m.map, nullptr));
    edit_begin(m.map, "outer");
    edit_begin(m.map, "inner");
    EXPECT_EQ(edit_end(m.map) + edit_end(m.map), 0);
    EXPECT_EQ(edit_redo_count(m.map), 1u);
    // A step larger than the byte bound is not kept, but its change stays.
    edit_set_limits(m.map, {4096, 10000});
    std::vector<uint32_t> cells;
    for (int k = 0; k < 2000; ++k)
        cells.push_back(edit_pack_cell(k % 1024, 1 + k / 1024, 9));
    edit_put_tiles(m.map, cells.data(), cells.size());
    EXPECT_EQ(mapdata_get_tile(m.map, 1000, 1), 9);
    EXPECT_LE(edit_history_bytes(m.map), 4096u);
    EXPECT_EQ(edit_redo_count(m.map), 0u);
}

} // namespace
