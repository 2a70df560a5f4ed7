// text.cpp - escaping and cutting of file-borne text for messages.
#include "core/text.h"

#include <cstdio>

std::string text_escaped(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte < 0xA0)) {
            char code[5];
            std::snprintf(code, sizeof code, "\\x%02x", byte);
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

std::string text_name(std::string_view name, size_t limit) {
    if (name.size() <= limit) return text_escaped(name);
    return text_escaped(name.substr(0, limit)) + "... (" + text_count(name.size()) + " bytes)";
}

std::string text_count(unsigned long long count) {
    std::string digits = std::to_string(count), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}
