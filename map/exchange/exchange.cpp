// exchange.cpp - the exchange's front: which format a name asks for, reading a Tiled map from a
// file (its images from beside it) and writing one with its images.
#include "map/exchange/exchange.h"

#include <cerrno>
#include <cstring>

#include "core/platform.h"
#include "core/safe_save.h"
#include "map/exchange/exchange_internal.h"
#include "map/lvl/level.h"
#include "map/model/mapdata.h"

namespace {

// Largest image read for a tileset (a level's tileset is far smaller).
constexpr uint64_t kMaxImageBytes = 16u << 20;
// Largest tileset file read (one image and a few attributes).
constexpr uint64_t kMaxTilesetFileBytes = 1u << 20;

std::string lower_extension(const std::string& path) {
    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return ext;
}

std::string folder_of(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + (slash == 0));
}

// The file's name without folder and extension: the images are named after it.
std::string stem_of(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = base.rfind('.');
    return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

bool read_bounded(const std::string& path, uint64_t max, std::vector<uint8_t>* out, std::string* error) {
    int reason = 0;
    MappedFile* file = mapped_file_open(path.c_str(), &reason);
    if (!file) {
        *error = path + ": cannot be read: " + file_error_text(reason);
        return false;
    }
    bool fits = file->length <= max;
    if (fits) out->assign(file->data, file->data + file->length);
    mapped_file_close(file);
    if (!fits) *error = path + ": larger than " + std::to_string(max >> 20) + " MiB";
    return fits;
}

// Tilesets kept in their own files (Tiled's default for a new tileset) are read in, their
// image names made relative to the map's folder.
std::string read_external_tilesets(const std::string& folder, TiledMap* tiled) {
    for (TiledTileset& ts : tiled->tilesets) {
        if (ts.source.empty()) continue;
        std::string file = ts.source[0] == '/' ? ts.source : folder + "/" + ts.source;
        std::string ext = lower_extension(ts.source), error;
        std::vector<uint8_t> bytes;
        if (ext != ".tsx" && ext != ".tsj" && ext != ".json")
            return ts.where + ": the tileset file " + ts.source + " is neither .tsx nor .tsj";
        if (!read_bounded(file, kMaxTilesetFileBytes, &bytes, &error)) return ts.where + ": " + error;
        TiledTileset external;
        error = ext == ".tsx" ? tsx_parse(bytes, file, &external)
                              : tiled_json_tileset_parse(bytes, file, &external);
        if (!error.empty()) return error;
        size_t slash = ts.source.rfind('/');
        if (!external.image.empty() && external.image[0] != '/' && slash != std::string::npos)
            external.image = ts.source.substr(0, slash + 1) + external.image;
        external.firstgid = ts.firstgid;
        ts = std::move(external);
    }
    return {};
}

} // namespace

void MapDataRelease::operator()(MapData* map) const {
    mapdata_free(map);
}

ExchangeFormat exchange_format_of(const char* path) {
    std::string ext = lower_extension(path ? path : "");
    if (ext == ".lvl") return ExchangeFormat::lvl;
    if (ext == ".tmx") return ExchangeFormat::tmx;
    if (ext == ".tmj" || ext == ".json") return ExchangeFormat::json;
    return ExchangeFormat::unknown;
}

std::string exchange_unknown_format_text(const char* path) {
    return std::string(path) +
           ": unknown map format; the name must end in .lvl (level file), .tmx (Tiled XML) or "
           ".tmj / .json (Tiled JSON)";
}

ExchangeRead exchange_read_bytes(std::span<const uint8_t> bytes, ExchangeFormat format,
                                 const std::string& folder, const std::string& name,
                                 const ExchangeReadOptions& options) {
    ExchangeRead result;
    TiledMap tiled;
    if (format == ExchangeFormat::tmx)
        result.error = tmx_parse(bytes, name, &tiled);
    else if (format == ExchangeFormat::json)
        result.error = tiled_json_parse(bytes, name, &tiled);
    else
        result.error = exchange_unknown_format_text(name.c_str());
    if (!result.error.empty()) return result;
    result.error = read_external_tilesets(folder, &tiled);
    if (!result.error.empty()) return result;
    auto read_image = [&](const std::string& image, std::vector<uint8_t>* out, std::string* error) {
        if (image.empty()) {
            *error = "the tileset names no image";
            return false;
        }
        std::string path = image[0] == '/' ? image : folder + "/" + image;
        return read_bounded(path, kMaxImageBytes, out, error);
    };
    return exchange_import(tiled, name, read_image, options);
}

ExchangeRead exchange_read(const char* path, const ExchangeReadOptions& options) {
    ExchangeFormat format = exchange_format_of(path);
    if (format != ExchangeFormat::tmx && format != ExchangeFormat::json) {
        ExchangeRead result;
        result.error = format == ExchangeFormat::lvl
                           ? std::string(path) + ": a level file, not a Tiled map"
                           : exchange_unknown_format_text(path);
        return result;
    }
    std::vector<uint8_t> bytes;
    ExchangeRead result;
    if (!read_bounded(path, kExchangeMaxFileBytes, &bytes, &result.error)) return result;
    return exchange_read_bytes(bytes, format, folder_of(path), path, options);
}

bool exchange_is_tiled(const char* path) {
    ExchangeFormat format = exchange_format_of(path);
    return format == ExchangeFormat::tmx || format == ExchangeFormat::json;
}

ExchangeRead exchange_open(const char* path) {
    if (!exchange_is_tiled(path)) {
        ExchangeRead result;
        int error = 0;
        result.map.reset(mapdata_open(path, &error, &result.losses));
        if (!result.map) result.error = std::string(path) + ": " +
                                        file_error_describe(error, path, kLevelFileLimit);
        return result;
    }
    ExchangeRead result = exchange_read(path, ExchangeReadOptions{true});
    return result;
}

ExchangeWrite exchange_write(const MapData& map, const char* path, const char* program) {
    ExchangeWrite result;
    ExchangeFormat format = exchange_format_of(path);
    if (format != ExchangeFormat::tmx && format != ExchangeFormat::json) {
        result.error = format == ExchangeFormat::lvl ? std::string(path) + ": a level file, not a Tiled map"
                                                     : exchange_unknown_format_text(path);
        return result;
    }
    std::string stem = stem_of(path), folder = folder_of(path);
    TiledMap tiled;
    ExchangeImages images;
    result.error = exchange_export(map, stem, program, &tiled, &images);
    if (!result.error.empty()) return result;
    std::string text = format == ExchangeFormat::tmx ? tmx_format(tiled) : tiled_json_format(tiled);
    // The images first: a map is never left naming pictures that are not there.
    const std::pair<std::string, const std::vector<uint8_t>*> files[] = {
        {folder + "/" + stem + ".bmp", &images.tiles},
        {folder + "/" + stem + "-extra.bmp", &images.extra},
        {folder + "/" + stem + "-region.bmp", &images.region}};
    for (const auto& [file, bytes] : files) {
        if (int error = safe_save_file(file.c_str(), *bytes)) {
            result.error = file + ": cannot be written: " + file_error_text(error);
            return result;
        }
    }
    if (int error = safe_save_file(path, {reinterpret_cast<const uint8_t*>(text.data()), text.size()})) {
        result.error = std::string(path) + ": cannot be written: " + file_error_text(error);
        return result;
    }
    result.ok = true;
    return result;
}

MapSave exchange_save(MapData* map, const char* path, const LevelLosses& losses,
                      bool accept_losses, const char* program) {
    MapSave save;
    save.losses = level_losses_text(losses);
    if (!accept_losses && !save.losses.empty()) {
        save.refused_losses = true;
        return save;
    }
    ExchangeWrite written = exchange_write(*map, path, program);
    if (!written.ok) {
        save.failure = written.error;
        return save;
    }
    save.result = MAPDATA_SAVE_OK;
    return save;
}
