// golden.h - whole-frame comparison with stored images in tests/golden/.
#pragma once
#include <string>

struct SDL_Surface;

// Compares the surface with tests/golden/<name>.png. Empty on a match; otherwise the count of
// differing pixels and where the actual frame and a diff image were written (the build's
// golden-diff/ folder). With OSTREL_GOLDEN_UPDATE=1 the stored image is rewritten instead.
std::string golden_check(SDL_Surface* frame, const std::string& name);
