#include <cstdio>
#include <cstring>

#include "engine/content_dir.h"
#include "engine/game.h"
#include "game/title_screen.h"
#include "game/verify.h"

int main(int argc, char** argv) {
    // A recording is checked headless: no window, no sound, not even SDL.
    if (argc == 3 && std::strcmp(argv[1], "--verify") == 0) {
        return verify_replay_file(argv[2], stdout, stderr);
    }

    Game::Config config;
    config.graphics.title = "Burrowgale";
    config.graphics.fullscreen = false;
    config.graphics.scale = 1;
    config.graphics.width = 1280;
    config.graphics.height = 720;
#ifdef __EMSCRIPTEN__
    // The page sizes the canvas to the browser window; whole-number scaling would leave most
    // of a window between one and two canvases wide black.
    config.graphics.integer_scale = false;
#else
    // Found from wherever the game was started: a build folder, the installed layout.
    const std::string content = Util::find_content_dir(BURROWGALE_INSTALLED_CONTENT);
    config.graphics.content = content;
    config.audio.content = content;
#endif

    Game game(config);
    // Game::loop has already said why when there was no window to play in.
    return game.loop(new TitleScreen()) ? 0 : 1;
}
