#include "game/screens/screen_flow.h"

#include <utility>

#include "engine/game.h"
#include "engine/util.h"
#include "game/screens/game_screen.h"
#include "game/screens/options_screen.h"
#include "game/screens/title_screen.h"
#include "game/world/replay.h"

// The step the loop caps and the step a recording may hold are the same figure.
static_assert(Game::kLongestStep == Replay::kMaxStepMs);

ScreenFlow::ScreenFlow(Profile& profile_, std::optional<uint32_t> seed_, Game* game_)
    : profile(profile_), seed(seed_), game(game_) {
    if (game == nullptr) return;
    game->fullscreen_switched = [this](bool on) {
        // A finished game's files may still be being written from the profile.
        writer().flush();
        profile.settings.fullscreen = on;
        profile.save_settings();
    };
}

ScreenFlow::~ScreenFlow() {
    if (game != nullptr) game->fullscreen_switched = nullptr;
}

std::string ScreenFlow::content() const {
    return game != nullptr ? game->config.graphics.content : Graphics::Config().content;
}

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

bool ScreenFlow::fullscreen() const {
    if (game == nullptr || game->graphics == nullptr) return profile.settings.fullscreen;
    return game->graphics->config.fullscreen;
}

void ScreenFlow::set_fullscreen(bool on) {
    profile.settings.fullscreen = on;
    apply_fullscreen();
}
