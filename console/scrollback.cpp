// scrollback.cpp - word-boundary wrapping of console messages and recall of typed lines.
#include "console/scrollback.h"

std::vector<std::string_view> console_wrap(std::string_view text, size_t width) {
    std::vector<std::string_view> rows;
    if (width == 0) width = 1;
    while (text.size() > width) {
        // The row keeps the space it breaks after, so the rows put together are the text.
        size_t cut = text.rfind(' ', width - 1);
        size_t take = cut == std::string_view::npos || cut == 0 ? width : cut + 1;
        rows.push_back(text.substr(0, take));
        text.remove_prefix(take);
    }
    if (!text.empty() || rows.empty()) rows.push_back(text);
    return rows;
}

void recall_keep(LineRecall* recall, std::string_view line) {
    if (!line.empty() && (recall->lines.empty() || recall->lines.back() != line)) {
        if (recall->lines.size() >= kRecallKeep) recall->lines.erase(recall->lines.begin());
        recall->lines.emplace_back(line);
    }
    recall->at = recall->lines.size();
}

bool recall_step(LineRecall* recall, bool older, std::string* out) {
    if (recall->at > recall->lines.size()) recall->at = recall->lines.size();
    if (older) {
        if (recall->at == 0) return false;
        --recall->at;
    } else {
        if (recall->at >= recall->lines.size()) return false;
        ++recall->at;
    }
    *out = recall->at < recall->lines.size() ? recall->lines[recall->at] : std::string();
    return true;
}
