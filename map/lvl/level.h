// level.h - reading and writing lvl level files.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "map/model/region.h"

struct MapData;
struct LevelReport;

// Results of mapdata_save.
enum MapSaveResult : int {
    MAPDATA_SAVE_OK = 0,
    MAPDATA_SAVE_FAILED = 1,      // nothing written; the old file, if any, is untouched
    MAPDATA_SAVE_NO_METADATA = 2, // saved, but the tileset is too large to point at an elvl
                                  // block: attributes and regions were not stored
    MAPDATA_SAVE_REGIONS_CUT = 3, // saved, but a region too large for one chunk was only
                                  // partly stored
    MAPDATA_SAVE_NO_TILESET = 4,  // saved without a tileset, so without the elvl block: the
                                  // attributes, regions or kept chunks it needed were not stored
};

// What a read of a level file could not use: the map holds less than the file did. A save
// would make these losses permanent, so it asks first (mapdata_save).
struct LevelLosses {
    uint32_t tile_records = 0;    // tile records rejected (outside the map)
    uint32_t chunk_areas = 0;     // metadata or region chunk areas not walked to the end
    uint32_t region_data = 0;     // rTIL sub-chunks that were invalid and read only in part
    uint32_t region_cells = 0;    // region cells a 256th region set would have needed
    bool region_data_cut = false; // rTIL decoding ran out of its budget
};

// What a read does besides filling the map: the file layer does both, a pure parse neither.
struct LevelReadOptions {
    bool write_tileset_copy;       // rewrite "./graphics/last-tiles.bmp" from a file's bitmap
    LevelReport* report = nullptr; // when given, filled with what the read met
    // Cell steps the map's rTIL decoding may take: the default decodes every file the format
    // allows in full; fuzzing lowers it so that every input stays fast under the sanitizers.
    uint64_t region_budget = kRegionDecodeBudget;
    LevelLosses* losses = nullptr; // when given, what the read could not use
};

// Reads a level file; the default map when it cannot be read; none only for a null path.
MapData* mapdata_load(const char* path);
// Reads a level file; none when it cannot be opened, with the reason (file_error_text) in
// *error, and what the read could not use in *losses when given.
MapData* mapdata_open(const char* path, int* error, LevelLosses* losses = nullptr);
// Turns a fresh record into the default map: no tiles, the built-in tileset.
void mapdata_make_default(MapData* map);
// Reads the level file into a fresh map (0 only when the file cannot be opened, with the
// reason for file_error_text in *error when given).
int mapdata_read_level(MapData* map, const char* path, int* error = nullptr,
                       LevelLosses* losses = nullptr);
// Reads a whole level file's bytes into a fresh map; never reads outside the range.
void mapdata_read_bytes(MapData* map, std::span<const uint8_t> bytes,
                        const LevelReadOptions& options);
void mapdata_load_tileset(MapData* map, const uint8_t* bytes, uint32_t length);
void mapdata_load_tileset(MapData* map, std::span<const uint8_t> bytes,
                          const LevelReadOptions& options);

// What a save did: whether the file was written, and what the map holds that the file does not.
struct [[nodiscard("a save that went wrong must be said")]] MapSave {
    int result = MAPDATA_SAVE_FAILED; // MapSaveResult
    int error = 0;                    // why nothing was written, for file_error_text
    std::string losses;               // what the read left out (level_losses_text): not in
                                      // the file either
    bool refused_losses = false;      // not written because of those losses
    uint64_t hard_links = 0;          // names the replaced file had; the others keep the old map
    bool owner_kept = true;           // the replaced file's owner and group went to the new one
    std::string failure;              // why nothing was written, in words (a Tiled map's images)
};
// True when the file holds everything the map does (the map then counts as saved).
bool mapdata_save_complete(const MapSave& save);
// How a save went, by weight: the editor's colour and ostrel-lvl's exit status follow it.
enum class SaveOutcome : uint8_t {
    whole,   // the file holds the map
    noted,   // the file holds the map, with something to know (hard links, a new owner)
    partial, // written without part of the map (attributes, regions, what the read left out)
    failed,  // nothing written; the old file, if any, is untouched
};
struct SaveWords {
    SaveOutcome outcome;
    std::string text; // "saved as PATH", else what was not written or not stored, and why
};
// A save of a level or Tiled file in words, for the editor's console and ostrel-lvl alike.
[[nodiscard("the words are how the user learns what was saved")]] SaveWords
save_words(const MapSave& save, const char* path);
// What a read left out (skipped records, damaged chunks or region data, region cells past the
// set limit or the decode budget), in words; empty when nothing was.
std::string level_losses_text(const LevelLosses& losses);

// Writes the map through the safe save (core/safe_save.h): a symlink is followed and kept; a
// target that is no regular file or cannot be opened for writing is refused. A map whose read
// left parts of its file out (losses) is only written with accept_losses; the caller then
// forgets them. The map counts as saved only when the file holds everything it does. A
// program name is written as the "PROGRAM" attribute of the file, never into the map.
MapSave mapdata_save(MapData* map, const char* path, const LevelLosses& losses = {},
                     bool accept_losses = false, const char* program = nullptr);
// Largest tileset bitmap: the elvl block that follows it is found through a 16-bit offset.
inline constexpr uint32_t kTilesetMaxBytes = 0xFFFC;
// True when the bytes are an 8-bit 304 x 160 uncompressed BMP whose rows lie inside them;
// otherwise false with the reason in reason (at least 128 bytes).
bool tileset_file_check(std::span<const uint8_t> bmp, char* reason, uint32_t size);
// Reads a BMP file that tileset_file_check accepts into out (raised to a multiple of 4);
// false with the reason otherwise, out then unchanged.
bool tileset_file_read(const char* path, std::vector<uint8_t>* out, char* reason, uint32_t size);
// Lays out the whole file in memory, back-patches included; same results as mapdata_save.
int mapdata_save_bytes(MapData* map, std::vector<uint8_t>* out, const char* program = nullptr);
// hash_filter visitor that appends one "ATTR" chunk; user is the writer's context.
int mapdata_write_attr(const char* key, void* value, void* context);

// The largest level file read: a tileset, an elvl block and 4 bytes per cell come to far less.
inline constexpr uint64_t kLevelFileLimit = uint64_t{64} << 20;

// The tileset copy file written on every load of a file with a bitmap.
inline constexpr const char* kTilesetCopyPath = "./graphics/last-tiles.bmp";
// True when a bitmap's header describes pixel rows that lie inside its bytes, with sane sides
// and depth: only such bytes are handed to a decoder.
bool tileset_bmp_fits(const uint8_t* bmp, uint32_t length);
