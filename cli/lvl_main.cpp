// lvl_main.cpp - ostrel-lvl's command line: the command word, its options and files, --help.
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <string>
#include <vector>

#include "cli/lvl_tool.h"
#include "core/log.h"

namespace {

const char* const kUsage =
    "usage: ostrel-lvl COMMAND [OPTIONS] FILE...\n"
    "\n"
    "Inspects, checks, renders and converts lvl level files without a window.\n"
    "\n"
    "  info FILE... [--json]\n"
    "      what a file holds: tileset, elvl block, attributes, regions, kept chunks,\n"
    "      tiles, objects, rejected records and the problems met while reading\n"
    "  check FILE...\n"
    "      one line per problem, \"FILE: offset N: what is wrong\"; exit status 0 when\n"
    "      every file is sound, 1 when one has problems, 2 when one cannot be read\n"
    "  render FILE OUT.png [FILE OUT.png...] [--scale 1|4|8|16] [--area X Y W H]\n"
    "         [--regions] [--grid] [--force]\n"
    "      a picture of the map: at scale 1 one pixel per tile in the radar's colours, at\n"
    "      4, 8 and 16 the tileset's pictures (16 is full size); --area takes cells,\n"
    "      --regions overlays every region in its colour, --grid marks empty cells;\n"
    "      outputs end in .png, and an existing file that is not a PNG picture is\n"
    "      replaced only with --force\n"
    "  convert IN OUT [IN OUT...] [--stamp]\n"
    "      loads and saves, the same bytes as the editor's \"?save\"; the PROGRAM\n"
    "      attribute is left as it is unless --stamp is given; each side's format comes\n"
    "      from its name: .lvl, .tmx (Tiled XML) or .tmj / .json (Tiled JSON), with\n"
    "      a Tiled map's images beside it\n"
    "\n"
    "Exit status: 0 when everything went well; 1 when check found problems or convert\n"
    "saved a file without something it held; 2 when a file cannot be read or written,\n"
    "an output is refused, or the command line is wrong.\n"
    "\n"
    "Options:\n"
    "  --verbose   show the reader's diagnostic log on the standard error stream\n"
    "  --help      this text\n";

// A whole decimal number in range, or false.
bool parse_int(const char* text, long min, long max, int32_t* value) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno || end == text || *end || v < min || v > max) return false;
    *value = static_cast<int32_t>(v);
    return true;
}

int usage_error(FILE* err, const std::string& what) {
    std::fprintf(err, "ostrel-lvl: %s\nTry 'ostrel-lvl --help'.\n", what.c_str());
    return 2;
}

} // namespace

int lvl_main(int argc, char** argv, FILE* out, FILE* err) {
    std::vector<std::string> files;
    std::string command;
    bool json = false, stamp = false, help = false;
    LvlRenderOptions render;
    bool area = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--json") {
            json = true;
        } else if (arg == "--stamp") {
            stamp = true;
        } else if (arg == "--verbose") {
            // main already let the log through to the standard error stream
        } else if (arg == "--regions") {
            render.regions = true;
        } else if (arg == "--grid") {
            render.grid = true;
        } else if (arg == "--force") {
            render.force = true;
        } else if (arg == "--scale") {
            int32_t scale = 0;
            if (i + 1 >= argc || !parse_int(argv[++i], 1, 16, &scale) ||
                (scale != 1 && scale != 4 && scale != 8 && scale != 16))
                return usage_error(err, "--scale takes 1, 4, 8 or 16");
            render.scale = scale;
        } else if (arg == "--area") {
            if (i + 4 >= argc || !parse_int(argv[i + 1], 0, 1023, &render.x) ||
                !parse_int(argv[i + 2], 0, 1023, &render.y) ||
                !parse_int(argv[i + 3], 1, 1024, &render.w) ||
                !parse_int(argv[i + 4], 1, 1024, &render.h) || render.x + render.w > 1024 ||
                render.y + render.h > 1024)
                return usage_error(err,
                                   "--area takes X Y W H in cells, inside the 1024 x 1024 map");
            i += 4;
            area = true;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            return usage_error(err, "unknown option '" + arg + "'");
        } else if (command.empty()) {
            command = arg;
        } else {
            files.push_back(arg);
        }
    }
    if (help) {
        std::fputs(kUsage, out);
        return 0;
    }
    if (command.empty()) return usage_error(err, "no command given");
    if (command != "info" && command != "check" && command != "render" && command != "convert")
        return usage_error(err, "unknown command '" + command + "'");
    bool pairs = command == "render" || command == "convert";
    if (files.empty()) return usage_error(err, "'" + command + "' needs at least one file");
    if (pairs && files.size() % 2 != 0)
        return usage_error(err, "'" + command + "' takes files in pairs: input, then output");
    // A list of maps without outputs would otherwise overwrite every second map.
    if (command == "render")
        for (size_t i = 1; i < files.size(); i += 2)
            if (files[i].size() < 5 || strcasecmp(files[i].c_str() + files[i].size() - 4, ".png") != 0)
                return usage_error(err, "'" + files[i] + "' is no picture name: outputs of "
                                        "'render' end in .png");
    if ((json && command != "info") || (stamp && command != "convert") ||
        ((area || render.regions || render.grid || render.force || render.scale != 1) &&
         command != "render"))
        return usage_error(err, "an option does not apply to '" + command + "'");
    if (command == "info") return lvl_info(files, json, out, err);
    if (command == "check") return lvl_check(files, out, err);
    if (command == "convert") return lvl_convert(files, stamp, out, err);
    return lvl_render(files, render, out, err);
}
