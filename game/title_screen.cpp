#include "game/title_screen.h"

#include "engine/graphics.h"
#include "engine/input.h"
#include "game/game_screen.h"

TitleScreen::TitleScreen() : background("title.png"), text("text.png", 8, 16) {}

bool TitleScreen::update(const Input& input, Audio&, unsigned int elapsed) {
    blink_timer = (blink_timer + elapsed) % kBlinkCycle;
    // Only a press made in this frame counts: a button still held from the game does not
    // start the next one.
    return !input.any_pressed();
}

void TitleScreen::draw(Graphics& graphics) const {
    background.draw(graphics);
    if (blink_timer < kBlinkCycle / 2) {
        text.draw(graphics, "Press any key", graphics.config.width / 2, graphics.config.height - 48,
                  Text::Alignment::Center);
    }
}

Screen* TitleScreen::next_screen() const { return new GameScreen(); }
