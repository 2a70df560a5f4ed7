// commands.cpp - the handlers of the "?" commands on maps and the view: quit, open, save,
// tileset, help, locate, brush, jump, attributes, undo.
#include "editor/commands/commands.h"

#include "console/console.h"
#include "editor/commands/command_table.h"
#include "core/hash.h"
#include "core/mem.h"
#include "core/platform.h"
#include "editor/editor_state.h"
#include "editor/help.h"
#include "editor/keep.h"
#include "editor/mouse_tools.h"
#include "editor/regionlist.h"
#include "editor/recovery/editor_journal.h"
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

#include <cstring>
#include <span>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr size_t kAttrKeyMax = 63;

// Puts a map's Document in the open one's place: the old map's view and bookmarks are kept, its selection,
// paste and shape end with it (only the clipboard stays), and the new map opens where it was
// left or on what it holds.
void replace_map(Document doc) {
    editor_open_document(std::move(doc));
    console_print(app().console, 1, "now viewing %s", document_title(app().doc));
    commands_report_load(app().doc.read_losses);
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
    replace_map(document_make(read.map.release(), path, read.losses));
}

// "?save" writes the map unless its read left parts of the file out; "?save!" writes it then too.
void save_map(const std::string& arg, bool accept_losses) {
    MapEdit map = app_map();
    if (!map) return;
    // Without a name the map goes back to its own file; the default map has none.
    const char* target = !arg.empty() ? arg.c_str() : app().doc.path.c_str();
    if (!*target) {
        console_print(app().console, 3, "no file name yet: ?save <file>");
        return;
    }
    std::string path = target; // the document's path changes below
    // A Tiled map (by its name) is written with its images beside it.
    const LevelLosses& losses = app().doc.read_losses;
    MapSave save = exchange_is_tiled(path.c_str())
                       ? exchange_save(map, path.c_str(), losses, accept_losses, kProgramAttributeValue)
                       : mapdata_save(map, path.c_str(), losses, accept_losses, kProgramAttributeValue);
    // A save that wrote nothing keeps the map's file as it was, so a plain "?save" still goes
    // there; anything short of a whole save is said in red.
    if (save.result != MAPDATA_SAVE_FAILED) {
        app().doc.path = path;
        // What the read left out is permanent now (a save with losses only goes ahead when
        // asked to).
        app().doc.read_losses = {};
    }
    // Only a save that stored everything makes the map count as saved.
    if (save.result == MAPDATA_SAVE_OK) app().doc.saved_revision = map->revision;
    SaveWords words = save_words(save, path.c_str());
    console_print(app().console, words.outcome == SaveOutcome::whole ? 1 : 3, "map %s",
                  words.text.c_str());
    editor_journal_saved(app().journal, app().doc);
}

// Keeps the low 16 bits of a map-pixel position, as the 16-bit centre fields do.
int16_t low16(int64_t value) {
    return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF));
}

// Changes the map's tileset as one undo step named by the line; false when bmp was refused.
bool set_tileset(const CommandCall& call, std::span<const uint8_t> bmp, bool none) {
    MapEdit map = app_map();
    edit_begin(map, "");
    edit_label(map, "%s", call.line);
    bool taken = edit_set_tileset(map, bmp, none);
    edit_end(map);
    gfx_invalidate_view(app().gfx);
    gfx_invalidate_radar(app().gfx);
    return taken;
}

} // namespace

void command_quit(const CommandCall&) {
    if (!editor_may_discard(DISCARD_QUIT)) return;
    console_print(app().console, 1, "shutting down now!");
    app().running = 0;
}

void command_go(const CommandCall& call) {
    open_map(call.text.c_str());
}

void command_new(const CommandCall&) {
    if (!editor_may_discard(DISCARD_OPEN)) return;
    replace_map(document_make(mapdata_load(""), ""));
}

void command_recent(const CommandCall& call) {
    std::vector<std::string> recent = recent_load();
    if (call.words.empty()) {
        if (recent.empty()) console_print(app().console, 1, "no recent maps yet");
        for (size_t i = 0; i < recent.size(); ++i)
            console_print(app().console, 1, "%zu %s", i + 1, recent[i].c_str());
        return;
    }
    size_t n = static_cast<size_t>(call.numbers[0]);
    if (n > recent.size()) {
        command_say_range(call.name, "N", call.words[0], 1, static_cast<int64_t>(recent.size()));
        return;
    }
    open_map(recent[n - 1].c_str());
}

void command_fit(const CommandCall&) {
    editor_center_on_content();
}

void command_regions(const CommandCall& call) {
    if (!call.words.empty()) app().view.regions_all = call.words[0] == "all";
    console_print(app().console, 1, "the map shows %s",
                  app().view.regions_all ? "every region in its colour"
                                         : "the selected region only");
}

void command_paste(const CommandCall& call) {
    if (!call.words.empty()) app().tools.paste_all = call.words[0] == "all";
    console_print(app().console, 1, "pastes write %s",
                  app().tools.paste_all ? "every cell of the piece"
                                        : "the piece's non-empty cells only");
}

void command_locate(const CommandCall&) {
    const Editor& e = app();
    int32_t tx = e.view.center_x >> 4;
    int32_t ty = e.view.center_y >> 4;
    console_print(app().console, 1, "current sector: %c%d topleft: %d,%d middle: %d,%d",
                  'A' + (tx * 20) / 1024, (ty * 20) / 1024 + 1, e.view.tile_x, e.view.tile_y, tx,
                  ty);
}

void command_help(const CommandCall&) {
    help_print();
}

void command_save(const CommandCall& call) {
    save_map(call.text, false);
}

void command_save_anyway(const CommandCall& call) {
    save_map(call.text, true);
}

// "?tileset <file.bmp>" gives the map a tileset; "?tileset none" takes it away.
void command_tileset(const CommandCall& call) {
    if (!app_map()) return;
    const char* path = call.text.c_str();
    char reason[256];
    std::vector<uint8_t> bmp;
    if (!tileset_file_read(path, &bmp, reason, sizeof reason)) {
        console_print(app().console, 3, "cannot use %s as a tileset: %s", path, reason);
        return;
    }
    if (!set_tileset(call, bmp, false)) {
        console_print(app().console, 3, "cannot use %s as a tileset", path);
        return;
    }
    console_print(app().console, 1, "tileset %s in use", path);
}

void command_tileset_none(const CommandCall& call) {
    if (!app_map()) return;
    uint32_t length = 0;
    const uint8_t* builtin = builtin_tileset(&length);
    std::ignore = set_tileset(call, std::span<const uint8_t>(builtin, length), true);
    console_print(app().console, 1, "the map has no tileset now: it is saved without one");
}

void command_settile(const CommandCall& call) {
    app().selected_tile = call.numbers[0];
    console_print(app().console, 1, "holding tile: %d", call.numbers[0]);
}

void command_warpto(const CommandCall& call) {
    app().view.center_x = low16(static_cast<int64_t>(call.numbers[0]) * 16);
    app().view.center_y = low16(static_cast<int64_t>(call.numbers[1]) * 16);
    editor_update_view();
}

void command_insattr(const CommandCall& call) {
    const char* arg = call.text.c_str();
    const char* equals = std::strchr(arg, '=');
    if (!app_map()) return;
    if (!equals || equals == arg || equals[1] == '\0') {
        command_say_usage(call.name);
        return;
    }
    // Keys are cut to 63 characters, as the level reader cuts them.
    char key[kAttrKeyMax + 1] = {};
    size_t key_length = static_cast<size_t>(equals - arg);
    if (key_length > kAttrKeyMax) key_length = kAttrKeyMax;
    std::memcpy(key, arg, key_length);
    MapEdit map = app_map();
    edit_begin(map, "?insattr ");
    edit_label(map, "?insattr %s", key);
    edit_set_attribute(map, key, equals + 1);
    edit_end(map);
    console_print(app().console, 1, "added ATTR %s=%s", key, equals + 1);
}

void command_rmattr(const CommandCall& call) {
    MapEdit map = app_map();
    if (!map) return;
    const char* key = call.text.c_str();
    edit_begin(map, "?rmattr ");
    edit_label(map, "?rmattr %s", key);
    int removed = edit_remove_attribute(map, key);
    edit_end(map);
    if (removed)
        console_print(app().console, 1, "removed ATTR %s", key);
    else
        console_print(app().console, 1, "no ATTR %s to remove", key);
}

void command_undo(const CommandCall&) {
    editor_undo();
}

void command_redo(const CommandCall&) {
    editor_redo();
}

// "?recover" restores the unsaved work offered at the open: in place, or as a new untitled map
// when the map's file changed since; "?discard" drops it.
void command_recover(const CommandCall&) {
    LevelLosses losses;
    if (MapData* map = editor_journal_recover(app().journal, app().doc, &losses)) {
        Document doc = document_make(map, "", losses);
        doc.saved_revision = ~uint64_t{0}; // no file holds it: a save must be asked for
        replace_map(std::move(doc));
    }
    gfx_invalidate_view(app().gfx);
    gfx_invalidate_radar(app().gfx);
    regionlist_rebuild();
}

void command_discard(const CommandCall&) {
    editor_journal_discard(app().journal);
}

void commands_report_load(const LevelLosses& losses) {
    if (losses.tile_records > 0)
        console_print(app().console, 3, "%u tile records were out of range and were skipped",
                      losses.tile_records);
    if (losses.chunk_areas > 0)
        console_print(app().console, 3,
                      "%u metadata chunk areas were damaged and were read only in part",
                      losses.chunk_areas);
    if (losses.region_data > 0)
        console_print(app().console, 3,
                      "%u region cell lists were invalid and were read only in part",
                      losses.region_data);
    if (losses.region_cells > 0)
        console_print(app().console, 3, "%u region cells were lost at the 255-set region limit",
                      losses.region_cells);
    if (losses.region_data_cut)
        console_print(app().console, 3, "region cells past the decoding limit were left out");
    if (!level_losses_text(losses).empty())
        console_print(app().console, 3,
                      "\"?save\" keeps the file as it is; \"?save!\" saves the map without them");
}
