// Every test program starts here: SDL must never reach for a real display or sound card.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // Pinned, not defaulted: with neither variable set SDL picks an offscreen OpenGL driver
    // whose blending rounds differently from the software renderer the pixel tests expect.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
