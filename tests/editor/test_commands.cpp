// The "?" commands: dispatch, arguments, attributes, saving and opening maps.
#include "editor/commands/commands.h"
#include "core/mem.h"
#include "editor_fixture.h"
#include "map/model/attributes.h"

#include <cstdlib>
#include <filesystem>

namespace {

class Commands : public ScratchEditor {
  protected:
    std::string attr(const char* key) {
        auto* value = map()->attributes ? hash_get(map()->attributes, key) : nullptr;
        return value ? static_cast<const char*>(value) : "<none>";
    }
};

// Commands are whole names; every line is answered, its problems in red and in the log.
TEST_F(Commands, ParserMatchesWholeNamesAndAnswersBadLinesInRed) {
    const std::pair<const char*, const char*> answers[] = {
        {"?saveas x.lvl", "unknown command ?saveas: ?help lists the commands"},
        {"?exitnow", "unknown command ?exitnow: ?help lists the commands"},
        {"?rect 1 2 3", "usage: ?rect X1 Y1 X2 Y2 [filled]"},
        {"?rect 1 2 3 4 hollow", "usage: ?rect X1 Y1 X2 Y2 [filled]"},
        {"?settile 12abc", "usage: ?settile <n>"},
        {"?flip", "usage: ?flip h|v"},
        {"?locate now", "usage: ?locate"},
        {"?rect 1200 0 5 5", "?rect: X1 is 1200: it must be 0..1023"},
        {"?warpto 5,0x400", "?warpto: y is 0x400: it must be 0..1023"},
        {"?settile -1", "?settile: n is -1: it must be 0..255"},
        {"?settile 99999999999", "?settile: n is 99999999999: it must be 0..255"},
    };
    for (auto [line, answer] : answers) {
        testing::internal::CaptureStderr();
        run(line);
        std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::pair(row(7), colour(7)), std::pair(std::string(answer), 3)) << line;
        EXPECT_NE(log.find(answer), std::string::npos) << line << ": " << log;
    }
    EXPECT_FALSE(std::filesystem::exists("x.lvl"));
    EXPECT_EQ(std::pair(app().selected_tile, int{app().view.center_x}), std::pair(1, 0));
    EXPECT_EQ(map()->revision, 0u);
    run("?settile 0x10");
    run("?warpto 512,512");
    run("?locate");
    EXPECT_EQ(app().selected_tile, 16);
    EXPECT_EQ(row(7), "current sector: K11 topleft: 492,497 middle: 512,512");
    run("?region frob"); // a command with sub-commands lists them
    EXPECT_EQ(row(5).rfind("usage: ?region [new NAME | rename NAME | delete | add", 0), 0u) << row(5);
    run("?exit ");
    EXPECT_EQ(std::pair(row(7), app().running), std::pair(std::string("shutting down now!"), 0));
}

TEST_F(Commands, InsattrAndRmattr) {
    std::string key(70, 'a');
    for (std::string line : std::vector<std::string>{
             "?insattr NAME = x", "?insattr k=v=w", "?insattr novalue",
             "?insattr empty=", "?insattr " + key + "=long"})
        run(line);
    EXPECT_EQ(attr("NAME "), " x");
    EXPECT_EQ(attr("k"), "v=w");
    EXPECT_EQ(std::pair(row(7), colour(7)), std::pair(std::string("added ATTR " + key.substr(0, 63) + "=long"), 1));
    EXPECT_EQ(attr("empty"), "<none>");
    EXPECT_EQ(attr(key.substr(0, 63).c_str()), "long");
    EXPECT_EQ(map()->attributes->count, 3);
    run("?rmattr K");
    EXPECT_EQ(attr("k"), "<none>");
    EXPECT_EQ(row(7), "removed ATTR K");
    run("?rmattr K");
    EXPECT_EQ(map()->attributes->count, 2);
}

TEST_F(Commands, SaveWritesOrReportsInRedAndGoOpensTheFile) {
    edit_paint(map(), 5, 6, 42);
    run("?save a.lvl");
    EXPECT_EQ(std::pair(row(7), colour(7)), std::pair(std::string("map saved as a.lvl"), 1));
    EXPECT_EQ(attr("PROGRAM"), "<none>"); // the program's name goes into the file only
    run("?save " + std::string(40, 'n')); // long names are saved whole
    EXPECT_TRUE(std::filesystem::exists(std::string(40, 'n')));
    run("?go a.lvl");
    EXPECT_EQ(row(7), "now viewing a.lvl");
    EXPECT_EQ(mapdata_get_tile(map(), 5, 6), 42);
    EXPECT_EQ(attr("PROGRAM"), "ostrel 0.2.4");
    // "?go" needs a name; a file that cannot be read leaves the map, the view and the brush.
    MapData* before = map();
    run("?go    ");
    EXPECT_EQ(map(), before);
    app().view.center_x = 800;
    run("?go no-such-file.lvl");
    EXPECT_EQ(map(), before);
    EXPECT_EQ(row(7), "cannot open no-such-file.lvl: No such file or directory");
    EXPECT_EQ(app().view.center_x, 800);
    EXPECT_EQ(regionlist_count(), 1);
    // Tiled maps: "?go" opens one and a plain "?save" keeps its format.
    run("?save a.tmx");
    run("?go a.tmx");
    EXPECT_EQ(std::pair(row(7), mapdata_get_tile(map(), 5, 6)), std::pair(std::string("now viewing a.tmx"), 42));
    edit_paint(map(), 5, 6, 43);
    run("?save");
    run("?go a.tmx");
    EXPECT_EQ(mapdata_get_tile(map(), 5, 6), 43);
}

// A save that had to leave something out is reported in red (a region cut to fit: the map
// library's region writer tests).
TEST_F(Commands, IncompleteSavesAreReportedInRed) {
    const uint32_t big = 70000; // the attributes' block must start below 64 KiB
    auto* bytes = static_cast<uint8_t*>(mem_alloc(big));
    std::memcpy(bytes, map()->tileset, map()->tileset_length);
    mem_free(map()->tileset);
    map()->tileset = bytes;
    map()->tileset_length = big;
    run("?save big.lvl");
    EXPECT_EQ(std::pair(row(7), colour(7)),
              std::pair(std::string("map saved as big.lvl without attributes or regions: "
                                    "tileset too large"),
                        3));
}

} // namespace
