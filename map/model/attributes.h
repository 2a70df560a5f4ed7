// attributes.h - adding and removing a map's key=value attributes (keys match ignoring case).
#pragma once

struct MapData;

// What a save from this program stores under the "PROGRAM" attribute.
inline constexpr const char* kProgramAttribute = "PROGRAM";
inline constexpr const char* kProgramAttributeValue = "ostrel 0.2.4";

// Stores value under key; the table takes the value text (allocated with mem_alloc) and
// releases a value it replaces. Does nothing when map, key or value is missing.
void mapdata_set_attribute(MapData* map, const char* key, char* value);
// Removes the attribute with that key and releases its value; 1 when one was removed.
int mapdata_remove_attribute(MapData* map, const char* key);
