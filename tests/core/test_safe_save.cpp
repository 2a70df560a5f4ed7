// test_safe_save.cpp - the one save routine: a killed or size-limited save leaves the old file
// whole and nothing else behind; links, owners and modes are kept or reported.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "core/platform.h"
#include "core/safe_save.h"
#include "test_util.h"

namespace {

namespace fs = std::filesystem;

size_t entries(const fs::path& dir) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// Runs fn in a child process and returns its exit status (-signal when a signal ended it).
template <typename Fn> int in_child(Fn fn) {
    pid_t pid = fork();
    if (pid == 0) _exit(fn());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// Saves into a scratch folder that holds only graphics/ at the start.
class SafeSaveTest : public ScratchDir {
  protected:
    void SetUp() override { fs::remove(dir_ / "graphics"); }
    const fs::path& dir_ = scratch.dir;
    std::string target_ = (dir_ / "map.lvl").string();
};

// Kills during saves, with unnamed and with named temporaries: the file is always one whole
// version, and the next save leaves nothing but the file.
TEST_F(SafeSaveTest, KilledSavesLeaveNothingBehind) {
    const Bytes a(1 << 20, 'a'), b(1 << 20, 'b');
    std::mt19937 random(7);
    for (bool unnamed : {true, false}) {
        SafeSaveOptions options;
        options.unnamed_temp = unnamed;
        options.sync = false; // a kill, not a power cut: the disk need not be waited for
        ASSERT_EQ(safe_save_file(target_.c_str(), a, options), 0);
        int left = 0; // kills that left a temporary (each save removes those before it)
        for (int kill_number = 0; kill_number < 100; ++kill_number) {
            pid_t pid = fork();
            if (pid == 0)
                for (int i = 0;; ++i)
                    (void)safe_save_file(target_.c_str(), i % 2 ? a : b, options);
            usleep(std::uniform_int_distribution<useconds_t>(200, 4000)(random));
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            Bytes now = read_file(target_);
            ASSERT_TRUE(now == a || now == b) << "a torn file after kill " << kill_number;
            left += entries(dir_) > 1;
        }
        // Named temporaries are left by the kills (unnamed ones only between link and rename).
        EXPECT_TRUE(unnamed || left > 0) << "no kill hit a save";
        ASSERT_EQ(safe_save_file(target_.c_str(), a, options), 0);
        EXPECT_EQ(entries(dir_), 1u) << (unnamed ? "unnamed" : "named") << " temporaries";
    }
}

// Past a file size limit the save fails with "File too large" instead of ending the process.
TEST_F(SafeSaveTest, FileSizeLimitIsAReasonNotADeath) {
    const Bytes old(100, 'o');
    ASSERT_EQ(safe_save_file(target_.c_str(), old), 0);
    for (bool unnamed : {true, false}) {
        int status = in_child([&] {
            rlimit limit{4096, 4096};
            setrlimit(RLIMIT_FSIZE, &limit);
            SafeSaveOptions options;
            options.unnamed_temp = unnamed;
            int error = safe_save_file(target_.c_str(), Bytes(65536, 'n'), options);
            return error == EFBIG && std::string(file_error_text(error)) == "File too large" ? 0 : 1;
        });
        EXPECT_EQ(status, 0) << (unnamed ? "unnamed" : "named");
    }
    EXPECT_EQ(read_file(target_), old);
    EXPECT_EQ(entries(dir_), 1u);
}

// A symlink is followed and stays, unless the caller refuses links; hard links are reported;
// what is no regular file is refused.
TEST_F(SafeSaveTest, LinksAreKeptRefusedOrReported) {
    const fs::path real = dir_ / "real.lvl", link = dir_ / "link.lvl", other = dir_ / "other.lvl";
    ASSERT_EQ(safe_save_file(real.c_str(), Bytes{1}), 0);
    fs::create_symlink("real.lvl", link);
    ASSERT_EQ(safe_save_file(link.c_str(), Bytes{2}), 0);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(read_file(real), Bytes{2});
    SafeSaveOptions no_links;
    no_links.refuse_links = true;
    EXPECT_EQ(safe_save_file(link.c_str(), Bytes{3}, no_links), FILE_IS_LINK);
    // Nobody reads the FIFO: the save must not block on it. A folder is refused too.
    ASSERT_EQ(mkfifo((dir_ / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(safe_save_file((dir_ / "pipe").c_str(), Bytes{3}), FILE_NOT_REGULAR);
    EXPECT_EQ(safe_save_file(dir_.c_str(), Bytes{3}), EISDIR);
    EXPECT_EQ(read_file(real), Bytes{2});
    // A name with no room left for a temporary's suffix is saved all the same.
    const fs::path long_name = dir_ / std::string(250, 'n');
    ASSERT_EQ(safe_save_file(long_name.c_str(), Bytes{5}), 0);
    EXPECT_EQ(read_file(long_name), Bytes{5});

    fs::create_hard_link(real, other);
    SafeSave facts;
    ASSERT_EQ(safe_save_file(real.c_str(), Bytes{4}, {}, &facts), 0);
    EXPECT_EQ(facts.hard_links, 2u);
    EXPECT_EQ(read_file(other), Bytes{2}); // the other name keeps the old file
}

// Root saving someone else's file gives it back to its owner and group, mode included.
TEST_F(SafeSaveTest, OwnerGroupAndModeAreKept) {
    if (geteuid() != 0) GTEST_SKIP() << "giving a file to another owner needs root";
    ASSERT_EQ(safe_save_file(target_.c_str(), Bytes{1}), 0);
    ASSERT_EQ(chown(target_.c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod(target_.c_str(), 0640), 0);
    SafeSave facts;
    ASSERT_EQ(safe_save_file(target_.c_str(), Bytes{2}, {}, &facts), 0);
    struct stat st {};
    ASSERT_EQ(stat(target_.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_TRUE(facts.owner_kept);
}

// A normal user: saves keep the mode, a read-only file is refused and stays, and the
// temporaries of a save killed as that user go at the next save. Root runs it as nobody.
TEST_F(SafeSaveTest, UnprivilegedSaves) {
    ASSERT_EQ(chmod(dir_.c_str(), 0777), 0);
    int status = in_child([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 10;
        const std::string ro = (dir_ / "ro.lvl").string(), stale = (dir_ / ".ostrel-1-abcdef").string();
        if (safe_save_file(target_.c_str(), Bytes{1}) != 0 || chmod(target_.c_str(), 0604) != 0)
            return 11;
        if (safe_save_file(ro.c_str(), Bytes{1}) != 0 || chmod(ro.c_str(), 0444) != 0) return 12;
        if (safe_save_file(ro.c_str(), Bytes{2}) != EACCES || read_file(ro) != Bytes{1}) return 13;
        // A named temporary of a process that is gone (pid 1 never is, so use a dead child).
        pid_t dead = fork();
        if (dead == 0) _exit(0);
        waitpid(dead, nullptr, 0);
        const std::string left = (dir_ / (".ostrel-" + std::to_string(dead) + "-abcdef")).string();
        std::ofstream(left) << "x";
        std::ofstream(stale) << "x"; // pid 1 lives: kept until it is an hour old
        if (safe_save_file(target_.c_str(), Bytes{2}) != 0) return 14;
        struct stat st {};
        if (stat(target_.c_str(), &st) != 0 || (st.st_mode & 0777) != 0604) return 15;
        if (fs::exists(left) || !fs::exists(stale)) return 16;
        return 0;
    });
    EXPECT_EQ(status, 0) << "step that failed (see the child's checks)";
}

} // namespace
