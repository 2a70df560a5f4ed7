// make_assets.cpp - writes the editor's graphics/ folder into the folder given on the command
// line (the folder the editor runs in).
#include <cstdio>
#include <string>

#include "assets.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <run folder>\n", argv[0]);
        return 2;
    }
    const std::string run = argv[1];
    const std::string graphics = run + "/graphics/";
    bool ok = image_write_bmp(make_font_sheet(), graphics + "shrtfont.bm2");
    for (int object = 0; object < 5; ++object)
        ok = image_write_bmp(make_sprite_sheet(object),
                             graphics + "over" + std::to_string(object + 1) + ".bm2") &&
             ok;
    ok = image_write_bmp(make_region_highlight(), graphics + "purple.bmp") && ok;
    ok = image_write_bmp(make_extra_tiles(), graphics + "extratiles.bmp") && ok;
    ok = image_write_bmp(make_tileset(), graphics + "tiles.bm2") && ok;
    if (!ok) {
        std::fprintf(stderr, "make_assets: could not write into %s\n", run.c_str());
        return 1;
    }
    return 0;
}
