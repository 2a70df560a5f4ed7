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
#include <fstream>
#include <random>

#include "core/log.h"
#include "editor/recovery/recovery.h"
#include "journal_steps.h"
#include "map/edit/journal.h"

namespace {

constexpr int kSeeds = 8;
constexpr int kMaxSteps = 400;

using Hash = std::array<uint8_t, kJournalHashBytes>;

Hash hash_of(MapData* map) {
    Hash h{};
    journal_hash(journaltest::save_bytes(map), h.data());
    return h;
}

// What the child publishes: its steps so far and when each ended.
struct Shared {
    std::atomic<uint32_t> steps;
    int64_t ended_ns[kMaxSteps + 1];
};

int64_t now_ns() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Scratch {
    std::filesystem::path dir;
    Scratch() {
        // A SIGKILL leaves what was written in the page cache: memory-backed files show the
        // same and keep the test fast.
        char name[] = "/dev/shm/ostrel-journal-XXXXXX";
        char fallback[] = "/tmp/ostrel-journal-XXXXXX";
        const char* made = ::mkdtemp(name);
        dir = made ? made : ::mkdtemp(fallback);
    }
    ~Scratch() { std::filesystem::remove_all(dir); }
};

[[noreturn]] void child(const std::string& level, const std::string& journal, int seed, Shared* shared) {
    log_set_enabled(false);
    MapData* map = mapdata_open(level.c_str(), nullptr);
    JournalSession* session = journal_session_start(map, journal);
    std::mt19937 rng(static_cast<uint32_t>(seed));
    std::mt19937 pause(static_cast<uint32_t>(seed * 31 + 1));
    while (shared->steps < kMaxSteps) {
        journaltest::random_step(map, rng);
        auto steps = static_cast<uint32_t>(journal_session_steps(session));
        if (steps != shared->steps) {
            shared->ended_ns[steps] = now_ns();
            shared->steps = steps;
        }
        if (pause() % 4 == 0) ::usleep(pause() % 400);
    }
    for (;;)
        ::pause();
}

TEST(JournalKill, EveryKillLeavesTheStateAfterSomeStep) {
    log_set_enabled(false);
    Scratch scratch;
    std::string level = scratch.dir / "map.lvl", journal = scratch.dir / "map.journal";
    std::vector<uint8_t> base = journaltest::base_level();
    std::ofstream(level, std::ios::binary).write(reinterpret_cast<const char*>(base.data()),
                                                 static_cast<std::streamsize>(base.size()));
    // The state after each step of each seed, as the child makes them, computed as far as a
    // kill needs.
    struct Replica {
        MapData* map = nullptr;
        std::mt19937 rng;
        std::vector<Hash> states;
    };
    std::vector<Replica> replicas(kSeeds);
    auto state_after = [&](int seed, uint32_t k) {
        Replica& r = replicas[seed];
        if (!r.map) {
            r.map = mapdata_open(level.c_str(), nullptr);
            r.rng.seed(static_cast<uint32_t>(seed));
            r.states.push_back(hash_of(r.map));
            edit_set_observer(
                r.map, [](void* user, MapData* m, const EditStepView&) {
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
    uint32_t recovered_steps = 0;
    for (int kill = 0; kill < 200; ++kill) {
        int seed = kill % kSeeds;
        std::filesystem::remove(journal);
        shared->steps = 0;
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) child(level, journal, seed, shared);
        ::usleep(1000 + rng() % 12000);
        int64_t killed_at = now_ns();
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        uint32_t ended = shared->steps;
        std::ifstream in(journal, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
        uint32_t k = 0;
        if (!bytes.empty()) {
            JournalContents contents = journal_parse(bytes);
            ASSERT_EQ(contents.status, JOURNAL_OK) << contents.problem;
            k = contents.steps();
            std::string problem;
            MapData* map = recovery_build_map(contents, &problem);
            ASSERT_TRUE(map) << problem;
            ASSERT_LE(k, ended) << "kill " << kill;
            ASSERT_EQ(hash_of(map), state_after(seed, k)) << "kill " << kill << ", step " << k;
            mapdata_free(map);
        }
        recovered_steps += k;
        if (k < ended) worst_loss_ns = std::max(worst_loss_ns, killed_at - shared->ended_ns[k + 1]);
    }
    ::munmap(shared, sizeof(Shared));
    for (Replica& r : replicas)
        mapdata_free(r.map);
    EXPECT_LT(worst_loss_ns, 1000000000) << "a step older than a second was lost";
    EXPECT_GT(recovered_steps, 100u) << "too few kills met written steps";
    std::printf("journal kill test: 200 kills, %u steps recovered, oldest lost step ended %.2f ms "
                "before its kill\n",
                recovered_steps, static_cast<double>(worst_loss_ns) / 1e6);
}

} // namespace
