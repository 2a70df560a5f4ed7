// log.cpp - diagnostic log lines: an optional level letter, the message, a newline.
#include "core/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

// The whole line goes out in one write: the standard error stream is unbuffered.
static void log_line(char level, const char* fmt, va_list args) {
    char line[512];
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(line, sizeof line, fmt, args);
    if (n < 0 || static_cast<size_t>(n) < sizeof line) {
        va_end(again);
        if (n < 0) return;
        if (level != 0)
            std::fprintf(stderr, "%c %s\n", level, line);
        else
            std::fprintf(stderr, "%s\n", line);
        return;
    }
    char* long_line = static_cast<char*>(std::malloc(static_cast<size_t>(n) + 1));
    if (long_line) std::vsnprintf(long_line, static_cast<size_t>(n) + 1, fmt, again);
    va_end(again);
    if (!long_line) return;
    if (level != 0)
        std::fprintf(stderr, "%c %s\n", level, long_line);
    else
        std::fprintf(stderr, "%s\n", long_line);
    std::free(long_line);
}

void log_msg(char level, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    log_line(level, fmt, args);
    va_end(args);
}

void log_msg_capped(uint32_t* count, uint32_t limit, char level, const char* fmt, ...) {
    if (*count > limit) return;
    if (++*count > limit) {
        log_msg(level, "(further lines like the one above are left out)");
        return;
    }
    va_list args;
    va_start(args, fmt);
    log_line(level, fmt, args);
    va_end(args);
}
