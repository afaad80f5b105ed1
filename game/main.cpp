#include "engine/game.h"
#include "game/title_screen.h"

int main() {
    Game::Config config;
    config.graphics.title = "Burrowgale";
    config.graphics.fullscreen = false;
    config.graphics.scale = 1;
    config.graphics.width = 1280;
    config.graphics.height = 720;

    Game game(config);
    // Game::loop has already said why when there was no window to play in.
    return game.loop(new TitleScreen()) ? 0 : 1;
}
