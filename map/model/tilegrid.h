// tilegrid.h - the sparse 1024 x 1024 byte store behind the map's tiles and regions.
#pragma once
#include <cstddef>
#include <cstdint>

// A 32 x 32 top table of blocks, each block 4 x 4 sub-blocks of 8 x 8 bytes. Coordinates are
// taken modulo 1024; absent storage reads 0.
struct TileSubBlock {
    uint8_t cells[64]; // (x mod 8) * 8 + (y mod 8)
};

struct TileBlock {
    TileSubBlock* sub[16]; // ((x / 8) mod 4) * 4 + ((y / 8) mod 4)
};

struct TileSubPage;

struct TileGrid {
    TileBlock* blocks[1024]; // (x / 32) * 32 + (y / 32), x major
    // Sub-blocks come from 4 KiB pages of 63 owned by the grid: no per-sub-block allocator
    // overhead, and sub-blocks made one after another lie side by side in memory.
    TileSubPage* pages;
    TileSubPage* fill_page; // the page new sub-blocks are taken from
    uint32_t spare_slots;   // free slots in all pages
};

// Index helpers: only the low 10 bits of each coordinate count.
inline uint32_t tilegrid_block_index(int32_t x, int32_t y) {
    return ((static_cast<uint32_t>(x) >> 5) & 31) * 32 + ((static_cast<uint32_t>(y) >> 5) & 31);
}
inline uint32_t tilegrid_sub_index(int32_t x, int32_t y) {
    return ((static_cast<uint32_t>(x) >> 3) & 3) * 4 + ((static_cast<uint32_t>(y) >> 3) & 3);
}
inline uint32_t tilegrid_cell_index(int32_t x, int32_t y) {
    return (static_cast<uint32_t>(x) & 7) * 8 + (static_cast<uint32_t>(y) & 7);
}

TileGrid* tilegrid_new();
void tilegrid_free(TileGrid* grid);
// Releases all-zero sub-blocks, then blocks left without sub-blocks.
void tilegrid_compact(TileGrid* grid);
// Creates the block and sub-block of a cell when absent and returns the sub-block.
TileSubBlock* tilegrid_make_sub(TileGrid* grid, int32_t x, int32_t y);
// Bytes of storage the grid holds: top table, blocks and sub-block pages.
size_t tilegrid_storage_bytes(const TileGrid* grid);
// Present blocks and sub-blocks.
uint32_t tilegrid_block_count(const TileGrid* grid);
uint32_t tilegrid_sub_count(const TileGrid* grid);

// Calls visit(x, y, value) for every non-zero cell, walking only the storage that exists
// (block by block, each 8 x 8 sub-block column by column).
template <typename Visit> void tilegrid_for_each_set(const TileGrid* grid, Visit&& visit) {
    for (uint32_t b = 0; b < 1024; ++b) {
        const TileBlock* block = grid->blocks[b];
        for (uint32_t k = 0; block && k < 16; ++k) {
            const TileSubBlock* sub = block->sub[k];
            for (uint32_t c = 0; sub && c < 64; ++c)
                if (sub->cells[c])
                    visit(static_cast<int32_t>((b / 32) * 32 + (k / 4) * 8 + c / 8),
                          static_cast<int32_t>((b % 32) * 32 + (k % 4) * 8 + c % 8), sub->cells[c]);
        }
    }
}

// The smallest rectangle holding every non-zero cell, as inclusive corners; false when the
// grid holds none. Walks only the storage that exists.
bool tilegrid_bounds(const TileGrid* grid, int32_t* x0, int32_t* y0, int32_t* x1, int32_t* y1);
// The median column and the median row of the non-zero cells, each taken on its own axis, so
// a few far cells (a sign in a corner) do not move it; false when the grid holds none.
bool tilegrid_median(const TileGrid* grid, int32_t* x, int32_t* y);

// Never allocates; three indexed loads.
inline uint8_t tilegrid_get(const TileGrid* grid, int32_t x, int32_t y) {
    const TileBlock* block = grid->blocks[tilegrid_block_index(x, y)];
    if (!block) return 0;
    const TileSubBlock* sub = block->sub[tilegrid_sub_index(x, y)];
    if (!sub) return 0;
    return sub->cells[tilegrid_cell_index(x, y)];
}

// The sub-block holding a cell, created (zero-filled) with its block when absent.
inline TileSubBlock* tilegrid_sub_for_write(TileGrid* grid, int32_t x, int32_t y) {
    TileBlock* block = grid->blocks[tilegrid_block_index(x, y)];
    TileSubBlock* sub = block ? block->sub[tilegrid_sub_index(x, y)] : nullptr;
    // Storage exists for all but the first write into an 8 x 8 area; keep that path out of line.
    if (!sub) [[unlikely]]
        sub = tilegrid_make_sub(grid, x, y);
    return sub;
}

// Writes one byte, creating its storage on the way (also for the value 0).
inline void tilegrid_put(TileGrid* grid, int32_t x, int32_t y, uint8_t value) {
    tilegrid_sub_for_write(grid, x, y)->cells[tilegrid_cell_index(x, y)] = value;
}
// Writes value into the cells of a rectangle, the part past column or row 1023 left out (no
// wrap): one storage lookup per 8 x 8 area it touches, not one per cell.
void tilegrid_fill(TileGrid* grid, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                   uint8_t value);
