// editor_fixture.h - sets the editor up on the default map without a window, as the tests
// of keys, mouse, console, commands and region list need it.
#pragma once
#include "console/console.h"
#include "editor/editor_keys.h"
#include "editor/editor_state.h"
#include "editor/regionlist.h"
#include "core/hash.h"
#include "core/mem.h"
#include "map/elvl.h"
#include "map/mapdata.h"
#include "map/stamp.h"
#include "map/region.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// The editor record on the default map, region list and console ready, no window.
class EditorFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        editor_set_defaults();
        g_editor.current_map = mapdata_load("");
        ASSERT_NE(g_editor.current_map, nullptr);
        regionlist_init("New region");
        regionlist_set_rows(6);
        regionlist_rebuild();
        bookmarks_clear();
        editor_update_view();
        console_init();
    }
    void TearDown() override {
        console_shutdown();
        regionlist_free();
        mapdata_free(g_editor.current_map);
        g_editor.current_map = nullptr;
    }
    MapData* map() { return g_editor.current_map; }
    static std::string row(int k) { return console_row(k)->text; }
    static int colour(int k) { return console_row(k)->colour; }
    static void type(const char* text, int32_t modifiers = 0) {
        for (const char* p = text; *p; ++p)
            editor_key(static_cast<unsigned char>(*p), modifiers);
    }
    static void enter() { editor_key(13, 0); }
};

// "REGN" chunk data: an "rNAM" sub-chunk with the name and an "rTIL" sub-chunk whose cells
// are the given row-0 columns (sorted, distinct), or none at all when tiles is false.
inline std::vector<uint8_t> region_chunk(const std::string& name, bool tiles,
                                         std::vector<int> row0 = {}) {
    std::vector<uint8_t> out;
    auto sub = [&](const char* type, const std::vector<uint8_t>& data) {
        elvl_append_chunk(&out, type, data.data(), static_cast<uint32_t>(data.size()));
    };
    sub("rNAM", std::vector<uint8_t>(name.begin(), name.end()));
    if (!tiles) return out;
    std::vector<uint8_t> code;
    // Long-form runs: kind in bits 7-6, bit 5 long, 13-bit count - 1.
    auto run = [&](int kind, int n) {
        code.push_back(static_cast<uint8_t>((kind << 6) | 0x20 | (((n - 1) >> 8) & 31)));
        code.push_back(static_cast<uint8_t>((n - 1) & 0xFF));
    };
    if (row0.empty()) {
        run(2, 1024);
    } else {
        int x = 0;
        for (int c : row0) {
            if (c > x) run(0, c - x);
            run(1, 1);
            x = c + 1;
        }
        if (x < 1024) run(0, 1024 - x);
        run(2, 1023);
    }
    sub("rTIL", code);
    return out;
}

inline void add_region(MapData* map, const std::string& name, bool tiles = true,
                       std::vector<int> row0 = {}) {
    std::vector<uint8_t> data = region_chunk(name, tiles, row0);
    mapdata_read_region(map, data.data(), static_cast<uint32_t>(data.size()));
}
