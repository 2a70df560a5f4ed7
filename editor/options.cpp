// options.cpp - reading the command line into EditorOptions, with no effect of its own.
#include "editor/options.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace {

// A whole decimal (or 0x hexadecimal) number within [low, kOptionsMaxSide].
bool read_size(std::string_view text, int low, int* out) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc{} || end != text.data() + text.size() || text.empty()) return false;
    if (value < low || value > kOptionsMaxSide) return false;
    *out = value;
    return true;
}

} // namespace

EditorOptions editor_options_parse(std::span<const char* const> args) {
    EditorOptions o;
    bool options_done = false;
    for (size_t i = 0; i < args.size() && o.error.empty(); ++i) {
        std::string_view arg = args[i] ? args[i] : "";
        if (options_done || arg.empty() || arg[0] != '-' || arg == "-") {
            if (!o.map.empty())
                o.error = "only one map can be opened (\"" + o.map + "\" and \"" +
                          std::string(arg) + "\")";
            else
                o.map = arg;
        } else if (arg == "--") {
            options_done = true;
        } else if (arg == "--help") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg.size() >= 2 && (arg[1] == 'w' || arg[1] == 'h') &&
                   (arg.size() == 2 || arg[2] != '-')) {
            bool width = arg[1] == 'w';
            std::string_view number = arg.substr(2);
            if (number.empty() && i + 1 < args.size() && args[i + 1]) number = args[++i];
            int low = width ? kOptionsMinWidth : kOptionsMinHeight;
            if (!read_size(number, low, width ? &o.width : &o.height))
                o.error = std::string("-") + arg[1] + " needs a window " +
                          (width ? "width" : "height") + " of " + std::to_string(low) + " to " +
                          std::to_string(kOptionsMaxSide) + " pixels, not \"" +
                          std::string(number) + "\"";
        } else {
            o.error = "unknown option " + std::string(arg);
        }
    }
    return o;
}

std::string editor_options_usage(const char* program) {
    std::string p = program && *program ? program : "ostrel";
    return "usage: " + p + " [-w WIDTH] [-h HEIGHT] [MAP.lvl]\n"
           "  Opens the level file MAP.lvl, or a new empty map.\n"
           "  -w WIDTH    window width in pixels (320 to 16384; default: as last time, else 640)\n"
           "  -h HEIGHT   window height in pixels (240 to 16384; default: as last time, else 480)\n"
           "  --help      print this text and exit\n"
           "  --version   print the version and exit\n"
           "  --          end of options: the next word is the map, even if it starts with -\n";
}
