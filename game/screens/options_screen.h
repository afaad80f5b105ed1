// The options: sound levels, the window, the screen shake and the controls, over the title
// picture. Usable with the keyboard alone and with a controller alone. Every change applies at
// once; the settings are saved when the player leaves.
#pragma once

#include <string>
#include <vector>

#include "engine/backdrop.h"
#include "engine/input.h"
#include "engine/menu.h"
#include "engine/screen.h"
#include "engine/text.h"
#include "game/screens/sounds.h"

class ScreenFlow;

class OptionsScreen : public Screen {
public:
    enum class Page : int { Main = 0, Controls = 1 };
    // The entries of the main page, in their order on the screen.
    enum class Entry : int { Music = 0, Effects, Fullscreen, Shake, Controls, Reset, Back };

    explicit OptionsScreen(ScreenFlow& flow);
    ~OptionsScreen() override = default;

    // Up and Down choose, Left and Right change a value, Start or a face button selects,
    // Escape or Select goes back a page. While waiting for a new key, the next key or controller
    // button pressed is taken, except Escape, which cancels.
    bool update(const Input& input, Audio& audio, unsigned int elapsed) override;
    void draw(Graphics& graphics) const override;
    Screen* next_screen() const override;  // the title
    std::string get_music_track() const override { return Sounds::kTitleMusic; }

    // The entry texts and the prompts from the current settings; the cursors stay where they
    // are.
    void refresh();

    ScreenFlow& flow;
    Backdrop background;
    Text text;
    Menu menu;      // the main page
    Menu controls;  // one entry per action, then "Back"
    Page page = Page::Main;
    Input::Button waiting = Input::Button::None;  // the action waiting for its new key
    // The keys or the controller's buttons as bound, for the device used last:
    // "Return: select    Escape: save and leave".
    Input::Device prompts_for = Input::Device::Keys;
    std::string moves_prompt;  // "Up, Down: choose    Left, Right: change"
    std::string main_prompt;
    std::string controls_prompt;
    std::string waiting_prompt;

private:
    void change(Entry entry, int step, Audio& audio);
    void choose(Entry entry, Audio& audio);
    void update_controls(const Input& input);
    bool leave();  // saves; false ends the screen
};
