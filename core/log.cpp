// log.cpp - diagnostic log lines: an optional level letter, the message, a newline.
#include "core/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void log_msg(char level, const char* fmt, ...) {
    // The whole line goes out in one write: the standard error stream is unbuffered, and a
    // file with a million chunks logs a million lines.
    char line[512];
    va_list args;
    va_start(args, fmt);
    int n = std::vsnprintf(line, sizeof line, fmt, args);
    va_end(args);
    if (n < 0) return;
    if (static_cast<size_t>(n) < sizeof line) {
        if (level != 0)
            std::fprintf(stderr, "%c %s\n", level, line);
        else
            std::fprintf(stderr, "%s\n", line);
        return;
    }
    char* long_line = static_cast<char*>(std::malloc(static_cast<size_t>(n) + 1));
    if (!long_line) return;
    va_start(args, fmt);
    std::vsnprintf(long_line, static_cast<size_t>(n) + 1, fmt, args);
    va_end(args);
    if (level != 0)
        std::fprintf(stderr, "%c %s\n", level, long_line);
    else
        std::fprintf(stderr, "%s\n", long_line);
    std::free(long_line);
}
