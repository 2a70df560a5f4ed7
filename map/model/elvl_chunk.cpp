// elvl_chunk.cpp - releasing and writing out kept chunk copies.
#include "map/model/elvl_chunk.h"

void elvl_free_chunks(HashTable* table) {
    if (!table) return;
    hash_filter(table, hash_free_value, nullptr);
    hash_free(table);
}

void elvl_append_chunk(std::vector<uint8_t>* out, const char* type, const uint8_t* data,
                       uint32_t length) {
    const uint8_t header[8] = {
        static_cast<uint8_t>(type[0]),      static_cast<uint8_t>(type[1]),
        static_cast<uint8_t>(type[2]),      static_cast<uint8_t>(type[3]),
        static_cast<uint8_t>(length),       static_cast<uint8_t>(length >> 8),
        static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
    out->insert(out->end(), header, header + 8);
    if (length) out->insert(out->end(), data, data + length);
    out->resize(out->size() + (4 - length % 4) % 4, 0);
}

void elvl_append_copy(std::vector<uint8_t>* out, const void* copy) {
    elvl_append_chunk(out, static_cast<const char*>(copy), elvl_chunk_data(copy),
                      elvl_chunk_length(copy));
}
