// Sine and cosine for the rules, from IEEE + - * / alone, so that every build computes the same
// bits (the C library's sin and cos differ between builds in their last bits). Both are
// rounded correctly but for a vanishing share of arguments, which is also what the desktop C
// library does: where the rules truncate a product with them, the two agree.
#pragma once

namespace Trig {

// For |x| up to 2^20 (about a million); the rules call them with angles in [0, pi].
double sin(double x);
double cos(double x);

}  // namespace Trig
