// The "?" commands: dispatch, arguments, attributes, saving and opening maps.
#include "console/commands.h"
#include "editor_fixture.h"
#include "map/attributes.h"

#include <cstdlib>
#include <filesystem>
#include <tuple>

namespace {

class Commands : public EditorFixture {
  protected:
    void run(const char* line) { console_command(line); }
    const char* attr(const char* key) {
        if (!map()->attributes) return nullptr;
        return static_cast<const char*>(hash_get(map()->attributes, key));
    }
};

TEST_F(Commands, QuitWordsAndEchoes) {
    // Words that only start like a command are echoed as chat.
    for (const char* line : {"?exit ", "?exitnow", "?quitx"}) {
        run(line);
        EXPECT_EQ(row(7), line);
    }
    EXPECT_EQ(g_editor.running, 1);
    EXPECT_EQ(colour(7), 2);
    run("?shutdownnow");
    EXPECT_EQ(g_editor.running, 0);
    EXPECT_EQ(row(7), "shutting down now!");
    for (const char* line : {"?quit", "?exit"}) {
        g_editor.running = 1;
        run(line);
        EXPECT_EQ(g_editor.running, 0) << line;
    }
}

TEST_F(Commands, HelpAndLocate) {
    run("?helpme");
    EXPECT_EQ(row(3), "control: left click - paint tile");
    EXPECT_EQ(row(7), "commands: ?warpto <x> <y>, ?save [<map>], ?go <map>, ?settile <tile>");
    for (auto [at, want] :
         {std::pair{8192, "current sector: K11 topleft: 492,497 middle:8192,8192"},
          {0, "current sector: A1 topleft: -20,-15 middle:0,0"}}) {
        g_editor.view_center_x = g_editor.view_center_y = static_cast<int16_t>(at);
        editor_update_view();
        run("?locate");
        EXPECT_EQ(row(7), want);
    }
    run("?locate now");
    EXPECT_EQ(row(7), "?locate now");
}

TEST_F(Commands, SettileReadsAnyBaseAndRefusesOutOfRange) {
    const std::pair<const char*, int> cases[] = {
        {"?settile 0x10", 16}, {"?settile 010", 8},          {"?settile 256", 8},
        {"?settile -1", 8},    {"?settile 12abc", 12},       {"?settile abc", 12},
        {"?settile 0X1f", 31}, {"?settile 99999999999", 31},
    };
    for (auto [line, want] : cases) {
        run(line);
        EXPECT_EQ(g_editor.selected_tile, want) << line;
    }
    EXPECT_EQ(row(7), "holding tile: 31");
}

TEST_F(Commands, WarptoClampsWrapsAndRefusesAMissingY) {
    // 3000 * 16 is negative as a 16-bit value and clamps to 0; a missing or bad y does nothing.
    const std::tuple<const char*, int, int> cases[] = {
        {"?warpto 512 512", 8192, 8192}, {"?warpto 2000,,  5", 16384, 80},
        {"?warpto 3000 5", 0, 80},       {"?warpto 100", 0, 80},
        {"?warpto 100 y", 0, 80},        {"?warpto x 100", 0, 80},
    };
    for (auto [line, x, y] : cases) {
        run(line);
        EXPECT_EQ(centre(), std::pair(x, y)) << line;
    }
}

TEST_F(Commands, InsattrAndRmattr) {
    run("?insattr NAME = x");
    EXPECT_STREQ(attr("NAME "), " x");
    EXPECT_EQ(row(7), "added ATTR NAME = x");
    run("?insattr k=v=w");
    EXPECT_STREQ(attr("k"), "v=w");
    run("?insattr =x");
    EXPECT_STREQ(attr(""), "x");
    run("?insatXY K=second");
    EXPECT_STREQ(attr("k"), "second");
    int32_t count = map()->attributes->count;
    run("?insattr novalue");
    run("?insattr empty=");
    EXPECT_EQ(map()->attributes->count, count);
    std::string key(70, 'a');
    run(("?insattr " + key + "=long").c_str());
    EXPECT_STREQ(attr(key.substr(0, 63).c_str()), "long");
    EXPECT_EQ(attr(key.c_str()), nullptr);

    run("?rmattr K");
    EXPECT_EQ(attr("k"), nullptr);
    run("?rmattr K");
    EXPECT_EQ(row(7), "removed ATTR K");
    EXPECT_EQ(map()->attributes->count, count);
    // Keys match without case; a missing map or key is no fault.
    mapdata_set_attribute(nullptr, "a", nullptr);
    EXPECT_EQ(mapdata_remove_attribute(map(), "kEy"), 0);
    run("?insattr KEY=2");
    EXPECT_EQ(mapdata_remove_attribute(map(), "kEy"), 1);
}

// Each test runs in a fresh temporary folder.
class SaveAndOpen : public Commands {
  protected:
    void SetUp() override {
        Commands::SetUp();
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ostrel-cmd-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        old_cwd = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }
    void TearDown() override {
        std::filesystem::current_path(old_cwd);
        std::filesystem::remove_all(dir);
        Commands::TearDown();
    }
    std::filesystem::path dir, old_cwd;
};

TEST_F(SaveAndOpen, SaveWritesAndReportsFailureInRed) {
    mapdata_set_tile(map(), 5, 6, 42);
    run("?insattr program=old");
    run("?saveas a.lvl");
    EXPECT_EQ(row(7), "map saved as a.lvl");
    EXPECT_EQ(colour(7), 1);
    EXPECT_STREQ(map()->name, "a.lvl");
    EXPECT_STREQ(attr("PROGRAM"), "ostrel 0.2.4");
    EXPECT_TRUE(std::filesystem::exists("a.lvl"));

    run("?save");
    EXPECT_EQ(row(7), "map saved as a.lvl");
    // Names are cut to 31 characters.
    std::string name(40, 'n');
    run(("?save " + name).c_str());
    EXPECT_EQ(std::string(map()->name), name.substr(0, 31));
    EXPECT_TRUE(std::filesystem::exists(name.substr(0, 31)));

    // A path that cannot be written is reported in red with the path, and nothing is written.
    run("?save missing-dir/b.lvl");
    EXPECT_EQ(colour(7), 3);
    EXPECT_NE(row(7).find("missing-dir/b.lvl"), std::string::npos) << row(7);
    EXPECT_FALSE(std::filesystem::exists("missing-dir/b.lvl"));

    // Opening the saved file brings the tile and the attribute back.
    run("?go a.lvl");
    EXPECT_EQ(row(7), "now viewing a.lvl");
    EXPECT_EQ(mapdata_get_tile(map(), 5, 6), 42);
    EXPECT_STREQ(attr("program"), "ostrel 0.2.4");
}

TEST_F(SaveAndOpen, ATilesetTooLargeForAttributesIsReportedInRed) {
    // The attributes' block must start below 64 KiB; a larger bitmap leaves no room.
    const uint32_t big = 70000;
    auto* bytes = static_cast<uint8_t*>(mem_alloc(big));
    std::memcpy(bytes, map()->tileset, map()->tileset_length);
    mem_free(map()->tileset);
    map()->tileset = bytes;
    map()->tileset_length = big;
    run("?save big.lvl");
    EXPECT_EQ(colour(7), 3);
    EXPECT_EQ(row(7), "map saved as big.lvl without attributes or regions: tileset too large");
    EXPECT_TRUE(std::filesystem::exists("big.lvl"));
}

TEST_F(SaveAndOpen, ARegionTooLargeToStoreIsReportedInRed) {
    // A checkerboard over the whole map cannot be coded within one chunk.
    std::vector<uint8_t> name;
    elvl_append_chunk(&name, "rNAM", reinterpret_cast<const uint8_t*>("Checker"), 7);
    mapdata_read_region(map(), name.data(), static_cast<uint32_t>(name.size()));
    Region* region = mapdata_find_region(map(), "Checker");
    ASSERT_NE(region, nullptr);
    for (int32_t y = 0; y < 1024; ++y)
        for (int32_t x = y & 1; x < 1024; x += 2)
            region_add_tile(region, x, y);
    testing::internal::CaptureStderr();
    run("?save cut.lvl");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(colour(7), 3);
    EXPECT_EQ(row(7), "map saved as cut.lvl, but a region too large to store was cut");
    EXPECT_TRUE(std::filesystem::exists("cut.lvl"));
}

TEST_F(SaveAndOpen, GoNeedsANameAndFallsBackToTheDefaultMap) {
    run("?go");
    EXPECT_EQ(row(7), "?go");
    MapData* before = map();
    run("?go    ");
    EXPECT_EQ(map(), before);
    g_editor.view_center_x = 800;
    g_editor.selected_tile = 9;
    run("?go no-such-file.lvl");
    EXPECT_NE(map(), before);
    EXPECT_EQ(row(7), "now viewing <default>");
    EXPECT_EQ(g_editor.view_center_x, 8); // the middle of the default map's one tile
    EXPECT_EQ(g_editor.selected_tile, 9);
    EXPECT_EQ(regionlist_count(), 1);
}

} // namespace
