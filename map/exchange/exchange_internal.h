// exchange_internal.h - the steps between a MapData and a Tiled record, for exchange.cpp, the
// tests and the benchmarks.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "map/exchange/exchange.h"
#include "map/exchange/exchange_doc.h"

struct MapData;

// The pictures written beside an exported map.
struct ExchangeImages {
    std::vector<uint8_t> tiles;  // the map's tileset bitmap, byte for byte
    std::vector<uint8_t> extra;  // values 191-255
    std::vector<uint8_t> region; // the region mark
};

// Fills the Tiled record (images named after stem) or returns why the map cannot go out; a
// program name goes out as the "PROGRAM" attribute.
[[nodiscard]] std::string exchange_export(const MapData& map, const std::string& stem,
                                          const char* program, TiledMap* out,
                                          ExchangeImages* images);

// Reads an image the map names (relative to its folder) within max bytes; false with the
// reason in *error.
using ExchangeImageReader =
    std::function<bool(const std::string& name, std::vector<uint8_t>* bytes, std::string* error)>;
// Turns a parsed Tiled record into a map, through the level reader; the reason with its
// place when the record holds what a level file cannot.
[[nodiscard]] ExchangeRead exchange_import(const TiledMap& tiled, const std::string& name,
                                           const ExchangeImageReader& read_image,
                                           const ExchangeReadOptions& options);

// 8-bit BMP pictures made here: 13 x 5 tiles for values 191-255, and the region mark.
std::vector<uint8_t> exchange_extra_image();
std::vector<uint8_t> exchange_region_image();
