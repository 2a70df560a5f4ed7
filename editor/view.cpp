// view.cpp - the view's derived geometry.
#include "editor/view.h"

void view_update(View* v) {
    if (v->center_x < 0) v->center_x = 0;
    if (v->center_y < 0) v->center_y = 0;
    if (v->center_x > 16384) v->center_x = 16384;
    if (v->center_y > 16384) v->center_y = 16384;
    if (v->zoom == 1) {
        v->offset_x = static_cast<int16_t>(-(v->center_x % 16));
        v->offset_y = static_cast<int16_t>(-(v->center_y % 16));
    } else {
        v->offset_x = 0;
        v->offset_y = 0;
    }
    // The shift right by 4 is a floor division, also for negative values.
    int32_t left = v->offset_x - (v->screen_width / 2) * v->zoom + v->center_x;
    int32_t top = v->offset_y - (v->screen_height / 2) * v->zoom + v->center_y;
    v->tile_x = static_cast<int16_t>(left >> 4);
    v->tile_y = static_cast<int16_t>(top >> 4);
}
