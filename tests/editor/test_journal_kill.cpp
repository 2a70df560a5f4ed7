// test_journal_kill.cpp - a process journaling random steps is killed at random moments: the
// journal it leaves always rebuilds exactly the state after one of its steps, and loses only
// steps that ended moments before the kill. Also the offer and its answers on real files.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <regex>

#include "core/log.h"
#include "editor/recovery/recovery.h"
#include "journal_steps.h"
#include "map/edit/journal.h"
#include "test_util.h"

namespace {

constexpr int kSeeds = 8;
constexpr uint32_t kMaxSteps = 3000;
constexpr int kKills = 200;
// Every kIdleEvery-th writer stops after a few steps and is killed over a second later.
constexpr int kIdleEvery = 25;

using Hash = std::array<uint8_t, kJournalHashBytes>;

// Odd seeds journal under a small bound, so their files are rewritten from a snapshot often.
uint64_t bound_of(int seed) { return seed % 2 ? 4096 : kJournalDefaultBound; }

Hash hash_of(MapData* map) {
    Hash h{};
    journal_hash(journaltest::save_bytes(map), h.data());
    return h;
}

// What the child publishes: its steps so far and when each ended.
struct Shared {
    std::atomic<uint32_t> steps;
    uint32_t stop_at; // the child stops stepping once it has made this many steps
    int64_t ended_ns[kMaxSteps + 2];
};

int64_t now_ns() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A SIGKILL leaves what was written in the page cache: memory-backed files show the same and
// keep the test fast.
constexpr const char* kMemoryFolder = "/dev/shm/ostrel-journal-XXXXXX";

[[noreturn]] void child(const std::string& level, const std::string& journal, int seed,
                        Shared* shared) {
    if (!std::freopen("/dev/null", "w", stderr)) std::_Exit(3); // the log of thousands of steps
    EditedMap map(mapdata_open(level.c_str(), nullptr));
    JournalSession* session = journal_session_start(map, level, false, journal, bound_of(seed));
    std::mt19937 rng(static_cast<uint32_t>(seed));
    std::mt19937 pause(static_cast<uint32_t>(seed * 31 + 1));
    while (shared->steps < shared->stop_at) {
        journaltest::random_step(map, rng);
        auto steps = static_cast<uint32_t>(journal_session_steps(session));
        for (uint32_t s = shared->steps + 1; s <= steps; ++s)
            shared->ended_ns[s] = now_ns();
        shared->steps = steps;
        if (pause() % 4 == 0) ::usleep(pause() % 400);
    }
    for (;;)
        ::pause();
}

TEST(JournalKill, EveryKillLeavesTheStateAfterSomeStep) {
    ScratchFolder scratch{kMemoryFolder};
    std::string level = scratch.dir / "map.lvl", journal = scratch.dir / "map.journal";
    write_file(level, journaltest::base_level());
    // The state after each step of each seed, as the child makes them, computed as far as a
    // kill needs.
    struct Replica {
        EditedMap map;
        std::mt19937 rng;
        std::vector<Hash> states;
    };
    std::vector<Replica> replicas(kSeeds);
    auto state_after = [&](int seed, uint32_t k) {
        Replica& r = replicas[seed];
        if (!r.map) {
            r.map.reset(mapdata_open(level.c_str(), nullptr));
            r.rng.seed(static_cast<uint32_t>(seed));
            r.states.push_back(hash_of(r.map));
            edit_set_observer(
                r.map,
                [](void* user, MapData* m, const EditStepView&) {
                    static_cast<std::vector<Hash>*>(user)->push_back(hash_of(m));
                },
                &r.states);
        }
        while (r.states.size() <= k)
            journaltest::random_step(r.map, r.rng);
        return r.states[k];
    };
    auto* shared = static_cast<Shared*>(
        ::mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(shared, MAP_FAILED);
    std::mt19937 rng(2026);
    int64_t worst_loss_ns = 0;
    uint64_t recovered_steps = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        int seed = kill % kSeeds;
        bool idle = kill % kIdleEvery == kIdleEvery - 1;
        std::filesystem::remove(journal);
        shared->steps = 0;
        shared->stop_at = idle ? 1 + rng() % 40 : kMaxSteps;
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) child(level, journal, seed, shared);
        if (idle) {
            for (int wait = 0; wait < 5000 && shared->steps < shared->stop_at; ++wait)
                ::usleep(1000);
            ::usleep(1050000);
        } else {
            ::usleep(rng() % 150000);
        }
        int64_t killed_at = now_ns();
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        uint32_t ended = shared->steps;
        ASSERT_LE(ended, kMaxSteps) << "kill " << kill << " came after the child's last step";
        std::vector<uint8_t> bytes = read_file(journal);
        // The latest step whose state the journal rebuilds (a rewrite leaves no step count).
        uint32_t k = 0;
        if (!bytes.empty()) {
            JournalContents contents = journal_parse(bytes);
            ASSERT_EQ(contents.status, JOURNAL_OK) << contents.problem;
            std::string problem;
            MapData* map = recovery_build_map(contents, &problem);
            ASSERT_TRUE(map) << problem;
            Hash rebuilt = hash_of(map);
            mapdata_free(map);
            // A busy child publishes its count after a random step, which makes up to two
            // steps: those may be in the journal already.
            k = idle ? ended : ended + 2;
            while (k > 0 && state_after(seed, k) != rebuilt)
                --k;
            ASSERT_EQ(rebuilt, state_after(seed, k)) << "kill " << kill << ": a torn state";
            k = std::min(k, ended);
        }
        if (idle) {
            ASSERT_EQ(k, ended) << "kill " << kill << ": steps over a second old were lost";
        }
        recovered_steps += k;
        if (k < ended) worst_loss_ns = std::max(worst_loss_ns, killed_at - shared->ended_ns[k + 1]);
    }
    ::munmap(shared, sizeof(Shared));
    EXPECT_LT(worst_loss_ns, 1000000000) << "a step older than a second was lost";
    EXPECT_GT(recovered_steps, 1000u) << "too few kills met written steps";
    std::printf("journal kill test: %d kills, %llu steps recovered, oldest lost step ended %.2f ms "
                "before its kill\n",
                kKills, static_cast<unsigned long long>(recovered_steps),
                static_cast<double>(worst_loss_ns) / 1e6);
}

// The offer and its answers, and the journals that are never applied, on real files.
TEST(Recovery, WorkReturnsInPlaceOrAsANewMapAndBadJournalsStayAside) {
    ScratchFolder scratch{kMemoryFolder};
    std::string folder = scratch.dir / "recovery", level = scratch.dir / "map.lvl";
    std::filesystem::create_directories(folder);
    write_file(level, journaltest::base_level());
    // A map given up with four unsaved steps leaves its journal.
    EditedMap map(mapdata_open(level.c_str(), nullptr));
    const std::vector<uint8_t> before = journaltest::save_bytes(map);
    JournalSession* session =
        journal_session_start(map, level, false, recovery_journal_file(folder, level.c_str()));
    for (int i = 0; i < 3; ++i) {
        edit_begin(map, "stroke");
        edit_paint(map, 600 + i, 600, 7);
        edit_end(map);
    }
    edit_set_attribute(map, "KEY", "journal");
    const std::vector<uint8_t> worked = journaltest::save_bytes(map);
    journal_session_end(session, map, false);

    RecoveryOffer offer;
    std::string message;
    ASSERT_EQ(recovery_find(folder, level.c_str(), &offer, &message), RECOVERY_OFFERED);
    EXPECT_TRUE(
        std::regex_match(recovery_offer_text(offer),
                         std::regex(R"(unsaved work from \d{4}-\d\d-\d\d \d\d:\d\d \(4 steps\) )"
                                    R"(found: \?recover restores it, \?discard drops it)")))
        << recovery_offer_text(offer);
    // On the unchanged file: in place, unsaved, one undo step.
    map.reset(mapdata_open(level.c_str(), nullptr));
    const uint64_t opened = map->revision;
    RecoveryResult result = recovery_apply(offer, map, level, false);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.new_map, nullptr);
    EXPECT_EQ(journaltest::save_bytes(map), worked);
    EXPECT_NE(map->revision, opened);
    EXPECT_TRUE(edit_undo(map, nullptr));
    EXPECT_EQ(journaltest::save_bytes(map), before);
    EXPECT_EQ(map->revision, opened);
    // The file changed since: a new untitled map, and the file stays as it is.
    map.reset(mapdata_open(level.c_str(), nullptr));
    edit_paint(map, 10, 10, 3);
    std::vector<uint8_t> changed = journaltest::save_bytes(map);
    write_file(level, changed);
    map.reset(mapdata_open(level.c_str(), nullptr));
    result = recovery_apply(offer, map, level, false);
    ASSERT_TRUE(result.ok && result.new_map) << result.message;
    EXPECT_EQ(journaltest::save_bytes(result.new_map), worked);
    EXPECT_EQ(journaltest::save_bytes(map), changed);
    EXPECT_EQ(read_file(level), changed);
    mapdata_free(result.new_map);
    recovery_discard(offer);
    EXPECT_FALSE(std::filesystem::exists(offer.file));
    EXPECT_EQ(recovery_find(folder, level.c_str(), &offer, &message), RECOVERY_NONE);

    // A damaged journal is renamed aside and said, never offered.
    std::string file = recovery_journal_file(folder, level.c_str());
    write_file(file, {'O', 'S', 'T', 'R', 'J', 'R', 'N', 'L', 1, 0, 0, 0, 9});
    EXPECT_EQ(recovery_find(folder, level.c_str(), &offer, &message), RECOVERY_SET_ASIDE);
    EXPECT_NE(message.find(".unreadable-"), std::string::npos) << message;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
    EXPECT_EQ(recovery_find(folder, level.c_str(), &offer, &message), RECOVERY_NONE);

    // A journal that cannot be written is said once; the map's steps go on.
    session = journal_session_start(map, level, false, level + "/under-a-file.journal");
    for (int i = 0; i < 2; ++i) {
        edit_paint(map, 20, 20 + i, 4);
        journal_session_flush(session);
        std::string reason;
        EXPECT_EQ(journal_session_take_failure(session, &reason), i == 0) << reason;
    }
    EXPECT_EQ(edit_undo_count(map), 2u);
    journal_session_end(session, map, true);
}

// Strokes fill the writer's blocks many times over, with steps that also mark a region cell or
// are larger than a block, and flushes between them: every step comes back, in order.
TEST(Recovery, LongSessionsComeBackInTheirOrder) {
    ScratchFolder scratch{kMemoryFolder};
    std::string folder = scratch.dir / "recovery", level = scratch.dir / "map.lvl";
    std::filesystem::create_directories(folder);
    write_file(level, journaltest::base_level());
    EditedMap map(mapdata_open(level.c_str(), nullptr));
    JournalSession* session =
        journal_session_start(map, level, false, recovery_journal_file(folder, level.c_str()));
    Region* region = edit_region_create(map, "Blocks");
    for (int i = 0; i < 4000; ++i) {
        // Each stroke has its own cells, but the one after a marking stroke paints over it.
        int place = i % 97 == 1 ? i - 1 : i;
        int y = 100 + place % 800, x0 = 100 + place / 800 * 24;
        edit_begin(map, "stroke");
        for (int x = 0; x < 24; ++x)
            edit_paint(map, x0 + x, y, 1 + (i + x) % 150);
        if (i % 97 == 0) edit_region_toggle(map, region, x0, y);
        // Now and then a step larger than a block, written apart from the blocks.
        for (int k = i % 194 == 0 ? 0 : 20000; k < 20000; ++k)
            edit_paint(map, 700 + k % 200, 100 + k / 200, 1 + i % 150);
        edit_end(map);
        if (i % 1500 == 0) journal_session_flush(session);
    }
    const std::vector<uint8_t> worked = journaltest::save_bytes(map);
    journal_session_end(session, map, false);
    RecoveryOffer offer;
    std::string message;
    ASSERT_EQ(recovery_find(folder, level.c_str(), &offer, &message), RECOVERY_OFFERED);
    map.reset(mapdata_open(level.c_str(), nullptr));
    RecoveryResult result = recovery_apply(offer, map, level, false);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(journaltest::save_bytes(map), worked);
}

} // namespace
