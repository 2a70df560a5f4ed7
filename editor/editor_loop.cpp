// editor_loop.cpp - the main loop: input every tick, a frame every third, a present every
// second; and the router that hands each event to the window, the keys or the mouse.
#include "editor/editor_loop.h"
#include "editor/editor_panels.h"
#include "editor/mouse_tools.h"

#include "console/console.h"
#include "core/log.h"
#include "core/platform.h"
#include "editor/editor.h"
#include "editor/editor_keys.h"
#include "editor/editor_mouse.h"
#include "editor/editor_overlay.h"
#include "editor/editor_state.h"
#include "editor/editor_tools.h"
#include "editor/input_sdl.h"
#include "editor/recovery/editor_journal.h"
#include "editor/regionlist.h"
#include "render/draw.h"
#include "render/gfx.h"
#include "render/helpviewer.h"
#include "render/mapview.h"
#include "render/panels.h"

#include <cstdio>
#include <cstring>

void editor_request_frame() {
    app().frame_requested = true;
}

namespace {

void window_resized(int32_t w, int32_t h) {
    gfx_set_video_mode(app().gfx, w, h);
    app().view.screen_width = static_cast<int16_t>(w);
    app().view.screen_height = static_cast<int16_t>(h);
    editor_update_view();
}

void key_pressed(const InputEvent& event) {
    if (app().menu_open)
        editor_menu_key(event.key, event.modifiers);
    else if (!editor_bookmark_key(event.key, event.modifiers))
        editor_key(event.key, event.modifiers, event.text);
    if (event.key == KEY_RIGHT_ALT || event.key == KEY_LEFT_ALT) app().alt_held = 1;
}

} // namespace

void editor_input_event(const InputEvent& event) {
    switch (event.kind) {
    case InputKind::Quit:
        // The close button asks once when there are unsaved changes.
        if (!editor_may_discard(DISCARD_QUIT)) return;
        log_msg(0, "*** %s exiting: quit event", "ostrel");
        app().running = 0;
        return;
    case InputKind::Resize:
        window_resized(event.x, event.y);
        return;
    case InputKind::KeyDown:
        key_pressed(event);
        return;
    case InputKind::KeyUp:
        if (event.key == KEY_RIGHT_ALT || event.key == KEY_LEFT_ALT) app().alt_held = 0;
        return;
    case InputKind::ButtonDown:
    case InputKind::ButtonUp:
        editor_mouse_button(event);
        return;
    case InputKind::Motion:
        // Keys that act under the pointer (a fill, the paste preview) see where it is now.
        editor_point_at(event.x, event.y);
        return;
    case InputKind::None:
        return;
    }
}

void editor_input_step() {
    // The list shows the map's regions as they are now (after commands, undo and redo).
    regionlist_follow_map();
    InputReader reader = input_sdl_reader();
    InputEvent event;
    while (input_sdl_next(reader, &event))
        editor_input_event(event);
    editor_mouse_step(input_sdl_state());
    editor_history_notice();
}

void editor_redraw_step() {
    Editor& e = app();
    int32_t s = 16 / e.view.zoom;
    gfx_draw_map(app().gfx, e.doc.map.get(), {e.view.offset_x, e.view.offset_y, e.view.tile_x, e.view.tile_y,
                                   -1, -1, e.view.zoom, e.view.grid_shown != 0,
                                   e.doc.selected_region});
    if (e.view.regions_all)
        gfx_draw_region_cells(app().gfx, nullptr, e.doc.map.get(), e.view.offset_x, e.view.offset_y,
                              e.view.tile_x, e.view.tile_y, e.view.screen_width / s + 2,
                              e.view.screen_height / s + 2, s);
    editor_draw_tools();
    int box_x = e.view.offset_x + e.mouse_x;
    int box_y = e.view.offset_y + e.mouse_y;
    gfx_draw_outline(app().gfx, nullptr, static_cast<int16_t>(box_x), static_cast<int16_t>(box_y),
                     static_cast<uint16_t>(s), static_cast<uint16_t>(s), COLOUR_RED);
    // The cell's coordinates are in the status box: a label by the pointer would hide the
    // cells next to it.
    editor_draw_status();
    const PanelLayout layout = editor_layout();
    if (e.alt_held)
        gfx_draw_radar(app().gfx, e.doc.map.get(), layout.radar.x, layout.radar.y, e.view.tile_x, e.view.tile_y,
                       e.view.zoom);
    else if (e.view.palette_shown) {
        gfx_draw_palette(app().gfx, e.doc.map.get(), layout.palette.x, layout.palette.y);
        mouse_tools_draw_strip(layout.tool_strip.x, layout.tool_strip.y);
        editor_draw_palette_marks();
    }
    if (e.view.help_page != 0)
        helpviewer_draw_page(app().gfx, app().help, e.view.help_page - 1);
    else if (e.view.region_list_shown)
        regionlist_draw();
    if (editor_console_rows() > 0)
        console_draw(app().gfx, app().console, editor_console_rows(), app().view.screen_height);
    if (e.menu_open) editor_draw_menu();
}

uint32_t editor_loop_due(LoopClock* clock, uint32_t t) {
    uint32_t due = 0;
    if (t != clock->last_input) {
        due |= LOOP_INPUT;
        clock->last_input = t;
    }
    // Unsigned differences keep the cadences going when the clock wraps.
    if (t - clock->last_redraw > 2) {
        due |= LOOP_REDRAW;
        clock->last_redraw = t;
    }
    if (t - clock->last_present > 1) {
        due |= LOOP_PRESENT;
        clock->last_present = t;
    }
    return due;
}

void editor_run() {
    LoopClock clock = {0, 0, 0};
    bool first_frame = true;
    app().hover = {-1, -1};
    while (true) {
        platform_sleep_ms(5);
        const uint32_t t = get_ticks();
        uint32_t due = editor_loop_due(&clock, t);
        if (due & LOOP_INPUT) editor_input_step();
        // A change the user waits to see (a zoom) is composed and shown in this very pass.
        if (app().frame_requested) {
            app().frame_requested = false;
            due |= LOOP_REDRAW | LOOP_PRESENT;
            clock.last_redraw = clock.last_present = t;
        }
        if (due & LOOP_REDRAW) editor_redraw_step();
        if (due & LOOP_PRESENT) {
            gfx_present(app().gfx);
            if (first_frame) {
                first_frame = false;
                log_msg('D', "<editor> first frame presented %u ms after start",
                        platform_millis() - editor_start_millis());
            }
        }
        if (editor_terminate_requested()) {
            log_msg(0, "*** %s exiting: terminated", "ostrel");
            app().running = 0;
        }
        editor_journal_check(app().journal);
        if (!app().running) break;
    }
}
