// editor_fixture.h - the editor on the default map without a window, for the tests of keys,
// mouse, console, commands and region list.
#pragma once
#include "console/console.h"
#include "core/hash.h"
#include "core/mem.h"
#include "editor/editor_keys.h"
#include "editor/editor_state.h"
#include "editor/regionlist.h"
#include "map/elvl.h"
#include "map/mapdata.h"
#include "map/region.h"
#include "map/stamp.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

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
    static std::pair<int, int> centre() { return {g_editor.view_center_x, g_editor.view_center_y}; }
    static void type(const char* text, int32_t mods = 0) {
        for (const char* p = text; *p; ++p)
            editor_key(static_cast<unsigned char>(*p), mods);
    }
    static void enter() { editor_key(13, 0); }
    static void press(int key, int n, int32_t mods = 0) {
        while (n-- > 0)
            editor_key(key, mods);
    }
};

// Adds a "REGN" chunk: "rNAM" with the name, and unless tiles is false an "rTIL" whose cells are
// the given row-0 columns (sorted, distinct), or all of row 0 when none are given.
inline void add_region(MapData* map, const std::string& name, bool tiles = true,
                       std::vector<int> row0 = {}) {
    std::vector<uint8_t> out, code;
    elvl_append_chunk(&out, "rNAM", reinterpret_cast<const uint8_t*>(name.data()),
                      static_cast<uint32_t>(name.size()));
    // Long-form runs: kind in bits 7-6, bit 5 long, 13-bit count - 1.
    auto run = [&](int kind, int n) {
        code.push_back(static_cast<uint8_t>((kind << 6) | 0x20 | (((n - 1) >> 8) & 31)));
        code.push_back(static_cast<uint8_t>((n - 1) & 0xFF));
    };
    int x = 0;
    for (int c : row0) {
        if (c > x) run(0, c - x);
        run(1, 1);
        x = c + 1;
    }
    if (row0.empty())
        run(2, 1024);
    else if (x < 1024)
        run(0, 1024 - x);
    if (!row0.empty()) run(2, 1023);
    if (tiles) elvl_append_chunk(&out, "rTIL", code.data(), static_cast<uint32_t>(code.size()));
    mapdata_read_region(map, out.data(), static_cast<uint32_t>(out.size()));
}
