// png_writer.cpp - the PNG writer over libpng: a temporary file beside the target, rows as they
// come, then rename, so a failed render never leaves half a picture under the name.
#include "cli/png_writer.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

struct PngWriter {
    png_structp png;
    png_infop info;
    FILE* file;
    std::string path, temp;
    bool failed;
    char message[160];
};

namespace {

// The file is not synced: a picture can be made again, and the rename alone keeps a failed
// render from leaving half a picture under the name.
// libpng reports errors through a callback that must not return: back to the caller's setjmp.
void on_error(png_structp png, png_const_charp message) {
    auto* writer = static_cast<PngWriter*>(png_get_error_ptr(png));
    std::snprintf(writer->message, sizeof writer->message, "%s", message);
    png_longjmp(png, 1);
}

void on_warning(png_structp, png_const_charp) {}

void discard(PngWriter* writer) {
    if (writer->png) png_destroy_write_struct(&writer->png, &writer->info);
    if (writer->file) std::fclose(writer->file);
    if (!writer->temp.empty()) ::unlink(writer->temp.c_str());
    delete writer;
}

// Runs the libpng calls of one step; false when libpng gave up. Kept free of C++ objects, as
// the error path jumps over its frame.
bool write_header(PngWriter* w, uint32_t width, uint32_t height) {
    if (setjmp(png_jmpbuf(w->png))) return false;
    png_init_io(w->png, w->file);
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
    w->path = path;
    w->temp = w->path + ".tmpXXXXXX";
    int fd = ::mkstemp(w->temp.data());
    if (fd < 0) {
        *error = std::strerror(errno);
        w->temp.clear();
        discard(w);
        return nullptr;
    }
    // mkstemp makes the file private; a picture gets the mode any new file would get.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    w->file = ::fdopen(fd, "wb");
    w->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, w, on_error, on_warning);
    w->info = w->png ? png_create_info_struct(w->png) : nullptr;
    if (!w->file || !w->png || !w->info || !write_header(w, width, height)) {
        *error = w->message[0] ? w->message : "cannot start the PNG file";
        if (!w->file) ::close(fd);
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
    bool ok = !png->failed && write_end(png);
    ok = ok && std::fflush(png->file) == 0;
    int closed = std::fclose(png->file);
    png->file = nullptr;
    ok = ok && closed == 0 && std::rename(png->temp.c_str(), png->path.c_str()) == 0;
    if (!ok) {
        *error = png->message[0] ? png->message : std::strerror(errno ? errno : EIO);
        discard(png);
        return false;
    }
    png->temp.clear();
    discard(png);
    return true;
}
