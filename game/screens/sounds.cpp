#include "game/screens/sounds.h"

#include "engine/audio.h"

void Sounds::play(Audio& audio, const SoundEffect& effect) {
    audio.play_random_sample(effect.name, effect.variants);
}
