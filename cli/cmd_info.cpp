// cmd_info.cpp - `ostrel-lvl info`: what a level file holds, as text or as JSON.
#include <string>

#include "cli/lvl_tool.h"
#include "map/model/mapdata.h"
#include "core/text.h"

namespace {

// Text from a file is 8-bit: each byte above 127 is taken as the Latin-1 character of that
// code, so the output is valid JSON (and UTF-8) whatever the file holds.
std::string json_string(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", c);
            out += code;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out + "\"";
}

// The same texts for a terminal: control bytes escaped.
std::string plain(const std::string& text) {
    return text_escaped(text);
}

struct Facts {
    LvlTileset tileset;
    std::vector<LvlRegion> regions;
    uint64_t tiles;
    uint64_t objects[5];
    std::vector<LevelProblem> problems;
};

Facts gather(const LvlFile& file) {
    Facts facts{};
    facts.tileset = lvl_tileset(file);
    facts.regions = lvl_regions(file);
    facts.tiles = lvl_tile_count(file.map);
    lvl_object_counts(file.map, facts.objects);
    facts.problems = lvl_problems(file, facts.regions);
    return facts;
}

uint64_t object_total(const Facts& facts) {
    uint64_t total = 0;
    for (uint64_t n : facts.objects)
        total += n;
    return total;
}

void print_json(FILE* out, const LvlFile& file, const Facts& f) {
    const LevelReport& r = file.report;
    std::string s = "  {\"file\": " + json_string(file.path) + ",\n   \"tileset\": ";
    s += f.tileset.present ? "{\"width\": " + std::to_string(f.tileset.width) +
                                 ", \"height\": " + std::to_string(f.tileset.height) +
                                 ", \"bytes\": " + std::to_string(f.tileset.bytes) + "}"
                           : "null";
    s += ",\n   \"elvl\": ";
    s += r.elvl ? "{\"offset\": " + std::to_string(r.elvl_offset) +
                      ", \"bytes\": " + std::to_string(r.elvl_total) + "}"
                : "null";
    s += ",\n   \"tiles\": " + std::to_string(f.tiles);
    s += ",\n   \"objects\": " + std::to_string(object_total(f));
    s += ",\n   \"objects_by_type\": {";
    for (int t = 0; t < 5; ++t)
        s += (t ? ", \"" : "\"") + std::to_string(216 + t) + "\": " + std::to_string(f.objects[t]);
    s += "},\n   \"attributes\": [";
    for (size_t i = 0; i < r.attributes.size(); ++i)
        s += std::string(i ? ", " : "") + "[" + json_string(r.attributes[i].key) + ", " +
             json_string(r.attributes[i].value) + "]";
    s += "],\n   \"regions\": [";
    for (size_t i = 0; i < f.regions.size(); ++i) {
        const LvlRegion& g = f.regions[i];
        s += std::string(i ? ",\n     " : "\n     ") + "{\"name\": " + json_string(g.name) +
             ", \"cells\": " + std::to_string(g.cells) + ", \"bbox\": ";
        s += g.cells ? "[" + std::to_string(g.x0) + ", " + std::to_string(g.y0) + ", " +
                           std::to_string(g.x1) + ", " + std::to_string(g.y1) + "]"
                     : "null";
        s += ", \"subchunks\": [";
        std::string sizes;
        bool first = true;
        for (const LevelChunk& c : g.read->subchunks) {
            std::string type(c.type);
            if (type == "rNAM" || type == "rTIL") continue;
            s += (first ? "" : ", ") + json_string(type);
            sizes += (first ? "" : ", ") + std::to_string(c.length);
            first = false;
        }
        s += "], \"subchunk_bytes\": [" + sizes + "]}";
    }
    s += "],\n   \"kept_chunks\": [";
    bool first = true;
    for (const LevelChunk& c : r.chunks) {
        if (!lvl_is_kept_chunk(c)) continue;
        s += std::string(first ? "" : ", ") + "{\"type\": " + json_string(c.type) +
             ", \"bytes\": " + std::to_string(c.length) + "}";
        first = false;
    }
    s += "],\n   \"rejected_records\": " + std::to_string(r.rejected_records);
    s += ",\n   \"problems\": [";
    for (size_t i = 0; i < f.problems.size(); ++i)
        s += (i ? ", " : "") + json_string(lvl_problem_text(f.problems[i]));
    s += "]}";
    std::fputs(s.c_str(), out);
}

void print_text(FILE* out, const LvlFile& file, const Facts& f) {
    const LevelReport& r = file.report;
    std::fprintf(out, "%s\n", plain(file.path).c_str());
    if (f.tileset.present)
        std::fprintf(out, "  tileset: %d x %d, %u bytes\n", f.tileset.width, f.tileset.height,
                     f.tileset.bytes);
    else
        std::fprintf(out, "  tileset: none (the built-in one is used)\n");
    if (r.elvl)
        std::fprintf(out, "  elvl block: at offset %llu, %llu bytes\n",
                     static_cast<unsigned long long>(r.elvl_offset),
                     static_cast<unsigned long long>(r.elvl_total));
    else
        std::fprintf(out, "  elvl block: none\n");
    std::fprintf(out, "  attributes: %zu\n", r.attributes.size());
    for (const LevelAttribute& a : r.attributes)
        std::fprintf(out, "    %s=%s\n", plain(a.key).c_str(), plain(a.value).c_str());
    std::fprintf(out, "  regions: %zu\n", f.regions.size());
    for (const LvlRegion& g : f.regions) {
        std::fprintf(out, "    %s: %llu cells", plain(g.name).c_str(),
                     static_cast<unsigned long long>(g.cells));
        if (g.cells) std::fprintf(out, " in (%d, %d)-(%d, %d)", g.x0, g.y0, g.x1, g.y1);
        for (const LevelChunk& c : g.read->subchunks)
            if (std::string(c.type) != "rNAM" && std::string(c.type) != "rTIL")
                std::fprintf(out, "; %s %u bytes", plain(c.type).c_str(), c.length);
        std::fputc('\n', out);
    }
    std::string kept;
    for (const LevelChunk& c : r.chunks)
        if (lvl_is_kept_chunk(c))
            kept += (kept.empty() ? "" : ", ") + plain(c.type) + " " + std::to_string(c.length) +
                    " bytes";
    std::fprintf(out, "  kept chunks: %s\n", kept.empty() ? "none" : kept.c_str());
    std::fprintf(out, "  tiles: %llu\n", static_cast<unsigned long long>(f.tiles));
    std::fprintf(out, "  objects: %llu (216: %llu, 217: %llu, 218: %llu, 219: %llu, 220: %llu)\n",
                 static_cast<unsigned long long>(object_total(f)),
                 static_cast<unsigned long long>(f.objects[0]),
                 static_cast<unsigned long long>(f.objects[1]),
                 static_cast<unsigned long long>(f.objects[2]),
                 static_cast<unsigned long long>(f.objects[3]),
                 static_cast<unsigned long long>(f.objects[4]));
    std::fprintf(out, "  rejected records: %llu\n",
                 static_cast<unsigned long long>(r.rejected_records));
    std::fprintf(out, "  problems: %zu\n", f.problems.size());
    for (const LevelProblem& p : f.problems)
        std::fprintf(out, "    %s\n", plain(lvl_problem_text(p)).c_str());
}

} // namespace

int lvl_info(const std::vector<std::string>& files, bool json, FILE* out, FILE* err) {
    int status = 0;
    if (json) std::fputs("[\n", out);
    for (size_t i = 0; i < files.size(); ++i) {
        LvlFile file;
        bool ok = lvl_open(&file, files[i].c_str());
        if (json && i > 0) std::fputs(",\n", out);
        if (!ok) {
            status = 2;
            std::fprintf(err, "ostrel-lvl: %s: %s\n", plain(files[i]).c_str(), file.error.c_str());
            if (json)
                std::fprintf(out, "  {\"file\": %s, \"error\": %s}", json_string(files[i]).c_str(),
                             json_string(file.error).c_str());
            continue;
        }
        Facts facts = gather(file);
        if (json)
            print_json(out, file, facts);
        else
            print_text(out, file, facts);
        lvl_close(&file);
    }
    if (json) std::fputs("\n]\n", out);
    return status;
}
