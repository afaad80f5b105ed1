#include "engine/screen.h"

void Screen::count_frame(unsigned int ms) {
    // The index is a public member: whatever it was set to, the write stays inside the ring.
    const auto slot = static_cast<uint32_t>(frame_index % frame_times.size());
    frame_times[slot] = ms;
    frame_index = static_cast<uint32_t>((slot + 1) % frame_times.size());
}

float Screen::fps() const {
    uint32_t sum = 0;
    for (const uint32_t ms : frame_times) sum += ms;
    // With no time counted this is +infinity, which is what a frame of no time means.
    return 30000.0f / static_cast<float>(sum);
}
