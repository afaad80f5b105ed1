// Every screen's text at every UI scale, in the 16:9 window and in the Steam Deck's 16:10 one:
// nothing overlaps, nothing leaves the canvas, and the largest scale is large enough to read.
// A screen is added to the table as a name, what it must show and how to draw it.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "engine/audio.h"
#include "engine/input.h"
#include "game/screens/game_screen.h"
#include "game/screens/replay_screen.h"
#include "game/screens/screen_flow.h"
#include "game/screens/title_screen.h"
#include "tests/support/layout.h"
#include "tests/support/support.h"

namespace {

using Button = Input::Button;

constexpr int kCanvasWidth = 1280;
constexpr int kCanvasHeight = 720;
constexpr int kDeckHeight = 800;        // the Steam Deck's screen: 1280x800
constexpr int kLeastTallAtDouble = 24;  // pixels: a glyph's height at twice the normal size

// A leaderboard that answers at once: the day's best (five rows with the longest names and
// depths) to a GET; to a run sent, a refusal whose reason is longer than the run's note keeps.
class Leaderboard : public Http {
public:
    void send(HttpRequest request, Done done) override {
        HttpResponse response;
        if (request.method == "GET") {
            response.status = 200;
            response.body = R"({"runs":[)";
            for (int rank = 1; rank <= DailyClient::kBoardRows; ++rank) {
                response.body += std::string(rank > 1 ? "," : "") + R"({"rank":)" +
                                 std::to_string(rank) +
                                 R"(,"name":"WWWWWWWWWWWWWWWW","depth":99999.9,"length":9.5})";
            }
            response.body += "]}";
        } else {
            std::string reason;
            while (reason.size() <= DailyRuns::kMaxNoteLength)
                reason += "the replay does not verify ";
            response.status = 403;
            response.body = R"({"error":")" + reason + R"("})";
        }
        done(response);
    }
};

class Layout : public ::testing::Test {
public:  // to the table's drawing functions
    static void SetUpTestSuite() { SDL_InitSubSystem(SDL_INIT_AUDIO); }

    // A new player, with folders (the daily dig needs a player key), at a UI scale.
    void start(int ui_scale) {
        flow.reset();
        profile.reset();
        data = std::make_unique<test::TempFolder>();
        config = std::make_unique<test::TempFolder>();
        profile = std::make_unique<Profile>(data->path, config->path);
        profile->settings.ui_scale = ui_scale;
        profile->settings.leaderboard_url = "http://board.test";
        flow = std::make_unique<ScreenFlow>(*profile);
        flow->use_http(std::make_unique<Leaderboard>());
    }
    bool step(Screen& screen, unsigned int ms, Button pressed = Button::None) {
        Input input;
        input.press(pressed);
        return screen.update(input, audio, ms);
    }
    // A game of the widest figures, ended and faded to its results with the bests written.
    void finish(GameScreen& screen) {
        screen.world.max_depth = 999.99;
        screen.world.max_length = 999.98;
        screen.world.player.length = 0.5;
        step(screen, 16);
        flow->writer().flush();
        step(screen, 16);
        step(screen, 5000);
        ASSERT_TRUE(screen.results_shown());
    }

    test::TempContentDir content;
    std::unique_ptr<test::TempFolder> data;
    std::unique_ptr<test::TempFolder> config;
    Audio audio{Audio::Config{}};
    std::unique_ptr<Profile> profile;
    std::unique_ptr<ScreenFlow> flow;
};

struct Shot {
    const char* name;
    bool one_switch;
    std::vector<std::string> shows;  // what the screen must show, each within one string
    // Sets the screen up in its state, then draws it.
    std::function<void(Layout&, Graphics&)> draw;
};

// A 1280x720 canvas in a window of `window_height` rows: 720, or the Steam Deck's 800.
std::unique_ptr<Graphics> graphics_in(int window_height) {
    auto graphics = test::make_graphics(kCanvasWidth, kCanvasHeight);
    SDL_SetWindowSize(graphics->window, kCanvasWidth, window_height);
    SDL_PumpEvents();
    graphics->fit_canvas();
    return graphics;
}

TEST_F(Layout, EveryScreenFitsTheCanvasWithoutOverlapAtEveryScale) {
    const auto draw_title = [](Layout& t, Graphics& g) {
        t.profile->records.add(Record{999.99, 9.5, "2026-01-02T03:04:05.678Z", 1, 60.0, {}});
        std::unique_ptr<TitleScreen> title(static_cast<TitleScreen*>(t.flow->title()));
        title->blink_timer = 0;
        title->draw(g);
    };
    // A game of the widest figures, brought to its state by `then`.
    const auto game = [](std::function<void(Layout&, GameScreen&)> then) {
        return [then](Layout& t, Graphics& g) {
            GameScreen screen(4294967295u, t.flow.get());
            screen.world.max_depth = 999.99;
            screen.world.max_length = 999.98;
            then(t, screen);
            screen.draw(g);
        };
    };
    const auto as_is = [](Layout&, GameScreen&) {};
    const auto daily_results = [](Layout& t, Graphics& g) {
        std::unique_ptr<GameScreen> screen(static_cast<GameScreen*>(t.flow->daily()));
        t.flow->writer().flush();  // the day's try claimed: ranked
        t.finish(*screen);
        screen->draw(g);
    };
    const Shot shots[] = {
        {"title with the day's best",
         false,
         {"Press any key", "Best depth: 999.99m", "1. WWWWWWWWWWWWWWWW 99999.9 m",
          "5. WWWWWWWWWWWWWWWW 99999.9 m"},
         draw_title},
        {"playing", false, {"Max Depth: 999.99m", "Max Length: 999.98cm"}, game(as_is)},
        {"paused",
         false,
         {"P A U S E", "Return: resume    Escape: give up"},
         game([](Layout& t, GameScreen& s) { t.step(s, 16, Button::Start); })},
        {"results with new bests",
         false,
         {"999.99m", "999.98cm", "Best: 999.99m", "Best: 999.98cm", "New best", "Seed 4294967295",
          "Return: continue"},
         game([](Layout& t, GameScreen& s) { t.finish(s); })},
        {"results of a daily dig the leaderboard refused at length",
         false,
         {"Daily dig: ranked", "Not ranked: the replay"},
         daily_results},
        {"results of an assisted daily dig",
         true,
         {"Daily dig: practice (assisted)", "Assisted: 50% speed, one switch", "Seed "},
         [&](Layout& t, Graphics& g) {
             t.profile->settings.game_speed = 50;
             daily_results(t, g);
         }},
        {"starving", false, {"Max Depth: 999.99m"}, game([](Layout&, GameScreen& s) {
             s.world.player.length = 1.2;
         })},
        {"one-switch title", true, {"> Play <", "Daily dig", "Options", "Quit"}, draw_title},
        {"one-switch play", true, {"Turn: [LEFT]", "Max Depth: 999.99m"}, game(as_is)},
        {"one-switch pause",
         true,
         {"P A U S E", "> Resume <", "Give up"},
         game([](Layout&, GameScreen& s) {
             s.advance(Replay::Step{16, Replay::bit(Replay::Button::Start), 0});
         })},
        {"replay's results",
         false,
         {"REPLAY", "Seed 7", "Best: "},
         [](Layout& t, Graphics& g) {
             Replay replay;
             replay.seed = 7;
             ReplayScreen screen(replay, ReplayScreen::Mode::Replay, t.flow.get());
             screen.game.world.player.length = 0.5;
             for (const unsigned ms : {16u, 1000u, 1000u, 1000u}) {
                 screen.game.advance(Replay::Step{ms, 0, 0});
             }
             screen.draw(g);
         }},
    };
    const Graphics::PixelRect canvas{0, 0, kCanvasWidth, kCanvasHeight};
    for (const int window_height : {kCanvasHeight, kDeckHeight}) {
        auto graphics = graphics_in(window_height);
        ASSERT_TRUE(graphics->ok()) << graphics->error;
        for (int scale = Settings::kUiScaleRange.least; scale <= Settings::kUiScaleRange.most;
             scale += Settings::kUiScaleRange.step) {
            for (const Shot& shot : shots) {
                SCOPED_TRACE(std::string(shot.name) + " at " + std::to_string(scale) +
                             "% in a window of " + std::to_string(window_height) + " rows");
                start(scale);
                profile->settings.one_switch = shot.one_switch;
                const auto drawn =
                    test::drawn_text(*graphics, [&](Graphics& g) { shot.draw(*this, g); });
                const int least = scale == Settings::kUiScaleRange.most ? kLeastTallAtDouble : 0;
                for (const std::string& problem : test::check_layout(drawn, canvas, least)) {
                    ADD_FAILURE() << problem;
                }
                std::string shown;
                for (const DrawnText& d : drawn) shown += "\n  " + d.text;
                for (const std::string& wanted : shot.shows) {
                    EXPECT_NE(shown.find(wanted), std::string::npos)
                        << "\"" << wanted << "\" is not among" << shown;
                }
            }
        }
    }
}

// The Steam Deck's 16:10 screen: the 16:9 canvas whole, at its own size, with a bar above
// and one below. Full screen there is the same window size, placed by the same code.
TEST_F(Layout, SteamDeckWindowShowsTheWholeCanvasBetweenBarsAboveAndBelow) {
    auto graphics = graphics_in(kDeckHeight);
    ASSERT_TRUE(graphics->ok()) << graphics->error;
    graphics->clear();
    graphics->draw_rect({0, 0}, {kCanvasWidth, kCanvasHeight}, 0xFFFFFFFF, true);
    graphics->flip();
    SDL_Surface* shown = SDL_GetWindowSurface(graphics->window);
    ASSERT_NE(shown, nullptr) << SDL_GetError();
    ASSERT_EQ(shown->w, kCanvasWidth);
    ASSERT_EQ(shown->h, kDeckHeight);
    ASSERT_EQ(shown->format->BytesPerPixel, 4);
    const int bar = (kDeckHeight - kCanvasHeight) / 2;
    int wrong = 0;
    for (int y = 0; y < shown->h; ++y) {
        for (int x = 0; x < shown->w; ++x) {
            Uint8 r = 0, g = 0, b = 0;
            SDL_GetRGB(static_cast<const uint32_t*>(shown->pixels)[y * shown->pitch / 4 + x],
                       shown->format, &r, &g, &b);
            const uint8_t expected = y >= bar && y < bar + kCanvasHeight ? 255 : 0;
            if (r != expected || g != expected || b != expected) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace
