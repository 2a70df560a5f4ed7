// scrollback.h - the console's text helpers: messages cut into rows at word boundaries, and
// the lines typed before, recalled with Up and Down.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Cuts text into rows of at most width characters (width >= 1). A row ends with the last space
// that fits; a word longer than a row is cut where the row ends. The rows joined are the text.
[[nodiscard("the rows are the result")]] std::vector<std::string_view>
console_wrap(std::string_view text, size_t width);

// Lines run from the input line, oldest first, and where Up and Down have walked to.
struct LineRecall {
    std::vector<std::string> lines;
    size_t at = 0; // lines.size() while nothing is recalled
};

inline constexpr size_t kRecallKeep = 100;

// Keeps a line that was run (not a repeat of the last one) and stops recalling.
void recall_keep(LineRecall* recall, std::string_view line);
// The line one older (Up) or one newer (Down) than the one shown; newer than the newest is
// the empty line. False when there is nothing further that way.
[[nodiscard("false means the input stays as it is")]] bool
recall_step(LineRecall* recall, bool older, std::string* out);
