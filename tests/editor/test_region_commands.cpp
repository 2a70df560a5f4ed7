// "?region": bad arguments, one undoable step per change, the list and the region brush.
#include "editor/commands/commands.h"
#include "editor/editor_mouse.h"
#include "editor_fixture.h"
#include "map/edit/edit.h"

namespace {

class RegionCommands : public EditorFixture {
  protected:
    static void run(const char* line) { console_command(line); }
    // The newest message, also when it took two rows.
    static std::string said() { return row(5) + row(6) + "|" + row(7); }
};

TEST_F(RegionCommands, BadArgumentsPrintUsageInRedAndChangeNothing) {
    run("?region base on");
    EXPECT_EQ(row(7), "select a region first, or create one: ?region new NAME");
    run("?region new Base");
    uint64_t revision = map()->revision;
    for (const char* line :
         {"?region new", "?region new BASE", "?region frob", "?region base", "?region base maybe",
          "?region noflags on off", "?region autowarp 1", "?region autowarp x 2",
          "?region autowarp 1 2 an-arena-name-of-20", "?region autowarp 1 2 a b",
          "?region autowarp 40000 1", "?region autowarp 3 4x", "?region colour 12345",
          "?region colour GGHHII", "?region colour", "?region delete now", "?region rename"}) {
        run(line);
        EXPECT_EQ(colour(7), 3) << line;
        EXPECT_NE(said().find("?region"), std::string::npos) << line << ": " << said();
        EXPECT_EQ(map()->revision, revision) << line;
        EXPECT_EQ(edit_undo_count(map()), 1u) << line;
    }
}

TEST_F(RegionCommands, EachChangeIsOneStepAndTheListFollows) {
    run("?region new Landing zone");
    ASSERT_NE(app().doc.selected_region, nullptr);
    EXPECT_STREQ(region_name(app().doc.selected_region), "Landing zone");
    EXPECT_EQ(app().regionlist.cursor, 1);
    const char* lines[] = {"?region base on", "?region autowarp 512 -3 duel",
                           "?region colour #80ff10", "?region noweapons on", "?region rename Pad"};
    for (uint32_t i = 0; i < 5; ++i) {
        run(lines[i]);
        EXPECT_EQ(colour(7), 1) << lines[i];
        EXPECT_EQ(edit_undo_count(map()), i + 2) << lines[i];
    }
    ASSERT_EQ(regionlist_count(), 2);
    RegionListRow listed = regionlist_row(1);
    EXPECT_STREQ(listed.name, "Pad");
    EXPECT_STREQ(listed.tag, "BWN");
    EXPECT_TRUE(listed.has_colour);
    EXPECT_EQ(listed.rgb[0] << 16 | listed.rgb[1] << 8 | listed.rgb[2], 0x80FF10);
    run("?region");
    EXPECT_EQ(row(7), "region Pad: no cells, base, noweapons, autowarp 512,-3 duel, colour 80FF10");
    run("?region base on"); // already so: nothing to undo
    EXPECT_EQ(edit_undo_count(map()), 6u);
    run("?region delete");
    EXPECT_EQ(app().doc.selected_region, nullptr);
    EXPECT_EQ(regionlist_count(), 1);
    const char* label = nullptr;
    ASSERT_EQ(edit_undo(map(), &label), 1);
    EXPECT_STREQ(label, "?region delete");
    regionlist_sync();
    EXPECT_EQ(regionlist_count(), 2);
    // Undoing the region's making takes it out of the map, and out of the selection.
    run("?region new Gone");
    ASSERT_NE(app().doc.selected_region, nullptr);
    editor_undo();
    EXPECT_EQ(app().doc.selected_region, nullptr);
}

TEST_F(RegionCommands, RegionBrushWithoutARegionSaysHowToMakeOneOncePerPress) {
    app().selected_tile = TILE_REGION_BRUSH;
    editor_mouse(0, MOUSE_LEFT, 5, 3);
    editor_mouse(0, MOUSE_LEFT, 6, 3);
    EXPECT_EQ(row(7), "select a region first, or create one: ?region new NAME");
    EXPECT_EQ(colour(7), 3);
    EXPECT_NE(row(6), row(7));
    editor_mouse(0, 0, 6, 3);
    run("?region new Door");
    editor_mouse(0, MOUSE_LEFT, 7, 3);
    editor_mouse(0, 0, 7, 3);
    EXPECT_TRUE(region_contains(app().doc.selected_region, 7, 3));
    EXPECT_EQ(edit_undo_count(map()), 2u);
}

} // namespace
