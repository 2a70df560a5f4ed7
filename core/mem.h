// mem.h - fail-stop heap allocation and the fatal stop.
#pragma once
#include <cstdint>

// Zero-filled block of size bytes; never returns null (ends the process with status 3).
void* mem_alloc(uint32_t size);
// Resizes a block, keeping the old bytes; the new tail is not cleared.
void* mem_resize(void* block, uint32_t size);
// Releases a block; null is accepted.
void mem_free(void* block);
// Writes "Unrecoverable error (code): <message>\n" to stderr and exits with code.
[[noreturn]] void fatal_error(int code, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
