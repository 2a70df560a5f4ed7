// test_keep_work.cpp - a map without a file, quitting and opening ask once about unsaved
// changes, load problems (saving to the very file that was opened: save_in_place.sh).
#include "editor/commands/commands.h"
#include "core/platform.h"
#include "editor/editor_loop.h"
#include "editor/editor_mouse.h"
#include "editor_fixture.h"
#include "map/lvl/level.h"

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class KeepWork : public ScratchEditor {
  protected:
    // A map file of one tile record, (3, 2) = 1, under a long path.
    std::string long_map() {
        fs::path path = dir / "home-of-someone" / "maps" / "zones" / "duel.lvl";
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary).write("\x03\x20\x00\x01", 4);
        return path.string();
    }
};

TEST_F(KeepWork, DefaultMapHasNoFileAndFailedNamesAreNotKept) {
    const std::pair<const char*, const char*> lines[] = {
        {"?save", "no file name yet: ?save <file>"},
        {"?save missing/b.lvl",
         "map could not be saved as missing/b.lvl: No such file or directory"},
        {"?tileset none.bmp", "cannot use none.bmp as a tileset: No such file or directory"}};
    for (auto [line, said] : lines) {
        run(line);
        EXPECT_EQ(row(7), said);
        EXPECT_EQ(colour(7), 3);
    }
    EXPECT_FALSE(fs::exists("<default>"));
    run("?save a.lvl");
    run("?save missing/b.lvl");
    run("?save");
    EXPECT_EQ(row(7), "map saved as a.lvl");
}

TEST_F(KeepWork, QuitAndOpenAskOnceAboutUnsavedChanges) {
    std::string path = long_map();
    edit_paint(map(), 1, 1, 4);
    MapData* edited = map();
    const std::string warning = "unsaved changes: repeat within 5 seconds to discard them";
    run("?quit");
    EXPECT_EQ(app().running, 1);
    EXPECT_EQ(row(7), warning);
    EXPECT_EQ(colour(7), 3);
    // Another kind of request asks for itself, and so does a repeat after 5 seconds.
    const std::pair<uint32_t, int> asks[] = {{1000, 0}, {1499, 1}, {2000, 0}, {2500, 0}};
    for (auto [tick, allowed] : asks)
        EXPECT_EQ(editor_may_discard_at(DISCARD_OPEN, tick), allowed) << tick;
    run("?go " + path);
    EXPECT_EQ(map(), edited);
    run("?go " + path);
    EXPECT_NE(map(), edited);
    // Escape, Q and the close button are quit requests too; a saved map quits at once.
    edit_paint(map(), 1, 1, 4);
    editor_key(KEY_ESCAPE, 0);
    editor_menu_key('q', 0);
    EXPECT_EQ(app().running, 1);
    EXPECT_EQ(app().menu_open, 0);
    editor_input_event({.kind = InputKind::Quit});
    EXPECT_EQ(app().running, 0);
    app().running = 1;
    run("?save");
    run("?exit");
    EXPECT_EQ(app().running, 0);
}

// Without a tileset the regions of a map with tiles cannot be stored, and the save says how
// to mend that.
TEST_F(KeepWork, SavingRegionsWithoutATilesetSaysHowToMendIt) {
    add_region_at(map(), "A", 7);
    tilegrid_put(map()->tiles, 7, 0, 1);
    run("?tileset none");
    run("?save two.lvl");
    EXPECT_NE((row(6) + row(7)).find("no tileset (?tileset <file.bmp>"), std::string::npos);
}

// A save that could not store everything leaves the map unsaved, so quitting still warns.
TEST_F(KeepWork, IncompleteSaveKeepsTheMapUnsaved) {
    tilegrid_put(map()->tiles, 7, 0, 1); // attributes without a tileset are lost only beside tiles
    run("?tileset none");
    run("?insattr FOO=bar");
    run("?save a.lvl");
    EXPECT_EQ(colour(7), 3);
    EXPECT_TRUE(document_modified(app().doc));
    run("?quit");
    EXPECT_EQ(app().running, 1);
}

// Load problems are printed in red; what the read left out is never made permanent by a plain "?save"; "?save!" does it.
// A file with other hard links is saved whole, and the split is said in red.
TEST_F(KeepWork, ReadLossesNeedSaveBangAndHardLinksAreNamed) {
    const char bad[] = "\x00\x04\x00\x07\x03\x20\x00\x01"; // one record outside the map
    std::ofstream("bad.lvl", std::ios::binary).write(bad, 8);
    fs::create_hard_link("bad.lvl", "other.lvl");
    run("?go bad.lvl");
    EXPECT_EQ(row(5), "now viewing bad.lvl");
    EXPECT_EQ(row(6), "1 tile records were out of range and were skipped");
    EXPECT_EQ(colour(6), 3);
    run("?save");
    EXPECT_EQ(row(6) + row(7), "map not saved as bad.lvl: the read of its file left out 1 tile "
                               "records outside the map; \"?save!\" saves it without them");
    EXPECT_EQ(fs::file_size("bad.lvl"), 8u);
    run("?save!");
    EXPECT_NE(fs::file_size("bad.lvl"), 8u);
    EXPECT_FALSE(document_modified(app().doc));
    EXPECT_EQ(colour(7), 3);
    EXPECT_NE((row(6) + row(7)).find("the file had 2 hard links: the others keep the old map"),
              std::string::npos);
    EXPECT_EQ(fs::file_size("other.lvl"), 8u);
    // Once made permanent, the losses are no more: a plain save goes ahead.
    run("?save");
    EXPECT_NE((row(6) + row(7)).find("map saved as bad.lvl"), std::string::npos) << row(6) + row(7);
}

} // namespace
