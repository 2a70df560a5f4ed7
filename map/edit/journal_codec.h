// journal_codec.h - the little-endian fields of journal records: an appending writer and a
// cursor that knows how many bytes are left, so no read passes the end of a record.
#pragma once
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

// Kinds of the changes other than cells in a step record.
enum JournalChange : uint8_t {
    JC_OBJECT_PLACED = 1,  // place, anchor, width, height
    JC_OBJECT_REMOVED,     // place
    JC_ATTRIBUTES,         // count, then key and value texts
    JC_REGION_NAME,        // region place, name
    JC_REGION_SUBCHUNKS,   // region place, count, then chunks (8-byte header and data)
    JC_REGION_ARRIVAL,     // region place, name, sub-chunks as above
    JC_REGION_DEPARTURE,   // region place
    JC_TILESET,            // length, BMP bytes, 1 when they only show the map
};

inline void put_u32_at(uint8_t* at, uint32_t v) {
    at[0] = static_cast<uint8_t>(v), at[1] = static_cast<uint8_t>(v >> 8);
    at[2] = static_cast<uint8_t>(v >> 16), at[3] = static_cast<uint8_t>(v >> 24);
}

struct JournalOut {
    std::vector<uint8_t>* out;
    void u8(uint8_t v) { out->push_back(v); }
    void u16(uint16_t v) {
        u8(static_cast<uint8_t>(v));
        u8(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        size_t at = out->size();
        out->resize(at + 4);
        put_u32_at(out->data() + at, v);
    }
    void u64(uint64_t v) {
        u32(static_cast<uint32_t>(v));
        u32(static_cast<uint32_t>(v >> 32));
    }
    void bytes(const void* data, size_t length) {
        const auto* p = static_cast<const uint8_t*>(data);
        out->insert(out->end(), p, p + length);
    }
    void text(const char* s) {
        size_t length = std::strlen(s);
        u32(static_cast<uint32_t>(length));
        bytes(s, length);
    }
};

struct JournalCursor {
    std::span<const uint8_t> rest;
    size_t left() const { return rest.size(); }
    [[nodiscard]] bool take(size_t n, std::span<const uint8_t>* out) {
        if (n > rest.size()) return false;
        *out = rest.first(n);
        rest = rest.subspan(n);
        return true;
    }
    [[nodiscard]] bool u8(uint8_t* v) {
        std::span<const uint8_t> b;
        if (!take(1, &b)) return false;
        *v = b[0];
        return true;
    }
    [[nodiscard]] bool u16(uint16_t* v) {
        std::span<const uint8_t> b;
        if (!take(2, &b)) return false;
        *v = static_cast<uint16_t>(b[0] | b[1] << 8);
        return true;
    }
    [[nodiscard]] bool u32(uint32_t* v) {
        std::span<const uint8_t> b;
        if (!take(4, &b)) return false;
        *v = uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
        return true;
    }
    [[nodiscard]] bool u64(uint64_t* v) {
        uint32_t lo = 0, hi = 0;
        if (!u32(&lo) || !u32(&hi)) return false;
        *v = uint64_t{lo} | uint64_t{hi} << 32;
        return true;
    }
    // A text without zero bytes (a zero would cut it short wherever it is used as C text).
    [[nodiscard]] bool text(std::string* s) {
        uint32_t length = 0;
        std::span<const uint8_t> b;
        if (!u32(&length) || !take(length, &b)) return false;
        s->assign(b.begin(), b.end());
        return s->find('\0') == std::string::npos;
    }
};
