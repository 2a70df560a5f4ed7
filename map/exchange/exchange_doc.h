// exchange_doc.h - the part of a Tiled map this exchange uses, between the map and the two file
// syntaxes: exchange_map.cpp turns a MapData into one and back, exchange_tmx.cpp and
// exchange_json.cpp read and write one. Every record knows its place in the file for messages.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct TiledProperty {
    std::string name;
    std::string type; // "string", "bool", "int", ... (Tiled leaves it out for strings)
    std::string value;
    std::string where;
};

struct TiledTileset {
    uint32_t firstgid = 0;
    std::string name;
    int32_t tilewidth = 0, tileheight = 0, tilecount = 0, columns = 0;
    std::string image; // file name relative to the map
    int32_t imagewidth = 0, imageheight = 0;
    std::string trans; // "rrggbb" or empty
    std::string source; // an external tileset file (.tsx, .tsj), read in by exchange_read
    std::string where;
};

struct TiledObject {
    uint32_t id = 0;
    uint64_t gid = 0; // flip bits included, as in the file
    double x = 0, y = 0, width = 0, height = 0, rotation = 0;
    std::string where;
};

struct TiledLayer {
    enum Kind { tiles, object_group, other } kind = tiles;
    std::string type_name; // for other kinds: "group", "imagelayer", ...
    uint32_t id = 0;
    std::string name;
    int32_t width = 0, height = 0;
    std::string tintcolor;
    std::vector<TiledProperty> properties;
    // Tile data: encoded text ("base64" with "", "zlib" or "gzip"; "csv"), or plain numbers.
    std::string encoding, compression;
    std::string text;
    std::vector<uint64_t> numbers;
    bool chunked = false; // data of an infinite map
    std::vector<TiledObject> objects;
    std::string where;
};

struct TiledMap {
    std::string orientation;
    int32_t width = 0, height = 0, tilewidth = 0, tileheight = 0;
    bool infinite = false;
    std::vector<TiledProperty> properties;
    std::vector<TiledTileset> tilesets;
    std::vector<TiledLayer> layers;
    uint32_t nextlayerid = 1, nextobjectid = 1;
};

// Parsers fill the record or return the reason with its place; writers give the file text.
[[nodiscard]] std::string tmx_parse(std::span<const uint8_t> bytes, const std::string& name,
                                    TiledMap* map);
std::string tmx_format(const TiledMap& map);
[[nodiscard]] std::string tiled_json_parse(std::span<const uint8_t> bytes,
                                           const std::string& name, TiledMap* map);
std::string tiled_json_format(const TiledMap& map);
// External tileset files: Tiled's XML (.tsx) and JSON (.tsj) tilesets, without a first gid.
[[nodiscard]] std::string tsx_parse(std::span<const uint8_t> bytes, const std::string& name,
                                    TiledTileset* tileset);
[[nodiscard]] std::string tiled_json_tileset_parse(std::span<const uint8_t> bytes,
                                                   const std::string& name, TiledTileset* tileset);

// Byte codecs of tile data. Decoders are bounded: they refuse more than max output bytes.
std::string base64_encode(std::span<const uint8_t> bytes);
[[nodiscard]] bool base64_decode(const std::string& text, std::vector<uint8_t>* out, size_t max);
// zlib (with its header), level 1: the layers are mostly zeros and runs.
std::vector<uint8_t> zlib_compress(std::span<const uint8_t> bytes);
// zlib or gzip data of exactly size bytes; the reason when it is damaged or of another size.
[[nodiscard]] std::string inflate_exact(std::span<const uint8_t> bytes, bool gzip, size_t size,
                                        std::vector<uint8_t>* out);
