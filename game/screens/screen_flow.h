// Which screen follows which: the title leads to a game or to the options, both lead back to
// the title. Kept here so that no screen needs to know the others. Owned by main; every
// screen it makes holds a reference to it.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/background_writer.h"
#include "game/profile/profile.h"

class Game;
class Screen;

class ScreenFlow {
public:
    // `game` lets the options screen apply bindings and the window mode at once; without one
    // (tests, tools) those changes are only stored.
    explicit ScreenFlow(Profile& profile, std::optional<uint32_t> seed = {}, Game* game = nullptr);

    // Each newly allocated; the caller owns it. Each waits for the files of a finished game to
    // be written first, so that the new screen reads the profile alone.
    Screen* title();
    Screen* play();  // in `seed`, else in a fresh world
    Screen* options();

    // The settings' bindings into the game's input, their window mode onto its window.
    void apply_bindings() const;
    void apply_fullscreen() const;
    // Where a finished game's files are written: the game's writer, else one of the flow's own
    // (tools and tests, which have no Game).
    BackgroundWriter& writer();

    Profile& profile;
    std::optional<uint32_t> seed;  // the world of every game of this run (--seed)
    Game* game;

private:
    BackgroundWriter own_writer;
};
