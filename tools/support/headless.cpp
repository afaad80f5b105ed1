#include "tools/support/headless.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace headless {

void pin_dummy_drivers() {
    // Pinned, not defaulted: with neither variable set SDL picks an offscreen OpenGL driver
    // whose blending rounds differently from the software renderer the pixel tests expect.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

bool start(uint32_t subsystems) {
    pin_dummy_drivers();
    if (SDL_Init(subsystems) != 0) {
        std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

void make_headless(Graphics::Config& config) {
    config.accelerated = false;
    config.vsync = false;
}

Graphics::Config graphics_config(int width, int height, const std::string& title) {
    Graphics::Config config;
    make_headless(config);
    config.fullscreen = false;
    config.scale = 1;
    config.title = title;
    config.width = width;
    config.height = height;
    return config;
}

std::unique_ptr<Graphics> make_graphics(int width, int height, const std::string& title) {
    return std::make_unique<Graphics>(graphics_config(width, height, title));
}

}  // namespace headless
