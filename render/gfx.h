// gfx.h - the window, off-screen surfaces, bitmaps, tileset fall-backs and frame presentation.
#pragma once
#include <cstdint>

struct SDL_Surface;
struct MapData;

// Records the window size and depth for the later gfx_init (meaningful only before it).
void gfx_set_video_size(int width, int height, int depth);
// Starts SDL video, opens the window, loads the bitmaps and makes the map buffer.
// Ends the process with status 1 when SDL or the window cannot be started.
void gfx_init();
// Re-opens the window at a new size and remakes the map buffer (on a resize event).
void gfx_set_video_mode(int width, int height);
// Frees every surface this subsystem made and quits SDL.
void gfx_shutdown();

// A software RGB surface (red 0xFF, green 0xFF00, blue 0xFF0000, no alpha), or null.
SDL_Surface* gfx_create_surface(int width, int height, int depth);
// The display-format copy (the argument is freed), or the argument when conversion fails.
SDL_Surface* gfx_convert_surface(SDL_Surface* surface);
// 0 when the map has a tileset surface on return; 1 (logged) when not even the built-in
// picture can be made.
int gfx_ensure_tileset(const MapData* map);
// The map's tileset picture in the screen's format (the built-in one when its bytes cannot be
// decoded); null only when nothing can be.
SDL_Surface* gfx_tileset(const MapData* map);

// Ends a frame: frame-rate figure (when shown), animation clock, flip.
void gfx_present();
// Shows or hides the labelled frame-rate figure ("fps 33") at the top edge; hidden at first.
void gfx_show_frame_rate(bool shown);

// Marks the cached map view stale so that the next gfx_draw_map redraws it.
void gfx_invalidate_view();

// The window's surface; null before gfx_init and after gfx_shutdown.
SDL_Surface* gfx_screen();
