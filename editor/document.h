// document.h - one open map and everything about it besides its content: its undo history,
// the file it is saved to, the selection and a paste under way, the selected region. Opening another map replaces
// the whole Document; only the clipboard (the Editor's) outlives it.
#pragma once
#include <cstdint>
#include <string>

#include "map/edit/edit.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"

// A rectangle of cells chosen with Shift + left drag or Ctrl+A.
struct Selection {
    int32_t shown = 0; // a rectangle is selected
    int32_t x = 0, y = 0, w = 0, h = 0;
    int32_t selecting = 0; // a Shift + left drag is under way, from (drag_x, drag_y)
    int32_t drag_x = 0, drag_y = 0;
};

struct Document {
    EditedMap map; // the map and its undo history
    std::string path; // the full path of the map's file; empty for a map with no file yet
    // The map's revision when it was loaded or last saved whole: unsaved changes while the
    // map's own revision differs.
    uint64_t saved_revision = 0;
    // What the read of its file could not use: a save that would make it permanent asks first.
    // A save that went ahead anyway (or any save since) leaves nothing to lose.
    LevelLosses read_losses;
    Selection selection;
    int32_t pasting = 0; // the clipboard's piece follows the pointer until a right click
    // The region that region commands, the region brush and copies act on: one of the map's
    // regions or none (document_check_selection).
    Region* selected_region = nullptr;
};

// Drops the selected region once it is no longer one of the map's (deleted, or its making
// undone): its record may live on in the history, but it is not to be drawn or edited.
inline void document_check_selection(Document& doc) {
    if (!doc.selected_region) return;
    for (const ListNode* node = doc.map ? doc.map->region_order.head : nullptr; node;
         node = node->next)
        if (node->data == doc.selected_region) return;
    doc.selected_region = nullptr;
}

// True when the map has changes since it was loaded or last saved.
inline bool document_modified(const Document& doc) {
    return doc.map && doc.map->revision != doc.saved_revision;
}

// What messages call the map: its full path, "<default>" without a file.
inline const char* document_title(const Document& doc) {
    return doc.path.empty() ? "<default>" : doc.path.c_str();
}

// A Document for the map (taking it over) saved at path ("": no file yet), as loaded with
// its read's losses; nothing of an earlier one carries over.
inline Document document_make(MapData* map, std::string path, const LevelLosses& losses = {}) {
    Document doc;
    doc.map = EditedMap(map);
    doc.path = std::move(path);
    doc.read_losses = losses;
    if (map) doc.saved_revision = map->revision;
    return doc;
}
