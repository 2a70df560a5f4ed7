// region_commands.cpp - "?region": create, rename and delete regions, set their properties and
// report them. Each change is one undoable step labelled with the command line.
#include "editor/commands/commands.h"
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

const char* const kUsage =
    "usage: ?region [new NAME | rename NAME | delete | add | remove | base|noantiwarp|"
    "noweapons|noflags on|off | autowarp X Y [ARENA]|off | colour RRGGBB|off]";

struct FlagWord {
    const char* word;
    const char* type;
};
constexpr FlagWord kFlagWords[] = {
    {"base", "rBSE"}, {"noantiwarp", "rNAW"}, {"noweapons", "rNWP"}, {"noflags", "rNFL"}};

std::vector<std::string> words_of(const char* text) {
    std::vector<std::string> words;
    for (const char* p = text; *p;) {
        while (*p == ' ')
            ++p;
        const char* start = p;
        while (*p && *p != ' ')
            ++p;
        if (p > start) words.emplace_back(start, p);
    }
    return words;
}

// The rest of the line after the first word, without the spaces around it.
std::string rest_after_word(const char* text) {
    const char* p = text;
    while (*p == ' ')
        ++p;
    while (*p && *p != ' ')
        ++p;
    while (*p == ' ')
        ++p;
    std::string rest = p;
    while (!rest.empty() && rest.back() == ' ')
        rest.pop_back();
    return rest;
}

bool is(const std::string& word, const char* text) {
    return text_icmp(word.c_str(), text) == 0;
}

// A whole word as a signed 16-bit number.
bool read_i16(const std::string& word, int16_t* out) {
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(word.c_str(), &end, 10);
    if (errno || end == word.c_str() || *end || value < INT16_MIN || value > INT16_MAX)
        return false;
    *out = static_cast<int16_t>(value);
    return true;
}

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
    gfx_invalidate_view();
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
template <typename Change> bool step(MapData* map, const char* label, Change change) {
    edit_begin(map, label);
    change();
    bool kept = edit_end(map) != 0;
    changed();
    return kept;
}

void region_property(MapData* map, Region* region, const std::vector<std::string>& w,
                     const char* label) {
    const std::string& what = w[0];
    const char* name = region_name(region);
    for (const FlagWord& flag : kFlagWords) {
        if (!is(what, flag.word)) continue;
        if (w.size() != 2 || !(is(w[1], "on") || is(w[1], "off"))) {
            console_print(app().console, kRed, "usage: ?region %s on|off", flag.word);
            return;
        }
        bool on = is(w[1], "on");
        step(map, label, [&] { edit_region_flag(map, region, flag.type, on); });
        console_print(app().console, kOk, "region %.64s: %s %s", name, flag.word,
                      on ? "on" : "off");
        return;
    }
    if (is(what, "autowarp")) {
        RegionWarp warp{};
        if (w.size() == 2 && is(w[1], "off")) {
            step(map, label, [&] { edit_region_autowarp(map, region, nullptr); });
            console_print(app().console, kOk, "region %.64s: autowarp off", name);
            return;
        }
        if (w.size() < 3 || w.size() > 4 || !read_i16(w[1], &warp.x) || !read_i16(w[2], &warp.y) ||
            (w.size() == 4 && w[3].size() > kRegionArenaMax)) {
            console_print(app().console, kRed,
                          "usage: ?region autowarp X Y [ARENA] (arena up to 16 characters)"
                          " | ?region autowarp off");
            return;
        }
        if (w.size() == 4) std::memcpy(warp.arena, w[3].data(), w[3].size());
        step(map, label, [&] { edit_region_autowarp(map, region, &warp); });
        console_print(app().console, kOk, "region %.64s: autowarp to %d,%d%s%s", name, warp.x,
                      warp.y, warp.arena[0] ? " in " : "", warp.arena);
        return;
    }
    // what is "colour" or "color".
    uint8_t rgb[3];
    bool off = w.size() == 2 && is(w[1], "off");
    if (w.size() != 2 || (!off && !read_colour(w[1], rgb))) {
        console_print(app().console, kRed, "usage: ?region colour RRGGBB | ?region colour off");
        return;
    }
    step(map, label, [&] { edit_region_colour(map, region, off ? nullptr : rgb); });
    if (off)
        console_print(app().console, kOk, "region %.64s: colour off", name);
    else
        console_print(app().console, kOk, "region %.64s: colour %02X%02X%02X", name, rgb[0], rgb[1],
                      rgb[2]);
}

} // namespace

void command_region(const char* line, const char* arg) {
    MapData* map = app_map();
    if (!map) return;
    std::vector<std::string> w = words_of(arg);
    Region* region = map->selected_region;
    if (!w.empty() && is(w[0], "new")) {
        std::string name = rest_after_word(arg);
        if (w.size() < 2) {
            console_print(app().console, kRed, "usage: ?region new NAME");
        } else if (const char* problem = region_name_problem(map, nullptr, name.c_str())) {
            console_print(app().console, kRed, "?region new: %s", problem);
        } else {
            Region* made = nullptr;
            step(map, line, [&] { made = edit_region_create(map, name.c_str()); });
            map->selected_region = made;
            changed();
            console_print(app().console, kOk, "created region %.64s", name.c_str());
        }
        return;
    }
    bool known = w.empty() || is(w[0], "rename") || is(w[0], "delete") || is(w[0], "autowarp") ||
                 is(w[0], "colour") || is(w[0], "color") || is(w[0], "add") || is(w[0], "remove");
    for (const FlagWord& flag : kFlagWords)
        known = known || is(w[0], flag.word);
    if (!known) {
        console_print(app().console, kRed, "%s", kUsage);
        return;
    }
    if (!region) {
        console_print(app().console, kRed,
                      "select a region first, or create one: ?region new NAME");
        return;
    }
    if (w.empty()) {
        console_print(app().console, kOk, "%s", describe(region).c_str());
    } else if (is(w[0], "rename")) {
        std::string name = rest_after_word(arg);
        const char* problem = region_name_problem(map, region, name.c_str());
        if (w.size() < 2) {
            console_print(app().console, kRed, "usage: ?region rename NAME");
        } else if (problem) {
            console_print(app().console, kRed, "?region rename: %s", problem);
        } else {
            std::string old = region_name(region);
            step(map, line, [&] { edit_region_rename(map, region, name.c_str()); });
            console_print(app().console, kOk, "renamed region %.64s to %.64s", old.c_str(),
                          name.c_str());
        }
    } else if (is(w[0], "add") || is(w[0], "remove")) {
        const bool add = is(w[0], "add");
        if (w.size() != 1) {
            console_print(app().console, kRed, "usage: ?region %s", add ? "add" : "remove");
        } else if (!app().doc.selection.shown) {
            console_print(app().console, kRed,
                          "nothing is selected: Shift + left drag (or S) selects the cells");
        } else {
            uint32_t cells = clip_region_area(map,
                                              {app().doc.selection.x, app().doc.selection.y,
                                               app().doc.selection.w, app().doc.selection.h},
                                              region, add);
            changed();
            console_print(app().console, kOk, "%s %u cells %s region %.64s",
                          add ? "added" : "removed", cells, add ? "to" : "from",
                          region_name(region));
        }
    } else if (is(w[0], "delete")) {
        if (w.size() != 1) {
            console_print(app().console, kRed, "usage: ?region delete");
            return;
        }
        std::string old = region_name(region);
        uint32_t cells = region_extent(region).cells;
        step(map, line, [&] { edit_region_delete(map, region); });
        console_print(app().console, kOk, "deleted region %.64s and its %u cells", old.c_str(),
                      cells);
    } else {
        region_property(map, region, w, line);
    }
}
