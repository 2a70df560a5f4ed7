// platform.cpp - clock, sleep and whole-file views over POSIX (clock_gettime, nanosleep, read).
#include "core/platform.h"
#include "core/text.h"

#include <algorithm>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <cstdlib>
#include <cstring>
#include <string>
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

int file_open_checked(const char* path, int* error, uint64_t limit, uint64_t* size) {
    int ignored = 0;
    if (!error) error = &ignored;
    // Non-blocking, so that a FIFO or a device opens at once and is refused below.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    struct stat st {};
    // Only regular files of 1 byte up to 4 GiB - 1 can be viewed; a zero-length file is unreadable.
    *error = 0;
    if (fstat(fd, &st) != 0)
        *error = errno;
    else if (S_ISDIR(st.st_mode))
        *error = EISDIR;
    else if (!S_ISREG(st.st_mode))
        *error = FILE_NOT_REGULAR;
    else if (st.st_size <= 0)
        *error = FILE_EMPTY;
    else if (static_cast<uint64_t>(st.st_size) > std::min<uint64_t>(limit, 0xFFFFFFFFull))
        *error = FILE_TOO_LARGE;
    if (*error != 0) {
        close(fd);
        return -1;
    }
    *size = static_cast<uint64_t>(st.st_size);
    return fd;
}

MappedFile* mapped_file_open(const char* path, int* error, uint64_t limit) {
    int ignored = 0;
    if (!error) error = &ignored;
    uint64_t size = 0;
    int fd = file_open_checked(path, error, limit, &size);
    if (fd < 0) return nullptr;
    // One read into our own buffer rather than a mapping: a file truncated by another
    // program while we read it then gives a short view instead of a bus error.
    size_t want = static_cast<size_t>(size);
    // A file too large for the memory left is a refusal, never the end of the program.
    auto* bytes = static_cast<uint8_t*>(std::malloc(want));
    auto* file = static_cast<MappedFile*>(std::malloc(sizeof(MappedFile)));
    if (!bytes || !file) {
        std::free(bytes);
        std::free(file);
        close(fd);
        *error = ENOMEM;
        return nullptr;
    }
    size_t got = 0;
    int read_error = 0;
    while (got < want) {
        ssize_t n = read(fd, bytes + got, want - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) read_error = errno;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    if (got == 0) {
        std::free(bytes);
        std::free(file);
        *error = read_error != 0 ? read_error : FILE_EMPTY;
        return nullptr;
    }
    file->data = bytes;
    file->length = static_cast<uint32_t>(got);
    return file;
}

void mapped_file_close(MappedFile* file) {
    if (!file) return;
    std::free(const_cast<uint8_t*>(file->data));
    std::free(file);
}

const char* file_error_text(int error) {
    switch (error) {
    case FILE_NOT_REGULAR:
        return "not a regular file";
    case FILE_EMPTY:
        return "the file is empty";
    case FILE_TOO_LARGE:
        return "the file is too large";
    case FILE_IS_LINK:
        return "a symbolic link is under that name";
    default:
        return std::strerror(error);
    }
}

std::string file_error_describe(int error, const char* path, uint64_t limit) {
    struct stat st {};
    if (error != FILE_TOO_LARGE || ::stat(path, &st) != 0) return file_error_text(error);
    limit = std::min<uint64_t>(limit, 0xFFFFFFFFull);
    std::string bound = limit % (1 << 20) == 0 ? std::to_string(limit >> 20) + " MiB"
                                                 : text_count(limit) + " bytes";
    return "the file is too large: " + text_count(static_cast<uint64_t>(st.st_size)) +
           " bytes, more than the " + bound + " it may have";
}

namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// The executable's folder, read once from /proc; empty when it cannot be read.
const std::string& executable_dir() {
    static const std::string dir = [] {
        char buffer[4096];
        ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        if (n <= 0) return std::string();
        std::string path(buffer, static_cast<size_t>(n));
        size_t slash = path.rfind('/');
        return slash == std::string::npos ? std::string() : path.substr(0, slash);
    }();
    return dir;
}

} // namespace

std::string platform_asset_path(const char* name) {
    std::string relative = name;
    if (relative.rfind("./", 0) == 0) relative.erase(0, 2);
    if (relative.empty() || relative[0] == '/') return name;
    std::string first = relative.substr(0, relative.find('/'));
    if (exists(first) || executable_dir().empty()) return name;
    std::string beside = executable_dir() + "/" + relative;
    return exists(executable_dir() + "/" + first) ? beside : std::string(name);
}
