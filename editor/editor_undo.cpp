// editor_undo.cpp - undo and redo of whole steps from keys and commands, with their notes.
#include "console/console.h"
#include "editor/editor_mouse.h"
#include "editor/editor_state.h"
#include "map/edit/edit.h"
#include "map/model/mapdata.h"

namespace {

void walk(bool back) {
    MapEdit map = app_map();
    if (!map) return;
    // A stroke still held is a step of its own: it is what gets undone.
    editor_end_stroke();
    const char* label = nullptr;
    bool walked = back ? edit_undo(map, &label) : edit_redo(map, &label);
    document_check_selection(app().doc);
    if (walked)
        console_print(app().console, 1, "%s: %s", back ? "undo" : "redo", label);
    else
        console_print(app().console, 1, back ? "nothing to undo" : "nothing to redo");
}

} // namespace

void editor_undo() {
    walk(true);
}

void editor_redo() {
    walk(false);
}

void editor_history_notice() {
    if (app_map() && edit_take_cut_notice(app_map()))
        console_print(app().console, 1, "undo history full: the oldest steps were dropped");
}
