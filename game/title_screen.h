// The first screen and the one after every game: the title picture, the best depth so far and
// a blinking prompt. Escape quits, Select opens the options, any other button starts a game.
#pragma once

#include <cstdint>
#include <string>

#include "engine/backdrop.h"
#include "engine/screen.h"
#include "engine/text.h"

class ScreenFlow;

class TitleScreen : public Screen {
public:
    static constexpr uint32_t kBlinkCycle = 844;  // ms; the prompt shows in the first half

    enum class Choice : int { Play = 0, Options = 1, Quit = 2 };

    explicit TitleScreen(ScreenFlow& flow);
    ~TitleScreen() override = default;

    bool update(const Input& input, Audio& audio, unsigned int elapsed) override;
    void draw(Graphics& graphics) const override;
    // What the player chose, as the flow makes it; null (the end of the program) for Quit.
    Screen* next_screen() const override;
    std::string get_music_track() const override { return "title.ogg"; }

    ScreenFlow& flow;
    Backdrop background;
    Text text;
    uint32_t blink_timer = 0;
    Choice choice = Choice::Play;
};
