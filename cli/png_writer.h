// png_writer.h - writing an RGB picture as a PNG file a band of rows at a time, through libpng;
// the file appears under its name only once it is complete.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

struct PngWriter;

// Starts a width x height picture; null (and error set) when the file cannot be made.
PngWriter* png_writer_open(const char* path, uint32_t width, uint32_t height, std::string* error);
// Appends rows of 3 bytes per pixel, pitch bytes apart; false once anything failed.
bool png_writer_rows(PngWriter* png, const uint8_t* rgb, uint32_t rows, size_t pitch);
// Finishes the file and puts it in place; false (and error set) when that or a write failed.
// Always releases the writer.
bool png_writer_close(PngWriter* png, std::string* error);
