// log.cpp - diagnostic log lines: an optional level letter, the message, a newline.
#include "core/log.h"

#include <cstdarg>
#include <cstdio>

static bool g_log_enabled = true;

void log_set_enabled(bool enabled) {
    g_log_enabled = enabled;
}

void log_msg(char level, const char* fmt, ...) {
    if (!g_log_enabled) return;
    if (level != 0) std::fprintf(stderr, "%c ", level);
    va_list args;
    va_start(args, fmt);
    std::vfprintf(stderr, fmt, args);
    va_end(args);
    std::fputs("\n", stderr);
}
