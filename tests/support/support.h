// Helpers shared by the test programs.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/graphics.h"
#include "game/world/map.h"

namespace test {

// A window-backed software Graphics at scale 1, so that read-back pixels are exact.
// Initialises SDL video on first use.
std::unique_ptr<Graphics> make_graphics(int width = 1280, int height = 720);

// The first tile of the given kind, scanning rows downwards from the sky line (r = 13) through
// a band of columns; a test failure when none is found.
GridPoint find_tile(const Map& map, Map::TileType kind);

// The pixel at (x, y) of the current canvas as 0xRRGGBBAA.
uint32_t read_pixel(Graphics& graphics, int x, int y);

// The whole canvas, row by row, as 0xRRGGBBAA.
std::vector<uint32_t> read_canvas(Graphics& graphics);

// Rumble calls a virtual controller received, and the last motor speeds.
struct Motors {
    int calls = 0;
    Uint16 low = 0;
    Uint16 high = 0;
};

// Attaches a virtual game controller whose rumble calls go to `motors`; returns its device
// index, negative when SDL refused. A USB vendor and product make SDL take it for that model.
int attach_pad(Motors& motors, Uint16 vendor = 0, Uint16 product = 0);

// Makes a fresh temporary directory with an empty content/ inside and makes it the working
// directory for the object's lifetime; the previous working directory is restored after.
class TempContentDir {
public:
    TempContentDir();
    ~TempContentDir();
    std::filesystem::path content() const { return root / "content"; }

    std::filesystem::path root;
    std::filesystem::path previous;
};

// A fresh empty folder under the system's temporary one, removed with its contents after.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::filesystem::path path;
};

// Pushes SDL's event of a key going down or up, as the player's keyboard makes it.
void push_key(SDL_Scancode key, bool down, bool repeat = false);

// The whole of a file, or "" when it cannot be read.
std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, const std::string& contents);

}  // namespace test
