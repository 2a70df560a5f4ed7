// Command-line options and the derived view geometry.
#include "editor/editor.h"
#include "editor/editor_state.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

struct Args {
    std::vector<std::string> text;
    std::vector<char*> argv;
    Args(std::initializer_list<const char*> list) {
        text.emplace_back("ostrel");
        for (const char* a : list)
            text.emplace_back(a);
        for (auto& t : text)
            argv.push_back(t.data());
        argv.push_back(nullptr);
    }
    std::string parse() {
        editor_set_defaults();
        return editor_parse_options(static_cast<int>(text.size()), argv.data());
    }
};

TEST(Options, SizesAndFileName) {
    Args a{"-w800", "-h600", "maps/a.lvl", "extra"};
    EXPECT_EQ(a.parse(), "maps/a.lvl");
    EXPECT_EQ(g_editor.screen_width, 800);
    EXPECT_EQ(g_editor.screen_height, 600);

    Args b{"maps/a.lvl", "-w800"};
    EXPECT_EQ(b.parse(), "maps/a.lvl");
    EXPECT_EQ(g_editor.screen_width, 640);

    Args c{"-w", "800"};
    EXPECT_EQ(c.parse(), "800");
    EXPECT_EQ(g_editor.screen_width, 640);

    Args none{};
    EXPECT_EQ(none.parse(), "");
    EXPECT_EQ(g_editor.screen_width, 640);
    EXPECT_EQ(g_editor.screen_height, 480);
}

TEST(Options, MinimumsAndNumberForms) {
    struct Case {
        const char* arg;
        int width, height;
    } cases[] = {
        {"-w319", 640, 480},   {"-w320", 320, 480},    {"-h239", 640, 480},
        {"-h0x100", 640, 256}, {"-w1024x", 1024, 480}, {"-wabc", 640, 480},
        {"-w-800", 640, 480},  {"-w99999", 640, 480},  {"-W800", 640, 480},
    };
    for (const Case& c : cases) {
        Args a{c.arg};
        EXPECT_EQ(a.parse(), std::string(c.arg[1] == 'W' ? c.arg : "")) << c.arg;
        EXPECT_EQ(g_editor.screen_width, c.width) << c.arg;
        EXPECT_EQ(g_editor.screen_height, c.height) << c.arg;
    }
}

struct ViewCase {
    int zoom, cx, cy, off_x, off_y, tile_x, tile_y;
};

TEST(View, WorkedValuesIn640x480) {
    const ViewCase cases[] = {
        {1, 0, 0, 0, 0, -20, -15},       {1, 100, 37, -4, -5, -14, -13},
        {1, 8192, 8192, 0, 0, 492, 497}, {2, 100, 37, 0, 0, -34, -28},
        {4, 8192, 8192, 0, 0, 432, 452},
    };
    for (const ViewCase& c : cases) {
        editor_set_defaults();
        g_editor.zoom = c.zoom;
        g_editor.view_center_x = static_cast<int16_t>(c.cx);
        g_editor.view_center_y = static_cast<int16_t>(c.cy);
        editor_update_view();
        EXPECT_EQ(g_editor.view_offset_x, c.off_x);
        EXPECT_EQ(g_editor.view_offset_y, c.off_y);
        EXPECT_EQ(g_editor.view_tile_x, c.tile_x);
        EXPECT_EQ(g_editor.view_tile_y, c.tile_y);
    }
}

TEST(View, CentreIsClamped) {
    editor_set_defaults();
    g_editor.view_center_x = -5;
    g_editor.view_center_y = 20000;
    editor_update_view();
    EXPECT_EQ(g_editor.view_center_x, 0);
    EXPECT_EQ(g_editor.view_center_y, 16384);
}

} // namespace
