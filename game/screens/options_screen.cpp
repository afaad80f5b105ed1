#include "game/screens/options_screen.h"

#include <algorithm>

#include "engine/audio.h"
#include "engine/graphics.h"
#include "engine/rect.h"
#include "game/profile/settings.h"
#include "game/screens/prompts.h"
#include "game/screens/screen_flow.h"
#include "game/screens/sounds.h"

namespace {

using Button = Input::Button;
using Entry = OptionsScreen::Entry;
using Page = OptionsScreen::Page;

// The game's logical canvas, whatever the window.
constexpr int kCanvasWidth = 1280;
constexpr int kCanvasHeight = 720;
constexpr int kMargin = 16;
// The dark panel that keeps the text readable, at scale 1: below the title lettering. Larger
// scales grow it up and out, as far as the canvas allows.
constexpr int kPanelWidth = 736;
constexpr int kPanelHeight = 440;
constexpr int kPanelBottom = 648;
constexpr unsigned int kPanelColor = 0x000000C0;
// Darker once it grows over the title lettering, which would show through the text.
constexpr unsigned int kTallPanelColor = 0x000000E8;
constexpr int kLabelWidth = 24;  // characters, at most
constexpr int kKeysWidth = 30;

constexpr Settings::Range kVolumeRange{0, Settings::kMaxVolume, 1};

const std::vector<Entry> kMainEntries = {Entry::Music,    Entry::Effects, Entry::Fullscreen,
                                         Entry::Controls, Entry::Assists, Entry::Comfort,
                                         Entry::Daily,    Entry::Reset,   Entry::Back};
const std::vector<Entry> kControlsEntries = {Entry::Back};
const std::vector<Entry> kAssistsEntries = {Entry::Speed, Entry::OneSwitch, Entry::SwitchPeriod,
                                            Entry::Back};
const std::vector<Entry> kComfortEntries = {Entry::Shake, Entry::Flashing, Entry::UiScale,
                                            Entry::Back};
const std::vector<Entry> kDailyEntries = {Entry::Server, Entry::Name, Entry::Back};

const char* label_of(Entry entry) {
    switch (entry) {
        case Entry::Music:
            return "Music volume";
        case Entry::Effects:
            return "Effects volume";
        case Entry::Fullscreen:
            return "Fullscreen";
        case Entry::Controls:
            return "Controls";
        case Entry::Assists:
            return "Assists";
        case Entry::Comfort:
            return "Comfort";
        case Entry::Daily:
            return "Daily dig";
        case Entry::Reset:
            return "Reset to defaults";
        case Entry::Speed:
            return "Game speed";
        case Entry::OneSwitch:
            return "One-switch play";
        case Entry::SwitchPeriod:
            return "Switch period";
        case Entry::Shake:
            return "Screen shake";
        case Entry::Flashing:
            return "Reduce flashing";
        case Entry::UiScale:
            return "UI scale";
        case Entry::Server:
            return "Leaderboard server";
        case Entry::Name:
            return "Player name";
        case Entry::Back:
            break;
    }
    return "Back";
}

const char* heading_of(Page page) {
    switch (page) {
        case Page::Controls:
            return "C O N T R O L S";
        case Page::Assists:
            return "A S S I S T S";
        case Page::Comfort:
            return "C O M F O R T";
        case Page::Daily:
            return "D A I L Y   D I G";
        case Page::Main:
            break;
    }
    return "O P T I O N S";
}

// At most `width` characters; a longer text loses its middle, so that both the start of an
// address and the end of a reason stay.
std::string fitted(const std::string& text, std::size_t width) {
    if (text.size() <= width) return text;
    if (width < 5) return text.substr(0, width);
    const std::size_t head = (width - 3) / 2;
    return text.substr(0, head) + "..." + text.substr(text.size() - (width - 3 - head));
}

// Cut to leave a column's last character free, then filled out to the column's width.
std::string padded(std::string text, std::size_t width) {
    if (text.size() >= width) text = text.substr(0, width - 4) + "...";
    text.resize(width, ' ');
    return text;
}

// The end of a text being typed, where the cursor is, in at most `width` characters.
std::string tail(const std::string& text, std::size_t width) {
    if (text.size() <= width) return text;
    return "..." + text.substr(text.size() - (width - 3));
}

std::string on_off(bool on) { return on ? "On" : "Off"; }

// A step up from the greatest value goes round to the least: one button reaches every value.
int stepped(int value, const Settings::Range& range, int step, bool round) {
    if (round && step > 0 && value >= range.most) return range.least;
    return range.moved(value, step);
}

std::string action_label(Button action) {
    switch (action) {
        case Button::Up:
            return "Up (menus)";
        case Button::Down:
            return "Down (menus)";
        case Button::Left:
            return "Turn left";
        case Button::Right:
            return "Turn right";
        case Button::Start:
            return "Pause and select";
        case Button::Select:
            return "Options, give up";
        case Button::Fullscreen:
            return "Fullscreen";
        default:
            break;
    }
    return "Button " + Settings::action_name(action);
}

// "A, Left": every key of an action.
std::string joined(const std::vector<int>& codes, std::string (*label)(int)) {
    std::string text;
    for (const int code : codes) text += (text.empty() ? "" : ", ") + label(code);
    return text.empty() ? "-" : text;
}

bool chosen(const Input& input) {
    return input.key_pressed(Button::Start) || input.key_pressed(Button::A) ||
           input.key_pressed(Button::B);
}

bool back(const Input& input) {
    return input.key_pressed(Button::Escape) || input.key_pressed(Button::Select);
}

bool has_key(const Input& input, int key) {
    return std::find(input.pressed_keys.begin(), input.pressed_keys.end(), key) !=
           input.pressed_keys.end();
}

// Drops the last character of UTF-8 text, however many bytes it took.
void erase_last(std::string& text) {
    while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) {
        text.pop_back();
    }
    if (!text.empty()) text.pop_back();
}

}  // namespace

const std::vector<Entry>& OptionsScreen::entries_of(Page which) {
    switch (which) {
        case Page::Controls:
            return kControlsEntries;
        case Page::Assists:
            return kAssistsEntries;
        case Page::Comfort:
            return kComfortEntries;
        case Page::Daily:
            return kDailyEntries;
        case Page::Main:
            break;
    }
    return kMainEntries;
}

OptionsScreen::OptionsScreen(ScreenFlow& flow_)
    : flow(flow_), background("title.png"), text("text.png", 8, 16) {
    for (int p = 0; p < kPages; ++p) {
        menus.emplace_back("text.png");
        const auto page_p = static_cast<Page>(p);
        std::size_t rows = entries_of(page_p).size();
        if (page_p == Page::Controls) rows += Settings::kActions.size();
        for (std::size_t i = 0; i < rows; ++i) menus.back().add_entry("");
    }
    refresh();
}

OptionsScreen::~OptionsScreen() {
    if (editing) flow.set_typing(false);
}

const std::string& OptionsScreen::row(Entry entry) const {
    for (int p = 0; p < kPages; ++p) {
        const auto page_p = static_cast<Page>(p);
        const std::vector<Entry>& entries = entries_of(page_p);
        const auto found = std::find(entries.begin(), entries.end(), entry);
        if (found == entries.end() || page_p == Page::Controls) continue;
        return menu_of(page_p).entries[static_cast<std::size_t>(found - entries.begin())];
    }
    return menu_of(Page::Main).entries.back();
}

OptionsScreen::Layout OptionsScreen::layout() const {
    const double scale = text.scale;
    const int line = text.height();
    const int glyph = text.advance();
    Layout l{};
    const int width = std::min(kCanvasWidth - 2 * kMargin, static_cast<int>(kPanelWidth * scale));
    const int height =
        std::min(kCanvasHeight - 2 * kMargin, static_cast<int>(kPanelHeight * scale));
    l.left = (kCanvasWidth - width) / 2;
    l.right = l.left + width;
    l.top = std::max(kMargin, kPanelBottom - height);
    l.bottom = l.top + height;
    l.menu_x = l.left + 4 * glyph;
    // The gaps shrink with the panel's room: at twice the size, the controls page's fifteen
    // rows and its two prompt lines just fit.
    l.heading_y = l.top + line * 3 / 2;
    l.header_y = l.heading_y + line * 5 / 4;
    l.rows_y = l.header_y + line * 5 / 4;
    l.prompt_y = l.bottom - 2 * line;
    l.hint_y = l.prompt_y - line * 5 / 4;
    l.columns = (l.right - 2 * glyph - (l.menu_x + 2 * glyph)) / glyph;
    l.width = (width - 2 * glyph) / glyph;
    // At twice the size the labels give up their spare room first.
    l.label = std::min(kLabelWidth, l.columns * 2 / 7);
    l.keys = std::min(kKeysWidth, l.columns * 36 / 100);
    return l;
}

void OptionsScreen::refresh() {
    const Settings& s = flow.profile.settings;
    text.scale = s.ui_factor();
    for (Menu& menu : menus) {
        menu.text.scale = text.scale;
        menu.wrap = s.one_switch;
    }
    const Layout l = layout();
    const auto columns = static_cast<std::size_t>(l.columns);
    const auto label_width = static_cast<std::size_t>(l.label);
    const auto value_of = [&](Entry entry) -> std::string {
        switch (entry) {
            case Entry::Music:
                return std::to_string(s.music_volume);
            case Entry::Effects:
                return std::to_string(s.effects_volume);
            case Entry::Fullscreen:
                return on_off(flow.fullscreen());
            case Entry::Speed:
                return std::to_string(s.game_speed) + "%";
            case Entry::OneSwitch:
                return on_off(s.one_switch);
            case Entry::SwitchPeriod:
                return Settings::hundredths_text(s.switch_period / 10) + " s";
            case Entry::Shake:
                return std::to_string(s.shake) + "%";
            case Entry::Flashing:
                return on_off(s.reduce_flashing);
            case Entry::UiScale:
                return Settings::hundredths_text(s.ui_scale) + "x";
            default:
                break;
        }
        return "";
    };
    // The typed texts show as they are, with no arrows: Left and Right do not change them.
    const auto typed_of = [&](Entry entry) -> std::string {
        const std::size_t room = columns - label_width;
        if (editing == entry) return tail(draft + "_", room);
        if (entry == Entry::Server) {
            return s.leaderboard_url.empty() ? "Off: nothing is sent"
                                             : fitted(s.leaderboard_url, room);
        }
        return fitted(s.player_name, room);
    };
    for (int p = 0; p < kPages; ++p) {
        const auto page_p = static_cast<Page>(p);
        if (page_p == Page::Controls) continue;
        const std::vector<Entry>& entries = entries_of(page_p);
        Menu& menu = menu_of(page_p);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const Entry entry = entries[i];
            const std::string value = value_of(entry);
            std::string& shown = menu.entries[i];
            if (entry == Entry::Server || entry == Entry::Name) {
                shown = padded(label_of(entry), label_width) + typed_of(entry);
            } else if (value.empty()) {
                shown = label_of(entry);
            } else {
                shown = padded(label_of(entry), label_width) + "< " + value + " >";
            }
        }
    }
    Menu& controls = menu_of(Page::Controls);
    const auto keys_width = static_cast<std::size_t>(l.keys);
    const std::size_t pads_width = columns - label_width - keys_width;
    for (std::size_t i = 0; i < Settings::kActions.size(); ++i) {
        const Button action = Settings::kActions[i];
        controls.entries[i] =
            padded(action_label(action), label_width) +
            padded(joined(s.keys_of(action), Settings::key_label), keys_width) +
            fitted(joined(s.pad_buttons_of(action), Settings::pad_label), pads_width);
    }
    controls.entries.back() = label_of(Entry::Back);
    const Prompts prompts(s, prompts_for);
    const std::string start = prompts.of(Button::Start);
    moves_prompt = prompts.of(Button::Up) + ", " + prompts.of(Button::Down) + ": choose    " +
                   prompts.of(Button::Left) + ", " + prompts.of(Button::Right) + ": change";
    main_prompt = start + ": select    " + prompts.back() + ": save and leave";
    page_prompt = start + ": select    " + prompts.back() + ": back";
    controls_prompt = start + ": change    " + prompts.back() + ": back";
    if (s.one_switch) {
        // Every key and button is the switch, and the highlight moves by itself.
        moves_prompt = "The highlight steps by itself";
        main_prompt = page_prompt = "Any key or button: select or change";
        controls_prompt = "Any key or button: Back leaves; keys are changed with a keyboard";
    }
    // Any controller button is taken as the new one: only the key cancels.
    waiting_prompt = Settings::key_label(Input::kEscapeKey) + ": cancel";
    // Keys type in an entry: only Return and Escape keep a meaning there.
    editing_prompt = Settings::key_label(Input::kReturnKey) + ": confirm    " +
                     Settings::key_label(Input::kEscapeKey) + ": cancel";
    editing_hint = "Backspace: erase    Ctrl+V: paste";
}

bool OptionsScreen::leave() {
    flow.profile.save_settings();
    flow.apply_leaderboard();
    return false;
}

void OptionsScreen::change(Entry entry, int step, bool round, Audio& audio) {
    Settings& s = flow.profile.settings;
    switch (entry) {
        case Entry::Music:
            s.music_volume = stepped(s.music_volume, kVolumeRange, step, round);
            audio.set_music_level(s.music_volume);
            break;
        case Entry::Effects:
            s.effects_volume = stepped(s.effects_volume, kVolumeRange, step, round);
            audio.set_effects_level(s.effects_volume);
            // So that the player hears the new level at once.
            Sounds::play(audio, Sounds::kYum);
            break;
        case Entry::Fullscreen:
            flow.set_fullscreen(!flow.fullscreen());
            break;
        case Entry::Speed:
            s.game_speed = stepped(s.game_speed, Settings::kSpeedRange, step, round);
            break;
        case Entry::OneSwitch:
            s.one_switch = !s.one_switch;
            break;
        case Entry::SwitchPeriod:
            s.switch_period = stepped(s.switch_period, Settings::kSwitchPeriodRange, step, round);
            break;
        case Entry::Shake:
            s.shake = stepped(s.shake, Settings::kShakeRange, step, round);
            break;
        case Entry::Flashing:
            s.reduce_flashing = !s.reduce_flashing;
            break;
        case Entry::UiScale:
            s.ui_scale = stepped(s.ui_scale, Settings::kUiScaleRange, step, round);
            break;
        default:
            return;
    }
    refresh();
}

void OptionsScreen::reset(Audio& audio) {
    Settings& s = flow.profile.settings;
    // The daily dig's server and name are the player's to give, not preferences with a
    // default: a reset keeps them.
    Settings defaults;
    defaults.leaderboard_url = s.leaderboard_url;
    defaults.player_name = s.player_name;
    s = defaults;
    audio.set_music_level(s.music_volume);
    audio.set_effects_level(s.effects_volume);
    flow.apply_fullscreen();
    flow.apply_bindings();
    refresh();
}

void OptionsScreen::choose(Entry entry, Audio& audio) {
    switch (entry) {
        case Entry::Controls:
            page = Page::Controls;
            break;
        case Entry::Assists:
            page = Page::Assists;
            break;
        case Entry::Comfort:
            page = Page::Comfort;
            break;
        case Entry::Daily:
            page = Page::Daily;
            break;
        case Entry::Reset:
            reset(audio);
            break;
        case Entry::Server:
        case Entry::Name: {
            const Settings& s = flow.profile.settings;
            // Typing needs a keyboard: with one switch an entry opened could never be left.
            if (s.one_switch) break;
            editing = entry;
            draft = entry == Entry::Server ? s.leaderboard_url : s.player_name;
            refusal.clear();
            flow.set_typing(true);
            refresh();
            break;
        }
        default:
            change(entry, 1, true, audio);
            break;
    }
}

void OptionsScreen::end_entry() {
    editing.reset();
    refusal.clear();
    flow.set_typing(false);
    refresh();
}

void OptionsScreen::update_entry(const Input& input) {
    if (has_key(input, Input::kEscapeKey) || back(input)) {
        end_entry();  // the value stays as it was
        return;
    }
    const bool server = editing == Entry::Server;
    for (int i = 0; i < input.erased; ++i) erase_last(draft);
    // No longer than the setting may be, cut between characters.
    const std::size_t most = server ? Settings::kMaxUrlLength : Settings::kMaxNameLength;
    for (std::size_t i = 0; i < input.typed.size(); ++i) {
        const bool continues = (static_cast<unsigned char>(input.typed[i]) & 0xC0) == 0x80;
        if (draft.size() >= most && !continues) break;
        draft += input.typed[i];
    }
    if (has_key(input, Input::kReturnKey) || has_key(input, Input::kEnterKey) ||
        input.key_pressed(Button::Start)) {
        refusal =
            server ? Settings::check_leaderboard_url(draft) : Settings::check_player_name(draft);
        if (refusal.empty()) {
            Settings& s = flow.profile.settings;
            (server ? s.leaderboard_url : s.player_name) = draft;
            end_entry();
            return;
        }
    } else if (!input.typed.empty() || input.erased > 0) {
        refusal.clear();  // the reason was for the text before this change
    }
    refresh();
}

void OptionsScreen::update_controls(const Input& input) {
    Settings& s = flow.profile.settings;
    Menu& controls = menu_of(Page::Controls);
    if (waiting != Button::None) {
        const auto& keys = input.pressed_keys;
        if (has_key(input, Input::kEscapeKey)) {
            waiting = Button::None;
        } else if (!keys.empty()) {
            s.rebind_key(waiting, keys.front());
            waiting = Button::None;
        } else if (!input.pressed_pad_buttons.empty()) {
            s.rebind_pad(waiting, input.pressed_pad_buttons.front());
            waiting = Button::None;
        }
        if (waiting == Button::None) {
            flow.apply_bindings();
            refresh();
        }
        return;
    }
    if (input.key_pressed(Button::Up)) controls.prev();
    if (input.key_pressed(Button::Down)) controls.next();
    const bool on_back = controls.selected() + 1 == controls.entries.size();
    if (back(input) || (chosen(input) && on_back)) {
        page = Page::Main;
    } else if (chosen(input) && !s.one_switch) {
        // One switch binds nothing: its press would only take the action's key away.
        waiting = Settings::kActions[controls.selected()];
    }
}

bool OptionsScreen::update(const Input& input, Audio& audio, unsigned int) {
    // The main loop has just switched the window: show it. The prompts follow the device.
    if (input.key_pressed(Button::Fullscreen) || input.device() != prompts_for) {
        prompts_for = input.device();
        refresh();
    }
    if (editing) {
        update_entry(input);
        return true;
    }
    if (page == Page::Controls) {
        update_controls(input);
        return true;
    }
    Menu& menu = menu_of(page);
    if (input.key_pressed(Button::Up)) menu.prev();
    if (input.key_pressed(Button::Down)) menu.next();
    const Entry entry = entries_of(page)[menu.selected()];
    if (input.key_pressed(Button::Left)) change(entry, -1, false, audio);
    if (input.key_pressed(Button::Right)) change(entry, 1, false, audio);
    if (back(input) || (chosen(input) && entry == Entry::Back)) {
        if (page == Page::Main) return leave();
        page = Page::Main;
        return true;
    }
    if (chosen(input)) choose(entry, audio);
    return true;
}

void OptionsScreen::draw(Graphics& graphics) const {
    const Layout l = layout();
    const int centre = (l.left + l.right) / 2;
    const auto line = [&](const std::string& words, int y) {
        text.draw(graphics, fitted(words, static_cast<std::size_t>(l.width)), centre, y,
                  Text::Alignment::Center);
    };
    background.draw(graphics);
    Rect(l.left, l.top, l.right, l.bottom)
        .draw(graphics, 0, 0, l.top < kPanelBottom - kPanelHeight ? kTallPanelColor : kPanelColor,
              true);
    line(heading_of(page), l.heading_y);
    menu_of(page).draw(graphics, l.menu_x, l.rows_y);
    const int entry_x = l.menu_x + 2 * text.advance();
    switch (page) {
        case Page::Main:
            line(moves_prompt, l.hint_y);
            line(main_prompt, l.prompt_y);
            break;
        case Page::Controls: {
            const auto label_width = static_cast<std::size_t>(l.label);
            text.draw(graphics,
                      padded("", label_width) +
                          padded("Keyboard", static_cast<std::size_t>(l.keys)) + "Controller",
                      entry_x, l.header_y, Text::Alignment::Left);
            if (waiting != Button::None) {
                line("Press the new key or button for " + action_label(waiting), l.hint_y);
                line(waiting_prompt, l.prompt_y);
            } else {
                line(controls_prompt, l.prompt_y);
            }
            break;
        }
        default:
            if (editing) {
                line(refusal.empty() ? editing_hint : refusal, l.hint_y);
                line(editing_prompt, l.prompt_y);
            } else {
                line(moves_prompt, l.hint_y);
                line(page_prompt, l.prompt_y);
            }
            break;
    }
}

Screen* OptionsScreen::next_screen() const { return flow.title(); }
