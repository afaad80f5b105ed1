// The random draws of the rules, spelled out so that a seed gives the same game on every
// build. They reproduce, output for output, what g++ 12's standard library draws from the same
// engine, so games recorded before they existed still replay. std::mt19937 itself is fully
// pinned down by the language standard; only the distributions differ between libraries.
#pragma once

#include <random>

namespace Draws {

// Uniform in [low, high], both ends included; needs low <= high. Takes one engine output,
// rarely more (a rejected output is drawn again).
int integer(std::mt19937& rng, int low, int high);

// Uniform in [0, 1), from exactly two engine outputs: the first fills the low 32 bits.
double unit(std::mt19937& rng);

}  // namespace Draws
