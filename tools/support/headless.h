// The engine without a display or a sound card, for the tests and the tools: SDL's dummy
// drivers and the Graphics they can give.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/graphics.h"

namespace headless {

// Points SDL at its dummy video and audio drivers, whatever the environment says: no window
// appears and nothing sounds. Call before SDL is initialised.
void pin_dummy_drivers();

// pin_dummy_drivers, then SDL_Init with `subsystems` (SDL_INIT_* flags). False, with SDL's
// reason on stderr, when SDL refuses.
bool start(uint32_t subsystems);

// What the dummy driver can give: the software renderer (it has no OpenGL) and no vsync (there
// is no display to wait for). Everything else in `config` stays as it is.
void make_headless(Graphics::Config& config);

// A headless window of `width` by `height` pixels at scale 1, not fullscreen, so that pixels
// read back are exactly those drawn.
Graphics::Config graphics_config(int width, int height, const std::string& title);

// A Graphics made from graphics_config; SDL video must be up. Its ok() and error say whether
// it could be made.
std::unique_ptr<Graphics> make_graphics(int width, int height, const std::string& title);

}  // namespace headless
