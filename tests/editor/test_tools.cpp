// test_tools.cpp - the editing tools through the editor's own mouse and key calls: strokes
// without gaps, Shift + drag selection, copy and paste that follows the pointer, Delete, flood
// fill, and the typed tools.
#include "editor/editor_loop.h"
#include "editor/editor_mouse.h"
#include "editor/editor_tools.h"
#include "editor_fixture.h"
#include "map/lvl/level.h"
#include "map/edit/clipboard.h"
#include "map/edit/edit.h"

namespace {

constexpr int32_t kCtrl = 0x40, kShift = 0x01;

class Tools : public EditorFixture {
  protected:
    void SetUp() override {
        EditorFixture::SetUp();
        editor_tools_free();
    }
    void TearDown() override {
        editor_tools_free();
        EditorFixture::TearDown();
    }
    int tile(int x, int y) { return mapdata_get_tile(map(), x, y); }
    void command(const char* line) {
        type(line);
        enter();
    }
};

TEST_F(Tools, StrokesFillTheCellsBetweenPolledPositions) {
    app().selected_tile = 5;
    editor_mouse(0, MOUSE_LEFT, 10, 10);
    editor_mouse(0, MOUSE_LEFT, 16, 13); // one step later, six cells on
    // Every column between holds exactly one painted cell: no gaps, no thick spots.
    for (int x = 10; x <= 16; ++x) {
        int painted = 0;
        for (int y = 9; y <= 14; ++y)
            painted += tile(x, y) == 5;
        EXPECT_EQ(painted, 1) << "column " << x;
    }
    editor_mouse(0, 0, 16, 13);
    // The repeat rule paces a held button only: a new press edits the cell the last one ended on.
    edit_paint(map(), 16, 13, 1);
    editor_mouse(0, MOUSE_LEFT, 16, 13);
    EXPECT_EQ(tile(16, 13), 5);
    editor_mouse(0, 0, 16, 13);
    editor_mouse(0, MOUSE_MIDDLE, 10, 10);
    editor_mouse(0, MOUSE_MIDDLE, 13, 10);
    EXPECT_EQ(tile(10, 10) + tile(11, 10) + tile(12, 10), 0);
}

TEST_F(Tools, ShiftDragCopyAndAPasteThatFollowsThePointer) {
    edit_paint(map(), 3, 3, 7);
    edit_paint(map(), 4, 4, 217);
    editor_mouse(kShift, MOUSE_LEFT, 2, 2);
    editor_mouse(0, MOUSE_LEFT, 6, 5); // Shift may go once the drag has begun
    editor_mouse(0, 0, 6, 5);
    EXPECT_EQ(app().doc.selection.x * 1000 + app().doc.selection.y, 2002);
    EXPECT_EQ(app().doc.selection.w * 1000 + app().doc.selection.h, 5004);
    EXPECT_EQ(tile(6, 5), 0); // the drag painted nothing
    editor_key('c', kCtrl);
    // Another map, as "?go" opens one: the clipboard outlives the map it came from, the
    // selection does not.
    editor_open_document(document_make(mapdata_load(""), ""));
    ASSERT_EQ(tile(3, 3), 0);
    EXPECT_EQ(app().doc.selection.shown, 0);
    edit_paint(map(), 20, 20, 9); // under an empty cell of the piece
    editor_key('v', kCtrl);
    ASSERT_EQ(app().doc.pasting, 1);
    uint32_t steps = edit_undo_count(map());
    editor_mouse(0, MOUSE_LEFT, 22, 21);  // the 5 x 4 piece centred here covers (20, 20) on
    editor_mouse(0, MOUSE_LEFT, 25, 20); // still held: no second piece, no paint
    editor_mouse(0, 0, 25, 20);
    EXPECT_EQ(edit_undo_count(map()) - steps, 1u);
    EXPECT_EQ(tile(21, 21), 7);
    EXPECT_EQ(tile(22, 22), 217);
    EXPECT_EQ(tile(23, 23), 250);
    EXPECT_EQ(tile(26, 21), 0);
    EXPECT_EQ(tile(20, 20), 9); // the piece's empty cells keep what was there
    // A short right click ends the paste, the next one drops the selection.
    editor_key('a', kCtrl);
    for (int selection : {1, 0}) {
        editor_mouse(0, MOUSE_RIGHT, 25, 20);
        editor_mouse(0, 0, 25, 20);
        EXPECT_EQ(std::pair(app().doc.pasting, app().doc.selection.shown), std::pair(0, selection));
    }
}

TEST_F(Tools, KeysAndTypedToolsEachMakeOneStep) {
    app().selected_tile = 3;
    struct Case {
        const char* line;
        const char* reply;
        int x, y, want;
    };
    const Case cases[] = {
        {"?line 0 0 10 5", "line: 11 cells", 10, 5, 3},
        {"?rect 20 20 24 23", "rectangle: 14 cells", 24, 22, 3},
        {"?rect 30,30,31,31 filled", "rectangle: 4 cells", 31, 31, 3},
        {"?line 0 0 1024 5", nullptr, 0, 0, 3}, // off the map: refused
        {"?rect 0 0 1024 5", nullptr, 0, 0, 3}, // refused too, not cut to the map
    };
    for (const Case& c : cases) {
        uint32_t steps = edit_undo_count(map());
        command(c.line);
        EXPECT_TRUE(!c.reply || row(7) == c.reply) << c.line;
        EXPECT_EQ(edit_undo_count(map()) - steps, c.reply ? 1u : 0u) << c.line;
        EXPECT_EQ(tile(c.x, c.y), c.want) << c.line;
    }
    EXPECT_EQ(tile(22, 22), 0); // inside the outline
    // Flood fill inside the outline stays inside it; Delete clears the selection.
    app().hover = {22, 21};
    app().selected_tile = 9;
    editor_key('f', kCtrl);
    EXPECT_EQ(row(7), "flood fill: 6 cells");
    EXPECT_EQ(tile(23, 22), 9);
    EXPECT_EQ(tile(25, 22), 0);
    editor_key('a', kCtrl);
    editor_key(KEY_DELETE, 0);
    EXPECT_EQ(tile(23, 22) + tile(24, 22) + tile(10, 5), 0);
}

// The typed tools: "?flip h|v" and "?rotate" turn the clipboard's piece, "?copyregions"
// decides whether a copy carries the selected region's cells, "?fill" and "?fill border"
// write the brush into the selection.
TEST_F(Tools, TypedToolsTurnThePieceAndFillTheSelection) {
    for (int i = 0; i < 6; ++i) // 1 2 3 over 4 5 6
        edit_paint(map(), 40 + i % 3, 40 + i / 3, i + 1);
    app().doc.selected_region = add_region_at(map(), "Base", 40);
    const auto select = [](int x0, int y0, int x1, int y1) {
        editor_mouse(kShift, MOUSE_LEFT, x0, y0);
        editor_mouse(0, MOUSE_LEFT, x1, y1);
        editor_mouse(0, 0, x1, y1);
    };
    select(40, 40, 42, 41);
    command("?copyregions off");
    editor_key('c', kCtrl);
    EXPECT_TRUE(app().tools.clipboard->region.empty());
    command("?copyregions on");
    editor_key('c', kCtrl);
    EXPECT_EQ(app().tools.clipboard->region.size(), 6u);
    const auto rows = [] { // the piece row by row
        const ClipPiece& p = *app().tools.clipboard;
        std::vector<std::vector<int>> out(p.height);
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                out[y].push_back(p.tiles[x * p.height + y]);
        return out;
    };
    using Rows = std::vector<std::vector<int>>;
    command("?flip h");
    EXPECT_EQ(rows(), (Rows{{3, 2, 1}, {6, 5, 4}}));
    command("?flip v");
    EXPECT_EQ(rows(), (Rows{{6, 5, 4}, {3, 2, 1}}));
    command("?rotate");
    EXPECT_EQ(rows(), (Rows{{3, 6}, {2, 5}, {1, 4}}));
    select(50, 50, 53, 52);
    app().selected_tile = 9;
    command("?fill border");
    EXPECT_EQ(std::pair(tile(50, 50) + tile(53, 52), tile(51, 51)), std::pair(18, 0));
    command("?fill");
    EXPECT_EQ(tile(51, 51) + tile(52, 51), 18);
}

} // namespace
