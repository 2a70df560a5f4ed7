// platform.h - the few operating-system services the editor needs, over POSIX.
#pragma once
#include <cstdint>

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

// Opens and maps the whole file; none for a missing, unreadable, empty or over-4-GiB file.
MappedFile* mapped_file_open(const char* path);
void mapped_file_close(MappedFile* file);
