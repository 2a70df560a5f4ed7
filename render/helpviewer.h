// helpviewer.h - pages of help lines drawn as a boxed overlay; the editor fills them from its
// key and command tables.
#pragma once
#include <cstdint>

struct GfxState;
// Characters of one stored help line.
constexpr int HELP_LINE_CHARS = 89;

struct HelpLine {
    int32_t page;           // -1 for lines before the first page
    int32_t visible_length; // characters shown: colour codes count nothing
    char text[HELP_LINE_CHARS + 1];
};

void helpviewer_release(struct HelpState& help);

// Owns its lines: they go with it.
struct HelpState {
    int32_t capacity = 0;
    int32_t line_count = 0;
    int32_t page_count = 0;
    HelpLine* lines = nullptr;
    HelpState() = default;
    HelpState(const HelpState&) = delete;
    HelpState& operator=(const HelpState&) = delete;
    ~HelpState() { helpviewer_release(*this); }
};

// Appends one line, cut to HELP_LINE_CHARS characters; a leading '#' starts a new page.
void helpviewer_add_line(HelpState& help, const char* text);
// Characters shown of a text, colour codes excluded.
int helpviewer_visible_length(const char* text);
// Colour index of a colour code letter, -1 when the letter is no code.
int helpviewer_colour_code(int letter);
int helpviewer_page_count(const HelpState& help);
// The size of a page's box, drawn with its top-left corner at (2, 2); 0 for no such page.
int helpviewer_page_size(const HelpState& help, int page, int* width, int* height);
// Draws a page (0-based) in the window's top-left corner; nothing for a page out of range.
void helpviewer_draw_page(GfxState& gfx, const HelpState& help, int page);
// Frees the lines; harmless when called twice.
void helpviewer_release(HelpState& help);
