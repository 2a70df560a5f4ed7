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
    bool shows(int x, int y, char ch, int band) {
        return same_block(g_gfx.screen, x, y, g_gfx.font, (ch - 32) % 48 * 8,
                          ((ch - 32) / 48 + 2 * band) * 8, 8, 8);
    }
    fs::path path_;
};

TEST_F(HelpViewerTest, ColourCodesAndVisibleLengths) {
    EXPECT_EQ(helpviewer_visible_length("%G%Yab"), 2);
    EXPECT_EQ(helpviewer_visible_length("100%"), 4);
    EXPECT_EQ(helpviewer_visible_length("%q"), 2);
    EXPECT_EQ(helpviewer_visible_length(""), 0);
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
    EXPECT_EQ(g_help.lines[0].page, -1);
    EXPECT_STREQ(g_help.lines[1].text, "first");
    EXPECT_EQ(g_help.lines[1].page, 0);
    EXPECT_EQ(g_help.lines[2].page, 0);
    EXPECT_EQ(g_help.lines[3].page, 1);

    load("no pages\nhere\n");
    EXPECT_EQ(helpviewer_page_count(), 0);
    EXPECT_EQ(g_help.line_count, 2);
    EXPECT_EQ(g_help.lines[1].page, -1);
}

TEST_F(HelpViewerTest, LongLinesArriveIn89CharacterPieces) {
    load("#" + std::string(199, 'a') + "\n" + std::string(89, 'b') + "\nc\r\n");
    ASSERT_EQ(g_help.line_count, 6);
    EXPECT_EQ(std::string(g_help.lines[0].text), std::string(88, 'a')); // the '#' was the 89th
    EXPECT_EQ(std::string(g_help.lines[1].text), std::string(89, 'a'));
    EXPECT_EQ(std::string(g_help.lines[2].text), std::string(22, 'a'));
    EXPECT_EQ(std::string(g_help.lines[3].text), std::string(89, 'b'));
    EXPECT_STREQ(g_help.lines[4].text, "");
    EXPECT_STREQ(g_help.lines[5].text, "c");
    EXPECT_EQ(g_help.lines[2].visible_length, 22);
}

TEST_F(HelpViewerTest, A200CharacterLineBecomesThreeLines) {
    load("#\n" + std::string(200, 'z') + "\n");
    ASSERT_EQ(g_help.line_count, 4);
    EXPECT_EQ(g_help.lines[1].visible_length, 89);
    EXPECT_EQ(g_help.lines[2].visible_length, 89);
    EXPECT_EQ(g_help.lines[3].visible_length, 22);
}

TEST_F(HelpViewerTest, MissingFileLogsAndLeavesNoPages) {
    testing::internal::CaptureStderr();
    helpviewer_load("/nonexistent/Commands.hlp");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "E <helpviewer> couldn't open help file: '/nonexistent/Commands.hlp'\n");
    EXPECT_EQ(helpviewer_page_count(), 0);
    EXPECT_EQ(g_help.line_count, 0);
    helpviewer_draw_page(0); // nothing to draw, no window needed
}

TEST_F(HelpViewerTest, ReleaseIsHarmlessTwice) {
    load("#a\n");
    helpviewer_release();
    helpviewer_release();
    EXPECT_EQ(g_help.capacity, 0);
    EXPECT_EQ(g_help.lines, nullptr);
    EXPECT_EQ(helpviewer_page_count(), 0);
}

TEST_F(HelpViewerTest, ManyLinesGrowTheStore) {
    std::string text = "#p\n";
    for (int i = 0; i < 100; ++i)
        text += "line " + std::to_string(i) + "\n";
    load(text);
    ASSERT_EQ(g_help.line_count, 101);
    EXPECT_GE(g_help.capacity, 101);
    EXPECT_STREQ(g_help.lines[100].text, "line 99");
}

TEST_F(HelpViewerTest, OneCodedTitleLineShowsInYellow) {
    open_window();
    load("#%YCommands\n");
    EXPECT_EQ(helpviewer_page_count(), 1);
    helpviewer_draw_page(0);
    EXPECT_TRUE(shows(6, 6, 'C', COLOUR_YELLOW));
    EXPECT_TRUE(shows(6 + 7 * 8, 6, 's', COLOUR_YELLOW));
}

TEST_F(HelpViewerTest, PageBoxSizeAndColoursCarryWithinAPageOnly) {
    open_window();
    SDL_FillRect(g_gfx.screen, nullptr, rgb(g_gfx.screen, 255, 255, 255));
    load("#abc\n%Pde\n#xy\n%G%Yab\n100%\n%q\n");
    helpviewer_draw_page(0);
    const uint32_t grey = gfx_map_colour(COLOUR_GREY);
    // 34 x 26 at (2, 2).
    EXPECT_TRUE(block_is(g_gfx.screen, 2, 2, 34, 1, grey));
    EXPECT_TRUE(block_is(g_gfx.screen, 2, 27, 34, 1, grey));
    EXPECT_TRUE(block_is(g_gfx.screen, 35, 2, 1, 26, grey));
    EXPECT_NE(read_pixel(g_gfx.screen, 36, 2), grey);
    EXPECT_NE(read_pixel(g_gfx.screen, 2, 28), grey);
    EXPECT_TRUE(shows(6, 6, 'a', COLOUR_GREEN));
    EXPECT_TRUE(shows(22, 6, 'c', COLOUR_GREEN));
    EXPECT_TRUE(shows(6, 14, 'd', COLOUR_PURPLE));
    EXPECT_TRUE(shows(14, 14, 'e', COLOUR_PURPLE));
    EXPECT_EQ(read_pixel(g_gfx.screen, 30, 20), 0u); // inside the box, cleared

    helpviewer_draw_page(1);
    EXPECT_TRUE(shows(6, 6, 'x', COLOUR_GREEN));
    EXPECT_TRUE(shows(6, 14, 'a', COLOUR_YELLOW));
    EXPECT_TRUE(shows(14, 14, 'b', COLOUR_YELLOW));
    // '100%' and '%q' are shown as they are, still yellow.
    EXPECT_TRUE(shows(30, 22, '%', COLOUR_YELLOW));
    EXPECT_TRUE(shows(6, 30, '%', COLOUR_YELLOW));
    EXPECT_TRUE(shows(14, 30, 'q', COLOUR_YELLOW));
}

TEST_F(HelpViewerTest, CodeAtTheEndOfALineColoursTheNextLines) {
    open_window();
    load("#one%x\ntwo\n");
    helpviewer_draw_page(0);
    EXPECT_TRUE(shows(6, 6, 'o', COLOUR_GREEN));
    EXPECT_TRUE(shows(6, 14, 't', COLOUR_RED));
    EXPECT_EQ(g_help.lines[0].visible_length, 3);
}

TEST_F(HelpViewerTest, PageOutOfRangeDrawsNothing) {
    open_window();
    load("#only\n");
    SDL_FillRect(g_gfx.screen, nullptr, rgb(g_gfx.screen, 255, 255, 255));
    helpviewer_draw_page(1);
    helpviewer_draw_page(-1);
    EXPECT_EQ(read_pixel(g_gfx.screen, 2, 2), rgb(g_gfx.screen, 255, 255, 255));
}

TEST_F(HelpViewerTest, GeneratedHelpFileHasSeveralPagesWithinTheLineLimit) {
    load(std::string()); // reset, then read the generated file
    helpviewer_load(OSTREL_RUN_DIR "/Commands.hlp");
    EXPECT_GE(helpviewer_page_count(), 3);
    std::ifstream file(OSTREL_RUN_DIR "/Commands.hlp");
    std::string line;
    while (std::getline(file, line))
        EXPECT_LE(line.size(), 89u) << line;
}
