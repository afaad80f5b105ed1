// Renders pictures of the game's art the way the game draws it, without a display: the map
// with food, the worm through every kind of bend, centipedes both ways round at several leg
// phases, the title and results screens, and a shot of play for the README.
//
//     preview OUTPUT_DIR              every picture, into OUTPUT_DIR
//     preview --screenshot FILE       only the shot of play (docs/screenshot.png)
//
// Run from the repository root, so that content/ is found.
#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/graphics.h"
#include "game/screens/game_screen.h"
#include "game/screens/screen_flow.h"
#include "game/screens/title_screen.h"
#include "game/view/centipede_view.h"
#include "game/view/map_view.h"
#include "game/view/worm_view.h"
#include "game/world/centipede.h"
#include "game/world/map.h"
#include "game/world/player.h"
#include "tools/support/headless.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

struct SurfaceFree {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;

// Saves the canvas area, each pixel `zoom` times as large.
bool save(Graphics& graphics, SDL_Rect area, int zoom, const std::string& path) {
    Surface shot(SDL_CreateRGBSurfaceWithFormat(0, area.w, area.h, 32, SDL_PIXELFORMAT_RGBA32));
    Surface big(SDL_CreateRGBSurfaceWithFormat(0, area.w * zoom, area.h * zoom, 32,
                                               SDL_PIXELFORMAT_RGBA32));
    if (!shot || !big) return false;
    SDL_RenderReadPixels(graphics.renderer, &area, SDL_PIXELFORMAT_RGBA32, shot->pixels,
                         shot->pitch);
    for (int y = 0; y < big->h; ++y) {
        auto* out =
            reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(big->pixels) + y * big->pitch);
        const auto* in = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(shot->pixels) + (y / zoom) * shot->pitch);
        for (int x = 0; x < big->w; ++x) out[x] = in[x / zoom];
    }
    // The canvas is opaque; the read-back alpha of the software renderer is not meaningful.
    for (int y = 0; y < big->h; ++y)
        for (int x = 0; x < big->w; ++x)
            static_cast<uint8_t*>(big->pixels)[y * big->pitch + x * 4 + 3] = 255;
    if (IMG_SavePNG(big.get(), path.c_str()) != 0) {
        std::fprintf(stderr, "Unable to write %s: %s\n", path.c_str(), SDL_GetError());
        return false;
    }
    std::printf("%s\n", path.c_str());
    return true;
}

Direction dir(int d) { return static_cast<Direction::Value>(((d % 6) + 6) % 6); }

// Lays the worm along `moves` from `tail` (each the step from one segment to the next one
// nearer the head), heading on in `heading`, and digs its tunnel with `trail` more tiles behind
// the tail, as if it had come that way. Returns false if the path crosses itself.
bool lay_worm(Player& player, Map& map, GridPoint tail, const std::vector<int>& moves, int heading,
              int trail) {
    std::vector<GridPoint> cells{tail};
    for (int m : moves) cells.push_back(cells.back().apply(dir(m)));
    for (size_t i = 0; i < cells.size(); ++i)
        for (size_t j = i + 1; j < cells.size(); ++j)
            if (cells[i] == cells[j]) return false;
    player.segments.clear();
    for (size_t i = cells.size(); i-- > 0;) {
        const Direction front = i + 1 == cells.size() ? dir(heading) : dir(moves[i]);
        const Direction back = dir((i == 0 ? moves.front() : moves[i - 1]) + 3);
        player.segments.push_back({cells[i], front, back});
    }
    player.length = static_cast<double>(cells.size());
    GridPoint p = tail;
    for (int i = 0; i < trail; ++i) {
        map.tile_overrides[p] = Map::TileType::Tunnel;
        p = p.apply(dir(moves.front() + 3));
    }
    for (const GridPoint& c : cells) {
        map.tile_overrides[c] = Map::TileType::Tunnel;
        map.food.erase(c);
    }
    return true;
}

// The centipede's trench: the three rows it digs, from its head back past its tail.
void dig_trench(Map& map, const Centipede& pede, int cells) {
    const bool west = pede.facing == Direction::W;
    const Direction back = west ? Direction::E : Direction::W;
    GridPoint middle = pede.head;
    GridPoint upper = pede.head.apply(west ? Direction::NE : Direction::NW);
    GridPoint lower = pede.head.apply(west ? Direction::SE : Direction::SW);
    for (int i = 0; i < cells; ++i) {
        for (const GridPoint& c : {middle, upper, lower}) {
            map.tile_overrides[c] = Map::TileType::Tunnel;
            map.food.erase(c);
        }
        middle = middle.apply(back);
        upper = upper.apply(back);
        lower = lower.apply(back);
    }
}

// View offset that puts the centre of `cell` at canvas (x, y).
Point view_on(GridPoint cell, int x, int y) {
    const Point c = cell.center();
    return {c.x - x, c.y - y};
}

// The world region near the surface, with food placed the way the game places it.
bool picture_map(Graphics& g, const std::string& dir_name) {
    Map map(20240607);
    for (int64_t q = -10; q < 60; q += 3) map.spawn_food({q, 8});
    // A natural cave mouth is not guaranteed near the surface: show a dug tunnel too.
    GridPoint p{10, 17};
    for (int d : {3, 3, 2, 3, 3, 4, 3, 2, 2, 2, 1, 2, 3, 3}) {
        map.tile_overrides[p] = Map::TileType::Tunnel;
        p = p.apply(dir(d));
    }
    g.clear();
    MapView().draw(g, map, 0, 120);
    return save(g, {0, 0, kWidth, kHeight}, 1, dir_name + "/map.png") &&
           save(g, {320, 180, 320, 180}, 4, dir_name + "/map_zoom.png");
}

// A worm through straight pieces and both kinds of bend in every direction.
bool picture_worm(Graphics& g, const std::string& dir_name) {
    Map map(77);
    Player player(map);
    const GridPoint tail{28, 150};
    // Every 120-degree bend both ways round (twelve), and straight pieces.
    if (!lay_worm(player, map, tail, {2, 3, 4, 5, 4, 3, 2, 2, 1, 1, 1, 1, 0, 5, 0, 1, 2}, 2, 3)) {
        std::fprintf(stderr, "the worm's path crosses itself\n");
        return false;
    }
    const Point view = view_on(tail, 420, 280);
    g.clear();
    MapView().draw(g, map, static_cast<long>(view.x), static_cast<long>(view.y));
    WormView().draw(g, player, static_cast<long>(view.x), static_cast<long>(view.y));
    return save(g, {340, 150, 480, 300}, 3, dir_name + "/worm.png");
}

// Centipedes both ways round; heads whose q + r differ show different leg frames.
bool picture_centipedes(Graphics& g, const std::string& dir_name) {
    Map map(4321);
    std::vector<Centipede> pedes;
    for (int i = 0; i < 4; ++i) {
        const bool west = i % 2 == 0;
        const int64_t r = 200 + 4 * i;
        // Heads on the left for west-facing ones (bodies trail east), on the right otherwise.
        const int64_t q = (west ? 2 : 14) - r / 2 + i;
        pedes.emplace_back(GridPoint{q, r}, 6 + 2 * (i % 2), west ? Direction::W : Direction::E);
        dig_trench(map, pedes.back(), 10);
    }
    const Point view = view_on(GridPoint{-100, 200}, 0, 80);
    const MapView map_view;
    const CentipedeView pede_view;
    g.clear();
    map_view.draw(g, map, static_cast<long>(view.x), static_cast<long>(view.y));
    for (const Centipede& c : pedes)
        pede_view.draw(g, c, static_cast<long>(view.x), static_cast<long>(view.y));
    if (!save(g, {0, 0, 640, 420}, 2, dir_name + "/centipedes.png")) return false;

    // Eight steps of one centipede, the view following it: the legs' walking cycle.
    Map tunnel(99);
    Centipede walker(GridPoint{40, 180}, 6, Direction::W);
    dig_trench(tunnel, Centipede(GridPoint{32, 180}, 6, Direction::W), 20);
    g.clear();
    for (int step = 0; step < 8; ++step) {
        const SDL_Rect band{0, 90 * step, 280, 90};
        SDL_RenderSetClipRect(g.renderer, &band);
        Centipede at = walker;
        at.head = GridPoint{walker.head.q - step, walker.head.r};
        const Point step_view = view_on(at.head, 40, 48 + 90 * step);
        map_view.draw(g, tunnel, static_cast<long>(step_view.x), static_cast<long>(step_view.y));
        pede_view.draw(g, at, static_cast<long>(step_view.x), static_cast<long>(step_view.y));
    }
    SDL_RenderSetClipRect(g.renderer, nullptr);
    return save(g, {0, 0, 280, 720}, 2, dir_name + "/centipede_walk.png");
}

bool picture_title(Graphics& g, const std::string& dir_name) {
    Profile profile;  // no records: the title as a new player first sees it
    ScreenFlow flow(profile);
    TitleScreen title(flow);
    g.clear();
    title.draw(g);
    return save(g, {0, 0, kWidth, kHeight}, 1, dir_name + "/title.png");
}

// Play as the player sees it: the worm a metre down, food below it, a centipede coming.
std::unique_ptr<GameScreen> staged_game() {
    auto game = std::make_unique<GameScreen>(2024u);
    Map& map = game->world.map;
    const GridPoint tail{-70, 200};
    if (!lay_worm(game->world.player, map, tail, {3, 2, 2, 3, 3, 2, 1, 2, 2, 3, 2, 2}, 2, 6))
        return nullptr;
    const GridPoint head = game->world.player.segments.front().position;
    // About what a minute of digging leaves uneaten around the worm.
    GridPoint origin = tail;
    for (int i = 0; i < 40; ++i) {
        map.spawn_food(origin);
        origin = origin.apply(i % 3 == 0 ? Direction::SE : Direction::E);
    }
    game->world.centipedes.emplace_back(GridPoint{head.q + 9, head.r + 1}, 10, Direction::W);
    dig_trench(map, game->world.centipedes.back(), 16);
    const Point view = view_on(head, 560, 300);
    game->world.camera.x = static_cast<double>(view.x);
    game->world.camera.y = static_cast<double>(view.y);
    game->world.camera.shake_amount = 0.0;
    game->world.max_depth = static_cast<double>(head.center().y) * 0.0625 * 0.005;
    game->world.max_length = 0.5 * game->world.player.length + 1.0;
    return game;
}

bool picture_play(Graphics& g, const std::string& path) {
    const auto game = staged_game();
    if (!game) {
        std::fprintf(stderr, "the staged worm's path crosses itself\n");
        return false;
    }
    g.clear();
    game->draw(g);
    return save(g, {0, 0, kWidth, kHeight}, 1, path);
}

bool picture_results(Graphics& g, const std::string& dir_name) {
    auto game = staged_game();
    if (!game) return false;
    game->world.state = World::State::Paused;
    game->world.fader.reset(0x000000CC, 500);
    game->world.fader.update(500);
    g.clear();
    game->draw(g);
    if (!save(g, {0, 0, kWidth, kHeight}, 1, dir_name + "/paused.png")) return false;
    game->world.state = World::State::GameOver;
    game->world.fader.reset(0x000000FF, 3000);
    game->world.fader.update(3000);
    game->world.max_depth = 12.34;
    game->world.max_length = 27.5;
    g.clear();
    game->draw(g);
    return save(g, {0, 0, kWidth, kHeight}, 1, dir_name + "/results.png");
}

}  // namespace

int main(int argc, char** argv) {
    const bool screenshot = argc == 3 && std::string(argv[1]) == "--screenshot";
    if (!(argc == 2 && argv[1][0] != '-') && !screenshot) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n       %s --screenshot FILE\n", argv[0],
                     argv[0]);
        return 2;
    }
    // No display needed: SDL's dummy video driver and its software renderer.
    if (!headless::start(SDL_INIT_VIDEO)) return 1;
    bool ok = true;
    {
        Graphics graphics(headless::graphics_config(kWidth, kHeight, "Burrowgale preview"));
        if (!graphics.ok()) {
            std::fprintf(stderr, "No renderer: %s\n", graphics.error.c_str());
            ok = false;
        } else if (screenshot) {
            ok = picture_play(graphics, argv[2]);
        } else {
            const std::string out = argv[1];
            std::error_code error;
            std::filesystem::create_directories(out, error);
            ok = picture_map(graphics, out) && picture_worm(graphics, out) &&
                 picture_centipedes(graphics, out) && picture_title(graphics, out) &&
                 picture_play(graphics, out + "/play.png") && picture_results(graphics, out);
        }
    }
    SDL_Quit();
    return ok ? 0 : 1;
}
