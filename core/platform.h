// platform.h - the few operating-system services the editor needs, over POSIX.
#pragma once
#include <cstdint>
#include <string>

// Monotonic milliseconds, wrapping at 2^32 like a 32-bit uptime counter.
uint32_t platform_millis();
// Sleeps for the given number of milliseconds.
void platform_sleep_ms(uint32_t ms);

// Current tick: hundredths of a second, masked to 31 bits so it never reads negative.
uint32_t get_ticks();

// A read-only view of a whole file. A zero-length file cannot be opened.
struct MappedFile {
    const uint8_t* data;
    uint32_t length;
};

// Reasons beside errno values that a file cannot be viewed (negative, so never an errno).
enum : int {
    FILE_NOT_REGULAR = -1,
    FILE_EMPTY = -2,
    FILE_TOO_LARGE = -3,
    FILE_IS_LINK = -4,
};

// Reads the whole file into memory; none for a missing, unreadable, empty, non-regular file or
// one larger than limit bytes (checked before anything is read or allocated), with the reason
// in *error (an errno value, ENOMEM included, or one of the above) when given. Never blocks on
// a FIFO or a device: such files are refused before any read.
MappedFile* mapped_file_open(const char* path, int* error = nullptr,
                             uint64_t limit = 0xFFFFFFFFull);
// The checks of mapped_file_open without the read: an open descriptor (the caller closes it)
// and the file's size in *size, or -1 with the reason in *error.
int file_open_checked(const char* path, int* error, uint64_t limit, uint64_t* size);
void mapped_file_close(MappedFile* file);
// The text of a reason from mapped_file_open or a file save: strerror or our own words.
const char* file_error_text(int error);
// The same with what only the file can tell: a file refused as too large is named with its
// size and the limit it passed.
std::string file_error_describe(int error, const char* path, uint64_t limit);

// Where a program file (under "graphics/" or the help file) is found: in the current folder
// when it holds the first component of the name, else next to the executable.
std::string platform_asset_path(const char* name);
