// test_helpviewer.cpp - help file pages, line pieces, colour codes and the drawn page.
#include <fstream>

#include "render/draw.h"
#include "render/helpviewer.h"
#include "render_fixture.h"

namespace fs = std::filesystem;

class HelpViewerTest : public RenderTest {
  protected:
    void SetUp() override {
        path_ = fs::temp_directory_path() / ("ostrel-help-" + std::to_string(getpid()) + ".hlp");
        g_help = HelpState{};
    }
    void TearDown() override {
        helpviewer_release();
        fs::remove(path_);
        RenderTest::TearDown();
    }
    void load(const std::string& text) {
        std::ofstream(path_, std::ios::binary) << text;
        helpviewer_load(path_.c_str());
    }
    fs::path path_;
};

TEST_F(HelpViewerTest, ColourCodesAndVisibleLengths) {
    EXPECT_EQ(helpviewer_visible_length("%G%Yab"), 2);
    EXPECT_EQ(helpviewer_visible_length("100%"), 4);
    EXPECT_EQ(helpviewer_visible_length("%q"), 2);
    const char letters[] = "WGBbxYPOp";
    const int colours[] = {0, 1, 2, 2, 3, 4, 5, 6, 7};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(helpviewer_colour_code(letters[i]), colours[i]) << letters[i];
    for (int letter : {int{'q'}, int{'X'}, int{'y'}, 0, int{'%'}})
        EXPECT_EQ(helpviewer_colour_code(letter), -1) << letter;
}

TEST_F(HelpViewerTest, PagesStartAtHashLinesAndEarlierLinesBelongToNone) {
    load("intro\n#first\nmore\n#second\n");
    EXPECT_EQ(helpviewer_page_count(), 2);
    ASSERT_EQ(g_help.line_count, 4);
    EXPECT_STREQ(g_help.lines[1].text, "first");
    const int pages[] = {-1, 0, 0, 1};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(g_help.lines[i].page, pages[i]) << i;
    load("no pages\nhere\n");
    EXPECT_EQ(helpviewer_page_count(), 0);
    EXPECT_EQ(g_help.lines[1].page, -1);
}

TEST_F(HelpViewerTest, LongLinesArriveIn89CharacterPieces) {
    load("#" + std::string(199, 'a') + "\n" + std::string(200, 'z') + "\n" + std::string(89, 'b') +
         "\nc\r\n");
    ASSERT_EQ(g_help.line_count, 9);
    EXPECT_EQ(std::string(g_help.lines[0].text), std::string(88, 'a')); // the '#' was the 89th
    EXPECT_EQ(std::string(g_help.lines[1].text), std::string(89, 'a'));
    EXPECT_EQ(std::string(g_help.lines[2].text), std::string(22, 'a'));
    // 200 characters become 89, 89 and 22.
    const int lengths[] = {89, 89, 22};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(g_help.lines[3 + i].visible_length, lengths[i]) << i;
    // A line of exactly 89 leaves an empty piece behind it.
    EXPECT_EQ(std::string(g_help.lines[6].text), std::string(89, 'b'));
    EXPECT_STREQ(g_help.lines[7].text, "");
    EXPECT_STREQ(g_help.lines[8].text, "c");
}

TEST_F(HelpViewerTest, MissingFileLogsAndLeavesNoPages) {
    load("#a\n");
    testing::internal::CaptureStderr();
    helpviewer_load("/nonexistent/Commands.hlp");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "E <helpviewer> couldn't open help file: '/nonexistent/Commands.hlp'\n");
    EXPECT_EQ(helpviewer_page_count(), 0);
    EXPECT_EQ(g_help.line_count, 0);
    helpviewer_draw_page(0); // nothing to draw, no window needed
    helpviewer_release();
    helpviewer_release();
    EXPECT_EQ(g_help.lines, nullptr);
}

TEST_F(HelpViewerTest, PageBoxSizeAndColoursCarryWithinAPageOnly) {
    open_window();
    const uint32_t white = rgb(g_gfx.screen, 255, 255, 255);
    SDL_FillRect(g_gfx.screen, nullptr, white);
    load("#abc\n%Pde\n#xy\n%G%Yab\n100%\n%q\n#one%x\ntwo\n#%YCommands\n");
    EXPECT_EQ(helpviewer_page_count(), 4);
    helpviewer_draw_page(4); // out of range: nothing drawn
    helpviewer_draw_page(-1);
    EXPECT_EQ(read_pixel(g_gfx.screen, 2, 2), white);
    helpviewer_draw_page(0);
    const uint32_t grey = gfx_map_colour(COLOUR_GREY);
    // 34 x 26 at (2, 2).
    EXPECT_TRUE(block_is(g_gfx.screen, 2, 2, 34, 1, grey));
    EXPECT_TRUE(block_is(g_gfx.screen, 2, 27, 34, 1, grey));
    EXPECT_TRUE(block_is(g_gfx.screen, 35, 2, 1, 26, grey));
    EXPECT_NE(read_pixel(g_gfx.screen, 36, 2), grey);
    EXPECT_NE(read_pixel(g_gfx.screen, 2, 28), grey);
    EXPECT_TRUE(shows_glyph(6, 6, 'a', COLOUR_GREEN));
    EXPECT_TRUE(shows_glyph(22, 6, 'c', COLOUR_GREEN));
    EXPECT_TRUE(shows_glyph(6, 14, 'd', COLOUR_PURPLE));
    EXPECT_TRUE(shows_glyph(14, 14, 'e', COLOUR_PURPLE));
    EXPECT_EQ(read_pixel(g_gfx.screen, 30, 20), 0u); // inside the box, cleared

    helpviewer_draw_page(1);
    EXPECT_TRUE(shows_glyph(6, 6, 'x', COLOUR_GREEN));
    EXPECT_TRUE(shows_glyph(6, 14, 'a', COLOUR_YELLOW));
    EXPECT_TRUE(shows_glyph(14, 14, 'b', COLOUR_YELLOW));
    // '100%' and '%q' are shown as they are, still yellow.
    EXPECT_TRUE(shows_glyph(30, 22, '%', COLOUR_YELLOW));
    EXPECT_TRUE(shows_glyph(6, 30, '%', COLOUR_YELLOW));
    EXPECT_TRUE(shows_glyph(14, 30, 'q', COLOUR_YELLOW));

    // A code at the end of a line colours the next lines.
    helpviewer_draw_page(2);
    EXPECT_TRUE(shows_glyph(6, 6, 'o', COLOUR_GREEN));
    EXPECT_TRUE(shows_glyph(6, 14, 't', COLOUR_RED));
    EXPECT_EQ(g_help.lines[6].visible_length, 3);
    // A code right after the '#' colours the title.
    helpviewer_draw_page(3);
    EXPECT_TRUE(shows_glyph(6, 6, 'C', COLOUR_YELLOW));
    EXPECT_TRUE(shows_glyph(6 + 7 * 8, 6, 's', COLOUR_YELLOW));
}

TEST_F(HelpViewerTest, GeneratedHelpFileHasSeveralPagesWithinTheLineLimit) {
    helpviewer_load(OSTREL_RUN_DIR "/Commands.hlp");
    EXPECT_GE(helpviewer_page_count(), 3);
    std::ifstream file(OSTREL_RUN_DIR "/Commands.hlp");
    std::string line;
    while (std::getline(file, line))
        EXPECT_LE(line.size(), 89u) << line;
}
