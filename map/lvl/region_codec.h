// region_codec.h - regions in a level file: the "REGN" chunk reader, the rTIL run code and the
// region chunks a save writes.
#pragma once
#include <cstdint>
#include <vector>

#include "map/model/region.h"

struct LevelReading;

// Reads one "REGN" chunk's data into the map of the read.
void mapdata_read_region(LevelReading* reading, const uint8_t* data, uint32_t length);
// Decodes rTIL data into the region, taking cell steps from the read's budget; 1 when the data
// is valid. Cells added before a fault stay; cells a faulty run would place outside the map
// are never added. A fault (when given) says what is wrong with invalid data, in a few words.
int region_decode_tiles(LevelReading* reading, Region* region, const uint8_t* data,
                        int32_t length, const char** fault = nullptr);
// Encodes the region's cells of rows 0 to rows - 1 as rTIL data (later rows read as empty),
// appending to out.
void region_encode_tiles(const Region* region, std::vector<uint8_t>* out, int32_t rows = 1024);
// Appends one "REGN" chunk per region (header, data and alignment bytes) to out, in the
// map's region order (file order, new regions last). Returns 1, or 0 when some region did not fit
// in one chunk and lost cells or sub-chunks in the file (each such region is logged).
int mapdata_write_regions(MapData* map, std::vector<uint8_t>* out);
