// Every sound the game plays, named once: the effects with their number of numbered variants
// (Audio::play_random_sample picks one of them; the files are the name with the variant's
// number before the extension), and the music tracks. The content generator makes exactly
// these files. scripts/fault_content.sh reads the names from this file: keep each constant on a
// line of its own, as below. Plain data (no SDL) but for Sounds::play.
#pragma once

#include <string>

#include "engine/util.h"

class Audio;

struct SoundEffect {
    const char* name;
    int variants;

    std::string file(int k) const { return Util::numbered(name, k); }  // variant k, 0 first
};

namespace Sounds {

inline constexpr SoundEffect kCronch{"cronch.wav", 8};  // rock is dug
inline constexpr SoundEffect kYum{"yum.wav", 8};        // the worm eats
inline constexpr SoundEffect kOuch{"ouch.wav", 4};      // the worm is bitten
inline constexpr SoundEffect kBoom{"boom.wav", 6};      // a centipede arrives
inline constexpr SoundEffect kEffects[] = {kCronch, kYum, kOuch, kBoom};

inline constexpr const char* kTitleMusic = "title.ogg";  // the title and the options
inline constexpr const char* kPlayMusic = "deepdiggin.ogg";
inline constexpr const char* kResultsMusic = "wormfood.ogg";  // from the end of a game on
inline constexpr const char* kTracks[] = {kTitleMusic, kPlayMusic, kResultsMusic};

// One of the effect's variants, at random.
void play(Audio& audio, const SoundEffect& effect);

}  // namespace Sounds
