// gfx_present.cpp - ends a frame: frame-rate figure, animation clock and the flip.
#include <SDL/SDL.h>

#include <cstdio>

#include "core/platform.h"
#include "render/draw.h"
#include "render/gfx.h"
#include "render/gfx_state.h"

void gfx_show_frame_rate(bool shown) {
    g_gfx.frame_rate_shown = shown;
}

void gfx_present() {
    const uint32_t now = get_ticks();
    if (!g_gfx.screen) return;
    // The present that opens a new one-second window is not counted.
    if (now > g_gfx.fps_window_end) {
        g_gfx.frames_shown = g_gfx.frames_counted;
        g_gfx.frames_counted = 0;
        g_gfx.fps_window_end = get_ticks() + 100;
    } else {
        ++g_gfx.frames_counted;
    }
    if (g_gfx.frame_rate_shown) {
        char figure[16];
        std::snprintf(figure, sizeof figure, "fps %d", static_cast<int>(g_gfx.frames_shown % 1000));
        gfx_draw_text(nullptr, static_cast<int16_t>(g_gfx.video_width / 4), 0, figure, COLOUR_RED);
    }
    // At most ten animation steps a second; missed steps are not caught up.
    if (now - g_gfx.anim_last_tick >= 10) {
        g_gfx.anim_last_tick = now;
        ++g_gfx.anim_counter;
        if (g_gfx.view_zoom == 1) gfx_invalidate_view();
    }
    if (SDL_Flip(g_gfx.screen) != 0) SDL_UpdateRect(g_gfx.screen, 0, 0, 0, 0);
}
