// The console's history, wrapping, input line editing and width limits.
#include "editor_fixture.h"

namespace {

using Console = EditorFixture;

TEST_F(Console, StartsWithTheMapNameAndWrapsLongMessages) {
    EXPECT_EQ(row(7), "now viewing <default>");
    EXPECT_EQ(console_width(), 80);

    console_print(4, "%s", std::string(200, 'x').c_str());
    EXPECT_EQ(row(5), std::string(80, 'x'));
    EXPECT_EQ(row(6), std::string(80, 'x'));
    EXPECT_EQ(row(7), std::string(40, 'x'));
    EXPECT_EQ(colour(5), 4);
    EXPECT_EQ(colour(7), 4);
    EXPECT_EQ(row(4), "now viewing <default>");

    // Nine one-row messages leave the last eight; empty messages change nothing.
    for (int i = 0; i < 9; ++i)
        console_print(1, "m%d", i);
    console_print(1, "%s", "");
    EXPECT_EQ(row(0), "m1");
    EXPECT_EQ(row(7), "m8");

    // Messages past 239 characters are cut before they are split.
    console_print(1, "%s", std::string(500, 'y').c_str());
    EXPECT_EQ(row(7), std::string(79, 'y'));
    EXPECT_EQ(row(6), std::string(80, 'y'));
}

TEST_F(Console, TypingShiftCapsAndBackspace) {
    type(" ");
    EXPECT_STREQ(console_input(), "");
    type("a b");
    EXPECT_STREQ(console_input(), "a b");
    // Shift (either side) maps to the shifted character; Caps Lock changes letters only.
    for (auto [key, mods] : {std::pair{'1', 0x0001},
                             {'a', 0x0002},
                             {'`', 0x0001},
                             {'/', 0x0001},
                             {'a', 0x2000},
                             {'1', 0x2000}})
        editor_key(key, mods);
    EXPECT_STREQ(console_input(), "a b!A`?A1");
    // Keys outside space..z, and keys the editor takes, never reach the line.
    for (int key : std::initializer_list<int>{'{', KEY_UP, KEY_F3})
        editor_key(key, 0);
    EXPECT_STREQ(console_input(), "a b!A`?A1");
    editor_key(8, 0);
    EXPECT_STREQ(console_input(), "a b!A`?A");
    editor_key(8, 0x0040);
    EXPECT_STREQ(console_input(), "");
    editor_key(8, 0);
    EXPECT_STREQ(console_input(), "");
    // Return on an empty line runs nothing.
    enter();
    EXPECT_EQ(row(7), "now viewing <default>");
}

TEST_F(Console, InputStopsAt239Characters) {
    type(std::string(239, 'k').c_str());
    type("z");
    EXPECT_EQ(std::strlen(console_input()), 239u);
    editor_key(8, 0);
    EXPECT_EQ(std::strlen(console_input()), 238u);
    enter();
    EXPECT_EQ(row(7), std::string(78, 'k'));
    EXPECT_EQ(colour(7), 2);
    EXPECT_STREQ(console_input(), "");
}

TEST_F(Console, WideWindowsKeepRowsWithin239Characters) {
    console_shutdown();
    g_editor.screen_width = 2400;
    console_init();
    EXPECT_EQ(console_width(), 239);
    console_print(1, "%s", std::string(300, 'w').c_str());
    for (int k = 0; k < 8; ++k)
        EXPECT_LE(std::strlen(console_row(k)->text), 239u);
    EXPECT_EQ(row(7), std::string(239, 'w'));
    // The width stays that of start-up when the window changes.
    g_editor.screen_width = 320;
    console_print(1, "%s", std::string(100, 'v').c_str());
    EXPECT_EQ(row(7), std::string(100, 'v'));
}

} // namespace
