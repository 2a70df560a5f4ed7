// console.h - the on-screen message rows, kept as a scrollback, and the input line at the
// bottom left of the window.
#pragma once
#include <cstdint>

// Longest text a row or the input line holds; their buffers have one more byte.
inline constexpr int kConsoleTextMax = 239;
inline constexpr int kConsoleRows = 8;   // rows console_row reads: the newest eight
inline constexpr int kConsoleKeep = 500; // rows kept for scrolling back

struct ConsoleRow {
    char text[kConsoleTextMax + 1]; // zero-filled beyond the row's characters
    uint8_t colour;
};

// Builds the shift table, empties history and input, fixes the row width from the window
// width, prints "now viewing <map>" and turns key repeat on (100 ms, 50 ms).
void console_init();
// Puts key repeat back to 500 ms delay, 30 ms interval.
void console_shutdown();
// Adds a formatted message (cut to 239 characters) as one or more rows of console width, cut
// at spaces where it can be.
void console_print(uint8_t colour, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
// Draws the input line and the history rows shown (the newest unless scrolled back); rows is
// clamped to 0..kConsoleKeep (negative: 1).
void console_draw(int32_t rows);
// The area console_draw(rows) covers: its top edge and the width of its widest line (0 when
// nothing is drawn).
void console_extent(int32_t rows, int* top, int* width);
// Applies one key press (SDL key code, SDL modifier state) to the input line: characters,
// Backspace, Return runs it, Up and Down recall earlier lines, Page Up and Down scroll.
void console_key(int32_t key, int32_t modifiers);
// Scrolls the history back (rows > 0) or forward; it stops at the oldest and the newest row.
void console_scroll(int32_t rows);
int32_t console_scrolled_back();
// Drops the line being typed (Escape).
void console_clear_input();

// Read access for drawing checks and tests: the newest eight rows, row 7 the newest (an empty
// row where fewer were printed).
const ConsoleRow* console_row(int index);
const char* console_input();
int32_t console_width();
