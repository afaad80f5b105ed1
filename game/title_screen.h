// The first screen and the one after every game: the title picture and a blinking prompt.
#pragma once

#include <cstdint>
#include <string>

#include "engine/backdrop.h"
#include "engine/screen.h"
#include "engine/text.h"

class TitleScreen : public Screen {
public:
    static constexpr uint32_t kBlinkCycle = 844;  // ms; the prompt shows in the first half

    TitleScreen();
    ~TitleScreen() override = default;

    bool update(const Input& input, Audio& audio, unsigned int elapsed) override;
    void draw(Graphics& graphics) const override;
    Screen* next_screen() const override;  // a new GameScreen
    std::string get_music_track() const override { return "title.ogg"; }

    Backdrop background;
    Text text;
    uint32_t blink_timer = 0;
};
