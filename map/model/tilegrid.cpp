// tilegrid.cpp - storage management of the sparse tile grid: creation, compaction, release.
#include "map/model/tilegrid.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/mem.h"

// One page: a header and 63 sub-blocks, aligned so that a sub-block finds its page by masking.
struct alignas(64) TileSubPage {
    TileSubPage* next;
    uint64_t free_mask; // bit i set while slot i is free
    uint8_t pad[48];
    TileSubBlock slots[63];
};
static_assert(sizeof(TileSubPage) == 4096);

namespace {

constexpr uint64_t kAllFree = (uint64_t{1} << 63) - 1;

TileSubPage* page_of(TileSubBlock* sub) {
    return reinterpret_cast<TileSubPage*>(reinterpret_cast<uintptr_t>(sub) & ~uintptr_t{4095});
}

TileSubPage* new_page(TileGrid* grid) {
    void* memory = std::aligned_alloc(4096, sizeof(TileSubPage));
    if (!memory)
        fatal_error(3, "malloc error: requested %i bytes\n", static_cast<int>(sizeof(TileSubPage)));
    auto* page = static_cast<TileSubPage*>(memory);
    page->free_mask = kAllFree;
    page->next = grid->pages;
    grid->pages = page;
    grid->spare_slots += 63;
    return page;
}

// A zero-filled sub-block: from the fill page, else from any page with room, else a new page.
TileSubBlock* take_sub(TileGrid* grid) {
    TileSubPage* page = grid->fill_page;
    if (!page || page->free_mask == 0) {
        page = nullptr;
        // Other pages have room only after compaction released some of their sub-blocks.
        if (grid->spare_slots > 0)
            for (TileSubPage* p = grid->pages; p && !page; p = p->next)
                if (p->free_mask) page = p;
        if (!page) page = new_page(grid);
        grid->fill_page = page;
    }
    int slot = std::countr_zero(page->free_mask);
    page->free_mask &= page->free_mask - 1;
    grid->spare_slots--;
    TileSubBlock* sub = &page->slots[slot];
    std::memset(sub, 0, sizeof *sub);
    return sub;
}

void release_sub(TileGrid* grid, TileSubBlock* sub) {
    TileSubPage* page = page_of(sub);
    page->free_mask |= uint64_t{1} << (sub - page->slots);
    grid->spare_slots++;
}

// Gives pages without any sub-block in use back to the system.
void release_empty_pages(TileGrid* grid) {
    for (TileSubPage** link = &grid->pages; *link;) {
        TileSubPage* page = *link;
        if (page->free_mask != kAllFree) {
            link = &page->next;
            continue;
        }
        *link = page->next;
        if (grid->fill_page == page) grid->fill_page = nullptr;
        grid->spare_slots -= 63;
        std::free(page);
    }
}

// Eight 64-bit words; the loop stops at the first non-zero word.
bool sub_is_empty(const TileSubBlock* sub) {
    for (size_t i = 0; i < sizeof sub->cells; i += 8) {
        uint64_t word;
        std::memcpy(&word, sub->cells + i, 8);
        if (word != 0) return false;
    }
    return true;
}

} // namespace

TileGrid* tilegrid_new() {
    return static_cast<TileGrid*>(mem_alloc(sizeof(TileGrid)));
}

void tilegrid_free(TileGrid* grid) {
    if (!grid) return;
    for (TileBlock* block : grid->blocks)
        mem_free(block);
    for (TileSubPage* page = grid->pages; page;) {
        TileSubPage* next = page->next;
        std::free(page);
        page = next;
    }
    mem_free(grid);
}

TileSubBlock* tilegrid_make_sub(TileGrid* grid, int32_t x, int32_t y) {
    TileBlock*& block = grid->blocks[tilegrid_block_index(x, y)];
    if (!block) block = static_cast<TileBlock*>(mem_alloc(sizeof(TileBlock)));
    TileSubBlock*& sub = block->sub[tilegrid_sub_index(x, y)];
    if (!sub) sub = take_sub(grid);
    return sub;
}

void tilegrid_compact(TileGrid* grid) {
    if (!grid) return;
    bool released = false;
    for (TileBlock*& block : grid->blocks) {
        if (!block) continue;
        bool any = false;
        for (TileSubBlock*& sub : block->sub) {
            if (!sub) continue;
            if (sub_is_empty(sub)) {
                release_sub(grid, sub);
                sub = nullptr;
                released = true;
            } else {
                any = true;
            }
        }
        if (!any) {
            mem_free(block);
            block = nullptr;
        }
    }
    if (released) release_empty_pages(grid);
}

uint32_t tilegrid_block_count(const TileGrid* grid) {
    uint32_t count = 0;
    for (const TileBlock* block : grid->blocks)
        count += block != nullptr;
    return count;
}

uint32_t tilegrid_sub_count(const TileGrid* grid) {
    uint32_t count = 0;
    for (const TileBlock* block : grid->blocks)
        if (block)
            for (const TileSubBlock* sub : block->sub)
                count += sub != nullptr;
    return count;
}

size_t tilegrid_storage_bytes(const TileGrid* grid) {
    if (!grid) return 0;
    size_t bytes = sizeof(TileGrid) + tilegrid_block_count(grid) * sizeof(TileBlock);
    for (const TileSubPage* page = grid->pages; page; page = page->next)
        bytes += sizeof(TileSubPage);
    return bytes;
}

bool tilegrid_bounds(const TileGrid* grid, int32_t* x0, int32_t* y0, int32_t* x1, int32_t* y1) {
    int32_t left = 1024, top = 1024, right = -1, bottom = -1;
    tilegrid_for_each_set(grid, [&](int32_t x, int32_t y, uint8_t) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    });
    if (right < 0) return false;
    *x0 = left;
    *y0 = top;
    *x1 = right;
    *y1 = bottom;
    return true;
}

bool tilegrid_median(const TileGrid* grid, int32_t* x, int32_t* y) {
    std::vector<uint32_t> columns(1024), rows(1024);
    uint64_t count = 0;
    tilegrid_for_each_set(grid, [&](int32_t cx, int32_t cy, uint8_t) {
        ++columns[static_cast<size_t>(cx)];
        ++rows[static_cast<size_t>(cy)];
        ++count;
    });
    if (count == 0) return false;
    // The lower median: the cell with (count - 1) / 2 cells before it in order.
    auto median = [count](const std::vector<uint32_t>& histogram) {
        uint64_t seen = 0;
        int32_t at = 0;
        while (seen + histogram[static_cast<size_t>(at)] <= (count - 1) / 2)
            seen += histogram[static_cast<size_t>(at++)];
        return at;
    };
    *x = median(columns);
    *y = median(rows);
    return true;
}

void tilegrid_fill(TileGrid* grid, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                   uint8_t value) {
    if (x >= 1024 || y >= 1024) return;
    uint32_t x_end = x + std::min(width, 1024 - x), y_end = y + std::min(height, 1024 - y);
    for (uint32_t sx = x; sx < x_end; sx = (sx | 7u) + 1)
        for (uint32_t sy = y; sy < y_end; sy = (sy | 7u) + 1) {
            // One sub-block: its columns hold y mod 8 side by side.
            TileSubBlock* sub =
                tilegrid_sub_for_write(grid, static_cast<int32_t>(sx), static_cast<int32_t>(sy));
            uint32_t cx_end = std::min((sx | 7u) + 1, x_end), rows = std::min((sy | 7u) + 1, y_end) - sy;
            for (uint32_t cx = sx; cx < cx_end; ++cx)
                std::memset(&sub->cells[(cx & 7u) * 8 + (sy & 7u)], value, rows);
        }
}
