// test_elvl.cpp - the chunk walk, the chunk handler and attributes read from "ATTR" chunks.
#include "map_test_util.h"

#include "core/mem.h"
#include "map/elvl.h"

using namespace maptest;

namespace {

// Walks an area and returns the walk's result and the number of chunks it found.
std::pair<int, int> walk(const Bytes& area) {
    HashTable* table = hash_create();
    int ok = elvl_read_chunks(table, area.data(), static_cast<int32_t>(area.size()));
    int count = table->count;
    elvl_free_chunks(table);
    return {ok, count};
}

TEST(ChunkWalk, AreasShorterThanAHeader) {
    EXPECT_EQ(walk({}), std::make_pair(1, 0));
    for (size_t n = 1; n <= 7; ++n)
        EXPECT_EQ(walk(Bytes(n, 0)), std::make_pair(0, 0)) << n;
    EXPECT_EQ(walk(Bytes(8, 0)), std::make_pair(1, 1)); // one chunk with L = 0
    HashTable* table = hash_create();
    EXPECT_EQ(elvl_read_chunks(table, nullptr, -4), 0);
    elvl_free_chunks(table);
}

TEST(ChunkWalk, AlignmentBytesCompleteTheArea) {
    Bytes padded;
    append(padded, chunk("ABCD", "xyz"));
    ASSERT_EQ(padded.size(), 12u);
    EXPECT_EQ(walk(padded), std::make_pair(1, 1));
    Bytes unpadded(padded.begin(), padded.end() - 1);
    EXPECT_EQ(walk(unpadded), std::make_pair(0, 1));
    Bytes extra = padded;
    extra.resize(15, 0);
    EXPECT_EQ(walk(extra), std::make_pair(0, 1));
    append(padded, chunk("TWO_", "5678"));
    put_u32(padded, 16, 5); // second chunk claims one byte more than there is
    EXPECT_EQ(walk(padded), std::make_pair(0, 1));
}

TEST(ChunkWalk, LengthLimitIs131072) {
    Bytes area;
    append(area, chunk("BIG1", bytes(std::string(131072, 'a'))));
    append(area, chunk("BIG2", bytes(std::string(131073, 'b'))));
    append(area, chunk("LAST", "z"));
    HashTable* table = hash_create();
    EXPECT_EQ(elvl_read_chunks(table, area.data(), static_cast<int32_t>(area.size())), 0);
    EXPECT_EQ(table->count, 1);
    auto* copy = static_cast<uint8_t*>(hash_get(table, "BIG1"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(elvl_chunk_length(copy), 131072u);
    EXPECT_EQ(elvl_chunk_data(copy)[131071], 'a');
    elvl_free_chunks(table);
}

TEST(ChunkWalk, SameTypeKeepsFileOrderAndZeroEndsTheKey) {
    Bytes area;
    append(area, chunk("K\0\0\0", "first"));
    append(area, chunk("K\0xy", "second"));
    HashTable* table = hash_create();
    ASSERT_EQ(elvl_read_chunks(table, area.data(), static_cast<int32_t>(area.size())), 1);
    EXPECT_EQ(table->count, 2);
    auto* copy = static_cast<uint8_t*>(hash_get(table, "K"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(elvl_chunk_data(copy)), 5), "first");
    elvl_free_chunks(table);
}

// Loads a level whose elvl block holds the given chunks and returns the map.
MapData* with_chunks(const Bytes& chunks) {
    return parse(level_with_chunks(64, chunks, {}));
}

std::string attr(MapData* map, const char* key) {
    auto* value = map->attributes ? static_cast<char*>(hash_get(map->attributes, key)) : nullptr;
    return value ? value : "<none>";
}

TEST(Attributes, KeyValueSplitting) {
    Bytes chunks;
    append(chunks, chunk("ATTR", "NAME=Big map"));
    append(chunks, chunk("ATTR", "A=B=C"));
    append(chunks, chunk("ATTR", "=x"));
    append(chunks, chunk("ATTR", "NOVALUE"));
    append(chunks, chunk("ATTR", bytes(std::string("Z=ab\0cd", 7))));
    std::string key(70, 'k'); // cut to 63 characters
    append(chunks, chunk("ATTR", bytes(key + "=value")));
    append(chunks, chunk("ATTR", "K=1")); // a repeated key keeps both; the first is found
    append(chunks, chunk("ATTR", "K=2"));
    LogCapture log;
    MapData* map = with_chunks(chunks);
    EXPECT_EQ(attr(map, "NAME"), "Big map");
    EXPECT_EQ(attr(map, "A"), "B=C");
    EXPECT_EQ(attr(map, ""), "x");
    EXPECT_EQ(attr(map, "NOVALUE"), "<none>");
    EXPECT_EQ(attr(map, "Z"), "ab");
    EXPECT_EQ(attr(map, key.substr(0, 63).c_str()), "value");
    EXPECT_EQ(attr(map, "k"), "1");
    EXPECT_EQ(map->attributes->count, 7);
    EXPECT_TRUE(contains(log.text(), "D found ATTR: NAME=Big map\n"));
    EXPECT_TRUE(contains(log.text(), "D found ATTR: A=B=C\n"));
    EXPECT_EQ(map->kept_chunks->count, 0);
    mapdata_free(map);
}

TEST(ChunkHandler, HandledTypesAreConsumedOthersKept) {
    Bytes chunks;
    append(chunks, chunk("TSET", "ignored"));
    append(chunks, chunk("XTRA", "kept data"));
    append(chunks, chunk("attr", "lowercase=kept"));
    // A key without "=" makes nothing; its scan must not run into the next chunk.
    append(chunks, chunk("ATTR", "abc"));
    append(chunks, chunk("DCID", "=oops"));
    MapData* map = with_chunks(chunks);
    EXPECT_EQ(map->attributes, nullptr);
    ASSERT_NE(map->kept_chunks, nullptr);
    EXPECT_EQ(map->kept_chunks->count, 3);
    EXPECT_EQ(hash_get(map->kept_chunks, "TSET"), nullptr);
    auto* xtra = static_cast<uint8_t*>(hash_get(map->kept_chunks, "XTRA"));
    ASSERT_NE(xtra, nullptr);
    EXPECT_EQ(elvl_chunk_length(xtra), 9u);
    EXPECT_EQ(std::memcmp(xtra, "XTRA", 4), 0);
    mapdata_free(map);
}

TEST(ChunkHandler, ChunksBeforeAStopAreStillHandled) {
    Bytes chunks;
    append(chunks, chunk("ATTR", "A=1"));
    append(chunks, chunk("XTRA", bytes(std::string(131073, 'x'))));
    LogCapture log;
    MapData* map = with_chunks(chunks);
    EXPECT_TRUE(contains(log.text(), "W <mapdata> error in lvl while reading metadata chunks\n"));
    EXPECT_EQ(attr(map, "A"), "1");
    EXPECT_EQ(map->kept_chunks->count, 0);
    mapdata_free(map);
}

} // namespace
