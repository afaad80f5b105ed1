// The sound effects. Each function builds one numbered variant; the variants of an effect
// share their recipe and differ in seed and tuning, so they sound related but not the same.
#pragma once

#include "synth.h"

namespace sfx {

synth::Mono cronch(int variant);  // the worm digs through rock: a knock and a spray of grit
synth::Mono yum(int variant);     // the worm eats: a gulp and a two-note chirp
synth::Mono ouch(int variant);    // the worm is bitten: a thud and a squeal
synth::Mono boom(int variant);    // a centipede arrives: a deep, distant rumble

}  // namespace sfx
