// options.h - the command line, read by a pure function: window size, help, version, map.
#pragma once
#include <span>
#include <string>

struct EditorOptions {
    std::string map;    // the level file to open; empty for a new map
    int width = 0;      // window size asked for with -w / -h; 0 when not given
    int height = 0;
    bool help = false;    // --help: print the usage and exit 0
    bool version = false; // --version: print the version and exit 0
    std::string error;    // why the line is refused (print it with the usage, exit 2)
};

inline constexpr int kOptionsMinWidth = 320;
inline constexpr int kOptionsMinHeight = 240;
inline constexpr int kOptionsMaxSide = 16384;
// Exit status for a command line the editor refuses.
inline constexpr int kOptionsUsageStatus = 2;

// Reads the arguments after the program name. "-w800" and "-w 800" both set the width,
// "--" ends the options (so a file named "-x" can be opened); any other word starting with
// "-" is an error, as is a second file name or a size out of range.
[[nodiscard("an error must be reported")]] EditorOptions
editor_options_parse(std::span<const char* const> args);

// The usage text printed by --help and after an error.
std::string editor_options_usage(const char* program);
