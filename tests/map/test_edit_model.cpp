// test_edit_model.cpp - random edit sessions checked step by step against a plain model.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/list.h"
#include "core/mem.h"
#include "map/attributes.h"
#include "map/edit.h"
#include "map/level.h"
#include "map/stamp.h"
#include "map_test_util.h"
#include "region_test_util.h"

namespace {

// Edits happen near two corners so that objects meet the map's edge: columns and rows
// 0..9 and 1014..1023.
constexpr int kSpan = 10;
int coord(int i) {
    return i < kSpan ? i : 1024 - 2 * kSpan + i;
}
constexpr int kSide = 2 * kSpan;
constexpr int kRegions = 3;
// Enough keys that the attribute table grows and shrinks, which regroups its buckets.
const char* const kKeys[] = {"Alpha", "beta", "GAMMA", "d",   "epsilon", "z",   "k7",  "k8",
                             "k9",    "k10",  "k11",   "k12", "k13",     "k14", "k15", "k16"};
constexpr int kKeyCount = 16;

char* owned_text(const std::string& text) {
    auto* copy = static_cast<char*>(mem_alloc(static_cast<uint32_t>(text.size() + 1)));
    std::memcpy(copy, text.c_str(), text.size());
    return copy;
}

struct ModelStamp {
    int x, y, tile, n;
    bool operator==(const ModelStamp&) const = default;
};

// The whole state the edits touch, kept the plainest way.
struct Model {
    uint8_t tile[kSide][kSide] = {};
    bool member[kRegions][kSide][kSide] = {};
    std::vector<ModelStamp> stamps;
    std::map<std::string, std::string> attributes; // folded key -> value
    uint64_t revision = 0;

    static int index(int c) { return c < kSpan ? c : c - (1024 - 2 * kSpan); }
    uint8_t& at(int x, int y) { return tile[index(x)][index(y)]; }

    void paint(int x, int y, int t) {
        for (size_t k = 0; k < stamps.size(); ++k) {
            ModelStamp s = stamps[k];
            if (x >= s.x && x < s.x + s.n && y >= s.y && y < s.y + s.n) {
                for (int i = 0; i < s.n; ++i)
                    for (int j = 0; j < s.n; ++j)
                        if (s.x + i < 1024 && s.y + j < 1024) at(s.x + i, s.y + j) = 0;
                stamps.erase(stamps.begin() + static_cast<long>(k));
                break;
            }
        }
        if (t >= 216 && t <= 220) {
            int n = object_size(t);
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j)
                    if ((i || j) && x + i < 1024 && y + j < 1024) paint(x + i, y + j, 250);
            stamps.push_back({x, y, t, n});
        }
        at(x, y) = static_cast<uint8_t>(t);
    }
};

std::string fold(std::string key) {
    for (char& c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

// The saved file's bytes (the writer's detail log kept out of the test output).
maptest::Bytes save(MapData* map) {
    maptest::LogCapture quiet;
    maptest::Bytes bytes;
    mapdata_save_bytes(map, &bytes);
    return bytes;
}

struct Session {
    ScopedMap owner;
    MapData* map = nullptr;
    Region* regions[kRegions] = {};
    maptest::Bytes loaded; // the save of the map as loaded

    // A map with objects at the edge, overlapping regions and attributes, loaded from bytes.
    explicit Session(std::mt19937& rng) {
        MapData* build = mapdata_new();
        mapdata_make_default(build, false);
        for (int r = 0; r < kRegions; ++r)
            add_region(build, "R" + std::to_string(r));
        for (int k = 0; k < 40; ++k) {
            int x = coord(static_cast<int>(rng() % kSide)),
                y = coord(static_cast<int>(rng() % kSide));
            mapdata_set_tile(build, x, y, k % 4 == 0 ? 216 + static_cast<int>(rng() % 5) : 1 + k);
            region_add_tile(mapdata_find_region(build, ("R" + std::to_string(k % 3)).c_str()), x,
                            y);
        }
        for (int k = 0; k < 13; ++k)
            mapdata_set_attribute(build, kKeys[k], owned_text("v" + std::to_string(k)));
        maptest::Bytes bytes = save(build);
        mapdata_free(build);
        mapdata_free(owner.map);
        map = owner.map = maptest::parse(bytes);
        for (int r = 0; r < kRegions; ++r)
            regions[r] = mapdata_find_region(map, ("R" + std::to_string(r)).c_str());
        loaded = save(map);
    }

    Model read() const {
        Model m;
        for (int i = 0; i < kSide; ++i)
            for (int j = 0; j < kSide; ++j) {
                m.tile[i][j] = static_cast<uint8_t>(mapdata_get_tile(map, coord(i), coord(j)));
                for (int r = 0; r < kRegions; ++r)
                    m.member[r][i][j] = region_contains(regions[r], coord(i), coord(j));
            }
        for (ListNode* node = map->stamps.head; node; node = node->next) {
            auto* s = static_cast<Stamp*>(node->data);
            m.stamps.push_back({static_cast<int>(s->anchor & 0xFFF),
                                static_cast<int>((s->anchor >> 12) & 0xFFF),
                                static_cast<int>(s->anchor >> 24), s->width});
        }
        for (const char* key : kKeys)
            if (map->attributes)
                if (auto* v = static_cast<const char*>(hash_get(map->attributes, key)))
                    m.attributes[fold(key)] = v;
        m.revision = map->revision;
        return m;
    }
};

void expect_same(const Model& want, const Model& got, int seq, int op) {
    ASSERT_TRUE(std::equal(&want.tile[0][0], &want.tile[0][0] + kSide * kSide, &got.tile[0][0]))
        << "tiles differ, sequence " << seq << " op " << op;
    ASSERT_TRUE(std::equal(&want.member[0][0][0], &want.member[0][0][0] + kRegions * kSide * kSide,
                           &got.member[0][0][0]))
        << "regions differ, sequence " << seq << " op " << op;
    ASSERT_EQ(want.stamps, got.stamps) << "sequence " << seq << " op " << op;
    ASSERT_EQ(want.attributes, got.attributes) << "sequence " << seq << " op " << op;
    ASSERT_EQ(want.revision, got.revision) << "sequence " << seq << " op " << op;
}

// One random change, made on the map and on the model.
void random_change(std::mt19937& rng, Session& s, Model& m) {
    int x = coord(static_cast<int>(rng() % kSide)), y = coord(static_cast<int>(rng() % kSide));
    switch (rng() % 11) {
    case 0:
    case 1: { // objects often, so that they land on each other and at the edge
        int t = 216 + static_cast<int>(rng() % 5);
        edit_paint(s.map, x, y, t);
        m.paint(x, y, t);
        break;
    }
    case 2:
    case 3: {
        int t = static_cast<int>(rng() % 3 == 0 ? 250 : 1 + rng() % 190);
        edit_paint(s.map, x, y, t);
        m.paint(x, y, t);
        break;
    }
    case 4:
        edit_paint(s.map, x, y, 0);
        m.paint(x, y, 0);
        break;
    case 5:
    case 6: {
        int r = static_cast<int>(rng() % kRegions);
        edit_region_toggle(s.map, s.regions[r], x, y);
        bool& bit = m.member[r][Model::index(x)][Model::index(y)];
        bit = !bit;
        break;
    }
    default: {
        std::string key = kKeys[rng() % kKeyCount];
        if (rng() % 2) key[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(key[0])));
        if (rng() % 4 < 3) {
            edit_remove_attribute(s.map, key.c_str());
            m.attributes.erase(fold(key));
        } else {
            std::string value = "x" + std::to_string(rng() % 1000);
            edit_set_attribute(s.map, key.c_str(), value.c_str());
            m.attributes[fold(key)] = value;
        }
    }
    }
}

TEST(EditModel, RandomSessionsMatchThePlainModelAndUndoToTheLoadedBytes) {
    std::mt19937 rng(12);
    for (int seq = 0; seq < 300; ++seq) {
        Session s(rng);
        // states[k] is the state after k steps; states past `at` are the redo states.
        std::vector<Model> states{s.read()};
        size_t at = 0;
        for (int op = 0; op < 40; ++op) {
            uint32_t pick = rng() % 10;
            if (pick < 2) {
                bool done = edit_undo(s.map, nullptr);
                ASSERT_EQ(done, at > 0);
                if (done) --at;
            } else if (pick < 3) {
                bool done = edit_redo(s.map, nullptr);
                ASSERT_EQ(done, at + 1 < states.size());
                if (done) ++at;
            } else {
                Model next = states[at];
                edit_begin(s.map, "step");
                for (uint32_t n = 1 + rng() % 4; n > 0; --n)
                    random_change(rng, s, next);
                if (edit_end(s.map)) {
                    next.revision = s.map->revision;
                    states.resize(++at);
                    states.push_back(next);
                } else {
                    next.revision = states[at].revision;
                    ASSERT_NO_FATAL_FAILURE(expect_same(next, states[at], seq, op));
                }
            }
            ASSERT_NO_FATAL_FAILURE(expect_same(states[at], s.read(), seq, op));
        }
        maptest::Bytes before = save(s.map);
        size_t steps = at;
        while (edit_undo(s.map, nullptr))
            --at;
        ASSERT_EQ(at, 0u);
        ASSERT_NO_FATAL_FAILURE(expect_same(states[0], s.read(), seq, -1));
        ASSERT_EQ(save(s.map), s.loaded) << "sequence " << seq;
        EXPECT_EQ(s.map->revision, s.map->saved_revision);
        for (size_t k = 0; k < steps; ++k)
            ASSERT_TRUE(edit_redo(s.map, nullptr));
        ASSERT_EQ(save(s.map), before) << "sequence " << seq;
    }
}

TEST(EditHistory, BoundsDropTheOldestStepsAndSayItOnce) {
    ScopedMap m;
    mapdata_make_default(m.map, false);
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
    EXPECT_EQ(edit_end(m.map), 0);
    EXPECT_EQ(edit_end(m.map), 0);
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
