// console.h - the on-screen message rows, kept as a scrollback, and the input line at the
// bottom left of the window. A widget: it knows nothing of the editor, and a finished input
// line goes to its callback.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>

#include "console/scrollback.h"

// Longest text a row or the input line holds; their buffers have one more byte.
inline constexpr int kConsoleTextMax = 239;
inline constexpr int kConsoleRows = 8;   // rows console_row reads: the newest eight
inline constexpr int kConsoleKeep = 500; // rows kept for scrolling back

struct ConsoleRow {
    char text[kConsoleTextMax + 1]; // zero-filled beyond the row's characters
    uint8_t colour;
};

struct Console {
    std::deque<ConsoleRow> rows; // oldest first, at most kConsoleKeep
    int32_t back = 0;            // rows scrolled back from the newest
    LineRecall recall;
    char input[kConsoleTextMax + 1] = {};
    int32_t width = 0; // characters a row holds; 0 before console_init
    uint8_t shift_map[256] = {};
    // Called with each finished input line (Return on a non-empty line).
    std::function<void(const char* line)> on_line;
};

// Colour of the lines that report a problem; they also go to the log as warnings.
inline constexpr uint8_t kConsoleRed = 3;

// Builds the shift table, empties history and input, fixes the row width from the window
// width, prints "now viewing <name>" and turns key repeat on (100 ms, 50 ms).
void console_init(Console& console, int screen_width, const char* name);
// Puts key repeat back to 500 ms delay, 30 ms interval.
void console_shutdown();
// Adds a formatted message (cut to 239 characters) as one or more rows of console width, cut
// at spaces where it can be. Red rows also go to the log.
void console_print(Console& console, uint8_t colour, const char* fmt, ...)
    __attribute__((format(printf, 3, 4)));
// Draws the input line and the history rows shown (the newest unless scrolled back) at the
// bottom of a window screen_height pixels high; rows is clamped to 0..kConsoleKeep (negative: 1).
void console_draw(const Console& console, int32_t rows, int screen_height);
// The area console_draw covers: its top edge and the width of its widest line (0 when
// nothing is drawn).
void console_extent(const Console& console, int32_t rows, int screen_height, int* top, int* width);
// Applies one key press (SDL key code, SDL modifier state, and the printable character it
// types or 0) to the input line: characters, Backspace, Return hands the line to on_line, Up
// and Down recall earlier lines, Page Up and Down scroll. Without a character, a US
// keyboard's Shift and Caps Lock give the one typed.
void console_key(Console& console, int32_t key, int32_t modifiers, uint32_t text = 0);
// Scrolls the history back (rows > 0) or forward; it stops at the oldest and the newest row.
void console_scroll(Console& console, int32_t rows);
// Drops the line being typed (Escape).
void console_clear_input(Console& console);

// Read access for drawing checks and tests: the newest eight rows, row 7 the newest (an empty
// row where fewer were printed).
const ConsoleRow* console_row(const Console& console, int index);
