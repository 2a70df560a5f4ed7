// input_sdl.h - SDL 1.2's event queue and pointer state read as the editor's own input
// records; nothing else in the editor reads SDL's events.
#pragma once
#include "editor/input_event.h"

// Asks SDL for the character each key press types.
void input_sdl_start();

// Reads one input step's events. SDL's button events carry no modifiers: the reader keeps
// those the key events left, so a click gets the modifiers held at its own moment.
struct InputReader {
    int32_t modifiers = 0;
};
// A reader starting from the modifiers SDL holds now (the state after the events taken so far).
InputReader input_sdl_reader();
// The next queued event the editor handles; false when the queue is empty.
bool input_sdl_next(InputReader& reader, InputEvent* out);
// The pointer, buttons and modifiers as they stand after the events taken.
InputState input_sdl_state();
