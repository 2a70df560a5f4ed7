// gfx_present.cpp - ends a frame: frame-rate figure, animation clock and the flip.
#include <SDL/SDL.h>

#include <cstdio>

#include "core/platform.h"
#include "render/draw.h"
#include "render/gfx.h"
#include "render/gfx_state.h"

void gfx_show_frame_rate(GfxState& gfx, bool shown) {
    gfx.frame_rate_shown = shown;
}

void gfx_present(GfxState& gfx) {
    const uint32_t now = get_ticks();
    if (!gfx.screen) return;
    // The present that opens a new one-second window is not counted.
    if (now > gfx.fps_window_end) {
        gfx.frames_shown = gfx.frames_counted;
        gfx.frames_counted = 0;
        gfx.fps_window_end = get_ticks() + 100;
    } else {
        ++gfx.frames_counted;
    }
    if (gfx.frame_rate_shown) {
        char figure[16];
        std::snprintf(figure, sizeof figure, "fps %d", static_cast<int>(gfx.frames_shown % 1000));
        gfx_draw_text(gfx, nullptr, static_cast<int16_t>(gfx.video_width / 4), 0, figure,
                      COLOUR_RED);
    }
    // At most ten animation steps a second; missed steps are not caught up.
    if (now - gfx.anim_last_tick >= 10) {
        gfx.anim_last_tick = now;
        ++gfx.anim_counter;
        if (gfx.view_zoom == 1) gfx_invalidate_view(gfx);
    }
    if (SDL_Flip(gfx.screen) != 0) SDL_UpdateRect(gfx.screen, 0, 0, 0, 0);
}
