// The "?" commands: dispatch, arguments, attributes, saving and opening maps.
#include "editor/commands/commands.h"
#include "core/mem.h"
#include "editor_fixture.h"
#include "map/model/attributes.h"

#include <cstdlib>
#include <filesystem>
#include <tuple>

namespace {

class Commands : public ScratchEditor {
  protected:
    std::string attr(const char* key) {
        auto* value = map()->attributes ? hash_get(map()->attributes, key) : nullptr;
        return value ? static_cast<const char*>(value) : "<none>";
    }
};

// Words that only start like a command are named as unknown in red; the quit words end the
// loop after a green line.
TEST_F(Commands, QuitWordsEchoesAndLocate) {
    for (const char* line : {"?exit ", "?exitnow", "?quitx", "?locate now"}) {
        run(line);
        EXPECT_EQ(std::pair(row(7), colour(7)),
                  std::pair("unknown command " + std::string(line) + ": ?help lists them", 3));
    }
    EXPECT_EQ(app().running, 1);
    for (const char* line : {"?shutdownnow", "?quit", "?exit"}) {
        app().running = 1;
        run(line);
        EXPECT_EQ(app().running, 0) << line;
    }
    EXPECT_EQ(std::pair(row(7), colour(7)), std::pair(std::string("shutting down now!"), 1));
    app().view.center_x = app().view.center_y = 8192;
    editor_update_view();
    run("?locate");
    EXPECT_EQ(row(7), "current sector: K11 topleft: 492,497 middle: 512,512");
}

TEST_F(Commands, SettileAndWarptoReadNumbersAndRefuseBadOnes) {
    const std::tuple<const char*, int, int, int> cases[] = {
        // line, brush, centre x, centre y (3000 * 16 is negative in 16 bits and clamps to 0)
        {"?settile 0x10", 16, 0, 0},         {"?settile 010", 8, 0, 0},
        {"?settile 256", 8, 0, 0},           {"?settile -1", 8, 0, 0},
        {"?settile 12abc", 12, 0, 0},        {"?settile 99999999999", 12, 0, 0},
        {"?warpto 512 512", 12, 8192, 8192}, {"?warpto 2000,,  5", 12, 16384, 80},
        {"?warpto 3000 5", 12, 0, 80},       {"?warpto 100", 12, 0, 80},
        {"?warpto x 100", 12, 0, 80},
    };
    for (auto [line, brush, x, y] : cases) {
        run(line);
        EXPECT_EQ(
            std::tuple(app().selected_tile, app().view.center_x, app().view.center_y),
            std::tuple(brush, x, y))
            << line;
    }
    EXPECT_EQ(row(7), "holding tile: 12");
}

TEST_F(Commands, InsattrAndRmattr) {
    std::string key(70, 'a');
    for (std::string line : std::vector<std::string>{
             "?insattr NAME = x", "?insattr k=v=w", "?insatXY K=second", "?insattr novalue",
             "?insattr empty=", "?insattr " + key + "=long"})
        run(line);
    EXPECT_EQ(attr("NAME "), " x");
    EXPECT_EQ(attr("k"), "second");
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
    mapdata_set_tile(map(), 5, 6, 42);
    run("?saveas a.lvl");
    EXPECT_EQ(std::pair(row(7), colour(7)), std::pair(std::string("map saved as a.lvl"), 1));
    EXPECT_EQ(attr("PROGRAM"), "ostrel 0.2.4");
    run("?save " + std::string(40, 'n')); // long names are saved whole
    EXPECT_TRUE(std::filesystem::exists(std::string(40, 'n')));
    run("?go a.lvl");
    EXPECT_EQ(row(7), "now viewing a.lvl");
    EXPECT_EQ(mapdata_get_tile(map(), 5, 6), 42);
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
    mapdata_set_tile(map(), 5, 6, 43);
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
