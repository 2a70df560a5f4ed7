// gfx_setup.cpp - placeholder until the graphics land.
#include "render/gfx.h"

void gfx_set_video_size(int, int, int) {}
void gfx_invalidate_view() {}
