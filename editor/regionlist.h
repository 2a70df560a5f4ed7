// regionlist.h - the region list panel: "New region" followed by the current map's regions;
// the entry under the cursor is the map's selected region.
#pragma once
#include <cstdint>

#include <string>
#include <vector>

inline constexpr int kRegionListTextSize = 32; // 31 characters and a terminator

struct Region;
struct MapData;

// One row as the panel shows it: texts cut to 31 characters.
struct RegionListRow {
    char name[kRegionListTextSize];
    char tag[kRegionListTextSize]; // the region's flag letters (region_flags)
    bool has_colour;
    uint8_t rgb[3]; // the region's colour, shown as a swatch
};

// Entry 0 is the first text and stands for no region; entry k is regions[k - 1]. The rows
// shown are described when drawn, so a map of a million regions costs a pointer each.
struct RegionList {
    std::string first;
    std::vector<Region*> regions;
    int32_t top = 0;    // first entry shown
    int32_t rows = 1;   // rows shown at most, at least 1
    int32_t cursor = 0; // selected entry; 0 stands for no region
    // What the entries were last built from (regionlist_follow_map).
    const MapData* seen_map = nullptr;
    uint64_t seen_revision = 0;
    const Region* seen_selected = nullptr;
};

void regionlist_init(const char* name);
void regionlist_set_rows(int32_t n);
// Entry k as the panel shows it; entry 0 has only its name.
RegionListRow regionlist_row(int32_t k);
// Copies the name and tag of the cursor entry (32-byte destinations); returns cursor - 1.
int32_t regionlist_selected(char* name, char* tag);
void regionlist_rebuild();
// Rebuilds the entries from current_map and puts the cursor on its selected region.
void regionlist_sync();
// Calls regionlist_sync when the map, its revision or its selected region changed since the
// last call; once per input step.
void regionlist_follow_map();
void regionlist_apply();
void regionlist_cursor_up();
void regionlist_cursor_down();
void regionlist_page_up();
void regionlist_page_down();
void regionlist_more_rows();
void regionlist_fewer_rows();
void regionlist_draw();
// A click at height y in the panel: the row there becomes the cursor and its region the
// selected one; false below the last row.
bool regionlist_click(int32_t y);
void regionlist_free();
int32_t regionlist_count();
// Height of the panel regionlist_draw makes at (4, 4), 160 pixels wide.
int32_t regionlist_height();
