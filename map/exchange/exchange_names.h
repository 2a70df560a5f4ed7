// exchange_names.h - the names and shapes both directions of the exchange agree on: layer,
// tileset and property names, the tile values Tiled has pictures for, the map's size.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr int32_t kExchangeSide = 1024; // cells per row and column
inline constexpr int32_t kExchangeTile = 16;   // pixels per cell side
inline constexpr const char* kTilesLayer = "tiles";
inline constexpr const char* kObjectsLayer = "objects";
// Tilesets: the map's bitmap holds values 1-190; "extra" 191-255 (generated pictures); the
// one-tile "region" tileset paints region layers.
inline constexpr uint32_t kTilesFirst = 1, kTilesCount = 190, kTilesColumns = 19;
inline constexpr uint32_t kExtraFirst = 191, kExtraCount = 65, kExtraColumns = 13;
inline constexpr uint32_t kRegionGid = 256;
// Map properties.
inline constexpr const char* kPropNoTileset = "no tileset";
inline constexpr const char* kPropNoRegionCells = "regions without cells";
inline constexpr std::string_view kPropAttribute = "attribute ";         // + NNNN KEY: text
inline constexpr std::string_view kPropAttributeBytes = "attribute bytes "; // + NNNN: base64
inline constexpr std::string_view kPropChunk = "chunk ";                 // + NNNN TYPE: base64
// Region layer properties: flag sub-chunks, the first autowarp, the others by position.
inline constexpr std::string_view kPropSubchunk = "sub-chunk ";          // + NN TYPE: base64
inline constexpr const char* kPropOrder = "sub-chunk order";
inline constexpr const char* kPropAutowarp = "autowarp";
struct RegionFlagName {
    const char* type;
    const char* property;
};
inline constexpr RegionFlagName kRegionFlags[] = {
    {"rBSE", "base"}, {"rNAW", "no antiwarp"}, {"rNWP", "no weapons"}, {"rNFL", "no flags"}};

// Text that XML, JSON and Tiled keep as it is: valid UTF-8 without control characters.
bool exchange_text_is_plain(std::string_view text);
// A position number zero-padded to width digits, so that Tiled's sorting keeps the order.
std::string exchange_position(uint32_t n, int width);
