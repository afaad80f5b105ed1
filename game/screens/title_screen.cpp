#include "game/screens/title_screen.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <utility>

#include "engine/graphics.h"
#include "engine/input.h"
#include "game/profile/replay_files.h"
#include "game/profile/replay_io.h"
#include "game/screens/prompts.h"
#include "game/screens/replay_screen.h"
#include "game/screens/screen_flow.h"
#include "game/view/format.h"
#include "game/view/one_switch_view.h"

namespace {

using Choice = TitleScreen::Choice;

// What the buttons pressed in this frame choose, when one switch is not all there is. Only a
// press made in this frame counts: a button still held from the game does not start the next
// one. Escape and Select are never a way into a game, nor Fullscreen, which only switches the
// window.
std::optional<Choice> chosen_by_buttons(const Input& input) {
    using Button = Input::Button;
    if (input.key_pressed(Button::Escape)) return Choice::Quit;
    if (input.key_pressed(Button::Select)) return Choice::Options;
    if (input.key_pressed(Button::Y)) return Choice::Daily;
    for (const Button b : input.pressed_buttons) {
        if (b != Button::Escape && b != Button::Select && b != Button::Fullscreen) {
            return Choice::Play;
        }
    }
    return std::nullopt;
}

}  // namespace

const std::vector<std::pair<TitleScreen::Choice, std::string>> TitleScreen::kSwitchChoices = {
    {Choice::Play, "Play"},
    {Choice::Daily, "Daily dig"},
    {Choice::Options, "Options"},
    {Choice::Quit, "Quit"},
};

namespace {

constexpr int kEdge = 16;  // pixels between the daily corner and the canvas's edges
// The title picture's lettering, in the picture's own pixels (it is stretched over the
// canvas), as tools/content/pictures.cpp draws it: the daily corner keeps clear of it.
constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 360;
constexpr int kLetteringRight = 484;
constexpr int kLetteringBottom = 98;

}  // namespace

TitleScreen::TitleScreen(ScreenFlow& flow_)
    : flow(flow_),
      background("title.png"),
      text("text.png", 8, 16),
      demo_paths(ReplayFiles(flow_.profile).by_rank()),
      bundled_demo(flow_.content() + kBundledDemo),
      daily_left(time_left(flow_.now_seconds())),
      one_switch(flow_.profile.settings.one_switch),
      scanner(static_cast<int>(kSwitchChoices.size()), flow_.profile.settings.switch_period) {
    demo_paths.push_back(bundled_demo);
    text.scale = flow.profile.settings.ui_factor();
    reduce_flashing = flow.profile.settings.reduce_flashing;
    make_prompts();
}

void TitleScreen::make_prompts() {
    const Prompts prompts(flow.profile.settings, prompts_for);
    start_prompt = "Press any " + prompts.any();
    daily_prompt = prompts.of(Input::Button::Y) + ": daily dig";
}

std::string TitleScreen::time_left(int64_t now) {
    const int64_t end = daily::day_start(daily::date_at(now)) + daily::kSecondsPerDay;
    const int64_t minutes = (end - now + 59) / 60;  // "0 min" only once the day has turned
    return "Daily dig: " + std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) +
           " min left";
}

bool TitleScreen::load_demo() {
    for (const std::string& path : demo_paths) {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) {
            // No replay of one's own yet is usual; the game's own missing is a broken install.
            if (path == bundled_demo) {
                std::fprintf(stderr, "No demo: %s is missing\n", path.c_str());
            }
            continue;
        }
        Replay replay;
        std::string error;
        if (load_replay(path, replay, error)) {
            demo = std::make_unique<Replay>(std::move(replay));
            return true;
        }
        if (path == bundled_demo) {
            std::fprintf(stderr, "No demo: %s\n", error.c_str());
            continue;
        }
        // A player's file: kept aside, never lost, and not tried again.
        std::string aside_error;
        const std::filesystem::path aside = flow.profile.files.set_aside(path, aside_error);
        std::fprintf(stderr, "burrowgale: %s; %s\n", error.c_str(),
                     aside.empty() ? aside_error.c_str() : ("kept as " + aside.string()).c_str());
    }
    return false;
}

bool TitleScreen::update(const Input& input, Audio&, unsigned int elapsed) {
    blink_timer = (blink_timer + elapsed) % kBlinkCycle;
    if (input.device() != prompts_for) {
        prompts_for = input.device();
        make_prompts();
    }
    if (one_switch) {
        scanner.update(input, elapsed);
        if (scanner.chosen()) {
            choice = kSwitchChoices[static_cast<std::size_t>(scanner.choice())].first;
            return false;
        }
    } else if (const std::optional<Choice> chosen = chosen_by_buttons(input)) {
        choice = *chosen;
        return false;
    }
    daily_left = time_left(flow.now_seconds());
    // Someone is there, switching the window or holding the switch.
    if (input.any_pressed() || scanner.down()) idle_ms = 0;
    idle_ms = elapsed >= kDemoAfterMs - idle_ms ? kDemoAfterMs : idle_ms + elapsed;
    if (idle_ms < kDemoAfterMs || demo_failed) return true;
    if (load_demo()) {
        choice = Choice::Demo;
        return false;
    }
    demo_failed = true;
    return true;
}

void TitleScreen::draw(Graphics& graphics) const {
    const int width = graphics.config.width;
    const int height = graphics.config.height;
    // Rows follow from the text's height at the UI scale, a quarter of it between them.
    const int h = text.height();
    const int gap = h / 4;
    background.draw(graphics);
    const double best = flow.profile.records.best_depth();
    if (!flow.profile.records.table.empty()) {
        text.draw(graphics, format("Best depth", best, "m"), width / 2, height - 6 * h,
                  Text::Alignment::Center);
    }
    if (one_switch) {
        std::vector<std::string> entries;
        for (const auto& entry : kSwitchChoices) entries.push_back(entry.second);
        // As many rows up from the bottom as there are choices, and one more.
        draw_switch_choices(graphics, text, entries, scanner.highlighted(), width / 2,
                            height - static_cast<int>(entries.size() + 1) * h);
    } else if (reduce_flashing || blink_timer < kBlinkCycle / 2) {
        text.draw(graphics, start_prompt, width / 2, height - 3 * h, Text::Alignment::Center);
    }

    // The daily dig's corner: top right while it stays clear of the title's lettering, else
    // right under it. One-switch play reaches the daily dig through its list instead of a key.
    std::vector<std::string> board;
    for (const DailyClient::Row& row : flow.daily_client->board()) {
        char line[64];
        std::snprintf(line, sizeof line, "%d. %-16s %7.1f m", row.rank, row.name.c_str(),
                      row.depth);
        board.emplace_back(line);
    }
    int widest = std::max(text.width(daily_left), text.width(daily_prompt));
    for (const std::string& line : board) widest = std::max(widest, text.width(line));
    const bool beside = width - kEdge - widest >= kLetteringRight * width / kPictureWidth + kEdge;
    int y = beside ? kEdge : kLetteringBottom * height / kPictureHeight + gap;
    const int right = width - kEdge;
    text.draw(graphics, daily_left, right, y, Text::Alignment::Right);
    y += h + gap;
    if (!one_switch) text.draw(graphics, daily_prompt, right, y, Text::Alignment::Right);
    y += h + 3 * gap;
    for (const std::string& line : board) {
        text.draw(graphics, line, right, y, Text::Alignment::Right);
        y += h + gap;
    }
}

Screen* TitleScreen::next_screen() const {
    switch (choice) {
        case Choice::Play:
            return flow.play();
        case Choice::Options:
            return flow.options();
        case Choice::Daily:
            return flow.daily();
        case Choice::Demo:
            if (demo) return new ReplayScreen(*demo, ReplayScreen::Mode::Demo, &flow);
            return flow.play();
        case Choice::Quit:
            break;
    }
    return nullptr;
}
