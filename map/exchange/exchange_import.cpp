// exchange_import.cpp - a Tiled map back into a map: every layer, object and property is
// checked against what a level file can hold, then laid out as level file bytes and read by
// the level reader, so an import is exactly the level file it stands for.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "core/hash.h"
#include "map/lvl/elvl.h"
#include "map/exchange/exchange_internal.h"
#include "map/exchange/exchange_names.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"

namespace {

constexpr uint32_t kFlipBits = 0xF0000000u; // horizontal, vertical, diagonal, hexagonal turn
constexpr size_t kCells = size_t{kExchangeSide} * kExchangeSide;

struct Failure {
    std::string text;
};

[[noreturn]] void refuse(const std::string& where, const std::string& what) {
    throw Failure{where + ": " + what};
}

std::string quoted(const std::string& text) {
    return "'" + (text.size() > 64 ? text.substr(0, 64) + "..." : text) + "'";
}

// What a gid stands for: a tile value 1-255, the region mark, or nothing known.
enum : int { kNoTileset = -1, kRegionMark = 256 };

struct Gids {
    uint32_t tiles = 0, extra = 0, region = 0; // first gids, 0 when absent
    int value_of(uint32_t gid) const {
        // The tileset with the highest first gid at or below gid holds it, as in Tiled.
        uint32_t best = 0;
        int kind = -1;
        auto consider = [&](uint32_t first, int k) {
            if (first && first <= gid && first >= best) best = first, kind = k;
        };
        consider(tiles, 0);
        consider(extra, 1);
        consider(region, 2);
        uint32_t id = gid - best;
        if (kind == 0 && id < kTilesCount) return int(kTilesFirst + id);
        if (kind == 1 && id < kExtraCount) return int(kExtraFirst + id);
        if (kind == 2 && id == 0) return kRegionMark;
        return kNoTileset;
    }
};

bool parse_u32(std::string_view text, uint32_t* out) {
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), *out);
    return ec == std::errc() && ptr == text.data() + text.size();
}

// "NNNN" or "NNNN rest": the position and what follows the first blank.
bool split_position(std::string_view rest, uint32_t* position, std::string* tail) {
    size_t blank = rest.find(' ');
    std::string_view number = rest.substr(0, blank);
    if (number.empty() || !parse_u32(number, position)) return false;
    *tail = blank == std::string_view::npos ? std::string() : std::string(rest.substr(blank + 1));
    return true;
}

std::vector<uint8_t> decode_base64(const TiledProperty& p, size_t max) {
    std::vector<uint8_t> bytes;
    if (!base64_decode(p.value, &bytes, max))
        refuse(p.where, "property " + quoted(p.name) + " is not base64 data of at most " +
                            std::to_string(max) + " bytes");
    return bytes;
}

bool is_true(const TiledProperty& p) {
    if (p.value == "true") return true;
    if (p.value == "false") return false;
    refuse(p.where, "property " + quoted(p.name) + " must be true or false");
}

void check_plain(const std::string& where, const std::string& what, const std::string& text) {
    if (!exchange_text_is_plain(text))
        refuse(where, what + " holds a control character (or bytes that are not UTF-8)");
}

// The layer's cells as gids, row by row: width x height of them.
void decode_cells(const TiledLayer& layer, size_t count, std::vector<uint32_t>* cells,
                  std::vector<uint8_t>* scratch) {
    const std::string what = "layer " + quoted(layer.name);
    cells->assign(count, 0);
    if (layer.encoding.empty()) {
        if (layer.numbers.size() != count)
            refuse(layer.where, what + " holds " + std::to_string(layer.numbers.size()) +
                                    " cells, not " + std::to_string(count));
        for (size_t i = 0; i < count; ++i) {
            if (layer.numbers[i] > 0xFFFFFFFFu) refuse(layer.where, what + ": a tile number is too large");
            (*cells)[i] = uint32_t(layer.numbers[i]);
        }
        return;
    }
    if (layer.encoding == "csv") {
        size_t n = 0;
        const char* p = layer.text.data();
        const char* end = p + layer.text.size();
        while (p < end) {
            while (p < end && (*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t'))
                ++p;
            if (p == end) break;
            uint32_t gid = 0;
            auto [next, ec] = std::from_chars(p, end, gid);
            if (ec != std::errc())
                refuse(layer.where, what + ": the CSV data holds something other than a tile "
                                           "number at cell " + std::to_string(n));
            if (n == count) refuse(layer.where, what + " holds more than " + std::to_string(count) + " cells");
            (*cells)[n++] = gid;
            p = next;
            while (p < end && (*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t'))
                ++p;
            if (p < end && *p == ',') ++p;
        }
        if (n != count)
            refuse(layer.where, what + " holds " + std::to_string(n) + " cells, not " + std::to_string(count));
        return;
    }
    if (layer.encoding != "base64")
        refuse(layer.where, what + ": unknown data encoding " + quoted(layer.encoding));
    bool zlib = layer.compression == "zlib", gzip = layer.compression == "gzip";
    if (!zlib && !gzip && !layer.compression.empty())
        refuse(layer.where, what + ": " + quoted(layer.compression) +
                                " compression is not supported (use zlib, gzip or none)");
    // Compressed data never needs to be much larger than the cells it holds.
    size_t max = count * 4 + (layer.compression.empty() ? 0 : count / 8 + 1024);
    if (!base64_decode(layer.text, scratch, max))
        refuse(layer.where, what + ": the base64 data is damaged or longer than the layer");
    if (layer.compression.empty()) {
        if (scratch->size() != count * 4)
            refuse(layer.where, what + " holds " + std::to_string(scratch->size() / 4) +
                                    " cells, not " + std::to_string(count));
        std::memcpy(cells->data(), scratch->data(), count * 4);
        return;
    }
    std::vector<uint8_t> raw;
    std::string why = inflate_exact(*scratch, gzip, count * 4, &raw);
    if (!why.empty()) refuse(layer.where, what + ": " + why);
    std::memcpy(cells->data(), raw.data(), count * 4);
}

std::string pixels(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

std::string cell_text(size_t i, int32_t width) {
    return "cell (" + std::to_string(i % size_t(width)) + ", " + std::to_string(i / size_t(width)) + ")";
}

void check_flips(const TiledLayer& layer, const std::vector<uint32_t>& cells, int32_t width) {
    for (size_t i = 0; i < cells.size(); ++i)
        if (cells[i] & kFlipBits)
            refuse(layer.where, "layer " + quoted(layer.name) + ", " + cell_text(i, width) +
                                    ": a flipped or rotated tile, which a level file cannot hold");
}

// rTIL run code of one region's cells (one byte per cell of the 1024 x 1024 map).
void put_code(std::vector<uint8_t>* out, int kind, int32_t count) {
    int32_t n = count - 1;
    if (n < 32)
        out->push_back(uint8_t(kind << 6 | n));
    else {
        out->push_back(uint8_t(kind << 6 | 0x20 | n >> 8));
        out->push_back(uint8_t(n & 0xFF));
    }
}

std::vector<uint8_t> encode_region(const std::vector<uint8_t>& member) {
    std::vector<uint8_t> out;
    int pending = -1, pending_rows = 0; // kind 2 (empty rows) or 3 (copies of the row above)
    auto flush = [&] {
        if (pending_rows > 0) put_code(&out, pending, pending_rows);
        pending_rows = 0;
    };
    for (int32_t y = 0; y < kExchangeSide; ++y) {
        const uint8_t* row = &member[size_t(y) * kExchangeSide];
        bool any = std::find(row, row + kExchangeSide, 1) != row + kExchangeSide;
        int kind = !any ? 2 : (y > 0 && std::memcmp(row, row - kExchangeSide, kExchangeSide) == 0) ? 3 : 1;
        if (kind != 1) {
            if (pending != kind) flush();
            pending = kind;
            ++pending_rows;
            continue;
        }
        flush();
        for (int32_t x = 0; x < kExchangeSide;) {
            int32_t end = x;
            while (end < kExchangeSide && row[end] == row[x])
                ++end;
            put_code(&out, row[x] ? 1 : 0, end - x);
            x = end;
        }
    }
    flush();
    return out;
}

struct Subchunk {
    uint32_t position; // from the property's name; unused for the known ones
    std::vector<uint8_t> bytes; // type and data
};

std::vector<uint8_t> make_chunk(const char* type, std::vector<uint8_t> data) {
    data.insert(data.begin(), type, type + 4);
    return data;
}

// The sub-chunks of a region layer, in the order its properties say.
std::vector<std::vector<uint8_t>> region_subchunks(const TiledLayer& layer, std::vector<std::string>* notes) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> known; // canonical order
    std::vector<Subchunk> others;
    std::vector<std::string> order;
    std::vector<uint8_t> flags[4];
    bool flag_set[4] = {};
    std::vector<uint8_t> warp;
    for (const TiledProperty& p : layer.properties) {
        check_plain(p.where, "property " + quoted(p.name), p.name);
        check_plain(p.where, "the value of property " + quoted(p.name), p.value);
        bool used = false;
        for (int f = 0; f < 4; ++f)
            if (p.name == kRegionFlags[f].property) flag_set[f] = is_true(p), used = true;
        if (used) continue;
        if (p.name == kPropAutowarp) {
            // "X Y" or "X Y ARENA".
            std::string text = p.value, arena;
            int x = 0, y = 0, consumed = 0;
            if (std::sscanf(text.c_str(), "%d %d%n", &x, &y, &consumed) != 2 || x < -32768 ||
                x > 32767 || y < -32768 || y > 32767)
                refuse(p.where, "autowarp " + quoted(text) + " is not \"X Y\" or \"X Y ARENA\"");
            std::string rest = text.substr(size_t(consumed));
            size_t first = rest.find_first_not_of(' ');
            if (first != std::string::npos) arena = rest.substr(first);
            if (arena.size() > 16 || arena.find(' ') != std::string::npos)
                refuse(p.where, "autowarp arena " + quoted(arena) + " is longer than 16 characters or holds a blank");
            warp = {uint8_t(x), uint8_t(x >> 8), uint8_t(y), uint8_t(y >> 8)};
            if (!arena.empty()) {
                warp.resize(20, 0);
                std::memcpy(warp.data() + 4, arena.data(), arena.size());
            }
        } else if (p.name == kPropOrder) {
            size_t at = 0;
            while (at < p.value.size()) {
                size_t end = p.value.find(' ', at);
                if (end == std::string::npos) end = p.value.size();
                if (end > at) order.push_back(p.value.substr(at, end - at));
                at = end + 1;
            }
        } else if (p.name.starts_with(kPropSubchunk)) {
            Subchunk s;
            std::string tail;
            if (!split_position(std::string_view(p.name).substr(kPropSubchunk.size()), &s.position, &tail))
                refuse(p.where, "property " + quoted(p.name) + " lacks its position number");
            s.bytes = decode_base64(p, kElvlMaxChunkLength + 4);
            if (s.bytes.size() < 4) refuse(p.where, "property " + quoted(p.name) + " holds no sub-chunk type");
            if (std::memcmp(s.bytes.data(), "rNAM", 4) == 0 || std::memcmp(s.bytes.data(), "rTIL", 4) == 0)
                refuse(p.where, "property " + quoted(p.name) + " holds a name or cell sub-chunk, which the layer itself gives");
            others.push_back(std::move(s));
        } else {
            notes->push_back(p.where + ": layer " + quoted(layer.name) + ": property " + quoted(p.name) + " is not used");
        }
    }
    for (int f = 0; f < 4; ++f)
        if (flag_set[f]) known.push_back({kRegionFlags[f].type, make_chunk(kRegionFlags[f].type, {})});
    if (!warp.empty()) known.push_back({"rAWP", make_chunk("rAWP", warp)});
    if (!layer.tintcolor.empty()) {
        // "#rrggbb" or "#aarrggbb"; the alpha of a tint has no place in the region colour.
        const std::string& t = layer.tintcolor;
        uint32_t v = 0;
        bool ok = (t.size() == 7 || t.size() == 9) && t[0] == '#';
        if (ok) {
            auto [ptr, ec] = std::from_chars(t.data() + 1, t.data() + t.size(), v, 16);
            ok = ec == std::errc() && ptr == t.data() + t.size();
        }
        if (!ok) refuse(layer.where, "layer " + quoted(layer.name) + ": tint colour " + quoted(t) + " is not #rrggbb");
        known.push_back({"rCOL", make_chunk("rCOL", {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v), 0})});
    }
    // The file's order of the known ones, where the layer carries it.
    std::vector<std::vector<uint8_t>> ordered;
    for (const std::string& type : order)
        for (auto& k : known)
            if (k.first == type && !k.second.empty()) {
                ordered.push_back(std::move(k.second));
                k.second.clear();
                break;
            }
    for (auto& k : known)
        if (!k.second.empty()) ordered.push_back(std::move(k.second));
    // The others at their positions, the known ones in the places left.
    std::stable_sort(others.begin(), others.end(),
                     [](const Subchunk& a, const Subchunk& b) { return a.position < b.position; });
    size_t total = ordered.size() + others.size();
    std::vector<std::vector<uint8_t>> result(total);
    std::vector<bool> taken(total, false);
    std::vector<std::vector<uint8_t>> late;
    for (Subchunk& s : others) {
        if (s.position < total && !taken[s.position]) {
            taken[s.position] = true;
            result[s.position] = std::move(s.bytes);
        } else {
            late.push_back(std::move(s.bytes));
        }
    }
    size_t next = 0;
    for (auto& k : ordered) {
        while (taken[next])
            ++next;
        taken[next] = true;
        result[next] = std::move(k);
    }
    for (auto& l : late) {
        while (taken[next])
            ++next;
        taken[next] = true;
        result[next] = std::move(l);
    }
    return result;
}

void append_chunk(std::vector<uint8_t>* out, const std::vector<uint8_t>& type_and_data) {
    char type[5] = {};
    std::memcpy(type, type_and_data.data(), 4);
    elvl_append_chunk(out, type, type_and_data.data() + 4, uint32_t(type_and_data.size() - 4));
}

void store_u32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

int32_t read_i32(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
}

} // namespace

ExchangeRead exchange_import(const TiledMap& t, const std::string& name,
                             const ExchangeImageReader& read_image,
                             const ExchangeReadOptions& options) {
    ExchangeRead result;
    try {
        if (!t.orientation.empty() && t.orientation != "orthogonal")
            refuse(name, "a " + quoted(t.orientation) + " map; level maps are orthogonal");
        if (t.infinite)
            refuse(name, "an infinite map; level maps are 1024 x 1024 cells (turn Infinite off "
                         "in the map's properties)");
        if (t.tilewidth != kExchangeTile || t.tileheight != kExchangeTile)
            refuse(name, "tiles of " + std::to_string(t.tilewidth) + " x " + std::to_string(t.tileheight) +
                             " pixels; level maps use 16 x 16");
        if (t.width < 1 || t.height < 1 || t.width > kExchangeSide || t.height > kExchangeSide)
            refuse(name, "a map of " + std::to_string(t.width) + " x " + std::to_string(t.height) +
                             " cells; level maps hold at most 1024 x 1024");
        if (t.width < kExchangeSide || t.height < kExchangeSide)
            result.notes.push_back(name + ": a map of " + std::to_string(t.width) + " x " +
                                   std::to_string(t.height) +
                                   " cells, placed at the top-left of the 1024 x 1024 map");

        // Tilesets, known by name.
        Gids gids;
        const TiledTileset* tiles_set = nullptr;
        for (const TiledTileset& ts : t.tilesets) {
            if (!ts.source.empty())
                refuse(ts.where, "the external tileset " + quoted(ts.source) +
                                     " is not read; embed it in the map (Tiled: Embed Tileset)");
            // Known by name, else by its size: Tiled names a new tileset after its image.
            std::string kind = ts.name;
            if (kind != "tiles" && kind != "extra" && kind != "region")
                kind = ts.tilecount == int32_t(kTilesCount) && !gids.tiles   ? "tiles"
                       : ts.tilecount == int32_t(kExtraCount) && !gids.extra ? "extra"
                       : ts.tilecount == 1 && !gids.region                   ? "region"
                                                                             : "";
            uint32_t* first = kind == "tiles" ? &gids.tiles : kind == "extra" ? &gids.extra
                              : kind == "region" ? &gids.region : nullptr;
            if (!first)
                refuse(ts.where, "tileset " + quoted(ts.name) +
                                     " is none of tiles (190 tiles), extra (65) and region (1)");
            if (*first) refuse(ts.where, "a second tileset named " + quoted(ts.name));
            uint32_t want = kind == "tiles" ? kTilesCount : kind == "extra" ? kExtraCount : 1;
            if (uint32_t(ts.tilecount) != want || ts.tilewidth != kExchangeTile || ts.tileheight != kExchangeTile)
                refuse(ts.where, "tileset " + quoted(ts.name) + " must hold " + std::to_string(want) +
                                     " tiles of 16 x 16 pixels");
            if (ts.firstgid == 0) refuse(ts.where, "tileset " + quoted(ts.name) + " has first gid 0");
            *first = ts.firstgid;
            if (kind == "tiles") tiles_set = &ts;
        }

        // Map properties.
        bool no_tileset = false, no_region_cells = false;
        std::vector<std::pair<uint32_t, std::vector<uint8_t>>> attrs, chunks;
        for (const TiledProperty& p : t.properties) {
            check_plain(p.where, "property " + quoted(p.name), p.name);
            check_plain(p.where, "the value of property " + quoted(p.name), p.value);
            uint32_t position = 0;
            std::string tail;
            if (p.name == kPropNoTileset) {
                no_tileset = is_true(p);
            } else if (p.name == kPropNoRegionCells) {
                no_region_cells = is_true(p);
            } else if (p.name.starts_with(kPropAttributeBytes)) {
                if (!split_position(std::string_view(p.name).substr(kPropAttributeBytes.size()), &position, &tail))
                    refuse(p.where, "property " + quoted(p.name) + " lacks its position number");
                std::vector<uint8_t> raw = decode_base64(p, kElvlMaxChunkLength);
                if (std::find(raw.begin(), raw.end(), '=') == raw.end())
                    refuse(p.where, "property " + quoted(p.name) + " holds no KEY=VALUE");
                attrs.push_back({position, std::move(raw)});
            } else if (p.name.starts_with(kPropAttribute)) {
                if (!split_position(std::string_view(p.name).substr(kPropAttribute.size()), &position, &tail))
                    refuse(p.where, "property " + quoted(p.name) + " lacks its position number");
                if (tail.find('=') != std::string::npos || tail.size() > 63)
                    refuse(p.where, "attribute key " + quoted(tail) + " holds '=' or is longer than 63 characters");
                std::string raw = tail + "=" + p.value;
                if (raw.size() > kElvlMaxChunkLength)
                    refuse(p.where, "attribute " + quoted(tail) + " is longer than a level file's 131,072-byte chunk");
                attrs.push_back({position, std::vector<uint8_t>(raw.begin(), raw.end())});
            } else if (p.name.starts_with(kPropChunk)) {
                if (!split_position(std::string_view(p.name).substr(kPropChunk.size()), &position, &tail))
                    refuse(p.where, "property " + quoted(p.name) + " lacks its position number");
                std::vector<uint8_t> raw = decode_base64(p, kElvlMaxChunkLength + 4);
                if (raw.size() < 4) refuse(p.where, "property " + quoted(p.name) + " holds no chunk type");
                for (const char* handled : {"ATTR", "REGN", "TSET", "TILE"})
                    if (std::memcmp(raw.data(), handled, 4) == 0)
                        refuse(p.where, "property " + quoted(p.name) + " holds a " + handled +
                                            " chunk, which the level reader does not keep as it is");
                chunks.push_back({position, std::move(raw)});
            } else {
                result.notes.push_back(p.where + ": map property " + quoted(p.name) + " is not used");
            }
        }
        auto by_position = [](const auto& a, const auto& b) { return a.first < b.first; };
        std::stable_sort(attrs.begin(), attrs.end(), by_position);
        std::stable_sort(chunks.begin(), chunks.end(), by_position);

        // Layers: the tile layer "tiles" (else the first tile layer); other tile layers are
        // regions; objects from every object layer.
        const TiledLayer* tiles_layer = nullptr;
        for (const TiledLayer& l : t.layers) {
            if (l.kind == TiledLayer::other)
                refuse(l.where, "layer " + quoted(l.name) + " is a " + l.type_name +
                                    "; level maps hold a tile layer, objects and region layers");
            if (l.kind == TiledLayer::tiles && l.name == kTilesLayer && !tiles_layer) tiles_layer = &l;
        }
        for (const TiledLayer& l : t.layers)
            if (!tiles_layer && l.kind == TiledLayer::tiles) tiles_layer = &l;
        const size_t count = size_t(t.width) * size_t(t.height);
        std::vector<uint8_t> values(kCells, 0); // the cells of the level map
        std::vector<uint32_t> cells;
        std::vector<uint8_t> scratch;
        auto load_layer = [&](const TiledLayer& l) {
            check_plain(l.where, "layer name " + quoted(l.name), l.name);
            if (l.chunked) refuse(l.where, "layer " + quoted(l.name) + " is stored in chunks (an infinite map)");
            if (l.width != t.width || l.height != t.height)
                refuse(l.where, "layer " + quoted(l.name) + " is " + std::to_string(l.width) + " x " +
                                    std::to_string(l.height) + " cells; the map is " +
                                    std::to_string(t.width) + " x " + std::to_string(t.height));
            decode_cells(l, count, &cells, &scratch);
            check_flips(l, cells, t.width);
        };
        if (tiles_layer) {
            load_layer(*tiles_layer);
            for (size_t i = 0; i < count; ++i) {
                if (!cells[i]) continue;
                int v = gids.value_of(cells[i]);
                if (v == kNoTileset)
                    refuse(tiles_layer->where, "layer " + quoted(tiles_layer->name) + ", " + cell_text(i, t.width) +
                                                   ": tile " + std::to_string(cells[i]) + " belongs to no tileset");
                if (v == kRegionMark)
                    refuse(tiles_layer->where, "layer " + quoted(tiles_layer->name) + ", " + cell_text(i, t.width) +
                                                   ": the region mark belongs on a region layer");
                values[(i / size_t(t.width)) * kExchangeSide + i % size_t(t.width)] = uint8_t(v);
            }
        }
        for (const TiledLayer& l : t.layers) {
            if (l.kind != TiledLayer::object_group) continue;
            for (const TiledObject& o : l.objects) {
                std::string what = "object " + std::to_string(o.id);
                if (o.gid == 0) {
                    result.notes.push_back(o.where + ": " + what + " is no tile object and is not used");
                    continue;
                }
                if (o.gid > 0xFFFFFFFFu || (o.gid & kFlipBits))
                    refuse(o.where, what + " is flipped or rotated, which a level file cannot hold");
                int v = gids.value_of(uint32_t(o.gid));
                if (v == kNoTileset) refuse(o.where, what + ": tile " + std::to_string(o.gid) + " belongs to no tileset");
                if (v < TILE_OBJECT_FIRST || v > TILE_OBJECT_LAST)
                    refuse(o.where, what + " is tile " + std::to_string(v) + ", not an object tile (216-220)");
                if (o.rotation != 0) refuse(o.where, what + " is rotated, which a level file cannot hold");
                double h = o.height > 0 ? o.height : kExchangeTile;
                double top = o.y - h;
                if (std::fmod(o.x, kExchangeTile) != 0 || std::fmod(top, kExchangeTile) != 0)
                    refuse(o.where, what + " at (" + pixels(o.x) + ", " + pixels(o.y) +
                                        ") is not on the 16-pixel cell grid");
                double cx = o.x / kExchangeTile, cy = top / kExchangeTile;
                if (!(cx >= 0 && cy >= 0 && cx < t.width && cy < t.height))
                    refuse(o.where, what + " lies outside the map");
                size_t at = size_t(cy) * kExchangeSide + size_t(cx);
                if (values[at])
                    refuse(o.where, what + " lies on cell (" + std::to_string(size_t(cx)) + ", " +
                                        std::to_string(size_t(cy)) + "), which already holds tile " +
                                        std::to_string(values[at]));
                values[at] = uint8_t(v);
            }
        }

        // Regions.
        std::vector<std::vector<uint8_t>> regions; // REGN data
        std::vector<const TiledLayer*> region_layers;
        bool any_region_cells = false;
        std::vector<std::vector<uint8_t>> region_cells;
        std::vector<uint8_t> member;
        for (const TiledLayer& l : t.layers) {
            if (l.kind != TiledLayer::tiles || &l == tiles_layer) continue;
            for (const TiledLayer* other : region_layers)
                if (text_icmp(other->name.c_str(), l.name.c_str()) == 0)
                    refuse(l.where, "layer " + quoted(l.name) + " names the same region as the layer at " +
                                        other->where + "; region names must differ (ignoring case)");
            region_layers.push_back(&l);
            load_layer(l);
            member.assign(kCells, 0);
            bool any = false;
            for (size_t i = 0; i < count; ++i) {
                if (!cells[i]) continue;
                if (gids.value_of(cells[i]) == kNoTileset)
                    refuse(l.where, "layer " + quoted(l.name) + ", " + cell_text(i, t.width) + ": tile " +
                                        std::to_string(cells[i]) + " belongs to no tileset");
                member[(i / size_t(t.width)) * kExchangeSide + i % size_t(t.width)] = 1;
                any = true;
            }
            any_region_cells = any_region_cells || any;
            region_cells.push_back(encode_region(member));
        }
        bool with_cells = !(no_region_cells && !any_region_cells);
        for (size_t r = 0; r < region_layers.size(); ++r) {
            const TiledLayer& l = *region_layers[r];
            std::vector<uint8_t> data;
            elvl_append_chunk(&data, "rNAM", reinterpret_cast<const uint8_t*>(l.name.data()), uint32_t(l.name.size()));
            if (with_cells) elvl_append_chunk(&data, "rTIL", region_cells[r].data(), uint32_t(region_cells[r].size()));
            for (const auto& sub : region_subchunks(l, &result.notes))
                append_chunk(&data, sub);
            if (data.size() > kElvlMaxChunkLength)
                refuse(l.where, "region " + quoted(l.name) + " needs " + std::to_string(data.size()) +
                                    " bytes, more than a level file's 131,072-byte chunk");
            regions.push_back(std::move(data));
        }

        // The tileset bitmap.
        bool metadata = !attrs.empty() || !chunks.empty() || !regions.empty();
        std::vector<uint8_t> lvl;
        if (no_tileset) {
            if (metadata)
                refuse(name, "a map without a tileset (property 'no tileset') cannot keep attributes, "
                             "regions or chunks in a level file");
        } else {
            if (!tiles_set) refuse(name, "no tileset named 'tiles' gives the map's bitmap");
            std::string why;
            if (!read_image(tiles_set->image, &lvl, &why)) refuse(tiles_set->where, why);
            if (lvl.size() < 26 || lvl[0] != 'B' || lvl[1] != 'M' || read_i32(&lvl[18]) != 304 ||
                std::abs(read_i32(&lvl[22])) != 160)
                refuse(tiles_set->where, "the tileset image " + quoted(tiles_set->image) +
                                             " is not a 304 x 160 BMP picture");
            lvl.resize((lvl.size() + 3) & ~size_t{3}, 0);
        }
        size_t bitmap = lvl.size();
        if (!no_tileset) {
            if (metadata && bitmap > 0xFFFF)
                refuse(tiles_set->where, "the tileset image is too large for a level file to keep "
                                         "attributes and regions beside it");
            if (bitmap <= 0xFFFF) {
                const uint8_t header[12] = {'e', 'l', 'v', 'l', 0, 0, 0, 0, 0, 0, 0, 0};
                lvl.insert(lvl.end(), header, header + 12);
                for (const auto& a : attrs)
                    elvl_append_chunk(&lvl, "ATTR", a.second.data(), uint32_t(a.second.size()));
                for (const auto& r : regions)
                    elvl_append_chunk(&lvl, "REGN", r.data(), uint32_t(r.size()));
                for (const auto& c : chunks)
                    append_chunk(&lvl, c.second);
                store_u32(&lvl[bitmap + 4], uint32_t(lvl.size() - bitmap));
                lvl[6] = uint8_t(bitmap);
                lvl[7] = uint8_t(bitmap >> 8);
            }
            store_u32(&lvl[2], uint32_t(lvl.size()));
        }
        // Tile records row by row: an object's anchor comes before every cell of its square.
        for (int32_t y = 0; y < kExchangeSide; ++y)
            for (int32_t x = 0; x < kExchangeSide; ++x)
                if (uint8_t v = values[size_t(y) * kExchangeSide + size_t(x)]) {
                    uint8_t record[4];
                    store_u32(record, uint32_t(x) | uint32_t(y) << 12 | uint32_t(v) << 24);
                    lvl.insert(lvl.end(), record, record + 4);
                }
        MapData* map = mapdata_new();
        mapdata_read_bytes(map, lvl, LevelReadOptions{options.write_tileset_copy, nullptr,
                                                      options.region_budget, &result.losses});
        result.map.reset(map);
    } catch (const Failure& failure) {
        result.map.reset();
        result.error = failure.text;
    }
    return result;
}
