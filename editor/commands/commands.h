// commands.h - the "?" command language of the console input line (the table of commands is
// editor/commands/command_table.h).
#pragma once

// Runs the command the line starts with, by the command table; a line that names no command,
// or gives it the wrong arguments, is answered in red. A line without "?" is echoed in colour 2.
void console_command(const char* line);

struct LevelLosses;

// Prints in red, one line per kind, what the load of the open map could not use.
void commands_report_load(const LevelLosses& losses);
