// Helpers shared by the test programs.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/graphics.h"
#include "game/map.h"

namespace test {

// A window-backed software Graphics at scale 1, so that read-back pixels are exact.
// Initialises SDL video on first use.
std::unique_ptr<Graphics> make_graphics(int width = 1280, int height = 720);

// The first tile of the given kind, scanning rows downwards from the sky line (r = 13) through
// a band of columns; a test failure when none is found.
GridPoint find_tile(const Map& map, Map::TileType kind);

// The pixel at (x, y) of the current canvas as 0xRRGGBBAA.
uint32_t read_pixel(Graphics& graphics, int x, int y);

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

}  // namespace test
