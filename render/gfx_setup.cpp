// gfx_setup.cpp - SDL start-up and shut-down, the window, off-screen surfaces and bitmaps.
#include <SDL/SDL.h>

#include <cstdlib>

#include "core/log.h"
#include "core/platform.h"
#include "map/model/mapdata.h"
#include "render/gfx.h"
#include "render/gfx_state.h"
#include "render/tileset_picture.h"
#include "render/mapdraw.h"

// Told when no tileset can be loaded at all; the editor stops its loop.

static constexpr const char* kCaption = "Ostrel v0.2.4";
static constexpr const char* kProgramName = "ostrel";
static constexpr Uint32 kVideoFlags = SDL_SWSURFACE | SDL_RESIZABLE | SDL_ANYFORMAT | SDL_DOUBLEBUF;

static constexpr const char* kFontPath = "./graphics/shrtfont.bm2";
static constexpr const char* kSpritePaths[GFX_SPRITE_SHEETS] = {
    "./graphics/over1.bm2", "./graphics/over2.bm2", "./graphics/over3.bm2",
    "./graphics/over4.bm2", "./graphics/over5.bm2",
};
static constexpr const char* kHighlightPath = "./graphics/purple.bmp";
static constexpr const char* kExtraTilesPath = "./graphics/extratiles.bmp";
static constexpr const char* kTilesetCopyPath = "./graphics/last-tiles.bmp";
static constexpr const char* kTilesetPath = "./graphics/tiles.bm2";

void gfx_set_video_size(GfxState& gfx, int width, int height, int depth) {
    gfx.video_width = width;
    gfx.video_height = height;
    gfx.video_depth = depth;
    gfx.video_size_set = true;
}

SDL_Surface* gfx_screen(GfxState& gfx) {
    return gfx.screen;
}

static int version_number(const SDL_version& v) {
    return (v.major * 10 + v.minor) * 100 + v.patch;
}

// Opens the window: software surface first, then hardware; no window ends the process.
static SDL_Surface* open_video_mode(GfxState& gfx, int width, int height) {
    SDL_Surface* screen = SDL_SetVideoMode(width, height, gfx.video_depth, kVideoFlags);
    if (!screen) {
        log_msg('E', "software gfx failed. trying hardware gfx");
        screen = SDL_SetVideoMode(width, height, gfx.video_depth, kVideoFlags | SDL_HWSURFACE);
    }
    if (!screen) {
        log_msg('E', "sdl failed: %s", SDL_GetError());
        SDL_Quit();
        std::exit(1);
    }
    return screen;
}

// Bitmaps are drawn many times per frame: keep them in the display format.
static SDL_Surface* load_bitmap(const char* path) {
    SDL_Surface* loaded =
        SDL_LoadBMP_RW(SDL_RWFromFile(platform_asset_path(path).c_str(), "rb"), 1);
    if (!loaded) return nullptr;
    SDL_Surface* converted = SDL_DisplayFormat(loaded);
    if (!converted) return loaded;
    SDL_FreeSurface(loaded);
    return converted;
}

static void make_map_buffer(GfxState& gfx, int width, int height) {
    gfx.map_buffer =
        gfx_convert_surface(gfx_create_surface(width + 16, height + 16, gfx.video_depth));
}

void gfx_init(GfxState& gfx) {
    if (!gfx.video_size_set) {
        gfx.video_width = 640;
        gfx.video_height = 480;
        gfx.video_depth = 16;
    }
    // Compare the library we run with against the headers we were built with.
    SDL_version compiled;
    SDL_VERSION(&compiled);
    const SDL_version* linked = SDL_Linked_Version();
    if (linked && version_number(*linked) != version_number(compiled)) {
        log_msg('W', "SDL version mismatch (yours=%d,compiled=%d)", version_number(*linked),
                version_number(compiled));
    }
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        log_msg('E', "sdl failed: %s", SDL_GetError());
        std::exit(1);
    }
    gfx.screen = open_video_mode(gfx, gfx.video_width, gfx.video_height);
    SDL_WM_SetCaption(kCaption, nullptr);

    gfx.font = load_bitmap(kFontPath);
    for (int i = 0; i < GFX_SPRITE_SHEETS; ++i)
        gfx.sprites[i] = load_bitmap(kSpritePaths[i]);
    gfx.highlight = load_bitmap(kHighlightPath);
    if (gfx.highlight) SDL_SetAlpha(gfx.highlight, SDL_SRCALPHA, 128);
    gfx.extra_tiles = load_bitmap(kExtraTilesPath);
    // Zoom 2 and 4 draw shrunk copies of the pictures, made once here.
    for (int k = 0; k < 2; ++k) {
        for (int i = 0; i < GFX_SPRITE_SHEETS; ++i)
            gfx.sprites_small[k][i] = gfx_scale_surface(gfx.sprites[i], 2 << k);
        gfx.extra_tiles_small[k] = gfx_scale_surface(gfx.extra_tiles, 2 << k);
    }

    gfx.fps_window_end = get_ticks() + 100;
    gfx.frames_counted = 0;
    gfx.frames_shown = 0;
    gfx.anim_last_tick = 0;
    gfx.anim_counter = 0;

    make_map_buffer(gfx, gfx.video_width, gfx.video_height);

    gfx.radar_map = nullptr;
    gfx.radar = nullptr;
    gfx.view_stale = true;
}

void gfx_set_video_mode(GfxState& gfx, int width, int height) {
    gfx.screen = open_video_mode(gfx, width, height);
    if (gfx.map_buffer) SDL_FreeSurface(gfx.map_buffer);
    make_map_buffer(gfx, width, height);
    gfx.video_width = width;
    gfx.video_height = height;
    gfx.view_stale = true;
}

SDL_Surface* gfx_create_surface(int width, int height, int depth) {
    SDL_Surface* surface =
        SDL_CreateRGBSurface(0, width, height, depth, 0x000000FF, 0x0000FF00, 0x00FF0000, 0);
    if (!surface) log_msg('E', "could not allocate surface");
    return surface;
}

SDL_Surface* gfx_convert_surface(SDL_Surface* surface) {
    if (!surface) return nullptr;
    SDL_Surface* converted = SDL_DisplayFormat(surface);
    if (!converted) {
        log_msg('E', "could not convert surface");
        return surface;
    }
    SDL_FreeSurface(surface);
    return converted;
}

SDL_Surface* gfx_tileset(GfxState& gfx, const MapData* map) {
    // The tileset is blitted cell by cell on every redraw: held in the screen's format.
    return tileset_picture_get(&gfx.tileset, map, gfx.screen ? gfx.screen->format : nullptr);
}

int gfx_ensure_tileset(GfxState& gfx, const MapData* map) {
    if (!map || gfx_tileset(gfx, map)) return 0;
    // Not even the built-in picture could be made (memory ran out): the map is drawn without
    // pictures this frame, and the editor goes on, so no work is lost.
    log_msg('W', "<gfx> no tileset picture could be made for the map");
    return 1;
}

void gfx_shutdown(GfxState& gfx) {
    SDL_Surface** owned[] = {&gfx.font,        &gfx.sprites[0],      &gfx.sprites[1],
                             &gfx.sprites[2],  &gfx.sprites[3],      &gfx.sprites[4],
                             &gfx.map_buffer,  &gfx.radar,           &gfx.highlight,
                             &gfx.extra_tiles, &gfx.tinted_highlight};
    for (SDL_Surface** surface : owned) {
        if (*surface) SDL_FreeSurface(*surface);
        *surface = nullptr;
    }
    for (int k = 0; k < 2; ++k) {
        for (SDL_Surface*& sheet : gfx.sprites_small[k]) {
            if (sheet) SDL_FreeSurface(sheet);
            sheet = nullptr;
        }
        for (SDL_Surface** small : {&gfx.extra_tiles_small[k], &gfx.tileset_small[k]}) {
            if (*small) SDL_FreeSurface(*small);
            *small = nullptr;
        }
    }
    gfx.tileset_source.clear();
    tileset_picture_release(&gfx.tileset);
    gfx.radar_map = nullptr;
    gfx.screen = nullptr;
    SDL_Quit();
}
