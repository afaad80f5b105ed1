// The options, over the title picture: a main page (sound levels, the window, the pages of the
// controls, the assists, the comfort options and the daily dig, reset), each page with its
// own "Back". Usable with the keyboard alone, a controller alone and one switch; drawn at the
// player's UI scale. Every change applies at once; the settings are saved when the player
// leaves.
#pragma once

#include <optional>
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
    enum class Page : int { Main = 0, Controls, Assists, Comfort, Daily };
    static constexpr int kPages = 5;
    // Every entry of every page but the controls' actions.
    enum class Entry : int {
        Music = 0,
        Effects,
        Fullscreen,
        Controls,
        Assists,
        Comfort,
        Daily,
        Reset,
        Speed,
        OneSwitch,
        SwitchPeriod,
        Shake,
        Flashing,
        UiScale,
        Server,
        Name,
        Back,
    };
    // The entries of a page, in their order on the screen; the controls page lists its actions
    // before its Back.
    static const std::vector<Entry>& entries_of(Page which);

    explicit OptionsScreen(ScreenFlow& flow);
    ~OptionsScreen() override;  // ends a text entry still open

    // Up and Down choose (round from the last entry to the first in one-switch play), Left and
    // Right change a value, Start or a face button selects an entry or steps its value up
    // (round from the greatest to the least), Escape or Select goes back a page. While waiting
    // for a new key, the next key or controller button pressed is taken, except Escape, which
    // cancels. In a text entry the keys type; Return (or Start) confirms a value the settings
    // accept, Escape (or Select) cancels.
    bool update(const Input& input, Audio& audio, unsigned int elapsed) override;
    void draw(Graphics& graphics) const override;
    Screen* next_screen() const override;  // the title
    std::string get_music_track() const override { return Sounds::kTitleMusic; }

    // The entry texts, the prompts and the text's scale from the current settings; the cursors
    // stay where they are.
    void refresh();

    Menu& menu_of(Page which) { return menus[static_cast<int>(which)]; }
    const Menu& menu_of(Page which) const { return menus[static_cast<int>(which)]; }
    // The text of an entry as its page shows it.
    const std::string& row(Entry entry) const;

    ScreenFlow& flow;
    Backdrop background;
    Text text;
    std::vector<Menu> menus;  // one per page, in the order of Page
    Page page = Page::Main;
    Input::Button waiting = Input::Button::None;  // the action waiting for its new key
    std::optional<Entry> editing;                 // the server or the name, while typed
    std::string draft;                            // what is typed so far
    std::string refusal;  // why the settings refused the draft, while it is being fixed
    // The keys or the controller's buttons as bound, for the device used last:
    // "Return: select    Escape: save and leave".
    Input::Device prompts_for = Input::Device::Keys;
    std::string main_prompt;
    std::string page_prompt;  // the other pages
    std::string controls_prompt;
    std::string waiting_prompt;
    std::string editing_prompt;
    std::string moves_prompt;  // how to move and change, over the prompt
    std::string editing_hint;  // how to erase and paste

private:
    // Where things go on the 1280 by 720 canvas at the current scale.
    struct Layout {
        int left, top, right, bottom;  // the dark panel
        int menu_x;                    // the cursor; the entries start two glyphs right of it
        int heading_y, header_y, rows_y, hint_y, prompt_y;
        int columns;  // characters an entry may take
        int label;    // characters of an entry's label column, and of the controls' keys
        int keys;
        int width;  // characters a centred line may take
    };
    Layout layout() const;

    void change(Entry entry, int step, bool round, Audio& audio);
    void choose(Entry entry, Audio& audio);
    void reset(Audio& audio);
    void update_controls(const Input& input);
    void update_entry(const Input& input);
    void end_entry();
    bool leave();  // saves; false ends the screen
};
