#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/support/headless.h"

namespace test {

std::unique_ptr<Graphics> make_graphics(int width, int height) {
    if ((SDL_WasInit(SDL_INIT_VIDEO) & SDL_INIT_VIDEO) == 0) SDL_InitSubSystem(SDL_INIT_VIDEO);
    return headless::make_graphics(width, height, "test");
}

GridPoint find_tile(const Map& map, Map::TileType kind) {
    for (int64_t r = 13; r < 2000; ++r) {
        for (int64_t q = -r / 2; q < 60 - r / 2; ++q) {
            if (map.get_tile({q, r}) == kind) return {q, r};
        }
    }
    ADD_FAILURE() << "no tile of kind " << static_cast<int>(kind);
    return {0, 0};
}

uint32_t read_pixel(Graphics& graphics, int x, int y) {
    uint32_t pixel = 0;
    const SDL_Rect rect{x, y, 1, 1};
    SDL_RenderReadPixels(graphics.renderer, &rect, SDL_PIXELFORMAT_RGBA8888, &pixel, sizeof pixel);
    return pixel;
}

std::vector<uint32_t> read_canvas(Graphics& graphics) {
    const int w = graphics.config.width;
    const int h = graphics.config.height;
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
    SDL_RenderReadPixels(graphics.renderer, nullptr, SDL_PIXELFORMAT_RGBA8888, pixels.data(),
                         w * 4);
    return pixels;
}

namespace {

int record_rumble(void* userdata, Uint16 low, Uint16 high) {
    auto* motors = static_cast<Motors*>(userdata);
    ++motors->calls;
    motors->low = low;
    motors->high = high;
    return 0;
}

}  // namespace

int attach_pad(Motors& motors, Uint16 vendor, Uint16 product) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.vendor_id = vendor;
    desc.product_id = product;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.userdata = &motors;
    desc.Rumble = record_rumble;
    return SDL_JoystickAttachVirtualEx(&desc);
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

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "burrowgale-XXXXXX").string();
    path = mkdtemp(pattern.data());
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

void push_key(SDL_Scancode key, bool down, bool repeat) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = key;
    event.key.keysym.sym = SDL_GetKeyFromScancode(key);
    EXPECT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void write_file(const std::filesystem::path& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

}  // namespace test
