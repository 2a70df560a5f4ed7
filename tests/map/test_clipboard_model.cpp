// test_clipboard_model.cpp - copy, cut, paste (turned, mirrored, at the edge, of every cell or
// of the non-empty ones), fill and flood fill checked against a plain model of cells and
// objects; then undone back to the start.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "core/list.h"
#include "map/edit/clipboard.h"
#include "map/edit/edit.h"
#include "map/model/stamp.h"
#include "test_util.h"

namespace {

EditedMap new_map() {
    EditedMap map(mapdata_new());
    map->tiles = tilegrid_new();
    return map;
}

// Work happens in the map's bottom-right corner, so pastes and objects meet the edge.
constexpr int kLow = 1000;

struct Obj {
    int x, y, tile;
    bool operator==(const Obj&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Obj& o) {
    return os << o.tile << "@" << o.x << "," << o.y;
}

// The plain model: every cell in a dense array, objects in a list, written the obvious way.
struct Model {
    std::vector<uint8_t> cell = std::vector<uint8_t>(1024 * 1024);
    std::vector<Obj> objs;
    uint8_t& at(int x, int y) { return cell[y * 1024 + x]; }
    static bool on_map(int x, int y) { return x >= 0 && y >= 0 && x < 1024 && y < 1024; }
    static bool meets(const Obj& o, int x, int y, int w, int h) {
        int n = object_size(o.tile);
        return o.x < x + w && o.x + n > x && o.y < y + h && o.y + n > y;
    }
    // Calls fn(x, y, i, j) for each on-map cell (x, y) = (o.x + i, o.y + j) of an object.
    template <typename Fn> static void square(const Obj& o, Fn fn) {
        for (int i = 0; i < object_size(o.tile); ++i)
            for (int j = 0; j < object_size(o.tile); ++j)
                if (on_map(o.x + i, o.y + j)) fn(o.x + i, o.y + j, i, j);
    }
    template <typename Pick> void remove_if(Pick pick) {
        for (size_t k = 0; k < objs.size();) {
            if (!pick(objs[k])) {
                ++k;
                continue;
            }
            square(objs[k], [&](int x, int y, int, int) { at(x, y) = 0; });
            objs.erase(objs.begin() + static_cast<long>(k));
        }
    }
    void remove_meeting(int x, int y, int w, int h) {
        remove_if([&](const Obj& o) { return meets(o, x, y, w, h); });
    }
    void place(int x, int y, int tile) {
        remove_meeting(x, y, object_size(tile), object_size(tile));
        square({x, y, tile},
               [&](int cx, int cy, int i, int j) { at(cx, cy) = (i || j) ? 250 : tile; });
        objs.push_back({x, y, tile});
    }
};

// A piece of the model, row by row.
struct MPiece {
    int w = 0, h = 0;
    std::vector<uint8_t> v;
    std::vector<Obj> objs;
};

MPiece model_copy(Model& m, int x, int y, int w, int h) {
    MPiece p{w, h, {}, {}};
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            p.v.push_back(m.at(x + i, y + j));
    for (const Obj& o : m.objs) {
        int n = object_size(o.tile);
        if (o.x >= x && o.y >= y && o.x + n <= x + w && o.y + n <= y + h)
            p.objs.push_back({o.x - x, o.y - y, o.tile});
        else
            Model::square(o, [&](int cx, int cy, int, int) {
                if (cx >= x && cx < x + w && cy >= y && cy < y + h) p.v[(cy - y) * w + cx - x] = 0;
            });
    }
    return p;
}

// Pastes land at or right of and below (kLow - 30, kLow - 30): an object anchored off the
// map lies wholly off it there.
// Without all, only the piece's non-empty cells are written and only objects under them go.
void model_paste(Model& m, const MPiece& p, int x, int y, bool all) {
    int x0 = std::max(x, 0), y0 = std::max(y, 0);
    int x1 = std::min(x + p.w, 1024), y1 = std::min(y + p.h, 1024);
    if (x0 >= x1 || y0 >= y1) return;
    auto written = [&](int i, int j) {
        return i >= x0 && i < x1 && j >= y0 && j < y1 && (all || p.v[(j - y) * p.w + (i - x)]);
    };
    m.remove_if([&](const Obj& o) {
        bool hit = false;
        Model::square(o, [&](int i, int j, int, int) { hit = hit || written(i, j); });
        return hit;
    });
    for (int j = y0; j < y1; ++j)
        for (int i = x0; i < x1; ++i)
            if (written(i, j)) m.at(i, j) = p.v[(j - y) * p.w + (i - x)];
    for (const Obj& o : p.objs)
        if (Model::on_map(x + o.x, y + o.y)) m.objs.push_back({x + o.x, y + o.y, o.tile});
}

// Turns or mirrors by moving each cell; an object's new anchor is the least corner of its
// moved square.
template <typename F> MPiece model_move(const MPiece& p, int w, int h, F f) {
    MPiece q{w, h, std::vector<uint8_t>(p.v.size()), {}};
    for (int j = 0; j < p.h; ++j)
        for (int i = 0; i < p.w; ++i) {
            auto [a, b] = f(i, j);
            q.v[b * w + a] = p.v[j * p.w + i];
        }
    for (const Obj& o : p.objs) {
        int n = object_size(o.tile);
        auto [a1, b1] = f(o.x, o.y);
        auto [a2, b2] = f(o.x + n - 1, o.y + n - 1);
        Obj moved{std::min(a1, a2), std::min(b1, b2), o.tile};
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                q.v[(moved.y + j) * w + moved.x + i] = (i || j) ? 250 : o.tile;
        q.objs.push_back(moved);
    }
    return q;
}

void expect_same(MapData* map, Model& m, int step) {
    for (int y = kLow - 40; y < 1024; ++y)
        for (int x = kLow - 40; x < 1024; ++x)
            ASSERT_EQ(mapdata_get_tile(map, x, y), m.at(x, y))
                << "cell " << x << "," << y << " after step " << step;
    std::vector<Obj> got;
    for (const Stamp& s : stamp_span(map->stamps))
        got.push_back({int(s.anchor & 0xFFF), int((s.anchor >> 12) & 0xFFF), int(s.anchor >> 24)});
    ASSERT_EQ(got, m.objs) << "objects after step " << step;
}

// The fill the model expects: 4-connected cells of the start value, objects and 250 stop it.
std::vector<std::pair<int, int>> model_flood(Model& m, int sx, int sy, int x0, int y0, int x1,
                                             int y1) {
    std::vector<uint8_t> covered(1024 * 1024);
    for (const Obj& o : m.objs)
        Model::square(o, [&](int x, int y, int, int) { covered[y * 1024 + x] = 1; });
    std::vector<std::pair<int, int>> out, todo{{sx, sy}};
    uint8_t target = m.at(sx, sy);
    if (target == 250 || covered[sy * 1024 + sx]) return out;
    std::vector<uint8_t> seen(1024 * 1024);
    seen[sy * 1024 + sx] = 1;
    while (!todo.empty()) {
        auto [x, y] = todo.back();
        todo.pop_back();
        out.push_back({x, y});
        const int d[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (auto& s : d) {
            int nx = x + s[0], ny = y + s[1];
            if (nx < x0 || ny < y0 || nx > x1 || ny > y1 || seen[ny * 1024 + nx]) continue;
            if (m.at(nx, ny) != target || covered[ny * 1024 + nx]) continue;
            seen[ny * 1024 + nx] = 1;
            todo.push_back({nx, ny});
        }
    }
    return out;
}

// Writes the brush into a set of cells as the fills do: plain tiles everywhere, an object on
// each grid point from (gx, gy) whose square lies inside the set.
void model_fill(Model& m, const std::vector<std::pair<int, int>>& cells, int brush, int gx,
                int gy) {
    std::vector<uint8_t> in(1024 * 1024);
    for (auto [x, y] : cells)
        in[y * 1024 + x] = 1;
    if (!is_object_tile(brush)) {
        m.remove_if([&](const Obj& o) {
            bool hit = false;
            Model::square(o, [&](int x, int y, int, int) { hit = hit || in[y * 1024 + x]; });
            return hit;
        });
        for (auto [x, y] : cells)
            m.at(x, y) = static_cast<uint8_t>(brush);
        return;
    }
    int n = object_size(brush);
    std::vector<Obj> wanted;
    for (int x = 0; x < 1024; ++x)
        for (int y = 0; y < 1024; ++y) {
            if (!in[y * 1024 + x] || (x - gx) % n || (y - gy) % n) continue;
            bool fits = x + n <= 1024 && y + n <= 1024;
            for (int i = 0; i < n && fits; ++i)
                for (int j = 0; j < n && fits; ++j)
                    fits = in[(y + j) * 1024 + x + i];
            if (fits) wanted.push_back({x, y, brush});
        }
    for (const Obj& o : wanted)
        m.place(o.x, o.y, brush);
}

void seed(MapEdit map, Model& m, std::mt19937& rng) {
    for (int k = 0; k < 300; ++k) {
        int x = kLow - 30 + int(rng() % 54), y = kLow - 30 + int(rng() % 54);
        int t = std::array{1, 2, 3, 7, 216, 217, 219, 220}[rng() % 8];
        edit_paint(map, x, y, t);
        if (is_object_tile(t))
            m.place(x, y, t);
        else {
            m.remove_meeting(x, y, 1, 1);
            m.at(x, y) = static_cast<uint8_t>(t);
        }
    }
}

TEST(ClipboardModel, RandomSessionsMatchThePlainModelAndUndoToTheStart) {
    for (unsigned round = 0; round < 6; ++round) {
        std::mt19937 rng(round * 7919u + 11u);
        EditedMap map = new_map();
        Model m;
        seed(map, m, rng);
        map.history = edit_history_new(map.get()); // undo goes back to the seeded map
        Model start = m;
        ClipPiece piece;
        MPiece mpiece;
        bool have = false;
        for (int step = 0; step < 60; ++step) {
            int x = kLow - 30 + int(rng() % 50), y = kLow - 30 + int(rng() % 50);
            int w = 1 + int(rng() % 20), h = 1 + int(rng() % 20);
            int cw = std::min(w, 1024 - x), ch = std::min(h, 1024 - y);
            std::vector<std::pair<int, int>> rect; // the on-map cells of the rectangle
            for (int i = x; i < x + cw; ++i)
                for (int j = y; j < y + ch; ++j)
                    rect.push_back({i, j});
            const unsigned op = rng() % 7;
            SCOPED_TRACE("op " + std::to_string(op) + " at " + std::to_string(x) + "," +
                         std::to_string(y) + " size " + std::to_string(w) + "x" +
                         std::to_string(h));
            switch (op) {
            case 0: // copy
                ASSERT_TRUE(clip_copy(map, {x, y, w, h}, nullptr, &piece));
                mpiece = model_copy(m, x, y, cw, ch);
                have = true;
                break;
            case 1: // cut
                ASSERT_TRUE(clip_cut(map, {x, y, w, h}, nullptr, &piece));
                mpiece = model_copy(m, x, y, cw, ch);
                have = true;
                model_fill(m, rect, 0, x, y); // a cut leaves the rectangle empty
                break;
            case 2: // turn or mirror, then paste, possibly off the edge
                if (!have) break;
                if (rng() % 2) {
                    clip_rotate(&piece);
                    int h0 = mpiece.h;
                    mpiece = model_move(mpiece, mpiece.h, mpiece.w, [h0](int i, int j) {
                        return std::pair{h0 - 1 - j, i};
                    });
                } else {
                    bool hz = rng() % 2;
                    clip_flip(&piece, hz);
                    int w0 = mpiece.w, h0 = mpiece.h;
                    mpiece = model_move(mpiece, w0, h0, [=](int i, int j) {
                        return hz ? std::pair{w0 - 1 - i, j} : std::pair{i, h0 - 1 - j};
                    });
                }
                [[fallthrough]];
            case 3: {
                if (!have) break;
                bool all = rng() % 2;
                clip_paste(map, piece, x, y, nullptr, all ? CLIP_PASTE_ALL : CLIP_PASTE_NONEMPTY);
                model_paste(m, mpiece, x, y, all);
                break;
            }
            case 4: { // fill a rectangle, with a plain or an object tile
                int brush = std::array{0, 5, 217, 219, 216}[rng() % 5];
                clip_fill(map, {x, y, w, h}, brush, false, nullptr);
                model_fill(m, rect, brush, x, y);
                break;
            }
            default: { // flood fill, inside a selection half of the time
                // Object brushes only inside a selection: the open map would take 10^6.
                int brush = std::array{0, 4, 9, 217, 216}[rng() % 5];
                bool within = is_object_tile(brush) || rng() % 2;
                ClipRect sel{x - 10, y - 10, 30, 30};
                auto cells =
                    within ? model_flood(m, x, y, std::max(sel.x, 0), std::max(sel.y, 0),
                                         std::min(sel.x + 29, 1023), std::min(sel.y + 29, 1023))
                           : model_flood(m, x, y, 0, 0, 1023, 1023);
                if (!is_object_tile(brush) && m.at(x, y) == brush) cells.clear();
                clip_flood_fill(map, x, y, brush, within ? &sel : nullptr, nullptr);
                model_fill(m, cells, brush, x, y);
                break;
            }
            }
            expect_same(map, m, step);
            if (HasFatalFailure()) return;
        }
        while (edit_undo(map, nullptr)) {
        }
        expect_same(map, start, -1);
    }
}

// The rules the model encodes, seen once plainly: a crossing object stays out of a copy and
// goes whole with a cut; an object fill never overlaps; region cells travel with the piece.
TEST(ClipboardModel, ObjectsAtTheSelectionEdgeAndRegionCells) {
    EditedMap map = new_map();
    Region* r = add_region(map, "base");
    edit_paint(map, 10, 10, 219); // 6 x 6: 10..15
    edit_paint(map, 20, 20, 217);
    edit_region_cell(map, r, 21, 21, true);
    ClipPiece p;
    ASSERT_TRUE(clip_cut(map, {12, 12, 10, 10}, r, &p));
    ASSERT_EQ(p.objects.size(), 1u); // the 217 inside; the 219 crosses the edge
    EXPECT_EQ(p.tiles[0], 0);        // (12, 12) belonged to the 219
    EXPECT_EQ(mapdata_get_tile(map, 10, 10), 0);
    EXPECT_EQ(map->stamps.count, 0u);
    EXPECT_FALSE(region_contains(r, 21, 21));
    clip_rotate(&p); // 217 at (8, 8) of a 10 x 10 piece goes to (0, 8)
    ASSERT_TRUE(clip_paste(map, p, 1018, 0, r));
    EXPECT_EQ(mapdata_get_tile(map, 1018, 8), 217);
    EXPECT_EQ(mapdata_get_tile(map, 1019, 9), 250);
    EXPECT_TRUE(region_contains(r, 1018, 9)); // (21, 21) went along
    EXPECT_EQ(clip_region_area(map, {1016, 7, 4, 4}, r, true), 15u);
    EXPECT_EQ(clip_region_area(map, {1014, 8, 4, 2}, r, false), 4u);
    EXPECT_EQ(clip_fill(map, {100, 100, 13, 13}, 219, false, nullptr), 4u * 36u);
    EXPECT_EQ(clip_flood_fill(map, 1019, 9, 5, nullptr, nullptr), 0u); // starts on an object
}

} // namespace
