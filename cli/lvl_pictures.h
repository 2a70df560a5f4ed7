// lvl_pictures.h - the pictures ostrel-lvl renders with, made for its off-screen bands.
#pragma once
#include "render/mapdraw.h"

struct SDL_PixelFormat;

// A 32-bit surface whose pixels are the bytes red, green, blue, unused.
SDL_Surface* lvl_band_surface(int width, int height);
// Fills the pictures of one size level (0: 16, 1: 8, 2: 4 pixels per tile) in the format.
void lvl_load_pictures(MapPictures* pictures, const MapData* map, const SDL_PixelFormat* format,
                       int level);
void lvl_free_pictures(MapPictures* pictures);
