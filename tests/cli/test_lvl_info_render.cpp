// test_lvl_info_render.cpp - `ostrel-lvl info --json` against the shared maps' known contents,
// `convert` keeping what info describes, `render` pixels against the map's cells (full-size tile
// pictures: the exchange test's tmxrasterizer comparison) and render outputs that are pictures
// only.

#include "cli/lvl_run.h"
#include "map/lvl/level.h"
#include "test_util.h"

#include <nlohmann/json.hpp>

#include <algorithm>

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
        // scf: its own 304 x 160 tileset and 235 objects, by type.
        R"("tileset": {"width": 304, "height": 160, "bytes": 49720},)",
        R"("objects": 235,)",
        R"("objects_by_type": {"216": 195, "217": 38, "218": 0, "219": 0, "220": 2})",
        // smallmap: no bitmap, 1,236 tiles.
        R"("tileset": null,)",
        R"("tiles": 1236,)",
    };
    for (const char* part : expected)
        EXPECT_TRUE(contains(run.out, part)) << part << "\nin:\n" << run.out;
    EXPECT_EQ(run.out.front(), '[');
    EXPECT_EQ(run.out.substr(run.out.size() - 3), "\n]\n");
}

// A converted shared map holds everything info describes of the original (attributes in any
// order; a map without an elvl block gains an empty one), and converting it again changes no byte.
TEST_F(LvlInfoRender, ConvertKeepsWhatInfoDescribesAndIsStable) {
    if (!have_maps()) GTEST_SKIP() << "shared test maps not present in " << kMaps;
    const auto facts = [](const std::string& path) {
        nlohmann::json j = nlohmann::json::parse(lvl_run({"info", "--json", path}).out).at(0);
        j.erase("file");
        j.erase("elvl");
        std::sort(j["attributes"].begin(), j["attributes"].end());
        return j;
    };
    for (const char* name : {"duelpub.lvl", "smallmape.lvl", "scf.lvl", "smallmap.lvl"}) {
        ASSERT_EQ(lvl_run({"convert", kMaps + "/" + name, "a.lvl"}).status, 0);
        ASSERT_EQ(lvl_run({"convert", "a.lvl", "b.lvl"}).status, 0);
        EXPECT_EQ(facts("a.lvl"), facts(kMaps + "/" + name)) << name;
        EXPECT_TRUE(read_file("b.lvl") == read_file("a.lvl")) << name;
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

// A list of maps must not turn every second map into a picture; a non-PNG under a picture's
// name is replaced only on request; a symlinked picture stays a link.
TEST_F(LvlInfoRender, RenderWritesOnlyPictures) {
    const Bytes map = {5, 0, 0, 7};
    write_file("a.lvl", map);
    write_file("b.lvl", map);
    LvlRun run = lvl_run({"render", "a.lvl", "b.lvl"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(contains(run.err, "'b.lvl' is no picture name")) << run.err;
    EXPECT_EQ(read_file("b.lvl"), map);

    write_file("notes.png", {'h', 'i'});
    run = lvl_run({"render", "a.lvl", "notes.png"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "ostrel-lvl: notes.png: not written: the file there is not a PNG picture "
                       "(--force replaces it)\n");
    EXPECT_EQ(read_file("notes.png"), (Bytes{'h', 'i'}));
    EXPECT_EQ(lvl_run({"render", "a.lvl", "notes.png", "--force"}).status, 0);

    std::filesystem::create_directory("pics");
    std::filesystem::create_symlink("pics/real.png", "link.png");
    for (int i = 0; i < 2; ++i) // a new picture, then one over the old picture
        ASSERT_EQ(lvl_run({"render", "a.lvl", "link.png"}).status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink("link.png"));
    EXPECT_EQ(read_file("pics/real.png"), read_file("notes.png"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("pics"), std::filesystem::directory_iterator()), 1);
}

} // namespace
