#include "game/screens/screen_flow.h"

#include "engine/game.h"
#include "engine/util.h"
#include "game/screens/game_screen.h"
#include "game/screens/options_screen.h"
#include "game/screens/title_screen.h"
#include "game/world/replay.h"

// The step the loop caps and the step a recording may hold are the same figure.
static_assert(Game::kLongestStep == Replay::kMaxStepMs);

ScreenFlow::ScreenFlow(Profile& profile_, std::optional<uint32_t> seed_, Game* game_)
    : profile(profile_), seed(seed_), game(game_) {}

Screen* ScreenFlow::title() {
    writer().flush();
    return new TitleScreen(*this);
}

Screen* ScreenFlow::play() {
    writer().flush();
    return new GameScreen(seed ? *seed : Util::random_seed(), this);
}

Screen* ScreenFlow::options() {
    writer().flush();
    return new OptionsScreen(*this);
}

BackgroundWriter& ScreenFlow::writer() { return game != nullptr ? game->writer : own_writer; }

void ScreenFlow::apply_bindings() const {
    if (game != nullptr) profile.settings.apply_bindings(game->input);
}

void ScreenFlow::apply_fullscreen() const {
    if (game == nullptr || game->graphics == nullptr) return;
    if (game->graphics->config.fullscreen != profile.settings.fullscreen) {
        game->graphics->toggle_fullscreen();
    }
}
