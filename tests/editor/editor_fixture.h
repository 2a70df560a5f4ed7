// editor_fixture.h - the editor on the default map without a window, for the tests of keys,
// mouse, console, commands and region list.
#pragma once
#include "editor/commands/commands.h"
#include "console/console.h"
#include "core/hash.h"
#include "editor/editor_keys.h"
#include "editor/editor_state.h"
#include "editor/regionlist.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "map/model/model_raw.h"
#include "map/model/region.h"
#include "map/model/stamp.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

class EditorFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        editor = std::make_unique<Editor>();
        app_bind(editor.get());
        app().doc.map.reset(mapdata_load(""));
        ASSERT_NE(app_map(), nullptr);
        regionlist_init("New region");
        regionlist_set_rows(6);
        regionlist_rebuild();
        editor_update_view();
        console_init(app().console, app().view.screen_width, document_title(app().doc));
        app().console.on_line = [](const char* line) { console_command(line); };
    }
    void TearDown() override {
        console_shutdown();
        regionlist_free();
        app_bind(nullptr);
        editor.reset();
    }
    std::unique_ptr<Editor> editor;
    MapEdit map() { return app_map(); }
    static std::string row(int k) { return console_row(app().console, k)->text; }
    static int colour(int k) { return console_row(app().console, k)->colour; }
    static std::pair<int, int> centre() { return {app().view.center_x, app().view.center_y}; }
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

// The editor working in a fresh scratch folder; run() types a command.
class ScratchEditor : public EditorFixture {
  protected:
    static void run(const std::string& line) { console_command(line.c_str()); }
    ScratchFolder scratch;
    const std::filesystem::path& dir = scratch.dir;
};

// A region whose one cell is (x, 0), or without cells for x < 0.
inline Region* add_region_at(MapEdit map, const std::string& name, int x = -1) {
    Region* region = add_region(map, name);
    if (x >= 0) region_add_tile(region, x, 0);
    return region;
}
