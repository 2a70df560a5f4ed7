// platform.cpp - clock, sleep and whole-file views over POSIX (clock_gettime, nanosleep, read).
#include "core/platform.h"
#include "core/mem.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

uint32_t platform_millis() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t ms =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void platform_sleep_ms(uint32_t ms) {
    timespec req{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&req, &req) != 0 && errno == EINTR) {
    }
}

uint32_t get_ticks() {
    return (platform_millis() / 10u) & 0x7FFFFFFFu;
}

MappedFile* mapped_file_open(const char* path) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    // Only regular files of 1 byte up to 4 GiB - 1 can be viewed; a zero-length file is unreadable.
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 ||
        static_cast<uint64_t>(st.st_size) > 0xFFFFFFFFull) {
        close(fd);
        return nullptr;
    }
    // One read into our own buffer rather than a mapping: a file truncated by another
    // program while we read it then gives a short view instead of a bus error.
    size_t want = static_cast<size_t>(st.st_size);
    auto* bytes = static_cast<uint8_t*>(std::malloc(want));
    if (!bytes) fatal_error(3, "malloc error: requested %i bytes\n", static_cast<int>(want));
    size_t got = 0;
    while (got < want) {
        ssize_t n = read(fd, bytes + got, want - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    if (got == 0) {
        std::free(bytes);
        return nullptr;
    }
    auto* file = static_cast<MappedFile*>(mem_alloc(sizeof(MappedFile)));
    file->data = bytes;
    file->length = static_cast<uint32_t>(got);
    return file;
}

void mapped_file_close(MappedFile* file) {
    if (!file) return;
    std::free(const_cast<uint8_t*>(file->data));
    mem_free(file);
}
