// builtin_tileset.h - the tileset used when a level file carries no bitmap of its own.
#pragma once
#include <cstdint>

// A 304 x 160 8-bit BMP of 19 x 10 tiles (49,718 bytes) followed by 2 zero bytes: 49,720
// bytes, drawn once on first use and kept for the life of the program.
const uint8_t* builtin_tileset(uint32_t* length);
