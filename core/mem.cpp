// mem.cpp - heap blocks that are always zero-filled, and the one fatal stop of the program.
#include "core/mem.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void* mem_alloc(uint32_t size) {
    // malloc(0) may legally return null; a 0-byte request must still give a block.
    void* block = std::malloc(size ? size : 1);
    if (!block) fatal_error(3, "malloc error: requested %i bytes\n", static_cast<int>(size));
    std::memset(block, 0, size);
    return block;
}

void* mem_resize(void* block, uint32_t size) {
    void* moved = std::realloc(block, size);
    if (!moved) fatal_error(3, "realloc error: requested %i bytes\n", static_cast<int>(size));
    return moved;
}

void mem_free(void* block) {
    std::free(block);
}

void fatal_error(int code, const char* fmt, ...) {
    std::fprintf(stderr, "Unrecoverable error (%i): ", code);
    va_list args;
    va_start(args, fmt);
    std::vfprintf(stderr, fmt, args);
    va_end(args);
    std::fputs("\n", stderr);
    std::exit(code);
}
