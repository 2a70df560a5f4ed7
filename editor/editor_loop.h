// editor_loop.h - the main loop's steps and the event router.
#pragma once
#include <cstdint>

#include "editor/input_event.h"

// One event, handled at once and in the order it came: quit and resize, key presses to the
// menu, bookmark or editing keys (Alt tracked across press and release), button presses and
// releases to the mouse at their own position, motion to the hover tile.
void editor_input_event(const InputEvent& event);

// Asks the loop to compose and present a frame at once (after a zoom).
void editor_request_frame();

// The main loop's clock: the tick each step last ran at.
struct LoopClock {
    uint32_t last_input;
    uint32_t last_redraw;
    uint32_t last_present;
};
enum : uint32_t { LOOP_INPUT = 1, LOOP_REDRAW = 2, LOOP_PRESENT = 4 };
// The steps due at tick t (input on every new tick, a frame every third, a present every
// second), marked as run in the clock.
uint32_t editor_loop_due(LoopClock* clock, uint32_t t);

// One input step: every queued event in order, then the held buttons' work along the pointer's
// motion (strokes, scrolling, dragging), paced at one step per tick.
void editor_input_step();
// Composes one frame over the map view: hover box and label, status, panels, console, menu.
void editor_redraw_step();
