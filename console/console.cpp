// console.cpp - the message rows (a scrollback of the last 500) and the input line, drawn over
// the map view.
#include "console/console.h"

#include "console/scrollback.h"
#include "core/log.h"
#include "render/draw.h"

#include <SDL.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

namespace {

constexpr int32_t kShiftMask = 0x0003;
constexpr int32_t kCtrlMask = 0x00C0;
constexpr int32_t kCapsMask = 0x2000;
// SDL 1.2 key codes the input line takes besides the characters.
constexpr int32_t kKeyUp = 273, kKeyDown = 274, kKeyPageUp = 280, kKeyPageDown = 281;
constexpr int32_t kPageRows = 4;

void build_shift_map(uint8_t* map) {
    for (int i = 0; i < 256; ++i)
        map[i] = static_cast<uint8_t>(i);
    // A US keyboard's shifted digits and punctuation; the back-quote has no entry.
    static const char kPlain[] = "1234567890-=[];',./\\";
    static const char kShifted[] = "!@#$%^&*()_+{}:\"<>?|";
    for (size_t i = 0; i < sizeof kPlain - 1; ++i)
        map[static_cast<uint8_t>(kPlain[i])] = static_cast<uint8_t>(kShifted[i]);
}

// The character key 32..122 types on a US keyboard with these modifiers.
uint8_t key_char(const Console& c, int32_t key, int32_t modifiers) {
    if (modifiers & kShiftMask) {
        const uint8_t ch = c.shift_map[key];
        return key >= 97 ? static_cast<uint8_t>(ch - 32) : ch;
    }
    if ((modifiers & kCapsMask) && key >= 97) return static_cast<uint8_t>(key - 32);
    return static_cast<uint8_t>(key);
}

void push_row(Console& c, std::string_view text, uint8_t colour) {
    if (c.rows.size() >= static_cast<size_t>(kConsoleKeep)) c.rows.pop_front();
    ConsoleRow& row = c.rows.emplace_back();
    std::memset(row.text, 0, sizeof row.text);
    std::memcpy(row.text, text.data(), std::min(text.size(), sizeof row.text - 1));
    row.colour = colour;
    // Scrolled back, the view stays on the rows it shows.
    if (c.back > 0) c.back = std::min<int32_t>(c.back + 1, static_cast<int32_t>(c.rows.size()) - 1);
}

void set_input(Console& c, const std::string& text) {
    std::memset(c.input, 0, sizeof c.input);
    std::memcpy(c.input, text.data(), std::min<size_t>(text.size(), kConsoleTextMax));
}

// Draws up to count characters from text, copied into a terminated buffer first.
void draw_piece(const char* text, size_t count, int y) {
    char piece[kConsoleTextMax + 1];
    if (count > kConsoleTextMax) count = kConsoleTextMax;
    std::memcpy(piece, text, count);
    piece[count] = '\0';
    gfx_draw_text(nullptr, 0, y, piece, 0);
}

} // namespace

void console_init(Console& c, int screen_width, const char* name) {
    build_shift_map(c.shift_map);
    c.rows.clear();
    c.back = 0;
    c.recall = {};
    std::memset(c.input, 0, sizeof c.input);
    // Wide windows are held to the 239 characters a row can keep; a row is never empty.
    int32_t width = screen_width / 8;
    if (width > kConsoleTextMax) width = kConsoleTextMax;
    if (width < 1) width = 1;
    c.width = width;
    console_print(c, 1, "now viewing %s", name);
    SDL_EnableKeyRepeat(100, 50);
}

void console_shutdown() {
    SDL_EnableKeyRepeat(500, 30);
}

void console_print(Console& c, uint8_t colour, const char* fmt, ...) {
    char text[kConsoleTextMax + 1];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    size_t length = std::strlen(text);
    if (length == 0) return;
    // A session's problems can be read afterwards from standard error.
    if (colour == kConsoleRed) log_msg('W', "%s", text);
    // Before console_init the width is still 0; one full-length row per piece then.
    size_t width = c.width > 0 ? static_cast<size_t>(c.width) : kConsoleTextMax;
    for (std::string_view row : console_wrap({text, length}, width))
        push_row(c, row, colour);
}

namespace {

// Draws (or only measures) the input line and the newest rows from the bottom edge up; the
// area they take is reported as its top edge and its widest line.
void console_walk(const Console& c, int32_t rows, int screen_height, bool draw, int* top,
                  int* widest) {
    int y = screen_height - 8;
    *top = y + 8;
    *widest = 0;
    if (rows < 0) rows = 1;
    if (rows > kConsoleKeep) rows = kConsoleKeep;
    size_t n = std::strlen(c.input);
    size_t w = static_cast<size_t>(c.width > 0 ? c.width : kConsoleTextMax);
    // Input pieces are cut copies in grey; history rows are drawn whole in their colour.
    auto line = [&](const char* text, size_t count, int colour) {
        if (draw && colour < 0) draw_piece(text, count, y);
        if (draw && colour >= 0) gfx_draw_text(nullptr, 0, y, text, static_cast<uint32_t>(colour));
        *top = y;
        *widest = std::max(*widest, static_cast<int>(std::min(count, w)) * 8);
        y -= 8;
        --rows;
    };
    if (n > 0) {
        // A line of one width or more shows its second piece below the first.
        if (n >= w) line(c.input + w, n - w < w ? n - w : w, -1);
        line(c.input, n < w ? n : w, -1);
    }
    const auto& all = c.rows;
    int32_t k = static_cast<int32_t>(all.size()) - 1 - c.back;
    if (c.back > 0 && rows > 0) {
        // Scrolled back: the bottom row says how far, and how to come back.
        char note[64];
        std::snprintf(note, sizeof note, "-- %d newer rows (Page Down) --",
                      static_cast<int>(c.back));
        line(note, std::strlen(note), COLOUR_YELLOW);
    }
    for (; k >= 0 && rows > 0; --k)
        line(all[static_cast<size_t>(k)].text, std::strlen(all[static_cast<size_t>(k)].text),
             all[static_cast<size_t>(k)].colour);
}

} // namespace

void console_draw(const Console& c, int32_t rows, int screen_height) {
    int top, widest;
    console_walk(c, rows, screen_height, true, &top, &widest);
}

void console_extent(const Console& c, int32_t rows, int screen_height, int* top, int* width) {
    console_walk(c, rows, screen_height, false, top, width);
}

void console_key(Console& c, int32_t key, int32_t modifiers, uint32_t text) {
    size_t n = std::strlen(c.input);
    // A printable character typed (Ctrl's control characters are not) counts as itself.
    const bool typed = text >= 32 && text <= 126 && !(modifiers & kCtrlMask);
    if (typed || (key >= 32 && key <= 122)) {
        const uint8_t ch = typed ? static_cast<uint8_t>(text) : key_char(c, key, modifiers);
        // The input never starts with a space.
        if (ch == ' ' && n == 0) return;
        if (n >= kConsoleTextMax) return;
        c.input[n] = static_cast<char>(ch);
        c.input[n + 1] = '\0';
    } else if (key == 8) {
        if (n == 0) return;
        if (modifiers & kCtrlMask)
            c.input[0] = '\0';
        else
            c.input[n - 1] = '\0';
    } else if (key == 13) {
        if (n == 0) return;
        // A copy: the command may print, and printing moves nothing of the input.
        std::string line = c.input;
        std::memset(c.input, 0, sizeof c.input);
        recall_keep(&c.recall, line);
        c.back = 0;
        if (c.on_line) c.on_line(line.c_str());
    } else if (key == kKeyUp || key == kKeyDown) {
        std::string recalled;
        if (recall_step(&c.recall, key == kKeyUp, &recalled)) set_input(c, recalled);
    } else if (key == kKeyPageUp || key == kKeyPageDown) {
        console_scroll(c, key == kKeyPageUp ? kPageRows : -kPageRows);
    }
}

void console_scroll(Console& c, int32_t rows) {
    const int32_t most = std::max<int32_t>(0, static_cast<int32_t>(c.rows.size()) - 1);
    c.back = std::clamp(c.back + rows, 0, most);
}

void console_clear_input(Console& c) {
    std::memset(c.input, 0, sizeof c.input);
}

const ConsoleRow* console_row(const Console& c, int index) {
    static const ConsoleRow kEmpty{};
    if (index < 0 || index >= kConsoleRows) return nullptr;
    const auto& all = c.rows;
    const size_t from_end = static_cast<size_t>(kConsoleRows - index);
    return from_end <= all.size() ? &all[all.size() - from_end] : &kEmpty;
}
