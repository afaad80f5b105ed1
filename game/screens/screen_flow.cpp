#include "game/screens/screen_flow.h"

#include <memory>
#include <utility>

#include "engine/game.h"
#include "engine/util.h"
#include "game/screens/game_screen.h"
#include "game/screens/one_switch.h"
#include "game/screens/options_screen.h"
#include "game/screens/title_screen.h"
#include "game/world/replay.h"

// The step the loop caps and the step a recording may hold are the same figure.
static_assert(Game::kLongestStep == Replay::kMaxStepMs);

ScreenFlow::ScreenFlow(Profile& profile_, std::optional<uint32_t> seed_, Game* game_)
    : profile(profile_), seed(seed_), game(game_), daily_runs(profile_) {
    daily_runs.load();
    use_http(Http::make());
    if (game == nullptr) return;
    apply_switch_mode();
    game->fullscreen_switched = [this](bool on) {
        // A finished game's files may still be being written from the profile.
        writer().flush();
        profile.settings.fullscreen = on;
        profile.save_settings();
    };
}

ScreenFlow::~ScreenFlow() {
    if (game != nullptr) game->fullscreen_switched = nullptr;
    // The client's answers post to the writer and use the daily runs: it goes first, and what
    // it posted is written before the runs go.
    writer().flush();
    daily_client.reset();
    writer().flush();
}

void ScreenFlow::use_http(std::unique_ptr<Http> http) {
    daily_client.reset();
    daily_client = std::make_unique<DailyClient>(profile, daily_runs, writer(), std::move(http));
}

int64_t ScreenFlow::now_seconds() const {
    const int64_t ms = profile.now_ms();
    return ms / 1000 - (ms % 1000 < 0 ? 1 : 0);
}

daily::Date ScreenFlow::today() const { return daily::date_at(now_seconds()); }

std::string ScreenFlow::content() const {
    return game != nullptr ? game->config.graphics.content : Graphics::Config().content;
}

Screen* ScreenFlow::title() {
    writer().flush();
    // Runs that waited for a network go once a run, when the title first shows.
    if (!sent_due) {
        sent_due = true;
        daily_client->send_due(now_seconds());
    }
    daily_client->fetch_board(today());
    apply_switch_mode();
    return new TitleScreen(*this);
}

Screen* ScreenFlow::daily() {
    writer().flush();
    const daily::Date date = today();  // a run counts for the day it started on
    auto* screen = new GameScreen(daily::seed_of(date), this);
    auto game_of_day = std::make_shared<GameScreen::Daily>();
    game_of_day->date = date;
    screen->daily = game_of_day;
    // The try is used as the game starts, so that leaving or crashing mid-game still counts.
    // An assisted game uses it too, as it shows the day's world, but is never the ranked run:
    // it is not ranked with unassisted ones, and the day's line is left as a game not finished.
    const bool assisted = screen->world.assists.any();
    writer().post([this, game_of_day, assisted] {
        game_of_day->ranked = daily_runs.claim(game_of_day->date) && !assisted;
        game_of_day->known = true;
    });
    return screen;
}

Screen* ScreenFlow::play() {
    writer().flush();
    return new GameScreen(seed ? *seed : Util::random_seed(), this);
}

Screen* ScreenFlow::options() {
    writer().flush();
    apply_switch_mode();
    auto options = std::make_unique<OptionsScreen>(*this);
    if (!profile.settings.one_switch) return options.release();
    return new SwitchedMenu(std::move(options), *this);
}

void ScreenFlow::apply_switch_mode() const {
    if (game != nullptr) game->fullscreen_button = !profile.settings.one_switch;
}

BackgroundWriter& ScreenFlow::writer() { return game != nullptr ? game->writer : own_writer; }

void ScreenFlow::apply_bindings() const {
    if (game != nullptr) profile.settings.apply_bindings(game->input);
}

void ScreenFlow::apply_leaderboard() {
    const Settings& s = profile.settings;
    if (daily_client->configure(s.leaderboard_url, s.player_name)) sent_due = false;
}

void ScreenFlow::set_typing(bool on) const {
    if (game == nullptr) return;
    if (on) {
        game->input.begin_editing();
    } else {
        game->input.end_editing();
    }
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
