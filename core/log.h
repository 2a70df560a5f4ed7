// log.h - the diagnostic log: one line per call on the standard error stream.
#pragma once

// level 0 writes the bare message; any other level is written as "<level> " in front.
void log_msg(char level, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
// Turns the log off or on again (the headless tool keeps its own output clean).
void log_set_enabled(bool enabled);
