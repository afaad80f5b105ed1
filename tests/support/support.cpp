#include "tests/support/support.h"

#include <cstdlib>
#include <string>

namespace test {

std::unique_ptr<Graphics> make_graphics(int width, int height) {
    if ((SDL_WasInit(SDL_INIT_VIDEO) & SDL_INIT_VIDEO) == 0) SDL_InitSubSystem(SDL_INIT_VIDEO);
    Graphics::Config config;
    config.fullscreen = false;
    config.accelerated = false;
    config.vsync = false;
    config.title = "test";
    config.width = width;
    config.height = height;
    return std::make_unique<Graphics>(config);
}

uint32_t read_pixel(Graphics& graphics, int x, int y) {
    uint32_t pixel = 0;
    const SDL_Rect rect{x, y, 1, 1};
    SDL_RenderReadPixels(graphics.renderer, &rect, SDL_PIXELFORMAT_RGBA8888, &pixel,
                         sizeof pixel);
    return pixel;
}

TempContentDir::TempContentDir() : previous(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "burrowgale-XXXXXX").string();
    root = mkdtemp(pattern.data());
    std::filesystem::create_directories(root / "content");
    std::filesystem::current_path(root);
}

TempContentDir::~TempContentDir() {
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
    std::filesystem::remove_all(root, ignored);
}

}  // namespace test
