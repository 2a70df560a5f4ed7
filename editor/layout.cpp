// layout.cpp - the panels' rectangles for a window size.
#include "editor/layout.h"

#include "editor/mouse_tools.h"
#include "editor/view.h"

namespace {

constexpr int32_t kPaletteWidth = 312, kPaletteHeight = 188;
constexpr int32_t kRadarSide = 256;
constexpr int32_t kStatusWidth = 208, kStatusHeight = 56;
constexpr int32_t kMenuWidth = 278, kMenuHeight = 78;
constexpr int32_t kRegionListWidth = 160;
constexpr int32_t kMargin = 2; // between a corner panel and the window's edge

} // namespace

PanelLayout layout_of(const View& view, int32_t region_list_height) {
    const int32_t w = view.screen_width, h = view.screen_height;
    PanelLayout l;
    l.menu = {w / 2 - kMenuWidth / 2, kMargin, kMenuWidth, kMenuHeight};
    l.status = {w - kStatusWidth - kMargin, kMargin, kStatusWidth, kStatusHeight};
    l.radar = {w - kRadarSide - kMargin, h - kRadarSide - kMargin, kRadarSide, kRadarSide};
    l.palette = {w - kPaletteWidth - kMargin, h - kPaletteHeight - kMargin, kPaletteWidth,
                 kPaletteHeight};
    // Inside the palette's 4-pixel border: the strip, a 4-pixel gap, then the tileset.
    l.palette_strip = {l.palette.x + 4, l.palette.y + 4, 10 * 16, 16};
    l.palette_tiles = {l.palette.x + 4, l.palette.y + 24, 19 * 16, 10 * 16};
    l.tool_strip = {l.palette.x, l.palette.y - kToolStripHeight - kMargin, kToolStripWidth,
                    kToolStripHeight};
    l.region_list = {4, 4, kRegionListWidth, region_list_height};
    return l;
}
