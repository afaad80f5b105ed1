#include "engine/screen.h"

void Screen::count_frame(unsigned int ms) {
    frame_times[frame_index] = ms;
    frame_index = (frame_index + 1) % frame_times.size();
}

float Screen::fps() const {
    uint32_t sum = 0;
    for (const uint32_t ms : frame_times) sum += ms;
    // With no time counted this is +infinity, which is what a frame of no time means.
    return 30000.0f / static_cast<float>(sum);
}
