// tilegrid.h - sparse 1024 x 1024 byte store: a 32 x 32 top table of blocks, each block
// 4 x 4 sub-blocks of 8 x 8 bytes. Coordinates are taken modulo 1024; absent storage reads 0.
#pragma once
#include <cstdint>

struct TileSubBlock {
    uint8_t cells[64];  // (x mod 8) * 8 + (y mod 8)
};

struct TileBlock {
    TileSubBlock* sub[16];  // ((x / 8) mod 4) * 4 + ((y / 8) mod 4)
};

struct TileGrid {
    TileBlock* blocks[1024];  // (x / 32) * 32 + (y / 32), x major
};

TileGrid* tilegrid_new();
void tilegrid_free(TileGrid* grid);
void tilegrid_put(TileGrid* grid, int32_t x, int32_t y, uint8_t value);
// Releases all-zero sub-blocks, then blocks left without sub-blocks.
void tilegrid_compact(TileGrid* grid);

// Never allocates; three indexed loads.
inline uint8_t tilegrid_get(const TileGrid* grid, int32_t x, int32_t y) {
    const TileBlock* block = grid->blocks[((x >> 5) & 31) * 32 + ((y >> 5) & 31)];
    if (!block) return 0;
    const TileSubBlock* sub = block->sub[((x >> 3) & 3) * 4 + ((y >> 3) & 3)];
    if (!sub) return 0;
    return sub->cells[(x & 7) * 8 + (y & 7)];
}
