// png_writer.cpp - the PNG writer over libpng: rows as they come into the one safe save, so a
// failed render never leaves half a picture under the name (or anything else behind).
#include "cli/png_writer.h"
#include "core/platform.h"
#include "core/safe_save.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    SafeSave save;
    std::vector<uint8_t> buffer; // libpng hands over small pieces: write in larger ones
    bool failed = false;
    char message[160] = {};
};

namespace {

// The file is not synced: a picture can be made again, and the rename alone keeps a failed
// render from leaving half a picture under the name.
constexpr SafeSaveOptions kPictureSave{false, false, true};
constexpr size_t kBufferBytes = 1 << 16;

bool flush_buffer(PngWriter* w) {
    int error = safe_save_write(&w->save, w->buffer);
    w->buffer.clear();
    return error == 0;
}

void on_write(png_structp png, png_bytep data, png_size_t length) {
    auto* w = static_cast<PngWriter*>(png_get_io_ptr(png));
    w->buffer.insert(w->buffer.end(), data, data + length);
    if (w->buffer.size() >= kBufferBytes && !flush_buffer(w)) {
        png_error(png, file_error_text(w->save.error));
    }
}

void on_flush(png_structp) {}

// libpng reports errors through a callback that must not return: back to the caller's setjmp.
void on_error(png_structp png, png_const_charp message) {
    auto* writer = static_cast<PngWriter*>(png_get_error_ptr(png));
    std::snprintf(writer->message, sizeof writer->message, "%s", message);
    png_longjmp(png, 1);
}

void on_warning(png_structp, png_const_charp) {}

// The save's own destructor drops an unfinished file.
void discard(PngWriter* writer) {
    if (writer->png) png_destroy_write_struct(&writer->png, &writer->info);
    delete writer;
}

// Runs the libpng calls of one step; false when libpng gave up. Kept free of C++ objects, as
// the error path jumps over its frame.
bool write_header(PngWriter* w, uint32_t width, uint32_t height) {
    if (setjmp(png_jmpbuf(w->png))) return false;
    png_set_write_fn(w->png, w, on_write, on_flush);
    // A full-size map is 805 MB of pixels: the fastest level with the cheap "sub" filter takes
    // half the time of the default for a file about a tenth larger.
    png_set_compression_level(w->png, 1);
    png_set_filter(w->png, 0, PNG_FILTER_SUB);
    png_set_IHDR(w->png, w->info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(w->png, w->info);
    return true;
}

bool write_rows(PngWriter* w, const uint8_t* rgb, uint32_t rows, size_t pitch) {
    if (setjmp(png_jmpbuf(w->png))) return false;
    for (uint32_t i = 0; i < rows; ++i)
        png_write_row(w->png, rgb + i * pitch);
    return true;
}

bool write_end(PngWriter* w) {
    if (setjmp(png_jmpbuf(w->png))) return false;
    png_write_end(w->png, nullptr);
    return true;
}

} // namespace

PngWriter* png_writer_open(const char* path, uint32_t width, uint32_t height, std::string* error) {
    auto* w = new PngWriter{};
    if (int reason = safe_save_open(&w->save, path, kPictureSave)) {
        *error = file_error_text(reason);
        discard(w);
        return nullptr;
    }
    w->buffer.reserve(kBufferBytes + 8192);
    w->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, w, on_error, on_warning);
    w->info = w->png ? png_create_info_struct(w->png) : nullptr;
    if (!w->png || !w->info || !write_header(w, width, height)) {
        *error = w->message[0] ? w->message : "cannot start the PNG file";
        discard(w);
        return nullptr;
    }
    return w;
}

bool png_writer_rows(PngWriter* png, const uint8_t* rgb, uint32_t rows, size_t pitch) {
    if (!png->failed && !write_rows(png, rgb, rows, pitch)) png->failed = true;
    return !png->failed;
}

bool png_writer_close(PngWriter* png, std::string* error) {
    bool ok = !png->failed && write_end(png) && flush_buffer(png);
    ok = ok && safe_save_commit(&png->save) == 0;
    if (!ok) {
        *error = png->message[0] ? png->message
                                 : file_error_text(png->save.error ? png->save.error : EIO);
    }
    discard(png);
    return ok;
}
