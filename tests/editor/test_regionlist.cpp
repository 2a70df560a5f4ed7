// The region list: entries from the map, cursor and row moves, selection and long names.
#include "editor_fixture.h"

namespace {

class RegionListTest : public EditorFixture {
  protected:
    std::pair<int, int> place() const { return {app().regionlist.cursor, app().regionlist.top}; }
    std::string selected_name() {
        char name[32];
        regionlist_selected(name, nullptr);
        return name;
    }
};

TEST_F(RegionListTest, RegionsWithOrWithoutCellsAreListedAndEachEntrySelectsItsOwn) {
    EXPECT_EQ(regionlist_selected(nullptr, nullptr), -1);
    add_region(map(), "alpha", {});
    regionlist_rebuild();
    EXPECT_EQ(regionlist_count(), 2);
    add_region_at(map(), "Door", 3);
    add_region(map(), "door");
    regionlist_rebuild();
    ASSERT_EQ(regionlist_count(), 4);
    for (int i = 0; i < 3; ++i) {
        editor_key(KEY_PAGE_DOWN, 0);
        ASSERT_NE(app().doc.selected_region, nullptr);
        EXPECT_EQ(std::string(region_name(app().doc.selected_region)), selected_name());
    }
    press(KEY_PAGE_UP, 3);
    EXPECT_EQ(app().doc.selected_region, nullptr);
    // A long name shows cut to 31 characters, and its region stays selectable.
    std::string long_name(40, 'q');
    add_region(map(), long_name);
    regionlist_sync();
    press(KEY_PAGE_DOWN, 4);
    ASSERT_NE(app().doc.selected_region, nullptr);
    EXPECT_EQ(region_name(app().doc.selected_region), long_name);
    EXPECT_EQ(selected_name(), std::string(31, 'q'));
}

TEST_F(RegionListTest, PagingAndRowCounts) {
    for (int i = 0; i < 20; ++i)
        add_region(map(), "r" + std::to_string(i));
    regionlist_rebuild();
    const struct {
        int key, mods, times, cursor, top;
    } steps[] = {{KEY_PAGE_DOWN, 0, 6, 6, 1},
                 {KEY_PAGE_DOWN, 0x01, 1, 11, 6},
                 {KEY_PAGE_UP, 0x02, 1, 6, 6},
                 {KEY_PAGE_DOWN, 0x01, 10, 20, 15},
                 {KEY_PAGE_DOWN, 0, 1, 20, 15}};
    for (const auto& s : steps) {
        press(s.key, s.times, s.mods);
        EXPECT_EQ(place(), std::pair(s.cursor, s.top)) << s.key << " x" << s.times;
    }
    // In the menu Page Up and Down change the rows shown: fewer rows pull the cursor in.
    app().menu_open = 1;
    editor_menu_key(KEY_PAGE_UP, 0);
    EXPECT_EQ(std::pair(app().regionlist.rows, app().regionlist.cursor), std::pair(5, 19));
    for (auto [key, want] : {std::pair{KEY_PAGE_DOWN, 21}, {KEY_PAGE_UP, 1}}) {
        press(key, 30);
        for (int i = 0; i < 30; ++i)
            editor_menu_key(key, 0);
        EXPECT_EQ(app().regionlist.rows, want);
    }
}

} // namespace
