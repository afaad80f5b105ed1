#include "engine/game.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#ifdef __EMSCRIPTEN__
#include "engine/web.h"
#endif

namespace {

Game::Config config_for(std::string title, int width, int height) {
    Game::Config config;
    config.graphics.title = std::move(title);
    config.graphics.width = width;
    config.graphics.height = height;
    return config;
}

}  // namespace

Game::Game(const Config& config_) : config(config_) { init(); }

Game::Game(std::string title, int width, int height)
    : Game(config_for(std::move(title), width, height)) {}

Game::~Game() { shut_down(); }

void Game::shut_down() {
    // Before anything else: a game that ended just before quitting still has its files written.
    writer.flush();
    // Sound and textures are released while SDL still runs; the screen owns neither.
    audio.reset();
    graphics.reset();
    screen.reset();
    SDL_Quit();
}

void Game::init() {
    SDL_Init(SDL_INIT_EVERYTHING);
    // Controllers keep reporting while another window has the focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    input.init();
}

bool Game::start(Screen* first) {
    graphics = std::make_unique<Graphics>(config.graphics);
    if (!graphics->ok()) {
        // A loop nobody can see or close is worse than a clear refusal.
        std::fprintf(stderr, "%s\n", graphics->error.c_str());
        graphics.reset();
        delete first;
        return false;
    }
    audio = std::make_unique<Audio>(config.audio);
    last_ticks = SDL_GetTicks();
    set_screen(first);
    return true;
}

bool Game::step() {
    if (screen == nullptr || graphics == nullptr) return false;
    if (!input.process()) return false;

    const uint32_t now = SDL_GetTicks();
    // Unsigned: right across the counter's wrap. Capped here, before anything sees it, so that
    // a recorded step and its replay count the same time.
    const uint32_t elapsed = std::min(now - last_ticks, kLongestStep);

    if (fullscreen_button && input.key_pressed(Input::Button::Fullscreen)) {
        graphics->toggle_fullscreen();
        if (fullscreen_switched) fullscreen_switched(graphics->config.fullscreen);
    }

    screen->count_frame(elapsed);
    if (screen->update(input, *audio, elapsed)) {
        // A frame nobody can see is not worth drawing.
        if (graphics->shown()) {
            graphics->fit_canvas();
            graphics->clear();
            screen->draw(*graphics);
            graphics->flip();
        }
    } else {
        set_screen(screen->next_screen());
    }

    writer.run_queued();
    last_ticks = now;
    return screen != nullptr;
}

void Game::pace() {
    const uint64_t frequency = SDL_GetPerformanceFrequency();
    if (graphics != nullptr && !graphics->presents_in_step()) {
        const uint64_t frame = frequency / static_cast<uint64_t>(graphics->refresh_rate());
        const uint64_t spent = SDL_GetPerformanceCounter() - frame_start;
        if (spent < frame) {
            // Whole milliseconds, rounded up: a little late beats waking early and spinning.
            const uint64_t left_ms = ((frame - spent) * 1000 + frequency - 1) / frequency;
            SDL_Delay(static_cast<Uint32>(left_ms));
        }
    }
    frame_start = SDL_GetPerformanceCounter();
}

bool Game::loop(Screen* first) {
    if (!start(first)) return false;
#ifdef __EMSCRIPTEN__
    // A page may not block: the browser calls one step per animation frame instead. This does
    // not return, so the Game must be a local of main, which outlives the unwinding.
    Web::run_main_loop(
        [](void* context) {
            Game* game = static_cast<Game*>(context);
            if (game->step()) return;
            // main never returns in a page, so the destructor would never run: the sound
            // would play on over the last frame.
            Web::stop_main_loop();
            Web::after_audio_settles(
                [](void* ended) {
                    static_cast<Game*>(ended)->shut_down();
                    Web::report_ended();
                },
                game);
        },
        this);
#else
    frame_start = SDL_GetPerformanceCounter();
    while (step()) pace();
    return true;
#endif
}

void Game::set_screen(Screen* next) {
    // The outgoing screen is gone before the new one is asked anything.
    std::unique_ptr<Screen> previous = std::exchange(screen, std::unique_ptr<Screen>(next));
    previous.reset();
    if (next == nullptr || audio == nullptr) return;

    const std::string track = next->get_music_track();
    if (track.empty()) {
        audio->stop_music();
        // Forgotten, so that a later screen naming the same track starts it again.
        music_track.clear();
    } else if (track != music_track) {
        music_track = track;
        audio->play_music(track, true);
    }
}
