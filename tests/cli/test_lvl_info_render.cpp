// test_lvl_info_render.cpp - `ostrel-lvl info --json` against the shared maps' known contents,
// `convert` against the editor's save, and `render` pixels against the map's cells.
#include <SDL/SDL.h>

#include "cli/lvl_run.h"
#include "map/lvl/builtin_tileset.h"
#include "map/lvl/level.h"
#include "test_util.h"

namespace {

const std::string kMaps = OSTREL_TESTDATA;

bool have_maps() {
    return std::filesystem::exists(kMaps + "/duelpub.lvl");
}

class LvlInfoRender : public ScratchDir {};

TEST_F(LvlInfoRender, InfoJsonOfTheSharedMaps) {
    if (!have_maps()) GTEST_SKIP() << "shared test maps not present in " << kMaps;
    LvlRun run = lvl_run({"info", "--json", kMaps + "/duelpub.lvl", kMaps + "/smallmape.lvl",
                          kMaps + "/scf.lvl", kMaps + "/smallmap.lvl"});
    EXPECT_EQ(run.status, 0);
    const char* expected[] = {
        // duelpub: six attributes in file order, four 144 x 144 regions with "rCOL", "DCID".
        R"("attributes": [["Name", "duelpub"], ["Version", "1.0"], ["Zone", ""], )"
        R"(["MapCreator", ""], ["Program", ""], ["TilesetCreator", ""]])",
        R"({"name": "Box1", "cells": 20736, "bbox": [335, 335, 478, 478], "subchunks": ["rCOL"])",
        R"({"name": "Box4", "cells": 20736, "bbox": [545, 545, 688, 688], "subchunks": ["rCOL"])",
        R"("kept_chunks": [{"type": "DCID", "bytes": 12}])",
        // smallmape: sub-chunks other than rNAM and rTIL, in file order.
        R"("subchunks": ["rAWP", "rCOL"])",
        // scf: its own 304 x 160 tileset and 235 objects.
        R"("tileset": {"width": 304, "height": 160, "bytes": 49720},)",
        R"("objects": 235,)",
        // smallmap: no bitmap, 1,236 tiles.
        R"("tileset": null,)",
        R"("tiles": 1236,)",
    };
    for (const char* part : expected)
        EXPECT_TRUE(contains(run.out, part)) << part << "\nin:\n" << run.out;
    EXPECT_EQ(run.out.front(), '[');
    EXPECT_EQ(run.out.substr(run.out.size() - 3), "\n]\n");
}

TEST_F(LvlInfoRender, ConvertWritesWhatTheEditorSaves) {
    if (!have_maps()) GTEST_SKIP() << "shared test maps not present in " << kMaps;
    for (const char* name : {"duelpub.lvl", "smallmape.lvl", "scf.lvl", "smallmap.lvl"}) {
        MapData* map = mapdata_load((kMaps + "/" + name).c_str());
        Bytes saved;
        mapdata_save_bytes(map, &saved);
        mapdata_free(map);
        ASSERT_EQ(lvl_run({"convert", kMaps + "/" + name, "out.lvl"}).status, 0);
        EXPECT_EQ(read_file("out.lvl"), saved) << name;
    }
    ASSERT_EQ(lvl_run({"convert", "--stamp", kMaps + "/duelpub.lvl", "stamped.lvl"}).status, 0);
    EXPECT_TRUE(
        contains(lvl_run({"info", "--json", "stamped.lvl"}).out, R"(["Program", "ostrel 0.2.4"])"));
}

TEST_F(LvlInfoRender, ScaleOneUsesTheRadarColours) {
    // Region R holds cell (6, 0) and has the colour (255, 0, 0).
    Bytes tiles =
        records({{0, 0, 1}, {1, 0, 162}, {2, 0, 171}, {3, 0, 172}, {4, 0, 170}, {5, 0, 250}});
    Bytes regn = concat({chunk("rNAM", "R"), chunk("rCOL", Bytes{0xFF, 0, 0, 0}),
                         chunk("rTIL", Bytes{0x05, 0x40, 0x23, 0xF8, 0xA3, 0xFE})});
    Bytes chunks = chunk("REGN", regn);
    write_file("in.lvl", level_with_chunks(64, chunks, tiles));
    ASSERT_EQ(
        lvl_run({"render", "in.lvl", "out.png", "--area", "0", "0", "8", "1", "--regions"}).status,
        0);
    Picture p = read_png("out.png");
    ASSERT_EQ(p.width, 8u);
    const uint8_t want[8][3] = {{90, 90, 90}, {173, 173, 173}, {24, 82, 24}, {255, 57, 8},
                                {0, 0, 0},    {90, 90, 90},    {127, 0, 0},  {0, 0, 0}};
    for (uint32_t x = 0; x < 8; ++x)
        EXPECT_EQ(Bytes(p.at(x, 0), p.at(x, 0) + 3), Bytes(want[x], want[x] + 3)) << "cell " << x;
}

TEST_F(LvlInfoRender, FullSizeShowsTheTilesetCells) {
    write_file("in.lvl", records({{2, 3, 45}, {3, 3, 190}}));
    ASSERT_EQ(
        lvl_run({"render", "in.lvl", "out.png", "--scale", "16", "--area", "2", "3", "2", "1"})
            .status,
        0);
    Picture p = read_png("out.png");
    ASSERT_EQ(p.width, 32u);
    ASSERT_EQ(p.height, 16u);
    uint32_t length = 0;
    const uint8_t* bytes = builtin_tileset(&length);
    SDL_Surface* tileset = SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes, static_cast<int>(length)), 1);
    ASSERT_NE(tileset, nullptr);
    int mismatches = 0;
    for (int cell = 0; cell < 2; ++cell) {
        const int t = cell == 0 ? 45 : 190;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const int sx = (t - 1) % 19 * 16 + x, sy = (t - 1) / 19 * 16 + y;
                const uint8_t index =
                    static_cast<uint8_t*>(tileset->pixels)[sy * tileset->pitch + sx];
                const SDL_Color& c = tileset->format->palette->colors[index];
                const uint8_t* got =
                    p.at(static_cast<uint32_t>(cell * 16 + x), static_cast<uint32_t>(y));
                mismatches += got[0] != c.r || got[1] != c.g || got[2] != c.b;
            }
    }
    EXPECT_EQ(mismatches, 0);
    SDL_FreeSurface(tileset);
}

TEST_F(LvlInfoRender, WideRendersDrawAcrossTheSeamBetweenPieces) {
    // The sprites live in the editor's graphics folder; the tool finds them in ./graphics.
    std::filesystem::copy(std::string(OSTREL_RUN_DIR) + "/graphics", "graphics",
                          std::filesystem::copy_options::recursive);
    write_file("in.lvl", records({{509, 2, 219}, {511, 9, 7}, {512, 9, 8}, {510, 0, 217}}));
    ASSERT_EQ(
        lvl_run({"render", "in.lvl", "wide.png", "--scale", "16", "--area", "0", "0", "600", "12"})
            .status,
        0);
    ASSERT_EQ(lvl_run({"render", "in.lvl", "narrow.png", "--scale", "16", "--area", "500", "0",
                       "20", "12"})
                  .status,
              0);
    Picture wide = read_png("wide.png"), narrow = read_png("narrow.png");
    ASSERT_EQ(narrow.width, 320u);
    int differing = 0, lit = 0;
    for (uint32_t y = 0; y < narrow.height; ++y)
        for (uint32_t x = 0; x < narrow.width; ++x) {
            differing += std::memcmp(narrow.at(x, y), wide.at(500 * 16 + x, y), 3) != 0;
            lit += (narrow.at(x, y)[0] | narrow.at(x, y)[1] | narrow.at(x, y)[2]) != 0;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(lit, 16 * 16 * 6);
}

} // namespace
