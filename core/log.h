// log.h - the diagnostic log: one line per call on the standard error stream.
#pragma once
#include <cstdint>

// level 0 writes the bare message; any other level is written as "<level> " in front.
void log_msg(char level, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
// Like log_msg while *count is below limit; the line that reaches the limit is followed by
// one saying that further lines of its kind are left out (a file can repeat some without end).
void log_msg_capped(uint32_t* count, uint32_t limit, char level, const char* fmt, ...)
    __attribute__((format(printf, 4, 5)));
