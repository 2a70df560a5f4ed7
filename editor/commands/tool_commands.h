// tool_commands.h - the editing tools' commands: turn and mirror the clipboard's piece, fill
// the selection or its outline, draw lines and rectangles, and copy regions along.
#pragma once

// Each takes the argument text of its line (after the first word and its spaces).
void command_rotate(const char* arg);
void command_flip(const char* arg);
void command_fill(const char* arg);
void command_line(const char* arg);
void command_rect(const char* arg);
void command_copyregions(const char* arg);
