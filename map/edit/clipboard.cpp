// clipboard.cpp - copy, cut, clear and paste of map pieces, their turns and mirrors, and the
// area tools that write the brush. All changes go through map/edit, one step per operation.
#include "map/edit/clipboard.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "core/list.h"
#include "core/log.h"
#include "map/edit/edit.h"
#include "map/model/mapdata.h"
#include "map/model/region.h"
#include "map/model/stamp.h"

namespace {

constexpr int32_t kSide = 1024;

bool inside_map(int32_t x, int32_t y) {
    return x >= 0 && x < kSide && y >= 0 && y < kSide;
}

// One bit per map cell, column by column like the tile grid.
struct CellSet {
    std::vector<uint64_t> bits = std::vector<uint64_t>(kSide * kSide / 64);
    static uint32_t at(int32_t x, int32_t y) {
        return static_cast<uint32_t>(x) * kSide + static_cast<uint32_t>(y);
    }
    bool test(int32_t x, int32_t y) const { return (bits[at(x, y) >> 6] >> (at(x, y) & 63)) & 1u; }
    void set(int32_t x, int32_t y) { bits[at(x, y) >> 6] |= uint64_t{1} << (at(x, y) & 63); }
};

// Cells of an area, each once, all inside the map. A path keeps the order they were added
// in; an area is visited column by column from its bits, which saves a list of a million.
struct Cells {
    explicit Cells(bool is_path) : path(is_path) {}
    bool path;
    std::vector<ClipPoint> list;
    CellSet set;
    size_t count = 0;
    void add(int32_t x, int32_t y) {
        if (!inside_map(x, y) || set.test(x, y)) return;
        set.set(x, y);
        ++count;
        if (path) list.push_back({x, y});
    }
    template <typename Fn> void each(Fn&& fn) const {
        if (path) {
            for (const ClipPoint& c : list)
                fn(c.x, c.y);
            return;
        }
        for (size_t w = 0; w < set.bits.size(); ++w)
            for (uint64_t word = set.bits[w]; word; word &= word - 1) {
                auto at = static_cast<int32_t>(w * 64 + static_cast<size_t>(__builtin_ctzll(word)));
                fn(at / kSide, at % kSide);
            }
    }
};

struct StampBox {
    int32_t x, y, width, height; // the square, not yet cut at the map's edge
    uint8_t tile;
};

StampBox box_of(const Stamp* stamp) {
    return {static_cast<int32_t>(stamp->anchor & 0xFFFu),
            static_cast<int32_t>((stamp->anchor >> 12) & 0xFFFu), stamp->width, stamp->height,
            static_cast<uint8_t>(stamp->anchor >> 24)};
}

bool boxes_meet(const StampBox& b, const ClipRect& r) {
    return b.x < r.x + r.width && b.x + b.width > r.x && b.y < r.y + r.height &&
           b.y + b.height > r.y;
}

bool stamp_meets_rect(const Stamp* stamp, void* rect) {
    return boxes_meet(box_of(stamp), *static_cast<const ClipRect*>(rect));
}

bool stamp_meets_set(const Stamp* stamp, void* set) {
    const auto* cells = static_cast<const CellSet*>(set);
    StampBox b = box_of(stamp);
    for (int32_t i = 0; i < b.width && b.x + i < kSide; ++i)
        for (int32_t j = 0; j < b.height && b.y + j < kSide; ++j)
            if (cells->test(b.x + i, b.y + j)) return true;
    return false;
}

// Runs an operation as one step and tells whether it changed the map.
template <typename Fn> int as_step(MapEdit map, const char* label, Fn&& fn) {
    uint64_t before = map->revision;
    edit_begin(map, label);
    fn();
    edit_end(map);
    return map->revision != before;
}

// Moves every cell of the piece to where place() says, in a piece of the new size, and each
// object's anchor to where anchor() says; then rewrites the objects' squares so that each
// anchor is again its square's top-left cell.
template <typename Place, typename Anchor>
void transform(ClipPiece* p, int32_t width, int32_t height, Place place, Anchor anchor) {
    std::vector<uint8_t> tiles(p->tiles.size()), region(p->region.size());
    for (int32_t x = 0; x < p->width; ++x)
        for (int32_t y = 0; y < p->height; ++y) {
            auto [nx, ny] = place(x, y);
            size_t from = static_cast<size_t>(x) * p->height + y;
            size_t to = static_cast<size_t>(nx) * height + ny;
            tiles[to] = p->tiles[from];
            if (!region.empty()) region[to] = p->region[from];
        }
    p->tiles = std::move(tiles);
    p->region = std::move(region);
    p->width = width;
    p->height = height;
    for (ClipObject& o : p->objects) {
        int32_t n = object_size(o.tile);
        auto [ax, ay] = anchor(o.x, o.y, n);
        o.x = ax;
        o.y = ay;
        if (ax < 0 || ay < 0 || ax + n > width || ay + n > height) continue;
        for (int32_t i = 0; i < n; ++i)
            for (int32_t j = 0; j < n; ++j)
                p->tiles[static_cast<size_t>(ax + i) * height + (ay + j)] =
                    (i || j) ? uint8_t{TILE_FILLER} : o.tile;
    }
}

// Writes the brush into the cells. An area takes objects on a grid of their size from
// (gx, gy), squares wholly inside it, column by column; a path places one wherever its
// square (cut at the map's edge) misses the squares placed before.
uint32_t write_brush(MapEdit map, const Cells& cells, int brush, int32_t gx, int32_t gy,
                     Region* region) {
    uint32_t written = 0;
    if (brush == kClipRegionBrush) {
        if (!region) return 0;
        edit_reserve_cells(map, cells.count);
        cells.each([&](int32_t x, int32_t y) {
            written += static_cast<uint32_t>(edit_region_cell(map, region, x, y, true));
        });
        return written;
    }
    std::vector<uint32_t> packed;
    if (!is_object_tile(brush)) {
        edit_remove_stamps(map, stamp_meets_set, const_cast<CellSet*>(&cells.set));
        packed.reserve(cells.count);
        cells.each([&](int32_t x, int32_t y) {
            if (tilegrid_get(map->tiles, x, y) != brush)
                packed.push_back(edit_pack_cell(x, y, static_cast<uint8_t>(brush)));
        });
        edit_reserve_cells(map, packed.size());
        edit_put_tiles(map, packed.data(), packed.size());
        return static_cast<uint32_t>(packed.size());
    }
    const int32_t n = object_size(brush);
    std::vector<ClipPoint> placed;
    CellSet covered;
    bool full = false;
    cells.each([&](int32_t x, int32_t y) {
        bool fits = !full;
        if (cells.path) {
            for (int32_t i = 0; i < n && fits; ++i)
                for (int32_t j = 0; j < n && fits; ++j)
                    fits = !inside_map(x + i, y + j) || !covered.test(x + i, y + j);
        } else {
            fits = fits && ((x - gx) % n + n) % n == 0 && ((y - gy) % n + n) % n == 0;
            for (int32_t i = 0; i < n && fits; ++i)
                for (int32_t j = 0; j < n && fits; ++j)
                    fits = inside_map(x + i, y + j) && cells.set.test(x + i, y + j);
        }
        if (!fits) return;
        if (placed.size() >= kClipMaxObjects) {
            log_msg('W', "<mapdata> one operation places at most %u objects",
                    static_cast<unsigned>(kClipMaxObjects));
            full = true;
            return;
        }
        placed.push_back({x, y});
        for (int32_t i = 0; i < n; ++i)
            for (int32_t j = 0; j < n; ++j)
                if (inside_map(x + i, y + j)) {
                    covered.set(x + i, y + j);
                    packed.push_back(edit_pack_cell(x + i, y + j,
                                                    (i || j) ? uint8_t{TILE_FILLER}
                                                             : static_cast<uint8_t>(brush)));
                }
    });
    if (placed.empty()) return 0;
    edit_remove_stamps(map, stamp_meets_set, &covered);
    edit_reserve_cells(map, packed.size());
    edit_put_tiles(map, packed.data(), packed.size());
    for (const ClipPoint& c : placed)
        edit_add_stamp(map, c.x, c.y, brush);
    return static_cast<uint32_t>(packed.size());
}

uint32_t brush_step(MapEdit map, const Cells& cells, int brush, int32_t gx, int32_t gy,
                    Region* region, const char* what) {
    if (!map || !map->tiles || cells.count == 0 || brush < 0 || brush > 255) return 0;
    uint32_t written = 0;
    as_step(map, what, [&] {
        written = write_brush(map, cells, brush, gx, gy, region);
        edit_label(map, "%s of %u cells", what, written);
    });
    return written;
}

} // namespace

ClipRect clip_to_map(ClipRect r) {
    if (r.width <= 0 || r.height <= 0) return {0, 0, 0, 0};
    int64_t x0 = std::max<int64_t>(r.x, 0), y0 = std::max<int64_t>(r.y, 0);
    int64_t x1 = std::min<int64_t>(int64_t{r.x} + r.width, kSide);
    int64_t y1 = std::min<int64_t>(int64_t{r.y} + r.height, kSide);
    if (x0 >= x1 || y0 >= y1) return {0, 0, 0, 0};
    return {static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1 - x0),
            static_cast<int32_t>(y1 - y0)};
}

ClipRect clip_rect_between(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    int64_t w = std::llabs(int64_t{x2} - x1) + 1, h = std::llabs(int64_t{y2} - y1) + 1;
    return {std::min(x1, x2), std::min(y1, y2),
            static_cast<int32_t>(std::min<int64_t>(w, kSide * 4)),
            static_cast<int32_t>(std::min<int64_t>(h, kSide * 4))};
}

int clip_copy(const MapData* map, ClipRect rect, const Region* region, ClipPiece* out) {
    ClipRect r = clip_to_map(rect);
    if (!map || !out || r.width == 0) return 0;
    ClipPiece p;
    p.width = r.width;
    p.height = r.height;
    p.tiles.resize(static_cast<size_t>(r.width) * r.height);
    if (map->tiles)
        for (int32_t x = 0; x < r.width; ++x) {
            uint8_t* column = &p.tiles[static_cast<size_t>(x) * r.height];
            for (int32_t y = 0; y < r.height; ++y)
                column[y] = tilegrid_get(map->tiles, r.x + x, r.y + y);
        }
    for (const Stamp& stamp : stamp_span(map->stamps)) {
        StampBox b = box_of(&stamp);
        if (!boxes_meet(b, r)) continue;
        if (b.x >= r.x && b.y >= r.y && b.x + b.width <= r.x + r.width &&
            b.y + b.height <= r.y + r.height) {
            p.objects.push_back({b.x - r.x, b.y - r.y, b.tile});
            continue;
        }
        // Crossing the edge: left out whole, its cells inside copy as empty.
        for (int32_t x = std::max(b.x, r.x); x < std::min(b.x + b.width, r.x + r.width); ++x)
            for (int32_t y = std::max(b.y, r.y); y < std::min(b.y + b.height, r.y + r.height); ++y)
                p.tiles[static_cast<size_t>(x - r.x) * r.height + (y - r.y)] = 0;
    }
    if (region) {
        p.region.resize(p.tiles.size());
        for (int32_t x = 0; x < r.width; ++x)
            for (int32_t y = 0; y < r.height; ++y)
                p.region[static_cast<size_t>(x) * r.height + y] =
                    static_cast<uint8_t>(region_contains(region, r.x + x, r.y + y));
    }
    *out = std::move(p);
    return 1;
}

int clip_clear(MapEdit map, ClipRect rect, Region* region) {
    ClipRect r = clip_to_map(rect);
    if (!map || !map->tiles || r.width == 0) return 0;
    return as_step(map, "clear", [&] {
        edit_label(map, "clear of %d x %d cells", r.width, r.height);
        edit_remove_stamps(map, stamp_meets_rect, &r);
        std::vector<uint32_t> packed;
        for (int32_t x = r.x; x < r.x + r.width; ++x)
            for (int32_t y = r.y; y < r.y + r.height; ++y)
                if (tilegrid_get(map->tiles, x, y) != 0) packed.push_back(edit_pack_cell(x, y, 0));
        edit_reserve_cells(map, packed.size());
        edit_put_tiles(map, packed.data(), packed.size());
        if (region)
            for (int32_t x = r.x; x < r.x + r.width; ++x)
                for (int32_t y = r.y; y < r.y + r.height; ++y)
                    edit_region_cell(map, region, x, y, false);
    });
}

int clip_cut(MapEdit map, ClipRect rect, Region* region, ClipPiece* out) {
    ClipPiece piece;
    if (!map || !out || !clip_copy(map, rect, region, &piece)) return 0;
    as_step(map, "cut", [&] {
        clip_clear(map, rect, region);
        edit_label(map, "cut of %d x %d cells", piece.width, piece.height);
    });
    *out = std::move(piece);
    return 1;
}

int clip_paste(MapEdit map, const ClipPiece& piece, int32_t x, int32_t y, Region* region,
               ClipPasteMode mode) {
    if (!map || !map->tiles || piece.width <= 0 || piece.height <= 0) return 0;
    if (piece.tiles.size() != static_cast<size_t>(piece.width) * piece.height) return 0;
    ClipRect r = clip_to_map({x, y, piece.width, piece.height});
    if (r.width == 0) return 0;
    const std::vector<uint8_t>* tiles = &piece.tiles;
    // An object anchored off the map is left out whole: its cells are written as empty.
    std::vector<uint8_t> trimmed;
    for (const ClipObject& o : piece.objects) {
        if (inside_map(x + o.x, y + o.y)) continue;
        if (trimmed.empty()) trimmed = piece.tiles;
        int32_t n = object_size(o.tile);
        for (int32_t i = 0; i < n && o.x + i < piece.width; ++i)
            for (int32_t j = 0; j < n && o.y + j < piece.height; ++j)
                trimmed[static_cast<size_t>(o.x + i) * piece.height + (o.y + j)] = 0;
        tiles = &trimmed;
    }
    const bool all = mode == CLIP_PASTE_ALL;
    auto at = [&](int32_t cx, int32_t cy) {
        return static_cast<size_t>(cx - x) * piece.height + static_cast<size_t>(cy - y);
    };
    return as_step(map, "paste", [&] {
        edit_label(map, "paste of %d x %d cells", piece.width, piece.height);
        std::vector<uint32_t> packed;
        packed.reserve(static_cast<size_t>(r.width) * r.height);
        for (int32_t cx = r.x; cx < r.x + r.width; ++cx)
            for (int32_t cy = r.y; cy < r.y + r.height; ++cy)
                if (all || (*tiles)[at(cx, cy)] != 0)
                    packed.push_back(edit_pack_cell(cx, cy, (*tiles)[at(cx, cy)]));
        if (all) {
            edit_remove_stamps(map, stamp_meets_rect, &r);
        } else {
            // Only objects under the cells written go; the rest of the map stays as it is.
            CellSet written;
            for (uint32_t cell : packed)
                written.set(static_cast<int32_t>(cell & 1023u), static_cast<int32_t>(cell >> 10 & 1023u));
            edit_remove_stamps(map, stamp_meets_set, &written);
        }
        edit_reserve_cells(map, packed.size());
        edit_put_tiles(map, packed.data(), packed.size());
        for (const ClipObject& o : piece.objects)
            if (inside_map(x + o.x, y + o.y)) edit_add_stamp(map, x + o.x, y + o.y, o.tile);
        if (region && piece.region.size() == piece.tiles.size())
            for (int32_t cx = r.x; cx < r.x + r.width; ++cx)
                for (int32_t cy = r.y; cy < r.y + r.height; ++cy)
                    if (all || piece.region[at(cx, cy)] != 0)
                        edit_region_cell(map, region, cx, cy, piece.region[at(cx, cy)] != 0);
    });
}

void clip_rotate(ClipPiece* p) {
    if (!p || p->width <= 0) return;
    const int32_t h = p->height;
    // Clockwise: column x becomes row x, row y becomes column h - 1 - y.
    transform(
        p, h, p->width,
        [h](int32_t x, int32_t y) {
            return std::pair{h - 1 - y, x};
        },
        [h](int32_t x, int32_t y, int32_t n) {
            return std::pair{h - y - n, x};
        });
}

void clip_flip(ClipPiece* p, bool horizontal) {
    if (!p || p->width <= 0) return;
    const int32_t w = p->width, h = p->height;
    if (horizontal)
        transform(
            p, w, h,
            [w](int32_t x, int32_t y) {
                return std::pair{w - 1 - x, y};
            },
            [w](int32_t x, int32_t y, int32_t n) {
                return std::pair{w - x - n, y};
            });
    else
        transform(
            p, w, h,
            [h](int32_t x, int32_t y) {
                return std::pair{x, h - 1 - y};
            },
            [h](int32_t x, int32_t y, int32_t n) {
                return std::pair{x, h - y - n};
            });
}

uint32_t clip_region_area(MapEdit map, ClipRect rect, Region* region, bool member) {
    ClipRect r = clip_to_map(rect);
    if (!map || !region || r.width == 0) return 0;
    uint32_t changed = 0;
    as_step(map, member ? "?region add" : "?region remove", [&] {
        for (int32_t cx = r.x; cx < r.x + r.width; ++cx)
            for (int32_t cy = r.y; cy < r.y + r.height; ++cy)
                changed += static_cast<uint32_t>(edit_region_cell(map, region, cx, cy, member));
    });
    return changed;
}

uint32_t clip_fill(MapEdit map, ClipRect rect, int brush, bool border_only, Region* region) {
    ClipRect r = clip_to_map(rect);
    if (r.width == 0) return 0;
    Cells cells(border_only);
    const int32_t x1 = r.x + r.width - 1, y1 = r.y + r.height - 1;
    if (border_only) {
        // Around the outline clockwise from the top-left cell, so objects follow it.
        for (int32_t x = r.x; x <= x1; ++x)
            cells.add(x, r.y);
        for (int32_t y = r.y; y <= y1; ++y)
            cells.add(x1, y);
        for (int32_t x = x1; x >= r.x; --x)
            cells.add(x, y1);
        for (int32_t y = y1; y >= r.y; --y)
            cells.add(r.x, y);
    } else {
        for (int32_t x = r.x; x <= x1; ++x)
            for (int32_t y = r.y; y <= y1; ++y)
                cells.add(x, y);
    }
    return brush_step(map, cells, brush, r.x, r.y, region, border_only ? "border" : "fill");
}

uint32_t clip_flood_fill(MapEdit map, int32_t x, int32_t y, int brush, const ClipRect* within,
                         Region* region) {
    if (!map || !map->tiles || !inside_map(x, y)) return 0;
    ClipRect b = within ? clip_to_map(*within) : ClipRect{0, 0, kSide, kSide};
    if (x < b.x || y < b.y || x >= b.x + b.width || y >= b.y + b.height) return 0;
    // Every object's square stops the fill, whatever its cells hold.
    CellSet blocked;
    for (const Stamp& stamp : stamp_span(map->stamps)) {
        StampBox s = box_of(&stamp);
        for (int32_t i = 0; i < s.width && s.x + i < kSide; ++i)
            for (int32_t j = 0; j < s.height && s.y + j < kSide; ++j)
                blocked.set(s.x + i, s.y + j);
    }
    const TileGrid* grid = map->tiles;
    const uint8_t target = tilegrid_get(grid, x, y);
    if (target == TILE_FILLER || blocked.test(x, y)) return 0;
    if (brush == target && !is_object_tile(brush)) return 0;
    Cells cells(false);
    auto open = [&](int32_t cx, int32_t cy) {
        return cy >= b.y && cy < b.y + b.height && !cells.set.test(cx, cy) &&
               tilegrid_get(grid, cx, cy) == target && !blocked.test(cx, cy);
    };
    // Span fill along columns (the grid's storage order): fill a run of one column, then
    // look for runs in the columns left and right of it.
    std::vector<ClipPoint> seeds{{x, y}};
    while (!seeds.empty()) {
        ClipPoint s = seeds.back();
        seeds.pop_back();
        if (!open(s.x, s.y)) continue;
        int32_t top = s.y, bottom = s.y;
        while (open(s.x, top - 1))
            --top;
        while (open(s.x, bottom + 1))
            ++bottom;
        for (int32_t cy = top; cy <= bottom; ++cy)
            cells.add(s.x, cy);
        for (int32_t nx : {s.x - 1, s.x + 1}) {
            if (nx < b.x || nx >= b.x + b.width) continue;
            bool in_run = false;
            for (int32_t cy = top; cy <= bottom; ++cy) {
                bool o = open(nx, cy);
                if (o && !in_run) seeds.push_back({nx, cy});
                in_run = o;
            }
        }
    }
    return brush_step(map, cells, brush, x, y, region, "flood fill");
}

uint32_t clip_line(MapEdit map, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int brush,
                   Region* region) {
    if (!inside_map(x1, y1) || !inside_map(x2, y2)) return 0;
    std::vector<ClipPoint> points;
    clip_line_points(x1, y1, x2, y2, &points);
    Cells cells(true);
    for (const ClipPoint& p : points)
        cells.add(p.x, p.y);
    return brush_step(map, cells, brush, x1, y1, region, "line");
}

void clip_line_points(int32_t x1, int32_t y1, int32_t x2, int32_t y2, std::vector<ClipPoint>* out) {
    int64_t dx = std::llabs(int64_t{x2} - x1), dy = -std::llabs(int64_t{y2} - y1);
    int32_t sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    int64_t err = dx + dy;
    int32_t x = x1, y = y1;
    while (true) {
        out->push_back({x, y});
        if (x == x2 && y == y2) break;
        int64_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}
