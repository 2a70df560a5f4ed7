// Settings, per-map state and the recent list, in folders the XDG variables point at.
#include "editor/settings.h"
#include "editor_fixture.h"

#include <cstdlib>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class SettingsFiles : public ScratchEditor {
  protected:
    void SetUp() override {
        ScratchEditor::SetUp();
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_STATE_HOME");
        ScratchEditor::TearDown();
    }
};

TEST(Settings, TextRoundTripAndDamageLeavesThemAsTheyWere) {
    Settings s;
    s.window_width = 800;
    s.zoom = 4;
    s.brush = 251;
    s.tool = MouseTool::Rect;
    s.grid = false;
    s.console = ConsoleSize::Hidden;
    s.paste_all = true;
    Settings back;
    ASSERT_EQ(settings_parse(settings_format(s), &back), "");
    EXPECT_EQ(settings_format(back), settings_format(s));
    const std::pair<const char*, const char*> damaged[] = {
        {"zoom=2\nzoom=3\n", "line 2: zoom must be 1, 2 or 4, not 3"},
        {"# note\n\nbrush 5\n", "line 3: no key=value"},
        {"brush=256", "line 1: brush must be 0 to 255, not 256"},
        {"tool = paint", "line 1: no tool is called paint"},
        {"colour=red", "line 1: unknown key colour"},
    };
    for (const auto& [text, problem] : damaged) {
        Settings kept = back;
        EXPECT_EQ(settings_parse(text, &kept), problem);
        EXPECT_EQ(settings_format(kept), settings_format(s)) << text;
    }
}

TEST_F(SettingsFiles, KeptInTheXdgFoldersAndADamagedFileIsReported) {
    Settings s;
    s.brush = 77;
    ASSERT_EQ(settings_save(s), "");
    ASSERT_TRUE(fs::exists(dir / "config/ostrel/settings"));
    SettingsLoad load = settings_load();
    EXPECT_EQ(load.problem, "");
    EXPECT_EQ(load.settings.brush, 77);
    std::ofstream(dir / "config/ostrel/settings", std::ios::app) << "\x01\x02garbage\n";
    load = settings_load();
    EXPECT_NE(load.problem.find("line 10: no key=value; the defaults are used"), std::string::npos)
        << load.problem;
    EXPECT_EQ(load.settings.brush, 1);
}

TEST_F(SettingsFiles, MapStateFollowsTheRealPathAndRecentKeepsTen) {
    std::ofstream("a.lvl") << "x";
    fs::create_symlink("a.lvl", "link.lvl");
    MapState state;
    state.has_view = true;
    state.view_x = 800;
    state.zoom = 2;
    state.bookmark_set[2] = true;
    state.bookmark_x[2] = 1616;
    ASSERT_EQ(map_state_save("link.lvl", state), "");
    MapState back = map_state_load((dir / "a.lvl").c_str());
    EXPECT_TRUE(back.has_view && back.bookmark_set[2] && !back.bookmark_set[0]);
    EXPECT_EQ(std::tuple(back.view_x, back.zoom, back.bookmark_x[2]), std::tuple(800, 2, 1616));
    EXPECT_FALSE(map_state_load("other.lvl").has_view);
    for (int i = 0; i < 12; ++i)
        ASSERT_EQ(recent_add(("m" + std::to_string(i % 11) + ".lvl").c_str()), "");
    std::vector<std::string> recent = recent_load();
    ASSERT_EQ(recent.size(), 10u);
    EXPECT_EQ(recent[0], (fs::current_path() / "m0.lvl").string());
    EXPECT_EQ(recent[1], (fs::current_path() / "m10.lvl").string());
    EXPECT_EQ(recent[9], (fs::current_path() / "m2.lvl").string());
}

} // namespace
