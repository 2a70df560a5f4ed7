// exchange.h - maps in Tiled's formats: TMX (XML) and JSON (.tmj, .json) beside our lvl files.
// A map goes out as one tile layer "tiles", one object layer "objects" (tiles 216-220), one
// tile layer per region and properties for the rest, with the tileset bitmap written beside
// it; it comes back through the lvl reader, so an import equals the lvl file it came from.
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "map/lvl/level.h"
#include "map/model/region.h"

struct MapData;

enum class ExchangeFormat { lvl, tmx, json, unknown };

// The format a file name asks for, by its extension (letter case ignored).
ExchangeFormat exchange_format_of(const char* path);
// The sentence naming what is understood, for a name whose extension is none of them.
std::string exchange_unknown_format_text(const char* path);

struct MapDataRelease {
    void operator()(MapData* map) const;
};
using MapDataPtr = std::unique_ptr<MapData, MapDataRelease>;

struct ExchangeReadOptions {
    bool write_tileset_copy = false; // as a level file's open does (the editor's open)
    uint64_t region_budget = kRegionDecodeBudget; // as LevelReadOptions::region_budget
};

// An imported map, or the reason with its place ("map.tmx:12: layer 'tiles': ...").
struct ExchangeRead {
    MapDataPtr map;
    std::string error;
    std::vector<std::string> notes; // what was accepted but is worth saying (a smaller map)
    LevelLosses losses;             // what the read could not use (a save asks first)
};

// Reads a TMX or JSON map (the format from the name); images are found beside it.
[[nodiscard]] ExchangeRead exchange_read(const char* path, const ExchangeReadOptions& options = {});
// The same from bytes already in memory; folder is where its images are looked up and name
// is used in messages.
[[nodiscard]] ExchangeRead exchange_read_bytes(std::span<const uint8_t> bytes,
                                               ExchangeFormat format, const std::string& folder,
                                               const std::string& name,
                                               const ExchangeReadOptions& options = {});

// Opens a map of any format for editing, as a level file is opened: Tiled maps through
// the exchange, every other name through the level reader. The map remembers the path and
// counts as saved.
[[nodiscard]] ExchangeRead exchange_open(const char* path);
// True when the name asks for a Tiled map (.tmx, .tmj, .json).
bool exchange_is_tiled(const char* path);

struct ExchangeWrite {
    bool ok = false;
    std::string error; // why nothing or not everything was written
};

// Writes the map as TMX or JSON (from the name), with its images beside it: NAME.bmp (the
// map's tileset, byte for byte), NAME-extra.bmp and NAME-region.bmp. A program name goes out
// as the "PROGRAM" attribute, not into the map.
[[nodiscard]] ExchangeWrite exchange_write(const MapData& map, const char* path,
                                           const char* program = nullptr);

// Saves the map as a Tiled map as mapdata_save saves a level file, with a result of the same
// kind (save_words says it): refused while its read left parts of its file out (losses),
// unless accept_losses.
MapSave exchange_save(MapData* map, const char* path, const LevelLosses& losses,
                      bool accept_losses, const char* program = nullptr);

// Largest TMX or JSON file read (a full map with 255 regions in CSV fits easily).
inline constexpr uint64_t kExchangeMaxFileBytes = 256ull << 20;
