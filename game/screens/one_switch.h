// One-switch play: any key or controller button is the switch. A highlight steps through a
// screen's choices, one period each; a short press takes the choice that was highlighted when
// the switch went down, a long one (held kLongPressMs) is a second kind of press. Every key
// counts the same, so a player who can work one button of any kind can play the whole game.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "engine/input.h"
#include "engine/screen.h"

class ScreenFlow;

class SwitchScanner {
public:
    // A press held this long is a long press: it is told the moment the time is reached, and
    // its release does nothing, so that a long press never also counts as a short one.
    static constexpr uint32_t kLongPressMs = 1000;

    // `choices` (at least one) highlighted in turn from the first, `period_ms` each.
    SwitchScanner(int choices, int period_ms);

    // Once per frame, with the frame's input and the milliseconds since the previous frame.
    // While the switch is down the highlight stays where it was; after a press the highlight
    // gets a whole period again. Losing the window cancels a press under way.
    void update(const Input& input, unsigned int elapsed);
    // Another list of choices (a game paused or resumed): the highlight on `first` for a whole
    // period. A press under way goes on, so that its release still belongs to it.
    void restart(int choices, int first = 0);
    void set_period(int period_ms);

    // Results of the latest update.
    bool pressed() const { return short_press; }      // released before kLongPressMs
    bool long_pressed() const { return long_press; }  // has just been held kLongPressMs
    bool chosen() const { return short_press || long_press; }
    int choice() const { return taken; }  // what was highlighted as the switch went down
    int steps() const { return moved; }   // how often the highlight moved on
    int highlighted() const { return highlight; }
    bool down() const { return active; }

    // Whether any key or controller button went down in the latest input: the switch.
    static bool any_press(const Input& input);
    // What a menu written for the ordinary buttons sees in one-switch play: a Down press for
    // every step of the highlight, Start for a press of either kind, nothing else of the
    // logical buttons. Raw keys pass, so that a screen waiting for "the next key" gets one.
    Input menu_input(const Input& input) const;

private:
    int choices;
    int period;  // ms, at least 1
    int highlight = 0;
    uint32_t highlight_ms = 0;  // how long the highlight has been on its choice
    std::set<int> held;         // keys, then controller buttons after Input::kKeyCount
    bool active = false;        // the switch is down
    bool long_told = false;     // this press has been told as a long one
    uint32_t held_ms = 0;
    int taken = 0;
    bool short_press = false;
    bool long_press = false;
    int moved = 0;
};

// A menu screen driven by the switch while one-switch play is on (checked every frame, so that
// turning it off in the menu itself gives the keys back at once): the inner screen sees
// SwitchScanner::menu_input, its own cursor showing the highlight.
class SwitchedMenu : public Screen {
public:
    SwitchedMenu(std::unique_ptr<Screen> inner, ScreenFlow& flow);

    bool update(const Input& input, Audio& audio, unsigned int elapsed) override;
    void draw(Graphics& graphics) const override { inner->draw(graphics); }
    Screen* next_screen() const override { return inner->next_screen(); }
    std::string get_music_track() const override { return inner->get_music_track(); }

    std::unique_ptr<Screen> inner;
    ScreenFlow& flow;
    SwitchScanner scanner;
};
