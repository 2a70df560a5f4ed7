// editor_keys.h - the keyboard: menu keys, bookmark keys, editing keys and the bookmarks.
#pragma once
#include <cstdint>

// SDL 1.2 key codes and modifier bits the editor tests.
enum : int32_t {
    KEY_ESCAPE = 27,
    KEY_UP = 273,
    KEY_DOWN = 274,
    KEY_RIGHT = 275,
    KEY_LEFT = 276,
    KEY_INSERT = 277,
    KEY_PAGE_UP = 280,
    KEY_PAGE_DOWN = 281,
    KEY_F1 = 282,
    KEY_F2 = 283,
    KEY_F3 = 284,
    KEY_F4 = 285,
    KEY_F5 = 286,
    KEY_F6 = 287,
    KEY_RIGHT_ALT = 307,
    KEY_LEFT_ALT = 308,
    MOD_SHIFT = 0x03,
    MOD_CTRL = 0xC0,
};

// Each returns 1 when it used the key. text is the character the press types (0 when not
// known): a begun console line takes it as typed, whatever the keyboard's layout.
int editor_menu_key(int32_t key, int32_t modifiers);
int editor_bookmark_key(int32_t key, int32_t modifiers);
int editor_key(int32_t key, int32_t modifiers, uint32_t text = 0);

// Mouse wheel buttons of SDL 1.2's button events.
enum : int32_t { MOUSE_WHEEL_UP = 4, MOUSE_WHEEL_DOWN = 5 };
// Changes the zoom (1, 2 or 4) keeping the map cell under window position (px, py) there.
void editor_zoom_at(int32_t zoom, int32_t px, int32_t py);
// A wheel button press at (px, py): down zooms out, up zooms in, about the pointer.
void editor_wheel(int32_t button, int32_t px, int32_t py);

// Bookmarks 0..3 of the open map: view centres in map pixels; get is false for an unset one.
void bookmark_set(int slot, int16_t x, int16_t y);
bool bookmark_get(int slot, int16_t* x, int16_t* y);
void bookmarks_clear();
