// tool_commands.cpp - "?rotate", "?flip", "?fill", "?line", "?rect" and "?copyregions": the
// editing tools that are typed rather than clicked. Map changes go through map/clipboard.
#include "editor/commands/command_table.h"
#include "console/console.h"
#include "editor/editor_state.h"
#include "map/edit/clipboard.h"
#include "map/model/mapdata.h"

namespace {

// The views follow the map's revision, so a report is all that is left to do.
void report(const char* what, uint32_t cells) {
    console_print(app().console, 1, "%s: %u cells", what, cells);
}

bool have_piece() {
    if (app().tools.clipboard) return true;
    console_print(app().console, 1, "the clipboard is empty: Ctrl+C copies the selection");
    return false;
}

void piece_changed() {
    console_print(app().console, 1, "piece now %d x %d cells", app().tools.clipboard->width,
                  app().tools.clipboard->height);
}

} // namespace

void command_rotate(const CommandCall&) {
    if (!have_piece()) return;
    clip_rotate(app().tools.clipboard.get());
    piece_changed();
}

void command_flip(const CommandCall& call) {
    if (!have_piece()) return;
    clip_flip(app().tools.clipboard.get(), call.words[0] == "h");
    piece_changed();
}

void command_fill(const CommandCall& call) {
    bool border = !call.words.empty();
    if (!app_map()) return;
    if (!app().doc.selection.shown) {
        console_print(app().console, 1,
                      "nothing is selected: Shift + left drag selects, Ctrl+A the whole map");
        return;
    }
    ClipRect sel{app().doc.selection.x, app().doc.selection.y, app().doc.selection.w,
                 app().doc.selection.h};
    report(border ? "border" : "fill",
           clip_fill(app_map(), sel, app().selected_tile, border, app().doc.selected_region));
}

void command_line(const CommandCall& call) {
    const std::vector<int32_t>& c = call.numbers;
    if (!app_map()) return;
    report("line", clip_line(app_map(), c[0], c[1], c[2], c[3], app().selected_tile,
                             app().doc.selected_region));
}

void command_rect(const CommandCall& call) {
    const std::vector<int32_t>& c = call.numbers;
    if (!app_map()) return;
    bool filled = call.words.size() == 5;
    report("rectangle", clip_fill(app_map(), clip_rect_between(c[0], c[1], c[2], c[3]),
                                  app().selected_tile, !filled, app().doc.selected_region));
}

void command_copyregions(const CommandCall& call) {
    if (!call.words.empty()) app().tools.copy_regions = call.words[0] == "on";
    console_print(app().console, 1, "copyregions %s: copies %s the selected region's cells",
                  app().tools.copy_regions ? "on" : "off",
                  app().tools.copy_regions ? "carry" : "leave out");
}
