// region_commands.cpp - the "?region ..." commands: create, rename and delete regions, set their
// properties and report them. Each change is one undoable step labelled with the command line.
#include "editor/commands/command_table.h"
#include "console/console.h"
#include "core/hash.h"
#include "editor/editor_state.h"
#include "map/edit/clipboard.h"
#include "map/edit/edit.h"
#include "map/model/mapdata.h"
#include "map/model/region.h"
#include "map/edit/region_edit.h"
#include "render/gfx.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint8_t kOk = 1, kRed = 3;

struct FlagWord {
    const char* word;
    const char* type;
};
constexpr FlagWord kFlagWords[] = {
    {"base", "rBSE"}, {"noantiwarp", "rNAW"}, {"noweapons", "rNWP"}, {"noflags", "rNFL"}};

bool read_colour(std::string word, uint8_t rgb[3]) {
    if (!word.empty() && word[0] == '#') word.erase(0, 1);
    if (word.size() != 6) return false;
    for (char c : word)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    unsigned long value = std::strtoul(word.c_str(), nullptr, 16);
    rgb[0] = static_cast<uint8_t>(value >> 16);
    rgb[1] = static_cast<uint8_t>(value >> 8);
    rgb[2] = static_cast<uint8_t>(value);
    return true;
}

// After a change: the list shows it and the view redraws the highlight.
void changed() {
    regionlist_sync();
    gfx_invalidate_view(app().gfx);
}

std::string describe(const Region* region) {
    char text[256];
    RegionExtent e = region_extent(region);
    std::string out;
    if (e.cells)
        std::snprintf(text, sizeof text, "region %.40s: %u cells in %d,%d-%d,%d",
                      region_name(region), e.cells, e.left, e.top, e.right, e.bottom);
    else
        std::snprintf(text, sizeof text, "region %.40s: no cells", region_name(region));
    out = text;
    for (const FlagWord& flag : kFlagWords)
        if (region_has_subchunk(region, flag.type)) out += std::string(", ") + flag.word;
    RegionWarp warp;
    if (int n = region_warps(region, &warp, 1)) {
        std::snprintf(text, sizeof text, ", autowarp %d,%d%s%s", warp.x, warp.y,
                      warp.arena[0] ? " " : "", warp.arena);
        out += text;
        if (n > 1) out += " (+" + std::to_string(n - 1) + " more)";
    }
    uint8_t rgb[3];
    if (region_colour(region, rgb)) {
        std::snprintf(text, sizeof text, ", colour %02X%02X%02X", rgb[0], rgb[1], rgb[2]);
        out += text;
    }
    return out;
}

// Runs one change as a step of its own; false when it changed nothing.
template <typename Change> bool step(MapEdit map, const char* label, Change change) {
    edit_begin(map, label);
    change();
    bool kept = edit_end(map) != 0;
    changed();
    return kept;
}

// The selected region of the open map, or null after saying how to select one.
Region* selected(MapEdit* map) {
    *map = app_map();
    if (!*map) return nullptr;
    Region* region = app().doc.selected_region;
    if (!region)
        console_print(app().console, kRed,
                      "select a region first, or create one: ?region new NAME");
    return region;
}

// Puts the selected cells in the region, or takes them out.
void mark_selection(bool add) {
    MapEdit map;
    Region* region = selected(&map);
    if (!region) return;
    if (!app().doc.selection.shown) {
        console_print(app().console, kRed,
                      "nothing is selected: Shift + left drag (or S) selects the cells");
        return;
    }
    const Selection& sel = app().doc.selection;
    uint32_t cells = clip_region_area(map, {sel.x, sel.y, sel.w, sel.h}, region, add);
    changed();
    console_print(app().console, kOk, "%s %u cells %s region %.64s", add ? "added" : "removed",
                  cells, add ? "to" : "from", region_name(region));
}

void set_colour(const CommandCall& call, const uint8_t* rgb) {
    MapEdit map;
    Region* region = selected(&map);
    if (!region) return;
    step(map, call.line, [&] { edit_region_colour(map, region, rgb); });
    if (!rgb)
        console_print(app().console, kOk, "region %.64s: colour off", region_name(region));
    else
        console_print(app().console, kOk, "region %.64s: colour %02X%02X%02X",
                      region_name(region), rgb[0], rgb[1], rgb[2]);
}

} // namespace

void command_region_show(const CommandCall&) {
    MapEdit map;
    if (Region* region = selected(&map))
        console_print(app().console, kOk, "%s", describe(region).c_str());
}

void command_region_new(const CommandCall& call) {
    MapEdit map = app_map();
    if (!map) return;
    const char* name = call.text.c_str();
    if (const char* problem = region_name_problem(map, nullptr, name)) {
        console_print(app().console, kRed, "?region new: %s", problem);
        return;
    }
    Region* made = nullptr;
    step(map, call.line, [&] { made = edit_region_create(map, name); });
    app().doc.selected_region = made;
    changed();
    console_print(app().console, kOk, "created region %.64s", name);
}

void command_region_rename(const CommandCall& call) {
    MapEdit map;
    Region* region = selected(&map);
    if (!region) return;
    const char* name = call.text.c_str();
    if (const char* problem = region_name_problem(map, region, name)) {
        console_print(app().console, kRed, "?region rename: %s", problem);
        return;
    }
    std::string old = region_name(region);
    step(map, call.line, [&] { edit_region_rename(map, region, name); });
    console_print(app().console, kOk, "renamed region %.64s to %.64s", old.c_str(), name);
}

void command_region_delete(const CommandCall& call) {
    MapEdit map;
    Region* region = selected(&map);
    if (!region) return;
    std::string old = region_name(region);
    uint32_t cells = region_extent(region).cells;
    step(map, call.line, [&] { edit_region_delete(map, region); });
    console_print(app().console, kOk, "deleted region %.64s and its %u cells", old.c_str(), cells);
}

void command_region_add(const CommandCall&) {
    mark_selection(true);
}

void command_region_remove(const CommandCall&) {
    mark_selection(false);
}

// "?region base on" and the other flags: the flag is the last word of the command's name.
void command_region_flag(const CommandCall& call) {
    MapEdit map;
    Region* region = selected(&map);
    if (!region) return;
    std::string_view word = call.name.substr(call.name.rfind(' ') + 1);
    for (const FlagWord& flag : kFlagWords) {
        if (word != flag.word) continue;
        bool on = call.words[0] == "on";
        step(map, call.line, [&] { edit_region_flag(map, region, flag.type, on); });
        console_print(app().console, kOk, "region %.64s: %s %s", region_name(region), flag.word,
                      on ? "on" : "off");
    }
}

void command_region_autowarp(const CommandCall& call) {
    MapEdit map;
    Region* region = selected(&map);
    if (!region) return;
    RegionWarp warp{};
    if (call.words.size() == 3 && call.words[2].size() > kRegionArenaMax) {
        console_print(app().console, kRed, "?region autowarp: the arena's name is %zu characters:"
                      " at most %zu", call.words[2].size(), static_cast<size_t>(kRegionArenaMax));
        return;
    }
    warp.x = static_cast<int16_t>(call.numbers[0]);
    warp.y = static_cast<int16_t>(call.numbers[1]);
    if (call.words.size() == 3) std::memcpy(warp.arena, call.words[2].data(), call.words[2].size());
    step(map, call.line, [&] { edit_region_autowarp(map, region, &warp); });
    console_print(app().console, kOk, "region %.64s: autowarp to %d,%d%s%s", region_name(region),
                  warp.x, warp.y, warp.arena[0] ? " in " : "", warp.arena);
}

void command_region_autowarp_off(const CommandCall& call) {
    MapEdit map;
    Region* region = selected(&map);
    if (!region) return;
    step(map, call.line, [&] { edit_region_autowarp(map, region, nullptr); });
    console_print(app().console, kOk, "region %.64s: autowarp off", region_name(region));
}

void command_region_colour(const CommandCall& call) {
    uint8_t rgb[3];
    if (!read_colour(call.words[0], rgb)) {
        command_say_usage(call.name);
        return;
    }
    set_colour(call, rgb);
}

void command_region_colour_off(const CommandCall& call) {
    set_colour(call, nullptr);
}
