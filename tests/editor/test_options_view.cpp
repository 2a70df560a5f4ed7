// Command-line options: sizes, the map name and refusals.
#include "editor/options.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
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
        EXPECT_EQ(std::tuple(o.map, o.width, o.height), std::tuple(c.map, c.width, c.height))
            << c.args[0];
        EXPECT_EQ(!o.error.empty(), c.error) << c.args[0] << ": " << o.error;
    }
    EXPECT_TRUE(editor_options_parse(std::vector<const char*>{"--help"}).help);
}

} // namespace
