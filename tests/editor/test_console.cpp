// The console's history, wrapping, input line editing and width limits.
#include "editor_fixture.h"

#include <vector>

namespace {

using Console = EditorFixture;

TEST_F(Console, HistoryKeepsEightRowsAndWrapsAtTheWindowWidth) {
    EXPECT_EQ(std::pair(row(7), app().console.width),
              std::pair(std::string("now viewing <default>"), 80));
    console_print(app().console, 4, "%s", std::string(200, 'x').c_str());
    EXPECT_EQ(std::vector<std::string>({row(4), row(5), row(6), row(7)}),
              std::vector<std::string>({"now viewing <default>", std::string(80, 'x'),
                                        std::string(80, 'x'), std::string(40, 'x')}));
    EXPECT_EQ(colour(5) + colour(7), 8);
    for (int i = 0; i < 9; ++i)
        console_print(app().console, 1, "m%d", i);
    console_print(app().console, 1, "%s", ""); // empty messages change nothing
    EXPECT_EQ(std::pair(row(0), row(7)), std::pair(std::string("m1"), std::string("m8")));
    console_print(app().console, 1, "%s", std::string(500, 'y').c_str()); // cut to 239, then split
    EXPECT_EQ(row(7), std::string(79, 'y'));
    // A wide window holds rows to 239 characters; the width stays that of start-up.
    console_shutdown();
    console_init(app().console, 2400, "<default>");
    console_print(app().console, 1, "%s", std::string(300, 'w').c_str());
    EXPECT_EQ(row(7), std::string(239, 'w'));
}

TEST_F(Console, TypingShiftCapsBackspaceAndReturn) {
    type(" "); // a leading space is not taken
    type("a"); // nor a line that does not begin with "?": the letter chose a tool
    type("?a b");
    // Shift (either side) maps to the shifted character; Caps Lock changes letters only.
    for (auto [key, mods] : {std::pair{'1', 0x0001},
                             {'a', 0x0002},
                             {'/', 0x0001},
                             {'a', 0x2000},
                             {'1', 0x2000},
                             {'{', 0}})
        editor_key(key, mods);
    editor_key(KEY_UP, 0); // keys the editor takes never reach the line
    EXPECT_STREQ(app().console.input, "?a b!A?A1");
    editor_key(8, 0);
    EXPECT_STREQ(app().console.input, "?a b!A?A");
    editor_key(8, 0x0040); // Ctrl + Backspace empties the line
    EXPECT_STREQ(app().console.input, "");
    enter(); // an empty line runs nothing
    EXPECT_EQ(row(7), "now viewing <default>");
    type(("?" + std::string(240, 'k')).c_str()); // the line stops at 239
    EXPECT_EQ(std::strlen(app().console.input), 239u);
    enter();
    EXPECT_EQ(colour(7), 3); // no such command
    EXPECT_STREQ(app().console.input, "");
}

TEST_F(Console, WordWrapScrollbackAndRecall) {
    console_print(app().console, 1, "ab %s", std::string(78, 'x').c_str()); // the word goes whole to row 7
    EXPECT_EQ(std::pair(row(6), row(7)), std::pair(std::string("ab "), std::string(78, 'x')));
    for (int i = 0; i < 600; ++i)
        console_print(app().console, 1, "m%d", i);
    console_scroll(app().console, 1000); // stops at the oldest of the rows kept
    EXPECT_EQ(app().console.back, kConsoleKeep - 1);
    console_print(app().console, 1, "new"); // scrolled back, the view keeps its rows
    EXPECT_EQ(app().console.back, kConsoleKeep - 1);
    type("?settile 5");
    enter();
    EXPECT_EQ(app().console.back, 0); // running a line shows the newest rows
    for (int i = 0; i < 2; ++i) { // a line run twice in a row is recalled once
        type("?settile 7");
        enter();
    }
    type("?");
    editor_key(KEY_PAGE_UP, 0); // a begun line takes the page keys
    EXPECT_EQ(app().console.back, 4);
    std::vector<std::string> seen;
    for (int key : {KEY_UP, KEY_UP, KEY_UP, KEY_DOWN, KEY_DOWN}) {
        editor_key(key, 0);
        seen.push_back(app().console.input);
    }
    EXPECT_EQ(seen, std::vector<std::string>(
                        {"?settile 7", "?settile 5", "?settile 5", "?settile 7", ""}));
}

} // namespace
