// The region list: entries from the map, cursor and row moves, selection and drawing text.
#include "editor_fixture.h"

namespace {

class RegionListTest : public EditorFixture {
  protected:
    int cursor() const { return g_regionlist.cursor; }
    int rows() const { return g_regionlist.rows; }
    // The cursor entry and the first entry shown.
    std::pair<int, int> place() const { return {g_regionlist.cursor, g_regionlist.top}; }
    std::string selected_name() {
        char name[32];
        regionlist_selected(name, nullptr);
        return name;
    }
};

TEST_F(RegionListTest, EntriesComeFromRegionsWithTiles) {
    EXPECT_EQ(regionlist_count(), 1);
    editor_key(KEY_PAGE_DOWN, 0);
    EXPECT_EQ(cursor(), 0);
    EXPECT_EQ(selected_name(), "New region");
    EXPECT_EQ(regionlist_selected(nullptr, nullptr), -1);
    // A rebuild drops added entries but keeps the first one and the row count.
    regionlist_set_rows(3);
    regionlist_add("zeta", nullptr);
    regionlist_rebuild();
    EXPECT_EQ(regionlist_count(), 1);
    EXPECT_EQ(rows(), 3);
    // Regions are listed with or without cells, in file order.
    add_region(map(), "alpha", false);
    add_region(map(), "beta", false);
    regionlist_rebuild();
    EXPECT_EQ(regionlist_count(), 3);
    add_region(map(), "gamma", true);
    regionlist_rebuild();
    EXPECT_EQ(regionlist_count(), 4);
}

TEST_F(RegionListTest, EachEntrySelectsItsOwnRegionAlsoWhenNamesAreEqual) {
    add_region(map(), "Door", true, {3});
    add_region(map(), "door", true, {4});
    regionlist_rebuild();
    ASSERT_EQ(regionlist_count(), 3);
    editor_key(KEY_PAGE_DOWN, 0);
    ASSERT_NE(map()->selected_region, nullptr);
    EXPECT_TRUE(region_contains(map()->selected_region, 3, 0));
    editor_key(KEY_PAGE_DOWN, 0);
    EXPECT_TRUE(region_contains(map()->selected_region, 4, 0));
    editor_key(KEY_PAGE_UP, 0);
    editor_key(KEY_PAGE_UP, 0);
    EXPECT_EQ(map()->selected_region, nullptr);
}

TEST_F(RegionListTest, PagingWithTwentyRegions) {
    for (int i = 0; i < 20; ++i)
        regionlist_add(("r" + std::to_string(i)).c_str(), nullptr);
    press(KEY_PAGE_DOWN, 6);
    EXPECT_EQ(place(), std::pair(6, 1));
    editor_key(KEY_PAGE_DOWN, 0x01);
    EXPECT_EQ(place(), std::pair(11, 6));
    editor_key(KEY_PAGE_UP, 0x02);
    EXPECT_EQ(place(), std::pair(6, 6));
    // Paging down stops at the last entry with the window ending there.
    press(KEY_PAGE_DOWN, 10, 0x01);
    EXPECT_EQ(place(), std::pair(20, 15));
    editor_key(KEY_PAGE_DOWN, 0);
    EXPECT_EQ(cursor(), 20);
}

TEST_F(RegionListTest, MenuRowKeysGrowToTheEntryCountAndShrinkTheCursorIn) {
    add_region(map(), "one", true, {1});
    for (int i = 0; i < 5; ++i)
        add_region(map(), "x" + std::to_string(i), true, {10 + i});
    regionlist_rebuild();
    ASSERT_EQ(regionlist_count(), 7);
    press(KEY_PAGE_DOWN, 5);
    ASSERT_EQ(cursor(), 5);
    g_editor.menu_open = 1;
    editor_menu_key(KEY_PAGE_UP, 0);
    EXPECT_EQ(rows(), 5);
    EXPECT_EQ(cursor(), 4);
    char name[32];
    regionlist_selected(name, nullptr);
    EXPECT_EQ(map()->selected_region, mapdata_find_region(map(), name));
    // The row count grows to the entry count and shrinks to one.
    for (auto [key, want] : {std::pair{KEY_PAGE_DOWN, 7}, {KEY_PAGE_UP, 1}}) {
        for (int i = 0; i < 10; ++i)
            editor_menu_key(key, 0);
        EXPECT_EQ(rows(), want);
    }
    EXPECT_EQ(g_editor.menu_open, 1);
}

TEST_F(RegionListTest, NamesAreCutTo31CharactersAndTerminated) {
    // A region whose name is longer than an entry can still be selected.
    std::string region_long = "a region name of forty characters, long";
    add_region(map(), region_long, true, {9});
    regionlist_rebuild();
    editor_key(KEY_PAGE_DOWN, 0);
    ASSERT_NE(map()->selected_region, nullptr);
    EXPECT_EQ(std::string(region_name(map()->selected_region)), region_long);
    EXPECT_TRUE(region_contains(map()->selected_region, 9, 0));
    std::string long_name(40, 'q');
    regionlist_add(long_name.c_str(), long_name.c_str());
    editor_key(KEY_PAGE_DOWN, 0);
    editor_key(KEY_PAGE_DOWN, 0);
    char name[32], tag[32];
    EXPECT_EQ(regionlist_selected(name, tag), 1);
    EXPECT_EQ(std::string(name), long_name.substr(0, 31));
    EXPECT_EQ(std::string(tag), long_name.substr(0, 31));
    regionlist_add(nullptr, nullptr);
    editor_key(KEY_PAGE_DOWN, 0);
    regionlist_selected(name, tag);
    EXPECT_STREQ(name, "");
    EXPECT_STREQ(tag, "");
}

} // namespace
