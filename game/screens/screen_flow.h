// Which screen follows which: the title leads to a game or to the options, both lead back to
// the title. Kept here so that no screen needs to know the others. Owned by main; every
// screen it makes holds a reference to it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/background_writer.h"
#include "engine/http.h"
#include "game/profile/daily_runs.h"
#include "game/profile/profile.h"
#include "game/screens/daily_client.h"
#include "game/world/daily.h"

class Game;
class Screen;

class ScreenFlow {
public:
    // `game` lets the options screen apply bindings and the window mode at once; without one
    // (tests, tools) those changes are only stored.
    // With a game, the Fullscreen button's switch is the setting's too, saved at once.
    explicit ScreenFlow(Profile& profile, std::optional<uint32_t> seed = {}, Game* game = nullptr);
    ~ScreenFlow();
    ScreenFlow(const ScreenFlow&) = delete;  // the game's hook points at this one
    ScreenFlow& operator=(const ScreenFlow&) = delete;

    // Each newly allocated; the caller owns it. Each waits for the files of a finished game to
    // be written first, so that the new screen reads the profile alone. In one-switch play the
    // options come wrapped in a SwitchedMenu, and the Fullscreen key is left to the screens.
    Screen* title();
    Screen* play();  // in `seed`, else in a fresh world
    Screen* options();
    // Today's daily dig: ranked if it is the day's first here, else practice.
    Screen* daily();

    // The UTC day and Unix seconds by the profile's clock: the world never reads one.
    int64_t now_seconds() const;
    daily::Date today() const;
    // Replaces the leaderboard's HTTP client (tests).
    void use_http(std::unique_ptr<Http> http);

    // The folder the game's content was found in, with its slash: "content/" without a game.
    std::string content() const;

    // The settings' bindings into the game's input, their window mode onto its window.
    void apply_bindings() const;
    // The settings' leaderboard and name into the daily client. Runs that waited for a server
    // go to a newly set one when the title next shows.
    void apply_leaderboard();
    // Text entry on or off in the game's input (keys type rather than press their buttons).
    void set_typing(bool on) const;
    void apply_fullscreen() const;
    // Where a finished game's files are written: the game's writer, else one of the flow's own
    // (tools and tests, which have no Game).
    BackgroundWriter& writer();
    // The window's mode while there is one (the command line may have chosen it for this run),
    // else the setting's; setting it changes both.
    bool fullscreen() const;
    void set_fullscreen(bool on);

    Profile& profile;
    std::optional<uint32_t> seed;  // the world of every game of this run (--seed)
    Game* game;
    DailyRuns daily_runs;  // read at start; then changed on the writer only
    std::unique_ptr<DailyClient> daily_client;

private:
    // In one-switch play every key is the switch, F too: switching the window at each press
    // would take the game from a player whose one key that is. The options still switch it.
    void apply_switch_mode() const;

    BackgroundWriter own_writer;
    bool sent_due = false;  // the runs that waited have been sent this run
};
