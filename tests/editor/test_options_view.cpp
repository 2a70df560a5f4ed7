// Command-line options and the derived view geometry.
#include "editor/editor.h"
#include "editor/editor_state.h"
#include "editor/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Options, SizesFileNameAndRefusals) {
    const struct {
        std::vector<const char*> args;
        std::string map;
        int width, height;
        bool error;
    } cases[] = {
        {{"-w800", "-h", "0x258", "maps/a.lvl"}, "maps/a.lvl", 800, 600, false},
        {{"--", "-odd.lvl"}, "-odd.lvl", 0, 0, false},
        {{"--help"}, "", 0, 0, false},
        {{"-w319"}, "", 0, 0, true},
        {{"-w1024x"}, "", 0, 0, true},
        {{"-h"}, "", 0, 0, true},
        {{"-W800"}, "", 0, 0, true},
        {{"--frobnicate", "a.lvl"}, "", 0, 0, true},
        {{"a.lvl", "b.lvl"}, "a.lvl", 0, 0, true},
    };
    for (const auto& c : cases) {
        EditorOptions o = editor_options_parse(c.args);
        EXPECT_EQ(o.map, c.map) << c.args[0];
        EXPECT_EQ(o.width, c.width) << c.args[0];
        EXPECT_EQ(o.height, c.height) << c.args[0];
        EXPECT_EQ(!o.error.empty(), c.error) << c.args[0] << ": " << o.error;
    }
    EXPECT_TRUE(editor_options_parse(std::vector<const char*>{"--help"}).help);
}

TEST(View, WorkedValuesIn640x480AndTheClampedCentre) {
    const struct {
        int zoom, cx, cy, centre_x, centre_y, off_x, off_y, tile_x, tile_y;
    } cases[] = {
        {1, 0, 0, 0, 0, 0, 0, -20, -15},
        {1, 100, 37, 100, 37, -4, -5, -14, -13},
        {1, 8192, 8192, 8192, 8192, 0, 0, 492, 497},
        {2, 100, 37, 100, 37, 0, 0, -34, -28},
        {4, 8192, 8192, 8192, 8192, 0, 0, 432, 452},
        {1, -5, 20000, 0, 16384, 0, 0, -20, 1009},
    };
    for (const auto& c : cases) {
        View e;
        e.zoom = c.zoom;
        e.center_x = static_cast<int16_t>(c.cx);
        e.center_y = static_cast<int16_t>(c.cy);
        view_update(&e);
        EXPECT_EQ(std::vector<int>({e.center_x, e.center_y, e.offset_x,
                                    e.offset_y, e.tile_x, e.tile_y}),
                  std::vector<int>({c.centre_x, c.centre_y, c.off_x, c.off_y, c.tile_x, c.tile_y}))
            << c.zoom << " " << c.cx << "," << c.cy;
    }
}

} // namespace
