// regionlist.cpp - the region list panel and its cursor, which picks the selected region.
#include "editor/regionlist.h"

#include "editor/editor_state.h"
#include "map/model/mapdata.h"
#include "map/model/region.h"
#include "map/edit/region_edit.h"
#include "render/draw.h"
#include "render/gfx.h"
#include "render/mapview.h"

#include <algorithm>
#include <cstdio>
#include <cstring>


// The panel's width; rows with more than 4 flag letters widen it.
constexpr int kBoxWidth = 160;

namespace {

// Copies at most 31 characters so that the field always ends with a terminator.
void copy_field(char* field, const char* text) {
    std::memset(field, 0, kRegionListTextSize);
    if (text) std::strncpy(field, text, kRegionListTextSize - 1);
}

Region* entry_region(int32_t k) {
    const RegionList& list = app().regionlist;
    return k >= 1 && static_cast<size_t>(k) <= list.regions.size() ? list.regions[k - 1] : nullptr;
}

bool in_map(const MapData* map, const Region* region) {
    for (const ListNode* node = map->region_order.head; node; node = node->next)
        if (node->data == region) return true;
    return false;
}

// After a downward move the window must end at or before the last entry.
void clamp_top(int32_t n) {
    RegionList& list = app().regionlist;
    if (list.top + list.rows > n) list.top = n - list.rows;
    if (list.top < 0) list.top = 0;
}

} // namespace

int32_t regionlist_count() {
    return 1 + static_cast<int32_t>(app().regionlist.regions.size());
}

void regionlist_init(const char* name) {
    RegionList& list = app().regionlist;
    list.first = name ? name : "";
    list.regions.clear();
    list.top = 0;
    list.cursor = 0;
}

void regionlist_set_rows(int32_t n) {
    app().regionlist.rows = n;
}

RegionListRow regionlist_row(int32_t k) {
    RegionListRow row{};
    if (k == 0) copy_field(row.name, app().regionlist.first.c_str());
    if (const Region* region = entry_region(k)) {
        copy_field(row.name, region_name(region));
        char flags[8];
        region_flags(region, flags);
        copy_field(row.tag, flags);
        row.has_colour = region_colour(region, row.rgb);
    }
    return row;
}

int32_t regionlist_selected(char* name, char* tag) {
    RegionListRow row = regionlist_row(app().regionlist.cursor);
    if (name) std::memcpy(name, row.name, kRegionListTextSize);
    if (tag) std::memcpy(tag, row.tag, kRegionListTextSize);
    return app().regionlist.cursor - 1;
}

void regionlist_rebuild() {
    RegionList& list = app().regionlist;
    list.regions.clear();
    list.top = 0;
    list.cursor = 0;
    if (MapData* map = app_map()) {
        list.regions.reserve(list_count(&map->region_order));
        for (const ListNode* node = map->region_order.head; node; node = node->next)
            list.regions.push_back(static_cast<Region*>(node->data));
    }
}

void regionlist_sync() {
    RegionList& list = app().regionlist;
    int32_t top = list.top;
    regionlist_rebuild();
    MapEdit map = app_map();
    Region*& selected = app().doc.selected_region;
    if (map && selected) {
        auto at = std::find(list.regions.begin(), list.regions.end(), selected);
        // A selected region that left the map is no longer selected.
        if (at == list.regions.end()) selected = nullptr;
        else list.cursor = 1 + static_cast<int32_t>(at - list.regions.begin());
    }
    // The window stays where it was while it shows the cursor.
    list.top = top;
    if (list.cursor < list.top) list.top = list.cursor;
    if (list.cursor >= list.top + list.rows) list.top = list.cursor - list.rows + 1;
    clamp_top(regionlist_count());
}

void regionlist_follow_map() {
    RegionList& list = app().regionlist;
    const MapEdit map = app_map();
    if (!map) return;
    if (map == list.seen_map && map->revision == list.seen_revision &&
        app().doc.selected_region == list.seen_selected)
        return;
    list.seen_map = map;
    list.seen_revision = map->revision;
    list.seen_selected = app().doc.selected_region;
    regionlist_sync();
}

void regionlist_apply() {
    MapEdit map = app_map();
    if (map) {
        // Each entry stands for its own region, also one of two that share a name.
        Region* region = entry_region(app().regionlist.cursor);
        app().doc.selected_region = region && in_map(map, region) ? region : nullptr;
    }
    gfx_invalidate_view(app().gfx);
}

void regionlist_cursor_up() {
    RegionList& list = app().regionlist;
    if (list.cursor <= 0) return;
    --list.cursor;
    if (list.cursor < list.top) list.top = list.cursor;
}

void regionlist_cursor_down() {
    RegionList& list = app().regionlist;
    int32_t n = regionlist_count();
    if (list.cursor + 1 >= n) return;
    ++list.cursor;
    if (list.cursor >= list.top + list.rows) list.top = list.cursor - list.rows + 1;
    clamp_top(n);
}

void regionlist_page_up() {
    RegionList& list = app().regionlist;
    if (list.cursor <= 0) return;
    list.cursor -= list.rows - 1;
    if (list.cursor < 0) list.cursor = 0;
    if (list.cursor < list.top) list.top = list.cursor;
}

void regionlist_page_down() {
    RegionList& list = app().regionlist;
    int32_t n = regionlist_count();
    list.cursor += list.rows - 1;
    if (list.cursor + 1 >= n) list.cursor = n - 1;
    if (list.cursor >= list.top + list.rows) list.top = list.cursor - list.rows + 1;
    clamp_top(n);
}

void regionlist_more_rows() {
    RegionList& list = app().regionlist;
    int32_t n = regionlist_count();
    if (list.rows >= n) return;
    ++list.rows;
    if (n - list.top < list.rows) list.top = n - list.rows;
}

void regionlist_fewer_rows() {
    RegionList& list = app().regionlist;
    if (list.rows <= 1) return;
    --list.rows;
    // The cursor moves up to stay inside the shown rows.
    if (list.cursor - list.top >= list.rows) list.cursor = list.top + list.rows - 1;
}

int32_t regionlist_height() {
    int32_t shown = regionlist_count() - app().regionlist.top;
    if (shown > app().regionlist.rows) shown = app().regionlist.rows;
    return shown * 8 + 4;
}

void regionlist_draw() {
    const RegionList& list = app().regionlist;
    int32_t n = regionlist_count();
    int32_t shown = n - list.top;
    if (shown > list.rows) shown = list.rows;
    std::vector<RegionListRow> rows;
    int width = kBoxWidth;
    for (int32_t k = list.top; k < list.top + shown; ++k) {
        rows.push_back(regionlist_row(k));
        size_t flags = std::strlen(rows.back().tag);
        if (k > 0 && flags > 4) width = std::max(width, kBoxWidth + 8 * int(flags - 4));
    }
    gfx_clear_rect(app().gfx, nullptr, 4, 4, static_cast<uint16_t>(width), shown * 8 + 4);
    gfx_draw_outline(app().gfx, nullptr, 4, 4, static_cast<uint16_t>(width), shown * 8 + 4, 0);
    gfx_draw_text(app().gfx, nullptr, 6, (list.cursor - list.top) * 8 + 6, ">", 3);
    for (int32_t k = list.top; k < list.top + shown; ++k) {
        const RegionListRow& row = rows[static_cast<size_t>(k - list.top)];
        int y = 6 + 8 * (k - list.top);
        if (k == 0) {
            gfx_draw_text(app().gfx, nullptr, 14, y, row.name, 0);
            continue;
        }
        // Number, name and flag letters, held to 47 characters; the colour swatch sits in the
        // space after the number.
        char line[96];
        std::snprintf(line, sizeof line, "%2d %-10.10s %-4s", k - 1, row.name, row.tag);
        line[47] = '\0';
        gfx_draw_text(app().gfx, nullptr, 14, y, line, 0);
        gfx_draw_swatch(app().gfx, nullptr, 31, y + 1, 6, row.has_colour ? row.rgb : nullptr);
    }
}

bool regionlist_click(int32_t y) {
    RegionList& list = app().regionlist;
    // Rows start 6 pixels down the panel, 8 pixels each (as regionlist_draw puts them).
    if (y < 6) return false;
    const int32_t row = (y - 6) / 8;
    const int32_t k = list.top + row;
    if (row >= list.rows || k >= regionlist_count()) return false;
    list.cursor = k;
    regionlist_apply();
    return true;
}

void regionlist_free() {
    std::vector<Region*>().swap(app().regionlist.regions);
    app().regionlist.seen_map = nullptr;
}
