// helpviewer.cpp - help lines in pages and the drawing of one page.
#include "render/helpviewer.h"

#include <cstdio>
#include <cstring>

#include "core/mem.h"
#include "render/draw.h"

void helpviewer_add_line(HelpState& help, const char* text) {
    if (help.line_count == help.capacity) {
        help.capacity = help.capacity > 0 ? help.capacity * 2 : 16;
        help.lines = static_cast<HelpLine*>(
            mem_resize(help.lines, static_cast<uint32_t>(help.capacity) * sizeof(HelpLine)));
    }
    if (text[0] == '#') {
        ++text;
        ++help.page_count;
    }
    HelpLine& line = help.lines[help.line_count];
    std::memset(line.text, 0, sizeof line.text);
    std::strncpy(line.text, text, sizeof line.text - 1);
    line.visible_length = helpviewer_visible_length(line.text);
    line.page = help.page_count - 1;
    ++help.line_count;
}

int helpviewer_colour_code(int letter) {
    switch (letter) {
    case 'W':
        return COLOUR_GREY;
    case 'G':
        return COLOUR_GREEN;
    case 'B':
    case 'b':
        return COLOUR_PALE_BLUE;
    case 'x':
        return COLOUR_RED;
    case 'Y':
        return COLOUR_YELLOW;
    case 'P':
        return COLOUR_PURPLE;
    case 'O':
        return COLOUR_ORANGE;
    case 'p':
        return COLOUR_PINK;
    default:
        return -1;
    }
}

int helpviewer_visible_length(const char* text) {
    int count = 0;
    for (const char* p = text; *p;) {
        if (p[0] == '%' && helpviewer_colour_code(static_cast<unsigned char>(p[1])) >= 0) {
            p += 2;
        } else {
            ++count;
            ++p;
        }
    }
    return count;
}

int helpviewer_page_count(const HelpState& help) {
    return help.page_count;
}

// The first line of a page, its line count and its widest visible line.
static int page_lines(const HelpState& help, int page, int* count, int* widest) {
    int first = 0;
    while (first < help.line_count && help.lines[first].page != page)
        ++first;
    int n = 0;
    *widest = 0;
    while (first + n < help.line_count && help.lines[first + n].page == page) {
        if (help.lines[first + n].visible_length > *widest)
            *widest = help.lines[first + n].visible_length;
        ++n;
    }
    *count = n;
    return first;
}

int helpviewer_page_size(const HelpState& help, int page, int* width, int* height) {
    if (page < 0 || page >= help.page_count) return 0;
    int n = 0, widest = 0;
    page_lines(help, page, &n, &widest);
    *width = 8 * widest + 10;
    *height = 8 * n + 10;
    return 1;
}

void helpviewer_draw_page(GfxState& gfx, const HelpState& help, int page) {
    if (page < 0 || page >= help.page_count) return;
    int n = 0, widest = 0;
    const int first = page_lines(help, page, &n, &widest);
    const uint16_t width = static_cast<uint16_t>(8 * widest + 10);
    const uint16_t height = static_cast<uint16_t>(8 * n + 10);
    gfx_clear_rect(gfx, nullptr, 2, 2, width, height);
    gfx_draw_outline(gfx, nullptr, 2, 2, width, height, COLOUR_GREY);

    // The colour carries over from line to line within the page.
    uint32_t colour = COLOUR_GREEN;
    for (int k = 0; k < n; ++k) {
        const char* text = help.lines[first + k].text;
        const int16_t y = static_cast<int16_t>(6 + 8 * k);
        int16_t x = 6;
        char segment[HELP_LINE_CHARS + 1];
        int length = 0;
        for (const char* p = text; *p;) {
            const int code =
                p[0] == '%' ? helpviewer_colour_code(static_cast<unsigned char>(p[1])) : -1;
            if (code >= 0) {
                if (length > 0) {
                    segment[length] = '\0';
                    gfx_draw_text(gfx, nullptr, x, y, segment, colour);
                    x = static_cast<int16_t>(x + 8 * length);
                    length = 0;
                }
                colour = static_cast<uint32_t>(code);
                p += 2;
            } else {
                segment[length++] = *p++;
            }
        }
        if (length > 0) {
            segment[length] = '\0';
            gfx_draw_text(gfx, nullptr, x, y, segment, colour);
        }
    }
}

void helpviewer_release(HelpState& help) {
    if (help.capacity <= 0) return;
    mem_free(help.lines);
    help.lines = nullptr;
    help.capacity = help.line_count = help.page_count = 0;
}
