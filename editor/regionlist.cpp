// regionlist.cpp - the region list panel and its cursor, which picks the selected region.
#include "editor/regionlist.h"

#include "core/mem.h"
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

void add_region_entry(void*, Region* region) {
    char flags[8];
    region_flags(region, flags);
    regionlist_add(region_name(region), flags);
    auto* entry = static_cast<RegionListEntry*>(app().regionlist.entries.tail->data);
    entry->region = region;
    entry->has_colour = region_colour(region, entry->rgb);
}

// The entry under the cursor.
const RegionListEntry* cursor_entry() {
    int32_t k = 0;
    for (ListNode* node = app().regionlist.entries.head; node; node = node->next, ++k)
        if (k == app().regionlist.cursor) return static_cast<const RegionListEntry*>(node->data);
    return nullptr;
}

bool in_map(const MapData* map, const Region* region) {
    for (const ListNode* node = map->region_order.head; node; node = node->next)
        if (node->data == region) return true;
    return false;
}

void release_entry(void* data) {
    mem_free(data);
}

// After a downward move the window must end at or before the last entry.
void clamp_top(int32_t n) {
    RegionList& list = app().regionlist;
    if (list.top + list.rows > n) list.top = n - list.rows;
    if (list.top < 0) list.top = 0;
}

} // namespace

int32_t regionlist_count() {
    return static_cast<int32_t>(list_count(&app().regionlist.entries));
}

void regionlist_init(const char* name) {
    list_init(&app().regionlist.entries);
    app().regionlist.top = 0;
    app().regionlist.cursor = 0;
    regionlist_add(name, nullptr);
}

void regionlist_set_rows(int32_t n) {
    app().regionlist.rows = n;
}

void regionlist_add(const char* name, const char* tag) {
    auto* entry = static_cast<RegionListEntry*>(mem_alloc(sizeof(RegionListEntry)));
    copy_field(entry->name, name);
    copy_field(entry->tag, tag);
    list_append(&app().regionlist.entries, entry);
}

int32_t regionlist_selected(char* name, char* tag) {
    int32_t k = 0;
    for (ListNode* node = app().regionlist.entries.head; node; node = node->next, ++k) {
        if (k != app().regionlist.cursor) continue;
        const auto* entry = static_cast<const RegionListEntry*>(node->data);
        if (name) std::memcpy(name, entry->name, kRegionListTextSize);
        if (tag) std::memcpy(tag, entry->tag, kRegionListTextSize);
        break;
    }
    return app().regionlist.cursor - 1;
}

void regionlist_rebuild() {
    // The first entry survives every rebuild.
    app().regionlist.cursor = 0;
    char first[kRegionListTextSize] = {};
    regionlist_selected(first, nullptr);
    regionlist_free();
    app().regionlist.top = 0;
    app().regionlist.cursor = 0;
    regionlist_add(first, nullptr);
    if (app_map())
        mapdata_for_each_region(app_map(), add_region_entry, nullptr);
}

void regionlist_sync() {
    RegionList& list = app().regionlist;
    int32_t top = list.top;
    regionlist_rebuild();
    MapData* map = app_map();
    int32_t k = 1;
    for (ListNode* node = list.entries.head ? list.entries.head->next : nullptr;
         node && map && map->selected_region; node = node->next, ++k) {
        if (static_cast<RegionListEntry*>(node->data)->region != map->selected_region) continue;
        list.cursor = k;
        break;
    }
    // The window stays where it was while it shows the cursor.
    list.top = top;
    if (list.cursor < list.top) list.top = list.cursor;
    if (list.cursor >= list.top + list.rows) list.top = list.cursor - list.rows + 1;
    clamp_top(regionlist_count());
}

void regionlist_follow_map() {
    static const MapData* seen_map = nullptr;
    static uint64_t seen_revision = 0;
    static const Region* seen_selected = nullptr;
    const MapData* map = app_map();
    if (!map) return;
    if (map == seen_map && map->revision == seen_revision && map->selected_region == seen_selected)
        return;
    seen_map = map;
    seen_revision = map->revision;
    seen_selected = map->selected_region;
    regionlist_sync();
}

void regionlist_apply() {
    char name[kRegionListTextSize] = {};
    int32_t r = regionlist_selected(name, nullptr);
    MapData* map = app_map();
    if (map) {
        // Each entry stands for its own region, also one of two that share a name; an entry
        // made without a region is found by its name.
        const RegionListEntry* entry = cursor_entry();
        Region* region = entry ? entry->region : nullptr;
        if (region && !in_map(map, region)) region = nullptr;
        if (!region && r >= 0) region = mapdata_find_region(map, name);
        map->selected_region = r == -1 ? nullptr : region;
    }
    gfx_invalidate_view();
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
    int width = kBoxWidth;
    int32_t k = 0;
    for (ListNode* node = list.entries.head; node && k < list.top + list.rows;
         node = node->next, ++k) {
        size_t flags = std::strlen(static_cast<const RegionListEntry*>(node->data)->tag);
        if (k >= list.top && k > 0 && flags > 4)
            width = std::max(width, kBoxWidth + 8 * int(flags - 4));
    }
    gfx_clear_rect(nullptr, 4, 4, static_cast<uint16_t>(width), shown * 8 + 4);
    gfx_draw_outline(nullptr, 4, 4, static_cast<uint16_t>(width), shown * 8 + 4, 0);
    gfx_draw_text(nullptr, 6, (list.cursor - list.top) * 8 + 6, ">", 3);
    k = 0;
    for (ListNode* node = list.entries.head; node && k < list.top + list.rows;
         node = node->next, ++k) {
        if (k < list.top) continue;
        const auto* entry = static_cast<const RegionListEntry*>(node->data);
        int y = 6 + 8 * (k - list.top);
        if (k == 0) {
            gfx_draw_text(nullptr, 14, y, entry->name, 0);
            continue;
        }
        // Number, name and flag letters, held to 47 characters; the colour swatch sits in the
        // space after the number.
        char line[96];
        std::snprintf(line, sizeof line, "%2d %-10.10s %-4s", k - 1, entry->name, entry->tag);
        line[47] = '\0';
        gfx_draw_text(nullptr, 14, y, line, 0);
        gfx_draw_swatch(nullptr, 31, y + 1, 6, entry->has_colour ? entry->rgb : nullptr);
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
    list_foreach(&app().regionlist.entries, release_entry);
    list_clear(&app().regionlist.entries);
}
