// attributes.h - adding and removing a map's key=value attributes (keys match ignoring case).
#pragma once
#include <memory>

struct MapData;
struct HashTable;

// What a save from this program stores under the "PROGRAM" attribute.
inline constexpr const char* kProgramAttribute = "PROGRAM";
inline constexpr const char* kProgramAttributeValue = "ostrel 0.2.4";


struct HashTableFree {
    void operator()(HashTable* table) const;
};
using AttributeTable = std::unique_ptr<HashTable, HashTableFree>;

// The attributes a save writes: the map's own, with "PROGRAM" set to program when one is given,
// visited in the order the map's table would settle into. The map is not touched (a save is no
// edit), and the copy shares the map's values, so it must not outlive them.
[[nodiscard("the copy is the table to write")]] AttributeTable
attributes_for_save(const MapData& map, const char* program);
