// Hostile level files: region data past the decode budget is cut with one warning, and
// thousands of chunks of one type all come through in order.
#include <gtest/gtest.h>

#include "map/level.h"
#include "map_test_util.h"
#include "region_test_util.h"

namespace {

// "REGN" data naming a region r with rtils copies of an rTIL that fills the whole map.
Bytes filling_region(int32_t rtils) {
    Bytes data = chunk("rNAM", {'r'});
    for (int32_t i = 0; i < rtils; ++i) {
        Bytes til = chunk("rTIL", {0x63, 0xFF, 0xE3, 0xFE});
        data.insert(data.end(), til.begin(), til.end());
    }
    return data;
}

TEST(HostileFile, RegionDataPastTheBudgetIsCutWithOneWarning) {
    // Each fill costs 1,024 cells and a run for row 0, then the row read and 1,023 copies.
    const uint64_t fill = 1024 + 4 + 1024 + (1024 + 4) * 1023;
    const struct {
        int32_t rtils;
        uint64_t budget;
        bool cut;
        int32_t sets; // one per rTIL whose first row was paid for
    } cases[] = {{3, 3 * fill, false, 3}, {3, 3 * fill - 1, true, 3}, {40, 2 * fill, true, 2}};
    for (const auto& c : cases) {
        region_set_decode_budget(c.budget);
        ScopedMap map;
        maptest::LogCapture log;
        read_regn(map.map, filling_region(c.rtils));
        std::string text = log.text();
        EXPECT_EQ(mapdata_region_data_cut(map.map), c.cut) << c.rtils;
        size_t warnings = 0;
        for (size_t at = text.find("cell steps"); at != std::string::npos;
             at = text.find("cell steps", at + 1))
            ++warnings;
        EXPECT_EQ(warnings, c.cut ? 1u : 0u) << text;
        EXPECT_EQ(mapdata_region_set_count(map.map), c.sets) << c.rtils;
        EXPECT_EQ(region_cells(mapdata_find_region(map.map, "r")).size(), 1024u * 1024u);
    }
    region_set_decode_budget(kRegionDecodeBudget);
}

// 20,000 chunks of each of two kept types and as many "ATTR" chunks of one key, interleaved:
// every one is read, and the kept ones are saved back in file order.
TEST(HostileFile, ThousandsOfChunksOfOneTypeKeepTheirOrder) {
    Bytes area;
    for (int32_t i = 0; i < 20000; ++i) {
        append(area, chunk("XTRA", bytes(std::to_string(i))));
        append(area, chunk("ATTR", bytes("K=" + std::to_string(i))));
        append(area, chunk("YTRA", bytes(std::to_string(-i))));
    }
    MapData* map = maptest::parse(maptest::level_with_chunks(64, area, {}));
    ASSERT_NE(map->attributes, nullptr);
    EXPECT_EQ(map->attributes->count, 20000);
    EXPECT_STREQ(static_cast<const char*>(hash_get(map->attributes, "k")), "0");
    Bytes file;
    ASSERT_EQ(mapdata_save_bytes(map, &file), MAPDATA_SAVE_OK);
    mapdata_free(map);
    // The kept chunks follow the attributes in the saved block, in file order.
    Bytes kept;
    for (int32_t i = 0; i < 20000; ++i) {
        append(kept, chunk("XTRA", bytes(std::to_string(i))));
        append(kept, chunk("YTRA", bytes(std::to_string(-i))));
    }
    uint32_t elvl = maptest::get_u16(file, 6), end = elvl + maptest::get_u32(file, elvl + 4);
    ASSERT_GE(end - elvl, kept.size());
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), file.begin() + (end - kept.size())));
}

size_t count_of(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Lines a file can repeat without end stop at the cap, with one line saying so.
TEST(HostileFile, RepeatedLogLinesAreCapped) {
    Bytes regn = chunk("rNAM", {'r'});
    Bytes area;
    for (uint32_t i = 0; i < kMapLogCap + 50; ++i) {
        Bytes bad = chunk("rTIL", {0xC0}); // a row copy in row 0
        regn.insert(regn.end(), bad.begin(), bad.end());
        append(area, chunk("ATTR", bytes("K=" + std::to_string(i))));
    }
    Bytes whole = chunk("REGN", regn);
    area.insert(area.end(), whole.begin(), whole.end());
    maptest::LogCapture log;
    MapData* map = maptest::parse(maptest::level_with_chunks(64, area, {}));
    std::string text = log.text();
    EXPECT_EQ(count_of(text, "rle tile data"), kMapLogCap);
    EXPECT_EQ(count_of(text, "found ATTR"), kMapLogCap);
    EXPECT_EQ(count_of(text, "left out"), 2u);
    EXPECT_EQ(map->attributes->count, static_cast<int32_t>(kMapLogCap + 50));
    mapdata_free(map);
}

} // namespace
