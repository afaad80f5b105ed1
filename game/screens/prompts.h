// The names of the player's inputs in the screens' prompts, for the device used last: the keys
// as bound ("Return: resume"), or the buttons of the controller in hand as pictures that Text
// draws inline, in the look of its family.
#pragma once

#include <string>

#include "engine/input.h"
#include "game/profile/settings.h"

class Prompts {
public:
    // Reads `settings` on every call: keep it alive while this is used.
    Prompts(const Settings& settings, Input::Device device);

    // The first key or controller button bound to `action` (for a direction, its arrow key
    // while that is bound). An action no controller button does shows its key.
    std::string of(Input::Button action) const;
    // The way back: the fixed Escape key, or Select's first controller button.
    std::string back() const;
    // "key" or "button": what "Press any ..." asks for.
    std::string any() const;

    // The picture of controller button `button` for a family, or its name for a button the
    // sheet has no picture of. Keys count as a plain pad.
    static std::string pad_button(Input::Device device, int button);

    const Settings& settings;
    Input::Device device;
};
