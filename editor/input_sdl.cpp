// input_sdl.cpp - translates SDL 1.2 events into InputEvent records, keeping for each the
// modifiers and pointer position it came with.
#include "editor/input_sdl.h"

#include <SDL.h>

namespace {

// The modifier bit a modifier key's own press adds: SDL 1.2 stamps a press with the state
// before it, a release with the state after it.
int32_t modifier_of(SDLKey key) {
    switch (key) {
    case SDLK_LSHIFT:
        return KMOD_LSHIFT;
    case SDLK_RSHIFT:
        return KMOD_RSHIFT;
    case SDLK_LCTRL:
        return KMOD_LCTRL;
    case SDLK_RCTRL:
        return KMOD_RCTRL;
    case SDLK_LALT:
        return KMOD_LALT;
    case SDLK_RALT:
        return KMOD_RALT;
    default:
        return 0;
    }
}

} // namespace

void input_sdl_start() {
    SDL_EnableUNICODE(1);
}

InputReader input_sdl_reader() {
    return {static_cast<int32_t>(SDL_GetModState())};
}

bool input_sdl_next(InputReader& reader, InputEvent* out) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        InputEvent e;
        switch (event.type) {
        case SDL_QUIT:
            e.kind = InputKind::Quit;
            break;
        case SDL_VIDEORESIZE:
            e.kind = InputKind::Resize;
            e.x = event.resize.w;
            e.y = event.resize.h;
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const bool down = event.type == SDL_KEYDOWN;
            reader.modifiers = static_cast<int32_t>(event.key.keysym.mod);
            if (down) reader.modifiers |= modifier_of(event.key.keysym.sym);
            e.kind = down ? InputKind::KeyDown : InputKind::KeyUp;
            e.key = static_cast<int32_t>(event.key.keysym.sym);
            e.text = down ? event.key.keysym.unicode : 0;
            // The key itself is read with the modifiers held when it went down.
            e.modifiers = static_cast<int32_t>(event.key.keysym.mod);
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            e.kind =
                event.type == SDL_MOUSEBUTTONDOWN ? InputKind::ButtonDown : InputKind::ButtonUp;
            e.button = event.button.button;
            e.x = event.button.x;
            e.y = event.button.y;
            e.modifiers = reader.modifiers;
            break;
        case SDL_MOUSEMOTION:
            e.kind = InputKind::Motion;
            e.x = event.motion.x;
            e.y = event.motion.y;
            e.modifiers = reader.modifiers;
            break;
        default:
            continue;
        }
        *out = e;
        return true;
    }
    return false;
}

InputState input_sdl_state() {
    int x = 0, y = 0;
    // The wheel's buttons 4 and 5 are events only, never held.
    const uint32_t buttons = SDL_GetMouseState(&x, &y) & 7u;
    return {x, y, buttons, static_cast<int32_t>(SDL_GetModState())};
}
