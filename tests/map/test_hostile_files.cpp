// Hostile level files: region data past the decode budget is cut and counted as a loss; file
// sizes are checked before reading, and a FIFO is refused without waiting on it.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>

#include "core/platform.h"
#include "map/lvl/level.h"
#include "map/lvl/level_report.h"
#include "test_util.h"

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

TEST(HostileFile, RegionDataPastTheBudgetIsCut) {
    // Each fill costs 1,024 cells for row 0, then the row read and 1,023 copies.
    const uint64_t fill = 1024 + 1024 + 1024 * 1023;
    const struct {
        int32_t rtils;
        uint64_t budget;
        bool cut;
        int32_t sets; // one per rTIL whose first row was paid for
    } cases[] = {{3, 3 * fill, false, 3}, {3, 3 * fill - 1, true, 3}, {40, 2 * fill, true, 2}};
    for (const auto& c : cases) {
        ScopedMap map;
        LevelReading reading{map.map};
        reading.decode_budget = c.budget;
        Quiet quiet;
        read_regn(map.map, filling_region(c.rtils), &reading);
        EXPECT_EQ(reading.losses.region_data_cut, c.cut) << c.rtils;
        EXPECT_EQ(mapdata_region_set_count(map.map), c.sets) << c.rtils;
        EXPECT_EQ(region_cells(mapdata_find_region(map.map, "r")).size(), 1024u * 1024u);
    }
}

// The most the format allows, 255 regions that each fill the map, comes in whole; past the
// budget (lowered here) the cut is a read problem and a loss a plain save will not make
// permanent.
TEST(HostileFile, EveryLegalFileDecodesInFullAndCutsAreLosses) {
    Bytes area;
    for (int r = 0; r < 255; ++r)
        append(area, chunk("REGN", concat({chunk("rNAM", bytes("R" + std::to_string(r))),
                                           chunk("rTIL", {0x63, 0xFF, 0xE3, 0xFE})})));
    Bytes file = level_with_chunks(64, area, {});
    LevelLosses losses;
    MapData* map = parse(file, &losses);
    EXPECT_EQ(region_cells(mapdata_find_region(map, "R254")).size(), 1024u * 1024u);
    EXPECT_EQ(level_losses_text(losses), "");
    mapdata_free(map);

    LevelReport report;
    ScopedMap cut;
    Quiet quiet;
    mapdata_read_bytes(cut.map, file, LevelReadOptions{false, &report, 1 << 20, &losses});
    EXPECT_TRUE(std::any_of(report.problems.begin(), report.problems.end(), [](const auto& p) {
        return contains(p.text, "region 'R0' and the regions after it lost cells");
    }));
    EXPECT_EQ(level_losses_text(losses), "region cells past the decoding limit");
    EXPECT_TRUE(mapdata_save(cut.map, "never-written.lvl", losses).refused_losses);
}

// Sizes are checked before anything is read (sparse files cost no disk), with the size and the
// bound in the reason; memory that runs out while reading is a refusal, not an exit.
using SizeChecks = ScratchDir;

TEST_F(SizeChecks, FileSizesAreCheckedBeforeReading) {
    ASSERT_EQ(mkfifo("pipe.lvl", 0600), 0); // nobody writes to it: the open must not block
    int error = 0;
    EXPECT_EQ(mapdata_open("pipe.lvl", &error), nullptr);
    EXPECT_EQ(error, FILE_NOT_REGULAR);
    std::ofstream("big.lvl").close();
    std::ofstream("big.bmp").close();
    ASSERT_EQ(truncate("big.lvl", kLevelFileLimit + 1), 0);
    ASSERT_EQ(truncate("big.bmp", 3ll << 30), 0);
    EXPECT_EQ(mapdata_open("big.lvl", &error), nullptr);
    EXPECT_EQ(file_error_describe(error, "big.lvl", kLevelFileLimit),
              "the file is too large: 67,108,865 bytes, more than the 64 MiB it may have");
    std::vector<uint8_t> tiles;
    char reason[256];
    EXPECT_FALSE(tileset_file_read("big.bmp", &tiles, reason, sizeof reason));
    EXPECT_STREQ(reason, "the file is too large: 3,221,225,472 bytes, more than the 65,532 "
                         "bytes it may have");
    ASSERT_EQ(truncate("big.lvl", kLevelFileLimit), 0);
    pid_t pid = fork();
    if (pid == 0) {
        rlimit limit{32 << 20, 32 << 20}; // less than the file, more than the process needs
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmSize:", 0) == 0)
                limit.rlim_cur = limit.rlim_max += std::stoull(line.substr(7)) << 10;
        setrlimit(RLIMIT_AS, &limit);
        int reason = 0;
        bool refused = !mapped_file_open("big.lvl", &reason, kLevelFileLimit) && reason == ENOMEM;
        _exit(refused ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

} // namespace
