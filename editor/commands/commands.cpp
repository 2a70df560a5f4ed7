// commands.cpp - the "?" commands: quit, open, save, help, locate, brush, jump, attributes.
#include "editor/commands/commands.h"

#include "console/console.h"
#include "editor/commands/tool_commands.h"
#include "core/hash.h"
#include "core/mem.h"
#include "core/platform.h"
#include "editor/editor_state.h"
#include "editor/help.h"
#include "editor/keep.h"
#include "editor/mouse_tools.h"
#include "editor/settings.h"
#include "map/model/attributes.h"
#include "map/edit/edit.h"
#include "map/exchange/exchange.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "map/model/region.h"
#include "map/lvl/builtin_tileset.h"
#include "render/gfx.h"
#include "render/panels.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t kAttrKeyMax = 63;

// The text after the first word: skip to the first space, then over all spaces.
const char* argument_text(const char* line) {
    const char* p = line;
    while (*p && *p != ' ')
        ++p;
    while (*p == ' ')
        ++p;
    return p;
}

char* copy_text(const char* text) {
    size_t length = std::strlen(text);
    char* copy = static_cast<char*>(mem_alloc(static_cast<uint32_t>(length + 1)));
    std::memcpy(copy, text, length);
    return copy;
}

void command_quit() {
    if (!editor_may_discard(DISCARD_QUIT)) return;
    console_print(app().console, 1, "shutting down now!");
    app().running = 0;
}

// The name a map is known by in messages: its full path, or its label without a file.
const char* map_title(const MapData* map) {
    return map->path ? map->path : map->name;
}

// Puts map in the open map's place: the old map's view and bookmarks are kept, its selection,
// paste and shape end with it (only the clipboard stays), and the new map opens where it was
// left or on what it holds.
void replace_map(MapData* map) {
    editor_open_document(map);
    console_print(app().console, 1, "now viewing %s", map_title(map));
    commands_report_load(map);
}

void open_map(const char* path) {
    if (!editor_may_discard(DISCARD_OPEN)) return;
    // A file that cannot be read leaves the open map as it is.
    ExchangeRead read = exchange_open(path);
    if (!read.map) {
        console_print(app().console, 3, "cannot open %s", read.error.c_str());
        return;
    }
    for (const std::string& note : read.notes)
        console_print(app().console, 1, "%s", note.c_str());
    replace_map(read.map.release());
}

void command_go(const char* arg) {
    if (*arg == '\0') return;
    open_map(arg);
}

void command_new(const char* arg) {
    if (*arg != '\0') {
        console_print(app().console, 3, "usage: ?new (then ?save <file> names it)");
        return;
    }
    if (!editor_may_discard(DISCARD_OPEN)) return;
    MapData* map = mapdata_load("");
    map->saved_revision = map->revision;
    replace_map(map);
}

void command_recent(const char* arg) {
    std::vector<std::string> recent = recent_load();
    if (*arg == '\0') {
        if (recent.empty()) console_print(app().console, 1, "no recent maps yet");
        for (size_t i = 0; i < recent.size(); ++i)
            console_print(app().console, 1, "%zu %s", i + 1, recent[i].c_str());
        return;
    }
    int32_t n = 0;
    const char* end = nullptr;
    if (!command_read_number(arg, &n, &end) || *end != '\0' || n < 1 ||
        static_cast<size_t>(n) > recent.size()) {
        console_print(app().console, 3, "usage: ?recent [N], N from 1 to %zu", recent.size());
        return;
    }
    open_map(recent[static_cast<size_t>(n) - 1].c_str());
}

void command_fit(const char*) {
    editor_center_on_content();
}

void command_regions(const char* arg) {
    if (std::strcmp(arg, "all") == 0 || std::strcmp(arg, "selected") == 0)
        app().view.regions_all = arg[0] == 'a';
    else if (*arg != '\0')
        console_print(app().console, 3, "usage: ?regions all|selected");
    console_print(app().console, 1, "the map shows %s",
                  app().view.regions_all ? "every region in its colour"
                                         : "the selected region only");
}

void command_paste(const char* arg) {
    if (std::strcmp(arg, "all") == 0 || std::strcmp(arg, "nonempty") == 0)
        app().tools.paste_all = arg[0] == 'a';
    else if (*arg != '\0')
        console_print(app().console, 3, "usage: ?paste all|nonempty");
    console_print(app().console, 1, "pastes write %s",
                  app().tools.paste_all ? "every cell of the piece"
                                        : "the piece's non-empty cells only");
}

void command_locate() {
    const Editor& e = app();
    int32_t tx = e.view.center_x >> 4;
    int32_t ty = e.view.center_y >> 4;
    console_print(app().console, 1, "current sector: %c%d topleft: %d,%d middle: %d,%d",
                  'A' + (tx * 20) / 1024, (ty * 20) / 1024 + 1, e.view.tile_x, e.view.tile_y, tx,
                  ty);
}

// "?save" writes the map unless its read left parts of the file out; "?save!" writes it then too.
void save_map(const char* arg, bool accept_losses) {
    MapData* map = app_map();
    if (!map) return;
    // Without a name the map goes back to its own file; the default map has none.
    const char* target = *arg != '\0' ? arg : map->path;
    if (!target) {
        console_print(app().console, 3, "no file name yet: ?save <file>");
        return;
    }
    std::string path = target; // map->path changes below
    const char* old = map->attributes
                          ? static_cast<const char*>(hash_get(map->attributes, kProgramAttribute))
                          : nullptr;
    if (!old || std::strcmp(old, kProgramAttributeValue) != 0)
        mapdata_set_attribute(map, kProgramAttribute, copy_text(kProgramAttributeValue));
    // A Tiled map (by its name) is written with its images beside it.
    if (exchange_is_tiled(path.c_str())) {
        ExchangeWrite written = exchange_save(map, path.c_str(), accept_losses);
        console_print(app().console, written.ok ? 1 : 3, "map %s %s%s",
                      written.ok ? "saved as" : "not saved as", path.c_str(),
                      written.ok ? "" : (": " + written.error).c_str());
        return;
    }
    MapSave save = mapdata_save(map, path.c_str(), accept_losses);
    // A save that wrote nothing keeps the map's file as it was, so a plain "?save" still goes
    // there; anything short of a complete save is said in red.
    if (save.result != MAPDATA_SAVE_FAILED) mapdata_set_path(map, path.c_str());
    bool whole = mapdata_save_complete(save) && save.hard_links <= 1 && save.owner_kept;
    console_print(app().console, whole ? 1 : 3, "map %s",
                  mapdata_save_message(save, path.c_str()).c_str());
}

void command_save(const char* arg) {
    save_map(arg, false);
}

void command_save_anyway(const char* arg) {
    save_map(arg, true);
}

// "?tileset <file.bmp>" gives the map a tileset; "?tileset none" takes it away.
void command_tileset(const char* arg) {
    MapData* map = app_map();
    if (!map || *arg == '\0') return;
    edit_begin(map, "");
    edit_label(map, "?tileset %s", arg);
    if (std::strcmp(arg, "none") == 0) {
        uint32_t length = 0;
        const uint8_t* builtin = builtin_tileset(&length);
        edit_set_tileset(map, std::span<const uint8_t>(builtin, length), true);
        console_print(app().console, 1, "the map has no tileset now: it is saved without one");
    } else {
        char reason[256];
        std::vector<uint8_t> bmp;
        if (!tileset_file_read(arg, &bmp, reason, sizeof reason) ||
            !edit_set_tileset(map, bmp, false)) {
            edit_end(map);
            console_print(app().console, 3, "cannot use %s as a tileset: %s", arg, reason);
            return;
        }
        console_print(app().console, 1, "tileset %s in use", arg);
    }
    edit_end(map);
    gfx_invalidate_view();
    gfx_invalidate_radar();
}

void command_settile(const char* arg) {
    int32_t value = 0;
    if (!command_read_number(arg, &value, nullptr)) return;
    if (value < 0 || value > 255) return;
    app().selected_tile = value;
    console_print(app().console, 1, "holding tile: %d", value);
}

// Keeps the low 16 bits of a map-pixel position, as the 16-bit centre fields do.
int16_t low16(int64_t value) {
    return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF));
}

void command_warpto(const char* arg) {
    int32_t x = 0, y = 0;
    const char* p = nullptr;
    if (!command_read_number(arg, &x, &p)) return;
    while (*p == ',' || *p == ' ')
        ++p;
    // A missing or non-numeric y refuses the jump, like any other bad argument.
    if (!command_read_number(p, &y, nullptr)) return;
    app().view.center_x = low16(static_cast<int64_t>(x) * 16);
    app().view.center_y = low16(static_cast<int64_t>(y) * 16);
    editor_update_view();
}

void command_insattr(const char* arg) {
    const char* equals = std::strchr(arg, '=');
    if (!app_map() || !equals || equals[1] == '\0') return;
    // Keys are cut to 63 characters, as the level reader cuts them.
    char key[kAttrKeyMax + 1] = {};
    size_t key_length = static_cast<size_t>(equals - arg);
    if (key_length > kAttrKeyMax) key_length = kAttrKeyMax;
    std::memcpy(key, arg, key_length);
    MapData* map = app_map();
    edit_begin(map, "?insattr ");
    edit_label(map, "?insattr %s", key);
    edit_set_attribute(map, key, equals + 1);
    edit_end(map);
    console_print(app().console, 1, "added ATTR %s=%s", key, equals + 1);
}

void command_rmattr(const char* arg) {
    MapData* map = app_map();
    if (!map) return;
    edit_begin(map, "?rmattr ");
    edit_label(map, "?rmattr %s", arg);
    int removed = edit_remove_attribute(map, arg);
    edit_end(map);
    if (removed) console_print(app().console, 1, "removed ATTR %s", arg);
}

void undo_fn(const char*) {
    editor_undo();
}
void redo_fn(const char*) {
    editor_redo();
}

using CommandFn = void (*)(const char* arg);

struct Command {
    const char* prefix;
    size_t compared; // bytes compared; past the prefix the line's terminator takes part
    CommandFn run;
};

const char* g_line; // the line being run, for commands that label their undo step with it

void region_fn(const char* arg) {
    command_region(g_line, arg);
}

void quit_fn(const char*) {
    command_quit();
}
void help_fn(const char*) {
    help_print();
}
void locate_fn(const char*) {
    command_locate();
}

constexpr Command kCommands[] = {
    {"?exit", 6, quit_fn},
    {"?shutdown", 9, quit_fn},
    {"?quit", 6, quit_fn},
    {"?go ", 4, command_go},
    {"?new", 5, command_new},
    {"?new ", 5, command_new},
    {"?recent", 8, command_recent},
    {"?recent ", 8, command_recent},
    {"?fit", 5, command_fit},
    {"?regions", 9, command_regions},
    {"?regions ", 9, command_regions},
    {"?paste", 7, command_paste},
    {"?paste ", 7, command_paste},
    {"?help", 5, help_fn},
    {"?locate", 8, locate_fn},
    {"?save!", 6, command_save_anyway},
    {"?save", 5, command_save},
    {"?settile ", 9, command_settile},
    {"?warpto ", 8, command_warpto},
    {"?insattr ", 6, command_insattr},
    {"?rmattr ", 6, command_rmattr},
    {"?tileset ", 9, command_tileset},
    {"?undo", 6, undo_fn},
    {"?redo", 6, redo_fn},
    // The editing tools; "?fill" alone or with an argument, "?copyregions" likewise.
    {"?rotate", 8, command_rotate},
    {"?flip ", 6, command_flip},
    {"?fill", 6, command_fill},
    {"?fill ", 6, command_fill},
    {"?line ", 6, command_line},
    {"?rect ", 6, command_rect},
    {"?copyregions", 13, command_copyregions},
    {"?copyregions ", 13, command_copyregions},
    {"?region", 8, region_fn},
    {"?region ", 8, region_fn},
};

} // namespace

void commands_report_load(const MapData* map) {
    if (!map) return;
    if (map->error_count > 0)
        console_print(app().console, 3, "%u tile records were out of range and were skipped",
                      map->error_count);
    if (map->bad_chunk_areas > 0)
        console_print(app().console, 3,
                      "%u metadata chunk areas were damaged and were read only in part",
                      map->bad_chunk_areas);
    if (map->bad_region_data > 0)
        console_print(app().console, 3,
                      "%u region cell lists were invalid and were read only in part",
                      map->bad_region_data);
    if (map->region_cells_lost > 0)
        console_print(app().console, 3, "%u region cells were lost at the 255-set region limit",
                      map->region_cells_lost);
    if (mapdata_region_data_cut(map))
        console_print(app().console, 3, "region cells past the decoding limit were left out");
    if (!mapdata_read_losses(map).empty())
        console_print(app().console, 3,
                      "\"?save\" keeps the file as it is; \"?save!\" saves the map without them");
}

int command_read_number(const char* text, int32_t* value, const char** end) {
    char* stop = nullptr;
    long long number = std::strtoll(text, &stop, 0);
    if (end) *end = stop;
    if (stop == text) return 0;
    if (number > INT32_MAX) number = INT32_MAX;
    if (number < INT32_MIN) number = INT32_MIN;
    *value = static_cast<int32_t>(number);
    return 1;
}

void console_command(const char* line) {
    if (!line || line[0] == '\0') return;
    const char* arg = argument_text(line);
    for (const Command& command : kCommands) {
        if (std::strncmp(line, command.prefix, command.compared) == 0) {
            g_line = line;
            command.run(arg);
            return;
        }
    }
    // Typed lines begin with "?"; a line from elsewhere that is no command is a note.
    if (line[0] == '?')
        console_print(app().console, 3, "unknown command %.64s: ?help lists them", line);
    else
        console_print(app().console, 2, "%s", line);
}

std::vector<std::string> commands_names() {
    std::vector<std::string> names;
    for (const Command& command : kCommands) {
        std::string name(command.prefix);
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        if (names.empty() || names.back() != name) names.push_back(name);
    }
    return names;
}
