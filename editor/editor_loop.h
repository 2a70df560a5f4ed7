// editor_loop.h - the main loop's steps and the two event routers.
#pragma once
#include <cstdint>

union SDL_Event;

// SDL 1.2 event type numbers the routers look at.
enum : uint8_t { EVENT_KEY_DOWN = 2, EVENT_KEY_UP = 3, EVENT_QUIT = 12, EVENT_RESIZE = 16 };

// Quit and resize; 1 when the event was consumed.
int editor_window_event(const SDL_Event* event, int32_t modifiers);
// Key presses to the menu, bookmark or editing keys; Alt tracking; 1 for key events.
int editor_key_event(const SDL_Event* event, int32_t modifiers);

// Mouse button presses: the wheel (buttons 4 and 5) zooms about the pointer; other buttons are
// polled, so their events are only taken from the queue. 1 for button presses.
int editor_mouse_event(const SDL_Event* event, int32_t modifiers);
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

// One input step: mouse and modifiers polled, hover tile, event queue drained, mouse editing.
void editor_input_step();
// Composes one frame over the map view: hover box and label, status, panels, console, menu.
void editor_redraw_step();
