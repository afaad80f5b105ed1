// How the game writes a result: "Max Depth: 1.25m", "3.50cm". Shared by every screen that
// shows one.
#pragma once

#include <string>

// "label: 1.25suffix", or "1.25suffix" for an empty label; always two decimals.
std::string format(std::string label, double value, std::string suffix);
