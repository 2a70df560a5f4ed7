// map_test_util.h - level file bytes, scratch folders and log capture for the map tests.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "map/lvl/level.h"
#include "map/model/mapdata.h"
#include "test_util.h"

namespace maptest {

inline void put_u32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint32_t get_u32(const Bytes& b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
           uint32_t{b[at + 3]} << 24;
}
inline uint32_t get_u16(const Bytes& b, size_t at) {
    return get_u32(b, at) & 0xFFFF;
}
inline uint32_t record(uint32_t x, uint32_t y, uint32_t tile) {
    return x | y << 12 | tile << 24;
}
inline void append_record(Bytes& b, uint32_t x, uint32_t y, uint32_t t) {
    b.resize(b.size() + 4);
    put_u32(b, b.size() - 4, record(x, y, t));
}

// A bitmap-like head of the given length: "BM", bfSize and the elvl offset set.
inline Bytes bmp_head(uint32_t length, uint32_t bf_size, uint32_t elvl_offset = 0) {
    Bytes b(length, 0x11);
    b[0] = 'B';
    b[1] = 'M';
    put_u32(b, 2, bf_size);
    put_u32(b, 6, elvl_offset);
    return b;
}

// A level file: a fake bitmap of bitmap_length bytes, an elvl block holding the chunk bytes,
// then the tile records.
inline Bytes level_with_chunks(uint32_t bitmap_length, const Bytes& chunks, const Bytes& records) {
    Bytes b =
        concat({bmp_head(bitmap_length, 0, bitmap_length), bytes("elvl"), Bytes(8, 0), chunks});
    put_u32(b, bitmap_length + 4, static_cast<uint32_t>(12 + chunks.size()));
    put_u32(b, 2, static_cast<uint32_t>(b.size()));
    append(b, records);
    return b;
}

// Parses bytes the way a file load does, without side effects outside the map.
inline MapData* parse(const Bytes& bytes) {
    MapData* map = mapdata_new();
    mapdata_read_bytes(map, bytes, LevelReadOptions{false});
    return map;
}

inline void write_file(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}
inline Bytes read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs a test inside a fresh scratch folder with a graphics/ subfolder; restores the old one.
class ScratchDir : public ::testing::Test {
  protected:
    void SetUp() override {
        old_ = std::filesystem::current_path();
        char pattern[] = "/tmp/ostrel-map-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::filesystem::create_directory(dir_ / "graphics");
        std::filesystem::current_path(dir_);
    }
    void TearDown() override {
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(dir_);
    }
    std::filesystem::path old_, dir_;
};

// Collects the diagnostic log lines written during its life.
class LogCapture {
  public:
    LogCapture() { ::testing::internal::CaptureStderr(); }
    ~LogCapture() { text(); }
    std::string text() {
        if (!done_) text_ = ::testing::internal::GetCapturedStderr();
        done_ = true;
        return text_;
    }

  private:
    bool done_ = false;
    std::string text_;
};

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace maptest
