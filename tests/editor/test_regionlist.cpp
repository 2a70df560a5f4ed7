// The region list: entries from the map, cursor and row moves, selection and drawing text.
#include "editor_fixture.h"

namespace {

class RegionListTest : public EditorFixture {
  protected:
    int cursor() const { return g_regionlist.cursor; }
    int top() const { return g_regionlist.top; }
    int rows() const { return g_regionlist.rows; }
    std::string selected_name() {
        char name[32];
        regionlist_selected(name, nullptr);
        return name;
    }
};

TEST_F(RegionListTest, MapWithoutRegionsListsOnlyNewRegion) {
    EXPECT_EQ(regionlist_count(), 1);
    editor_key(KEY_PAGE_DOWN, 0);
    EXPECT_EQ(cursor(), 0);
    EXPECT_EQ(selected_name(), "New region");
    EXPECT_EQ(regionlist_selected(nullptr, nullptr), -1);
}

TEST_F(RegionListTest, RegionsAreListedOnlyOnceOneCarriesTiles) {
    add_region(map(), "alpha", false);
    add_region(map(), "beta", false);
    regionlist_rebuild();
    EXPECT_EQ(regionlist_count(), 1);
    add_region(map(), "gamma", true);
    regionlist_rebuild();
    EXPECT_EQ(regionlist_count(), 4);
}

TEST_F(RegionListTest, SelectingAnEntrySelectsTheFirstRegionOfThatName) {
    add_region(map(), "Door", true, {3});
    add_region(map(), "door", true, {4});
    regionlist_rebuild();
    ASSERT_EQ(regionlist_count(), 3);
    editor_key(KEY_PAGE_DOWN, 0);
    ASSERT_NE(map()->selected_region, nullptr);
    EXPECT_TRUE(region_contains(map()->selected_region, 3, 0));
    editor_key(KEY_PAGE_DOWN, 0);
    EXPECT_TRUE(region_contains(map()->selected_region, 3, 0));
    editor_key(KEY_PAGE_UP, 0);
    editor_key(KEY_PAGE_UP, 0);
    EXPECT_EQ(map()->selected_region, nullptr);
}

TEST_F(RegionListTest, PagingWithTwentyRegions) {
    for (int i = 0; i < 20; ++i)
        regionlist_add(("r" + std::to_string(i)).c_str(), nullptr);
    for (int i = 0; i < 6; ++i)
        editor_key(KEY_PAGE_DOWN, 0);
    EXPECT_EQ(cursor(), 6);
    EXPECT_EQ(top(), 1);
    editor_key(KEY_PAGE_DOWN, 0x01);
    EXPECT_EQ(cursor(), 11);
    EXPECT_EQ(top(), 6);
    editor_key(KEY_PAGE_UP, 0x02);
    EXPECT_EQ(cursor(), 6);
    EXPECT_EQ(top(), 6);
    // Paging down stops at the last entry with the window ending there.
    for (int i = 0; i < 10; ++i)
        editor_key(KEY_PAGE_DOWN, 0x01);
    EXPECT_EQ(cursor(), 20);
    EXPECT_EQ(top(), 15);
    editor_key(KEY_PAGE_DOWN, 0);
    EXPECT_EQ(cursor(), 20);
}

TEST_F(RegionListTest, MenuRowKeysGrowToTheEntryCountAndShrinkTheCursorIn) {
    add_region(map(), "one", true, {1});
    for (int i = 0; i < 5; ++i)
        add_region(map(), "x" + std::to_string(i), true, {10 + i});
    regionlist_rebuild();
    ASSERT_EQ(regionlist_count(), 7);
    for (int i = 0; i < 5; ++i)
        editor_key(KEY_PAGE_DOWN, 0);
    ASSERT_EQ(cursor(), 5);
    g_editor.menu_open = 1;
    editor_menu_key(KEY_PAGE_UP, 0);
    EXPECT_EQ(rows(), 5);
    EXPECT_EQ(cursor(), 4);
    char name[32];
    regionlist_selected(name, nullptr);
    EXPECT_EQ(map()->selected_region, mapdata_find_region(map(), name));
    for (int i = 0; i < 10; ++i)
        editor_menu_key(KEY_PAGE_DOWN, 0);
    EXPECT_EQ(rows(), 7);
    for (int i = 0; i < 10; ++i)
        editor_menu_key(KEY_PAGE_UP, 0);
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(g_editor.menu_open, 1);
}

TEST_F(RegionListTest, NamesAreCutTo31CharactersAndTerminated) {
    std::string long_name(40, 'q');
    regionlist_add(long_name.c_str(), long_name.c_str());
    editor_key(KEY_PAGE_DOWN, 0);
    char name[32], tag[32];
    EXPECT_EQ(regionlist_selected(name, tag), 0);
    EXPECT_EQ(std::string(name), long_name.substr(0, 31));
    EXPECT_EQ(std::string(tag), long_name.substr(0, 31));
    regionlist_add(nullptr, nullptr);
    editor_key(KEY_PAGE_DOWN, 0);
    regionlist_selected(name, tag);
    EXPECT_STREQ(name, "");
    EXPECT_STREQ(tag, "");
}

TEST_F(RegionListTest, RegionsWithNamesLongerThanAnEntryCanBeSelected) {
    std::string long_name = "a region name of forty characters, long";
    add_region(map(), long_name, true, {9});
    regionlist_rebuild();
    editor_key(KEY_PAGE_DOWN, 0);
    ASSERT_NE(map()->selected_region, nullptr);
    EXPECT_EQ(std::string(region_name(map()->selected_region)), long_name);
    EXPECT_TRUE(region_contains(map()->selected_region, 9, 0));
}

TEST_F(RegionListTest, RebuildKeepsTheFirstEntryAndRows) {
    regionlist_set_rows(3);
    regionlist_add("zeta", nullptr);
    regionlist_rebuild();
    EXPECT_EQ(regionlist_count(), 1);
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(selected_name(), "New region");
}

} // namespace
