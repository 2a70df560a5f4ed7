// Undo and redo from the editor: strokes as steps, the keys, the commands and their lines.
#include "editor/commands/commands.h"
#include "editor/editor_mouse.h"
#include "editor_fixture.h"
#include "map/edit/edit.h"
#include "map/lvl/level.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

class Undo : public EditorFixture {
  protected:
    std::vector<uint8_t> saved() {
        std::vector<uint8_t> bytes;
        mapdata_save_bytes(map(), &bytes);
        return bytes;
    }
    static void release() { editor_mouse(0, 0, 0, 0); }
};

TEST_F(Undo, StrokesAreStepsAndKeysAndCommandsWalkThem) {
    const std::vector<uint8_t> untouched = saved();
    app().selected_tile = 5;
    for (int x : {3, 4, 4, 5}) // a stroke of three cells
        editor_mouse(0, MOUSE_LEFT, x, 3);
    release();
    for (int x : {4, 5})
        editor_mouse(0, MOUSE_MIDDLE, x, 3);
    release();
    app().selected_tile = 219; // an object on the painted cell
    editor_mouse(0, MOUSE_LEFT, 3, 3);
    release();
    EXPECT_EQ(edit_undo_count(map()), 3u);
    EXPECT_TRUE(document_modified(app().doc));

    const struct {
        int key;
        int32_t mods;
        const char* line;
    } walk[] = {
        {'z', MOD_CTRL, "undo: stroke of 1 cell"},  {'z', MOD_CTRL, "undo: stroke of 2 cells"},
        {'y', MOD_CTRL, "redo: stroke of 2 cells"}, {'z', 0x41, "redo: stroke of 1 cell"},
        {'z', 0x80, "undo: stroke of 1 cell"},      {'z', MOD_CTRL, "undo: stroke of 2 cells"},
        {'z', MOD_CTRL, "undo: stroke of 3 cells"}, {'z', MOD_CTRL, "nothing to undo"},
    };
    for (const auto& step : walk) {
        editor_key(step.key, step.mods);
        EXPECT_EQ(row(7), step.line);
        EXPECT_EQ(colour(7), 1);
    }
    EXPECT_EQ(app().console.input[0], '\0'); // Ctrl letters are not typed
    EXPECT_EQ(saved(), untouched);
    EXPECT_FALSE(document_modified(app().doc));
    console_command("?redo");
    EXPECT_EQ(row(7), "redo: stroke of 3 cells");
    EXPECT_EQ(mapdata_get_tile(map(), 4, 3), 5);
    // A new step drops what could be redone.
    console_command("?insattr NAME=x");
    console_command("?redo");
    EXPECT_EQ(row(7), "nothing to redo");
    console_command("?undo");
    EXPECT_EQ(row(7), "undo: ?insattr NAME");
    EXPECT_EQ(map()->attributes ? hash_get(map()->attributes, "name") : nullptr, nullptr);
    console_command("?tileset none"); // the tileset goes and comes back whole
    ASSERT_TRUE(map()->tileset_placeholder);
    console_command("?undo");
    EXPECT_EQ(row(7), "undo: ?tileset none");
    EXPECT_FALSE(map()->tileset_placeholder);
    EXPECT_NE(map()->tileset, nullptr);
    // Another map starts with an empty history.
    std::string path = testing::TempDir() + "ostrel-undo.lvl";
    console_command(("?save " + path).c_str());
    console_command(("?go " + path).c_str());
    console_command("?undo");
    EXPECT_EQ(row(7), "nothing to undo");
    std::remove(path.c_str());
}

TEST_F(Undo, AStrokeHeldDuringUndoEndsFirstAndTheRegionBrushIsOneStep) {
    Region* a = add_region(map(), "A");
    Region* b = add_region(map(), "B");
    for (auto [region, x] : {std::pair{a, 7}, {b, 7}, {b, 8}})
        region_add_tile(region, x, 0);
    regionlist_rebuild();
    app().doc.selected_region = a;
    app().selected_tile = TILE_REGION_BRUSH;
    for (int x : {7, 8, 9}) // already in A at 7; into A at 8 and 9
        editor_mouse(0, MOUSE_LEFT, x, 0);
    EXPECT_TRUE(region_contains(a, 7, 0) && region_contains(a, 9, 0));
    EXPECT_TRUE(region_contains(b, 8, 0)); // the cell stays in the other region
    editor_key('z', MOD_CTRL);             // the button is still held
    EXPECT_EQ(row(7), "undo: stroke of 3 cells");
    for (int x : {7, 8, 9})
        EXPECT_EQ(region_contains(a, x, 0), x == 7) << x;
    EXPECT_TRUE(region_contains(b, 8, 0));
}

} // namespace
