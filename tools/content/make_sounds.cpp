// Synthesises every sound effect and music track of the game into the directory it is given,
// and prints the level of each file. Usage: make_sounds OUTPUT_DIRECTORY
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>

#include "game/screens/sounds.h"
#include "sfx.h"
#include "song.h"
#include "synth.h"

namespace {

void report(const std::string& file, double seconds, const synth::Levels& levels) {
    std::printf("%-16s %6.2f s  peak %6.1f dBFS  RMS %6.1f dBFS  %6.1f LUFS  max %6.1f LUFS\n",
                file.c_str(), seconds, levels.peak_db, levels.rms_db, levels.loudness,
                levels.max_momentary);
}

// Each of the game's sounds with the recipe that makes it.
struct Effect {
    const SoundEffect& sound;
    synth::Mono (*make)(int);
};

struct Track {
    const char* file;
    song::Song (*compose)();
};

const Effect kEffects[] = {{Sounds::kCronch, sfx::cronch},
                           {Sounds::kYum, sfx::yum},
                           {Sounds::kOuch, sfx::ouch},
                           {Sounds::kBoom, sfx::boom}};
static_assert(std::size(kEffects) == std::size(Sounds::kEffects), "a recipe for every effect");

const Track kTracks[] = {{Sounds::kTitleMusic, song::title},
                         {Sounds::kPlayMusic, song::deepdiggin},
                         {Sounds::kResultsMusic, song::wormfood}};
static_assert(std::size(kTracks) == std::size(Sounds::kTracks), "a score for every track");

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: %s OUTPUT_DIRECTORY\n", argv[0]);
        return 2;
    }
    std::filesystem::path dir(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "Cannot create %s: %s\n", argv[1], error.message().c_str());
        return 1;
    }

    bool ok = true;
    uint64_t dither_seed = 1;
    for (const Effect& effect : kEffects) {
        for (int v = 0; v < effect.sound.variants; ++v) {
            const std::string file = effect.sound.file(v);
            synth::Mono sound = effect.make(v);
            ok = synth::write_wav((dir / file).string(), sound, dither_seed++) && ok;
            report(file, static_cast<double>(sound.size()) / synth::kRate, synth::measure(sound));
        }
    }

    int serial = 0x4275;  // any fixed number: a random one would change the bytes every run
    for (const Track& track : kTracks) {
        song::Song composition = track.compose();
        std::vector<std::string> mistakes = composition.errors();
        for (const std::string& mistake : mistakes) std::fprintf(stderr, "%s\n", mistake.c_str());
        if (!mistakes.empty()) {
            ok = false;
            continue;
        }
        synth::Stereo music = song::render(composition);
        ok = synth::write_ogg((dir / track.file).string(), music, 0.5f, serial++) && ok;
        report(track.file, static_cast<double>(music.frames()) / synth::kRate,
               synth::measure(music));
    }
    return ok ? 0 : 1;
}
