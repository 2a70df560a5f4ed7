// test_lvl_check.cpp - `ostrel-lvl check` on crafted files: each kind of problem once, with the
// offset it lies at, the exit status for sound, faulty and unreadable files, and names from a
// file shown escaped and cut.
#include "cli/lvl_run.h"
#include "test_util.h"

#include <algorithm>

namespace {

// rTIL data of one region cell at (x, 0), from the map's own encoder.
Bytes one_cell(int32_t x) {
    ScopedMap map;
    Region* region = add_region(map.map, "c");
    region_add_tile(region, x, 0);
    Bytes b;
    region_encode_tiles(region, &b);
    return b;
}

// 256 regions of one cell each: the last needs a 256th region set.
Bytes set_limit_level(uint64_t* regn_offset, uint64_t* rtil_offset) {
    Bytes chunks;
    for (int32_t k = 0; k < 256; ++k) {
        Bytes name = chunk("rNAM", bytes("R" + std::to_string(k)));
        *regn_offset = 76 + chunks.size();
        *rtil_offset = *regn_offset + 8 + name.size();
        append(chunks, chunk("REGN", concat({name, chunk("rTIL", one_cell(k))})));
    }
    return level_with_chunks(64, chunks, {});
}

struct CheckCase {
    const char* name;
    Bytes file;
    std::vector<std::string> lines; // after "FILE: "
};

std::vector<CheckCase> cases() {
    Bytes huge_bitmap = concat({bmp_head(65536, 65536), records({{1, 1, 5}})});
    Bytes trailing = concat({records({{1, 1, 5}}), Bytes{0, 0}});
    Bytes past_limit = concat({bytes("XTRA"), Bytes{0x01, 0x00, 0x02, 0x00}});
    uint64_t regn = 0, rtil = 0;
    Bytes limit = set_limit_level(&regn, &rtil);
    return {
        {"outside",
         records({{1, 1, 5}, {1024, 3, 1}}),
         {"offset 4: a tile outside the map was left out (record for (1024, 3))"}},
        {"overlap",
         records({{10, 10, 219}, {15, 15, 217}}),
         {"offset 4: object 217 at (15, 15) overlaps another object"}},
        {"filler",
         records({{1, 1, 5}, {5, 5, 250}}),
         {"offset 4: filler tile 250 at (5, 5) outside any object"}},
        {"rtil",
         level_with_chunks(
             64, chunk("REGN", concat({chunk("rNAM", "A"), chunk("rTIL", Bytes{0x42, 0x7F})})), {}),
         {"offset 96: region 'A' has damaged cell data, read only up to the damage (rTIL: the "
          "data ends inside a run)"}},
        {"no cells",
         level_with_chunks(
             64, chunk("REGN", concat({chunk("rNAM", "E"), chunk("rTIL", Bytes{0xA3, 0xFF})})), {}),
         {"offset 76: region 'E' has no cells"}},
        {"no name",
         level_with_chunks(64, chunk("REGN", chunk("rTIL", Bytes{0xA3, 0xFF})), {}),
         {"offset 76: a region without a name was left out with its cells (REGN without rNAM)"}},
        {"set limit",
         limit,
         {"offset " + std::to_string(regn) + ": region 'R255' has no cells",
          "offset " + std::to_string(rtil) +
              ": region 'R255' lost 1 cells: too many regions overlap there (the limit of 255 "
              "region sets was reached)"}},
        {"tileset",
         huge_bitmap,
         {"the tileset takes 65536 bytes: at 64 KiB or more a save cannot keep the attributes "
          "and regions"}},
        {"duplicate key",
         level_with_chunks(64, concat({chunk("ATTR", "K=1"), chunk("ATTR", "k=2")}), {}),
         {"offset 88: attribute key 'k' repeats an earlier key"}},
        {"chunk limit",
         level_with_chunks(64, past_limit, {}),
         {"offset 76: map data from here on is damaged and was not read (chunk 'XTRA' declares "
          "131073 bytes, past the limit of 131072)"}},
        {"trailing",
         trailing,
         {"offset 4: the file ends with a cut tile (2 stray bytes after the last tile record)"}},
        {"zero records",
         records({{1, 1, 5}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}),
         {"offset 4: empty filler in the tile list (3 tile records of zero bytes, each an empty "
          "cell at (0, 0), from here on)"}},
        {"sound", records({{10, 10, 219}, {11, 11, 250}, {1, 1, 5}}), {}},
    };
}

class LvlCheck : public ScratchDir {};

TEST_F(LvlCheck, EachProblemKindWithItsOffset) {
    for (const CheckCase& c : cases()) {
        write_file("in.lvl", c.file);
        LvlRun run = lvl_run({"check", "in.lvl"});
        std::string want;
        for (const std::string& line : c.lines)
            want += "in.lvl: " + line + "\n";
        EXPECT_EQ(run.out, want) << c.name;
        EXPECT_EQ(run.status, c.lines.empty() ? 0 : 1) << c.name;
    }
}

// Problems the tool adds to the reader's (regions without cells here) keep to its cap.
TEST_F(LvlCheck, ProblemsPastTheCapAreOnlyCounted) {
    Bytes chunks;
    for (int32_t k = 0; k < 1200; ++k)
        append(chunks, chunk("REGN", chunk("rNAM", bytes("E" + std::to_string(k)))));
    write_file("in.lvl", level_with_chunks(64, chunks, {}));
    LvlRun run = lvl_run({"check", "in.lvl"});
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1001);
    EXPECT_TRUE(run.out.ends_with("in.lvl: 200 more problems not listed\n")) << run.out.substr(0, 200);
    EXPECT_EQ(run.status, 1);
}

TEST_F(LvlCheck, StatusOfSeveralFiles) {
    write_file("sound.lvl", records({{1, 1, 5}}));
    write_file("bad.lvl", records({{1, 1, 250}}));
    write_file("empty.lvl", {});
    EXPECT_EQ(lvl_run({"check", "sound.lvl", "sound.lvl"}).status, 0);
    EXPECT_EQ(lvl_run({"check", "sound.lvl", "bad.lvl"}).status, 1);
    LvlRun run = lvl_run({"check", "bad.lvl", "missing.lvl", "empty.lvl"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "ostrel-lvl: missing.lvl: No such file or directory\n"
                       "ostrel-lvl: empty.lvl: the file is empty\n");
}

// Control bytes in names are escaped, so three problems are three lines; a huge name is cut.
TEST_F(LvlCheck, NamesAreShownSafely) {
    // The longest name a chunk can hold: a region of its name alone.
    const std::string long_name(131064, 'n');
    Bytes regions = chunk("REGN", concat({chunk("rNAM", bytes("A\x1b[31m\x1f\nB")),
                                          chunk("rTIL", Bytes{0xA3, 0xFF})}));
    append(regions, chunk("REGN", chunk("rNAM", bytes(long_name))));
    append(regions, chunk("ATTR", "K\x9b=1"));
    append(regions, chunk("ATTR", "k\x9b=2"));
    write_file("in.lvl", level_with_chunks(64, regions, {}));
    LvlRun run = lvl_run({"check", "in.lvl"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 3) << run.out;
    EXPECT_TRUE(contains(run.out, "region 'A\\x1b[31m\\x1f\\x0aB' has no cells")) << run.out;
    EXPECT_TRUE(contains(run.out, "attribute key 'k\\x9b'")) << run.out;
    EXPECT_TRUE(contains(run.out, "region '" + std::string(64, 'n') + "... (131,064 bytes)'"))
        << run.out.substr(0, 300);
    EXPECT_LT(run.out.size(), 500u);
}

} // namespace
