// gfx.h - window, surfaces and bitmaps of the editor.
#pragma once

// Records the window size and depth for the later gfx_init.
void gfx_set_video_size(int width, int height, int depth);
// Marks the cached map view stale.
void gfx_invalidate_view();
