// commands.h - the "?" command language of the console input line.
#pragma once
#include <cstdint>

#include <string>
#include <vector>

// Runs the command the line starts with; an unknown "?" line is named in red, any other line
// echoed in colour 2.
void console_command(const char* line);
// The command words ("?go", "?save!" ...), each once, in the table's order.
std::vector<std::string> commands_names();

struct MapData;

// Prints in red, one line per kind, what the load of the map could not use.
void commands_report_load(const MapData* map);

// Reads a 32-bit number with automatic base (leading blanks and a sign allowed, the rest
// ignored, out-of-range values held at the 32-bit limits). Returns 0 when no digits were
// read; *end is set to the first character after the number.
int command_read_number(const char* text, int32_t* value, const char** end);

// "?region" and its sub-commands (console/region_commands.cpp); arg is the argument text.
void command_region(const char* line, const char* arg);
