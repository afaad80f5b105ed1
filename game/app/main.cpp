#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "engine/content_dir.h"
#include "engine/game.h"
#include "engine/xdg.h"
#include "game/app/command_line.h"
#include "game/profile/profile.h"
#include "game/profile/replay_io.h"
#include "game/screens/replay_screen.h"
#include "game/screens/screen_flow.h"
#include "game/world/daily.h"

#ifdef __EMSCRIPTEN__
#include "engine/web.h"
#endif

#ifndef BURROWGALE_VERSION
#define BURROWGALE_VERSION "unknown"
#endif

namespace {

constexpr int kBadUsage = 2;

}  // namespace

int main(int argc, char** argv) {
    const CommandLine run = CommandLine::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (!run.error.empty()) {
        std::fprintf(stderr, "burrowgale: %s\n%s", run.error.c_str(), CommandLine::usage().c_str());
#ifdef __EMSCRIPTEN__
        // The page's address carries the options (?seed=N); the player may not see the console.
        Web::report_not_started(run.error);
#endif
        return kBadUsage;
    }
    if (run.help) {
        std::printf("%s", CommandLine::usage().c_str());
        return 0;
    }
    if (run.version) {
        std::printf("burrowgale %s\n", BURROWGALE_VERSION);
        return 0;
    }
    // A recording is checked headless: no window, no sound, not even SDL.
    if (run.verify) return verify_replay_file(*run.verify, stdout, stderr);
    if (run.daily_seed) {
        // The number alone, so that a script can take it: --seed $(burrowgale --daily-seed).
        const daily::Date date = run.daily_date.value_or(daily::date_at(system_unix_ms() / 1000));
        std::printf("%u\n", static_cast<unsigned>(daily::seed_of(date)));
        return 0;
    }

    Profile profile(Util::data_folder("burrowgale"), Util::config_folder("burrowgale"));
    if (profile.data_folder.empty() || profile.config_folder.empty()) {
        std::fprintf(stderr,
                     "burrowgale: no home folder (HOME is unset); records and settings are not "
                     "kept\n");
    }
#ifdef __EMSCRIPTEN__
    // A page's files live in memory until copied into the browser's storage: after every save,
    // and once now for a bad file the loading may have set aside.
    profile.files.after_change = [](const std::filesystem::path&) { Web::store_files(); };
    Web::store_files();
#endif
    if (run.server || run.name) {
        if (run.server) profile.settings.leaderboard_url = *run.server;
        if (run.name) profile.settings.player_name = *run.name;
        profile.save_settings();  // a failure is one line; the values still hold for this run
    }
    // A recording to play back is read before any window opens: a bad one is one line.
    Replay replay;
    if (run.replay) {
        std::string error;
        if (!load_replay(*run.replay, replay, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
#ifdef __EMSCRIPTEN__
            // A page's recording comes from a watch link; the player may not see the console.
            Web::report_not_started(error);
#endif
            return kBadUsage;
        }
    }

    Game::Config config = run.game_config(profile.settings);
#ifdef __EMSCRIPTEN__
    // The page sizes the canvas to the browser window; whole-number scaling would leave most
    // of a window between one and two canvases wide black.
    config.graphics.integer_scale = false;
    // The page carries its effects as Ogg Vorbis: a quarter of the download of the WAV files.
    config.audio.sample_extension = ".ogg";
#else
    // Found from wherever the game was started: a build folder, the installed layout.
    const std::string content = Util::find_content_dir(BURROWGALE_INSTALLED_CONTENT);
    config.graphics.content = content;
    config.audio.content = content;
#endif
    Game game(config);
    ScreenFlow flow(profile, run.seed, &game);
    flow.apply_bindings();
    Screen* first = run.replay
                        ? new ReplayScreen(std::move(replay), ReplayScreen::Mode::Replay, &flow)
                        : flow.title();
    // Game::loop has already said why when there was no window to play in.
    return game.loop(first) ? 0 : 1;
}
