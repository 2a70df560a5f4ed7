// cmd_convert.cpp - `ostrel-lvl convert`: load and save, byte for byte what the editor's
// "?save" writes, with the "PROGRAM" attribute left alone unless --stamp asks for it. Each
// side's format comes from its name: level files, or Tiled's TMX and JSON maps.
#include <cstring>

#include "cli/lvl_tool.h"
#include "core/mem.h"
#include "map/model/attributes.h"
#include "map/exchange/exchange.h"
#include "map/lvl/level.h"
#include "core/platform.h"

int lvl_convert(const std::vector<std::string>& pairs, bool stamp, FILE* out, FILE* err) {
    int status = 0;
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
        const std::string &in = pairs[i], &to = pairs[i + 1];
        ExchangeFormat from = exchange_format_of(in.c_str()), into = exchange_format_of(to.c_str());
        if (from == ExchangeFormat::unknown || into == ExchangeFormat::unknown) {
            std::fprintf(err, "ostrel-lvl: %s\n",
                         exchange_unknown_format_text((from == ExchangeFormat::unknown ? in : to).c_str())
                             .c_str());
            status = 2;
            continue;
        }
        LvlFile file;
        if (from != ExchangeFormat::lvl) {
            ExchangeRead read = exchange_read(in.c_str());
            for (const std::string& note : read.notes)
                std::fprintf(err, "ostrel-lvl: note: %s\n", note.c_str());
            if (!read.map) {
                std::fprintf(err, "ostrel-lvl: %s\n", read.error.c_str());
                status = 2;
                continue;
            }
            file.map = read.map.release();
            file.losses = read.losses;
        } else if (!lvl_open(&file, in.c_str())) {
            std::fprintf(err, "ostrel-lvl: %s: %s\n", in.c_str(), file.error.c_str());
            status = 2;
            continue;
        }
        const char* program = stamp ? kProgramAttributeValue : nullptr;
        // A conversion writes what the read gave; what it left out is said and sets status 1.
        MapSave save = into != ExchangeFormat::lvl
                           ? exchange_save(file.map, to.c_str(), file.losses, true, program)
                           : mapdata_save(file.map, to.c_str(), file.losses, true, program);
        lvl_close(&file);
        SaveWords words = save_words(save, to.c_str());
        if (words.outcome != SaveOutcome::whole)
            std::fprintf(err, "ostrel-lvl: %s: %s\n", in.c_str(), words.text.c_str());
        switch (words.outcome) {
        case SaveOutcome::failed: status = 2; break;
        case SaveOutcome::partial: status = status == 0 ? 1 : status; break;
        case SaveOutcome::whole:
        case SaveOutcome::noted: std::fprintf(out, "%s -> %s\n", in.c_str(), to.c_str()); break;
        }
    }
    return status;
}
