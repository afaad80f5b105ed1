#include "game/title_screen.h"

#include "engine/graphics.h"
#include "engine/input.h"
#include "game/format.h"
#include "game/screen_flow.h"

TitleScreen::TitleScreen(ScreenFlow& flow_)
    : flow(flow_), background("title.png"), text("text.png", 8, 16) {}

bool TitleScreen::update(const Input& input, Audio&, unsigned int elapsed) {
    using Button = Input::Button;
    blink_timer = (blink_timer + elapsed) % kBlinkCycle;
    // Only a press made in this frame counts: a button still held from the game does not
    // start the next one. Escape and Select are never a way into a game.
    if (input.key_pressed(Button::Escape)) {
        choice = Choice::Quit;
        return false;
    }
    if (input.key_pressed(Button::Select)) {
        choice = Choice::Options;
        return false;
    }
    for (const Button b : input.pressed_buttons) {
        if (b != Button::Escape && b != Button::Select) {
            choice = Choice::Play;
            return false;
        }
    }
    return true;
}

void TitleScreen::draw(Graphics& graphics) const {
    const int width = graphics.config.width;
    const int height = graphics.config.height;
    background.draw(graphics);
    const double best = flow.profile.records.best_depth();
    if (!flow.profile.records.table.empty()) {
        text.draw(graphics, format("Best depth", best, "m"), width / 2, height - 96,
                  Text::Alignment::Center);
    }
    if (blink_timer < kBlinkCycle / 2) {
        text.draw(graphics, "Press any key", width / 2, height - 48, Text::Alignment::Center);
    }
}

Screen* TitleScreen::next_screen() const {
    switch (choice) {
        case Choice::Play:
            return flow.play();
        case Choice::Options:
            return flow.options();
        case Choice::Quit:
            break;
    }
    return nullptr;
}
