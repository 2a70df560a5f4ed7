// Command-line options and the derived view geometry.
#include "editor/editor.h"
#include "editor/editor_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Options, SizesMinimumsNumberFormsAndFileName) {
    const struct {
        std::vector<std::string> args;
        std::string file;
        int width, height;
    } cases[] = {
        {{"-w800", "-h600", "maps/a.lvl", "extra"}, "maps/a.lvl", 800, 600},
        {{"maps/a.lvl", "-w800"}, "maps/a.lvl", 640, 480},
        {{"-w", "800"}, "800", 640, 480},
        {{}, "", 640, 480},
        {{"-w319", "-h239"}, "", 640, 480},
        {{"-w320", "-h0x100"}, "", 320, 256},
        {{"-w1024x"}, "", 1024, 480},
        {{"-wabc", "-w-800", "-w99999"}, "", 640, 480},
        {{"-W800"}, "-W800", 640, 480},
    };
    for (const auto& c : cases) {
        std::vector<std::string> text = c.args;
        text.insert(text.begin(), "ostrel");
        std::vector<char*> argv;
        for (auto& t : text)
            argv.push_back(t.data());
        argv.push_back(nullptr);
        editor_set_defaults();
        EXPECT_EQ(editor_parse_options(static_cast<int>(text.size()), argv.data()), c.file)
            << text[1];
        EXPECT_EQ(g_editor.screen_width, c.width) << text[1];
        EXPECT_EQ(g_editor.screen_height, c.height) << text[1];
    }
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
        editor_set_defaults();
        g_editor.zoom = c.zoom;
        g_editor.view_center_x = static_cast<int16_t>(c.cx);
        g_editor.view_center_y = static_cast<int16_t>(c.cy);
        editor_update_view();
        const auto& e = g_editor;
        EXPECT_EQ(std::vector<int>({e.view_center_x, e.view_center_y, e.view_offset_x,
                                    e.view_offset_y, e.view_tile_x, e.view_tile_y}),
                  std::vector<int>({c.centre_x, c.centre_y, c.off_x, c.off_y, c.tile_x, c.tile_y}))
            << c.zoom << " " << c.cx << "," << c.cy;
    }
}

} // namespace
