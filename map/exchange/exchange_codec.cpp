// exchange_codec.cpp - base64 and zlib for Tiled's layer data, bounded on the way in.
#include <zlib.h>

#include <array>
#include <cstring>

#include "map/exchange/exchange_doc.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int8_t, 256> make_values() {
    std::array<int8_t, 256> v{};
    for (auto& x : v)
        x = -1;
    for (int i = 0; i < 64; ++i)
        v[static_cast<uint8_t>(kAlphabet[i])] = static_cast<int8_t>(i);
    return v;
}
constexpr std::array<int8_t, 256> kValues = make_values();

bool is_space(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

} // namespace

std::string base64_encode(std::span<const uint8_t> bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        uint32_t v = uint32_t{bytes[i]} << 16 | uint32_t{bytes[i + 1]} << 8 | bytes[i + 2];
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    if (size_t rest = bytes.size() - i) {
        uint32_t v = uint32_t{bytes[i]} << 16 | (rest == 2 ? uint32_t{bytes[i + 1]} << 8 : 0);
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

bool base64_decode(const std::string& text, std::vector<uint8_t>* out, size_t max) {
    out->clear();
    // Tiled indents the text inside <data>; white space anywhere is skipped.
    uint32_t acc = 0;
    int bits = 0;
    size_t padding = 0;
    for (char c : text) {
        if (is_space(c)) continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        int8_t v = kValues[static_cast<uint8_t>(c)];
        if (v < 0 || padding > 0) return false; // a stray character, or data after padding
        acc = (acc << 6) | static_cast<uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            if (out->size() >= max) return false;
            out->push_back(static_cast<uint8_t>(acc >> bits));
        }
    }
    // Left-over bits must be the zero fill of the last group.
    return padding <= 2 && bits < 6 && (acc & ((1u << bits) - 1)) == 0;
}

std::vector<uint8_t> zlib_compress(std::span<const uint8_t> bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::vector<uint8_t> out(size);
    if (compress2(out.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), 1) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

std::string inflate_exact(std::span<const uint8_t> bytes, bool gzip, size_t size,
                          std::vector<uint8_t>* out) {
    out->assign(size, 0);
    z_stream z{};
    // 15 window bits: zlib; +16: gzip.
    if (inflateInit2(&z, gzip ? 31 : 15) != Z_OK) return "the decompressor could not start";
    z.next_in = const_cast<Bytef*>(bytes.data());
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = out->data();
    z.avail_out = static_cast<uInt>(size);
    int rc = inflate(&z, Z_FINISH);
    size_t produced = size - z.avail_out;
    // One byte more than the layer holds tells a longer stream apart from an exact one.
    uint8_t extra = 0;
    if (rc == Z_BUF_ERROR && z.avail_out == 0) {
        z.next_out = &extra;
        z.avail_out = 1;
        rc = inflate(&z, Z_FINISH);
        if (z.avail_out == 0) rc = Z_BUF_ERROR, produced = size + 1;
    }
    std::string why = z.msg ? std::string(" (") + z.msg + ")" : std::string();
    inflateEnd(&z);
    if (produced > size)
        return "the " + std::string(gzip ? "gzip" : "zlib") +
               " data holds more than the layer's " + std::to_string(size / 4) + " cells";
    if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT)
        return "the " + std::string(gzip ? "gzip" : "zlib") + " data is damaged" + why;
    if (rc != Z_STREAM_END)
        return "the " + std::string(gzip ? "gzip" : "zlib") + " data ends early";
    if (produced != size)
        return "the layer data holds " + std::to_string(produced / 4) + " cells, not " +
               std::to_string(size / 4);
    return {};
}
