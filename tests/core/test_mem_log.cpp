// Allocation, the fatal stop and the log line format.
#include "core/log.h"
#include "core/mem.h"
#include "core/platform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

TEST(Mem, ZeroFilledBlocksOfAnySize) {
    void* empty = mem_alloc(0);
    EXPECT_NE(empty, nullptr);
    mem_free(empty);
    for (uint32_t size : {1u, 3u, 5u, 63u, 4097u}) {
        auto* p = static_cast<unsigned char*>(mem_alloc(size));
        for (uint32_t i = 0; i < size; ++i)
            ASSERT_EQ(p[i], 0) << size;
        mem_free(p);
    }
    mem_free(nullptr);
}

TEST(Mem, ResizeKeepsOldBytes) {
    auto* p = static_cast<unsigned char*>(mem_alloc(4));
    p[0] = 1, p[3] = 4;
    p = static_cast<unsigned char*>(mem_resize(p, 1000));
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[3], 4);
    mem_free(p);
}

TEST(MemDeathTest, FatalErrorMessageAndStatus) {
    EXPECT_EXIT(fatal_error(3, "malloc error: requested %i bytes\n", 120),
                testing::ExitedWithCode(3),
                "^Unrecoverable error \\(3\\): malloc error: requested 120 bytes\n\n$");
}

TEST(MemDeathTest, ExhaustionIsTheFatalStop) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
#else
    // In the child, cap the address space so that a 4 GiB request must fail.
    auto exhaust = [] {
        rlimit limit{1u << 30, 1u << 30};
        setrlimit(RLIMIT_AS, &limit);
        mem_alloc(0xFFFFFFF0u);
    };
    EXPECT_EXIT(exhaust(), testing::ExitedWithCode(3), "malloc error: requested -16 bytes\n\n$");
#endif
}

std::string capture_log(char level, const char* arg) {
    testing::internal::CaptureStderr();
    log_msg(level, "*** %s exiting: quit event", arg);
    return testing::internal::GetCapturedStderr();
}

TEST(Log, LineFormats) {
    EXPECT_EQ(capture_log(0, "ostrel"), "*** ostrel exiting: quit event\n");
    EXPECT_EQ(capture_log('I', "ostrel"), "I *** ostrel exiting: quit event\n");
}

TEST(Ticks, HundredthsOfASecond) {
    uint32_t a = get_ticks();
    platform_sleep_ms(200);
    uint32_t b = get_ticks();
    EXPECT_GE(b - a, 19u);
    EXPECT_LT(b - a, 60u);
    EXPECT_EQ(a & 0x80000000u, 0u);
}

TEST(MappedFile, ZeroLengthAndMissingFilesAreUnreadable) {
    char path[] = "/tmp/ostrel_mfXXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_EQ(mapped_file_open(path), nullptr);
    {
        std::ofstream out(path, std::ios::binary);
        out << "BMx";
    }
    MappedFile* f = mapped_file_open(path);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->length, 3u);
    EXPECT_EQ(f->data[2], 'x');
    mapped_file_close(f);
    unlink(path);
    EXPECT_EQ(mapped_file_open(path), nullptr);
    EXPECT_EQ(mapped_file_open("/tmp"), nullptr);
}

} // namespace
