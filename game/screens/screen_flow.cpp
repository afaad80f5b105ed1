#include "game/screens/screen_flow.h"

#include "engine/game.h"
#include "engine/util.h"
#include "game/screens/game_screen.h"
#include "game/screens/options_screen.h"
#include "game/screens/title_screen.h"

ScreenFlow::ScreenFlow(Profile& profile_, std::optional<uint32_t> seed_, Game* game_)
    : profile(profile_), seed(seed_), game(game_) {}

Screen* ScreenFlow::title() { return new TitleScreen(*this); }

Screen* ScreenFlow::play() { return new GameScreen(seed ? *seed : Util::random_seed(), this); }

Screen* ScreenFlow::options() { return new OptionsScreen(*this); }

void ScreenFlow::apply_bindings() const {
    if (game != nullptr) profile.settings.apply_bindings(game->input);
}

void ScreenFlow::apply_fullscreen() const {
    if (game == nullptr || game->graphics == nullptr) return;
    if (game->graphics->config.fullscreen != profile.settings.fullscreen) {
        game->graphics->toggle_fullscreen();
    }
}
