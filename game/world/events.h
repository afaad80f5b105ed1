// What a step of the rules did that a player hears. The world reports it and the play screen
// turns it into sound, so that the rules run the same with a sound device or without one.
#pragma once

#include <vector>

enum class GameEvent {
    RockDug,    // a digger went through rock
    FoodEaten,  // the worm ate
    Bitten,     // a centipede bit the worm
    Spawned,    // a centipede appeared
    Paused,
    Resumed,
    GameOver,
};

using GameEvents = std::vector<GameEvent>;
