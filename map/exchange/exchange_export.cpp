// exchange_export.cpp - a map as a Tiled map: the tile layer, the objects, a layer per region,
// and properties for what Tiled has no place for, each numbered so that Tiled's sorting of
// properties by name cannot change an order the level file depends on.
#include <algorithm>
#include <cstring>

#include "core/hash.h"
#include "core/list.h"
#include "map/lvl/builtin_tileset.h"
#include "map/lvl/elvl.h"
#include "map/exchange/exchange_doc.h"
#include "map/exchange/exchange_internal.h"
#include "map/exchange/exchange_names.h"
#include "map/model/attributes.h"
#include "map/model/mapdata.h"
#include "map/model/region.h"
#include "map/model/stamp.h"

namespace {

int32_t read_i32(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                uint32_t{p[3]} << 24);
}

std::string layer_text(const std::vector<uint32_t>& gids) {
    static_assert(std::endian::native == std::endian::little);
    std::span<const uint8_t> raw(reinterpret_cast<const uint8_t*>(gids.data()), gids.size() * 4);
    return base64_encode(zlib_compress(raw));
}

TiledLayer tile_layer(uint32_t id, std::string name, const std::vector<uint32_t>& gids) {
    TiledLayer layer;
    layer.kind = TiledLayer::tiles;
    layer.id = id;
    layer.name = std::move(name);
    layer.width = layer.height = kExchangeSide;
    layer.encoding = "base64";
    layer.compression = "zlib";
    layer.text = layer_text(gids);
    return layer;
}

TiledProperty prop(std::string name, std::string type, std::string value) {
    return {std::move(name), std::move(type), std::move(value), {}};
}

std::string printable_type(const void* copy) {
    std::string type(static_cast<const char*>(copy), 4);
    for (char c : type)
        if (c <= ' ' || c > '~') return {};
    return type;
}

// The chunk's type and data as one base64 text: exact whatever the bytes are.
std::string chunk_value(const void* copy) {
    uint32_t length = elvl_chunk_length(copy);
    std::vector<uint8_t> bytes(static_cast<const uint8_t*>(copy), static_cast<const uint8_t*>(copy) + 4);
    bytes.insert(bytes.end(), elvl_chunk_data(copy), elvl_chunk_data(copy) + length);
    return base64_encode(bytes);
}

std::vector<const void*> added_values(const HashTable* table) {
    std::vector<const void*> out;
    if (table)
        hash_foreach_added(
            table,
            [](const char*, void* value, void* user) {
                static_cast<std::vector<const void*>*>(user)->push_back(value);
                return 0;
            },
            &out);
    return out;
}

// The region's sub-chunks as layer properties and tint colour.
void region_properties(const Region* region, TiledLayer* layer) {
    std::vector<const void*> subs = added_values(region->subchunks);
    std::string order;
    std::vector<std::string> known_order; // known types in file order
    bool seen[6] = {};
    int width = subs.size() > 99 ? 4 : 2;
    for (size_t i = 0; i < subs.size(); ++i) {
        const void* copy = subs[i];
        uint32_t length = elvl_chunk_length(copy);
        const uint8_t* data = elvl_chunk_data(copy);
        std::string type(static_cast<const char*>(copy), 4);
        order += (order.empty() ? "" : " ") + (printable_type(copy).empty() ? "?" : type);
        bool done = false;
        for (int f = 0; f < 4 && !done; ++f)
            if (type == kRegionFlags[f].type && length == 0 && !seen[f]) {
                layer->properties.push_back(prop(kRegionFlags[f].property, "bool", "true"));
                seen[f] = done = true;
            }
        if (!done && type == "rAWP" && !seen[4] && (length == 4 || length == 20)) {
            std::string arena;
            if (length == 20) {
                const char* name = reinterpret_cast<const char*>(data + 4);
                arena.assign(name, strnlen(name, 16));
                // Only an arena name that reads back to the same 16 bytes.
                bool padded = true;
                for (size_t k = arena.size(); k < 16; ++k)
                    padded = padded && data[4 + k] == 0;
                bool plain = !arena.empty() && padded && exchange_text_is_plain(arena) &&
                             arena.find(' ') == std::string::npos;
                if (!plain) arena = "\x01";
            }
            if (arena != "\x01") {
                auto x = static_cast<int16_t>(data[0] | data[1] << 8);
                auto y = static_cast<int16_t>(data[2] | data[3] << 8);
                layer->properties.push_back(
                    prop(kPropAutowarp, "string",
                         std::to_string(x) + " " + std::to_string(y) + (arena.empty() ? "" : " " + arena)));
                seen[4] = done = true;
            }
        }
        if (!done && type == "rCOL" && !seen[5] && length == 4 && data[3] == 0) {
            char text[8];
            std::snprintf(text, sizeof text, "#%02x%02x%02x", data[0], data[1], data[2]);
            layer->tintcolor = text;
            seen[5] = done = true;
        }
        if (done) {
            known_order.push_back(type);
            continue;
        }
        std::string name = std::string(kPropSubchunk) + exchange_position(static_cast<uint32_t>(i), width);
        if (!printable_type(copy).empty()) name += " " + type;
        layer->properties.push_back(prop(name, "string", chunk_value(copy)));
    }
    // The known ones go back in the order below unless the file had another.
    static const char* const kCanonical[] = {"rBSE", "rNAW", "rNWP", "rNFL", "rAWP", "rCOL"};
    std::vector<std::string> canonical;
    for (const char* type : kCanonical)
        if (std::find(known_order.begin(), known_order.end(), type) != known_order.end())
            canonical.push_back(type);
    if (known_order != canonical) layer->properties.push_back(prop(kPropOrder, "string", order));
}

} // namespace

std::string exchange_export(const MapData& map, const std::string& stem, const char* program,
                            TiledMap* out, ExchangeImages* images) {
    if (!map.tiles) return "the map holds no tiles";
    *out = TiledMap{};
    out->orientation = "orthogonal";
    out->width = out->height = kExchangeSide;
    out->tilewidth = out->tileheight = kExchangeTile;

    // The tileset: the map's own bitmap, or the built-in one for a map without a tileset (or
    // with a bitmap the writer would replace by the built-in one).
    const uint8_t* bitmap = map.tileset;
    uint32_t bitmap_length = map.tileset_length;
    bool own = bitmap && !map.tileset_placeholder && bitmap_length >= 14 && bitmap[0] == 'B' &&
               bitmap[1] == 'M';
    if (!own) bitmap = builtin_tileset(&bitmap_length);
    if (bitmap_length < 26 || read_i32(bitmap + 18) != 304 ||
        (read_i32(bitmap + 22) != 160 && read_i32(bitmap + 22) != -160))
        return "the tileset is not 304 x 160 pixels, so Tiled would number its tiles otherwise";
    images->tiles.assign(bitmap, bitmap + bitmap_length);
    images->extra = exchange_extra_image();
    images->region = exchange_region_image();
    if (map.tileset_placeholder) out->properties.push_back(prop(kPropNoTileset, "bool", "true"));
    out->tilesets.push_back({kTilesFirst, "tiles", kExchangeTile, kExchangeTile, kTilesCount,
                             kTilesColumns, stem + ".bmp", 304, 160, "000000", {}, {}});
    out->tilesets.push_back({kExtraFirst, "extra", kExchangeTile, kExchangeTile, kExtraCount,
                             kExtraColumns, stem + "-extra.bmp", 208, 80, "000000", {}, {}});
    out->tilesets.push_back({kRegionGid, "region", kExchangeTile, kExchangeTile, 1, 1,
                             stem + "-region.bmp", 16, 16, "000000", {}, {}});

    // Attributes in the order the writer stores them; kept chunks in file order.
    struct Attr {
        std::string key, value;
    };
    std::vector<Attr> attrs;
    AttributeTable stamped = attributes_for_save(map, program);
    hash_foreach_settled(
            stamped.get(),
            [](const char* key, void* value, void* user) {
                static_cast<std::vector<Attr>*>(user)->push_back({key, static_cast<const char*>(value)});
                return 0;
            },
            &attrs);
    int width = attrs.size() > 9999 ? 6 : 4;
    for (size_t i = 0; i < attrs.size(); ++i) {
        std::string n = exchange_position(static_cast<uint32_t>(i), width);
        const Attr& a = attrs[i];
        if (exchange_text_is_plain(a.key) && exchange_text_is_plain(a.value))
            out->properties.push_back(prop(std::string(kPropAttribute) + n + " " + a.key, "string", a.value));
        else {
            std::string raw = a.key + "=" + a.value;
            out->properties.push_back(prop(std::string(kPropAttributeBytes) + n, "string",
                                           base64_encode({reinterpret_cast<const uint8_t*>(raw.data()), raw.size()})));
        }
    }
    std::vector<const void*> kept = added_values(map.kept_chunks);
    for (size_t i = 0; i < kept.size(); ++i) {
        std::string name = std::string(kPropChunk) + exchange_position(static_cast<uint32_t>(i), 4);
        if (!printable_type(kept[i]).empty()) name += " " + printable_type(kept[i]);
        out->properties.push_back(prop(name, "string", chunk_value(kept[i])));
    }

    // Tiles: objects leave their anchor to the object layer and their filler cells empty.
    std::vector<uint32_t> gids(size_t{kExchangeSide} * kExchangeSide, 0);
    struct Anchor {
        int32_t x, y, tile;
    };
    std::vector<Anchor> anchors;
    tilegrid_for_each_set(map.tiles, [&](int32_t x, int32_t y, uint8_t v) {
        if (is_object_tile(v))
            anchors.push_back({x, y, v});
        else
            gids[size_t(y) * kExchangeSide + size_t(x)] = v;
    });
    std::sort(anchors.begin(), anchors.end(),
              [](const Anchor& a, const Anchor& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    TiledLayer objects;
    objects.kind = TiledLayer::object_group;
    objects.name = kObjectsLayer;
    uint32_t next_object = 1;
    for (const Anchor& a : anchors) {
        int32_t n = object_size(a.tile);
        for (int32_t y = a.y; y < std::min(a.y + n, kExchangeSide); ++y)
            for (int32_t x = a.x; x < std::min(a.x + n, kExchangeSide); ++x)
                if (gids[size_t(y) * kExchangeSide + size_t(x)] == TILE_FILLER)
                    gids[size_t(y) * kExchangeSide + size_t(x)] = 0;
        // A tile object's position is its bottom-left corner.
        objects.objects.push_back({next_object++, uint64_t(a.tile), double(a.x * kExchangeTile),
                                   double((a.y + n) * kExchangeTile), double(n * kExchangeTile),
                                   double(n * kExchangeTile), 0, {}});
    }
    uint32_t next_layer = 1;
    out->layers.push_back(tile_layer(next_layer++, kTilesLayer, gids));
    objects.id = next_layer++;
    out->layers.push_back(std::move(objects));

    // Regions, in the order the writer stores them.
    std::vector<const Region*> regions;
    for (const ListNode* node = map.region_order.head; node; node = node->next)
        regions.push_back(static_cast<const Region*>(node->data));
    if (!regions.empty() && !map.region_grid)
        out->properties.push_back(prop(kPropNoRegionCells, "bool", "true"));
    for (size_t i = 0; i < regions.size(); ++i) {
        const Region* region = regions[i];
        if (!exchange_text_is_plain(region->name))
            return "region " + std::to_string(i + 1) +
                   " has a name with control characters or bytes that are not UTF-8: rename it first";
        for (size_t k = 0; k < i; ++k)
            if (text_icmp(regions[k]->name, region->name) == 0)
                return "two regions are named '" + std::string(region->name) +
                       "': Tiled needs tell-apart layer names, rename one first";
        std::fill(gids.begin(), gids.end(), 0);
        if (map.region_grid)
            tilegrid_for_each_set(map.region_grid, [&](int32_t x, int32_t y, uint8_t set) {
                if ((region->mask[set >> 5] >> (set & 31)) & 1u)
                    gids[size_t(y) * kExchangeSide + size_t(x)] = kRegionGid;
            });
        TiledLayer layer = tile_layer(next_layer++, region->name, gids);
        region_properties(region, &layer);
        out->layers.push_back(std::move(layer));
    }
    out->nextlayerid = next_layer;
    out->nextobjectid = next_object;
    return {};
}
