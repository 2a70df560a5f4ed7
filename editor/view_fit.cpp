// view_fit.cpp - the opening view of a map: centre and zoom from its content.
#include "editor/view_fit.h"

#include <algorithm>

#include "map/model/tilegrid.h"

int32_t view_fit_zoom(int32_t cx, int32_t cy, CellBox content, int32_t width, int32_t height) {
    // The view centre is the middle of the centre cell: 8 map pixels past its left edge.
    int32_t reach_x = std::max(cx - content.x0, content.x1 - cx) * 16 + 8;
    int32_t reach_y = std::max(cy - content.y0, content.y1 - cy) * 16 + 8;
    for (int32_t zoom : {1, 2, 4})
        if (reach_x <= width / 2 * zoom && reach_y <= height / 2 * zoom) return zoom;
    return 4;
}

ViewFit view_fit(const TileGrid* tiles, int32_t width, int32_t height) {
    ViewFit fit{512, 512, 1};
    CellBox box{};
    if (!tiles || !tilegrid_median(tiles, &fit.cell_x, &fit.cell_y) ||
        !tilegrid_bounds(tiles, &box.x0, &box.y0, &box.x1, &box.y1))
        return fit;
    fit.zoom = view_fit_zoom(fit.cell_x, fit.cell_y, box, width, height);
    return fit;
}
