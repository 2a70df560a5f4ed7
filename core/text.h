// text.h - bytes from a file made safe to show: control bytes escaped, long names cut.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// The longest name a message quotes whole; longer ones are cut with their length after.
inline constexpr size_t kTextNameLimit = 64;

// The bytes with control bytes (C0, DEL and single-byte C1) written as "\x1b", so a name
// never moves a terminal's cursor or splits a line.
std::string text_escaped(std::string_view bytes);
// A name for a message: escaped, and past limit bytes cut to "first bytes..." followed by
// " (N bytes)", so one message stays one short line.
std::string text_name(std::string_view name, size_t limit = kTextNameLimit);
// A count with thousands separators: 131,064.
std::string text_count(unsigned long long count);
