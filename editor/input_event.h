// input_event.h - one key, button, motion or window event as the editor takes it, with the
// modifiers and pointer position of its own moment (never those of a later poll), and the
// pointer state an input step paces motion by.
#pragma once
#include <cstdint>

enum class InputKind : uint8_t { None, Quit, Resize, KeyDown, KeyUp, ButtonDown, ButtonUp, Motion };

struct InputEvent {
    InputKind kind = InputKind::None;
    int32_t key = 0;       // key code, numbered as editor_keys.h names them
    uint32_t text = 0;     // the character a key press types (0 for none or unknown)
    int32_t modifiers = 0; // modifier keys held when the event happened (MOD_SHIFT, MOD_CTRL)
    int32_t button = 0;    // 1 left, 2 middle, 3 right, 4 and 5 the wheel
    int32_t x = 0;         // pointer in window pixels; the new window size for Resize
    int32_t y = 0;
};

// The pointer, its buttons (MOUSE_LEFT | MOUSE_MIDDLE | MOUSE_RIGHT) and the modifiers as they
// stand once the queued events are taken.
struct InputState {
    int32_t x = 0;
    int32_t y = 0;
    uint32_t buttons = 0;
    int32_t modifiers = 0;
};
