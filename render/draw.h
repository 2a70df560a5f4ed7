// draw.h - bitmap-font text, outlines, rectangle clears and the editor's colour table.
// A null destination means the screen.
#pragma once
#include <cstdint>

struct GfxState;
struct SDL_Surface;

// Colour indices shared by text and outlines: 0..7 opaque, 8 draws nothing, 9..16 translucent.
enum : uint32_t {
    COLOUR_GREY = 0,
    COLOUR_GREEN = 1,
    COLOUR_PALE_BLUE = 2,
    COLOUR_RED = 3,
    COLOUR_YELLOW = 4,
    COLOUR_PURPLE = 5,
    COLOUR_ORANGE = 6,
    COLOUR_PINK = 7,
    COLOUR_NONE = 8,
    COLOUR_TRANSLUCENT = 9, // add to an opaque index
};

// Longest text one call draws; longer texts are cut and logged.
constexpr int GFX_TEXT_LIMIT = 240;

// Draws a NUL-terminated byte string on one line, 8 pixels per character.
void gfx_draw_text(GfxState& gfx, SDL_Surface* dest, int16_t x, int16_t y, const char* text,
                   uint32_t colour);
// Draws the one-pixel border of the rectangle.
void gfx_draw_outline(GfxState& gfx, SDL_Surface* dest, int16_t x, int16_t y, uint16_t width,
                      uint16_t height, uint32_t colour);
// Fills the rectangle with pixel value 0 (black).
void gfx_clear_rect(GfxState& gfx, SDL_Surface* dest, int16_t x, int16_t y, uint16_t width,
                    uint16_t height);
// Pixel value of a colour index in the screen's format; 0 without a screen.
uint32_t gfx_map_colour(GfxState& gfx, uint32_t colour);
