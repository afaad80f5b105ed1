// The window, SDL's 2-D renderer, drawing primitives and the image cache.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct DrawnText;

class Graphics {
public:
    struct Config {
        bool fullscreen = true;   // start in desktop fullscreen; tracks the current mode
        bool accelerated = true;  // hardware renderer and an OpenGL window
        bool vsync = true;
        bool integer_scale = true;
        int scale = 1;  // window size over logical size, in windowed mode
        std::string title;
        int width = 0;  // logical canvas size in pixels
        int height = 0;
        std::string content = "content/";  // the folder images are read from, with its slash
    };

    struct Point {
        int x;
        int y;
    };

    // Whole pixels: left, top, width, height. SDL's own layout, so that the thousands of copies
    // of a frame reach the renderer unconverted; game code names it only by this name.
    using PixelRect = SDL_Rect;

    enum class FlipDirection : int { None = 0, Horizontal = 1, Vertical = 2, Both = 3 };

    // One image copy as seen by a blit log (tests and benchmarks observe drawing through it).
    struct BlitRecord {
        std::string image;
        PixelRect source;       // {0,0,0,0} when the whole image was asked for
        PixelRect destination;  // {0,0,0,0} when the whole canvas was asked for
        bool whole_source;
        bool whole_destination;
        double angle;  // degrees, as handed to SDL
        FlipDirection flip;
    };

    // One copy of part of an image to part of the canvas.
    struct Copy {
        PixelRect source;
        PixelRect destination;
    };

    // Creates the window and the renderer. When either cannot be made (or when SDL fell back
    // to an invisible driver nobody asked for), ok() is false and `error` holds the line to
    // report: "Unable to create window: ..." or "Unable to create renderer: ...".
    explicit Graphics(const Config& config);
    // Destroys every texture, then the renderer, then the window.
    ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    bool ok() const { return window != nullptr && renderer != nullptr && error.empty(); }

    void clear();  // opaque black
    void clear(unsigned int color);
    void flip();
    void toggle_fullscreen();
    void set_window_size();
    // Where a canvas of canvas_w by canvas_h lands in a window of window_w by window_h pixels:
    // scaled by the largest whole factor that fits when integer scaling is on and the window
    // holds the canvas at least once, otherwise by the largest fraction that fits; centred,
    // the rest of the window left black.
    static PixelRect canvas_placement(int window_w, int window_h, int canvas_w, int canvas_h,
                                      bool integer_scale);
    // Called before each frame is drawn: makes the renderer place the canvas as
    // canvas_placement says for the window's current size.
    void fit_canvas();
    // Whether the window can be seen: neither hidden nor minimised.
    bool shown() const;
    // Whether presenting waits for the display: vsync granted and the window shown.
    bool presents_in_step() const;
    int refresh_rate() const;   // of the window's display, in Hz; 60 when unknown
    void set_color(int color);  // 0xRRGGBBAA

    void draw_pixel(Point p, unsigned int color);
    void draw_line(Point a, Point b, unsigned int color);
    void draw_rect(Point a, Point b, unsigned int color, bool filled);
    void draw_circle(Point center, int radius, unsigned int color, bool filled);
    void draw_triangle(Point p1, Point p2, Point p3, unsigned int color, bool filled);
    void draw_triangle_top(Point p1, Point p2, Point p3, unsigned int color);
    void draw_triangle_bottom(Point p1, Point p2, Point p3, unsigned int color);

    // The texture of the content folder + name, loaded on first use; null (reported once) on
    // failure. After the renderer lost its textures (see targets_lost) every image is loaded
    // again before the next one is handed out.
    SDL_Texture* load_image(const std::string& name);
    void blit(const std::string& name, const PixelRect* source, const PixelRect* destination);
    void blit_ex(const std::string& name, const PixelRect* source, const PixelRect* destination,
                 float angle, const SDL_Point* center, FlipDirection flip);
    // blit for each copy in turn, with the image looked up once: for the thousands of tile
    // copies of a frame.
    void blit_all(const std::string& name, std::span<const Copy> copies);

    // ---- Drawing into textures (render targets) ----

    // A texture that drawing can be redirected into. Its owner keeps it; it never outlives the
    // renderer: once the Graphics is gone, a Target holds nothing and frees nothing.
    class Target {
    public:
        ~Target();
        Target(const Target&) = delete;
        Target& operator=(const Target&) = delete;

        int width = 0;
        int height = 0;

    private:
        friend class Graphics;
        Target() = default;
        SDL_Texture* texture = nullptr;
        std::weak_ptr<const bool> renderer_alive;
    };

    // An image's pixels as 0xRRGGBBAA, row by row, for checking art.
    struct Pixels {
        int width = 0;
        int height = 0;
        std::vector<uint32_t> rgba;
        uint32_t at(int x, int y) const {
            return rgba[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                        static_cast<std::size_t>(x)];
        }
    };

    // Whether the renderer can draw into textures; when not, create_target gives null.
    bool targets_supported() const;
    bool targets_allowed = true;  // false: act as a renderer without targets
    // A transparent width by height texture to draw into, or null.
    std::unique_ptr<Target> create_target(int width, int height);
    // Whether the target was made by this Graphics (and is still usable with it).
    bool owns(const Target& target) const;
    // From here on, drawing goes into the target; null sends it to the canvas again. The
    // target's own size is its canvas: no logical scaling applies inside it.
    void draw_into(Target* target);
    // Copies the whole target to `destination`; `opaque` replaces what is below instead of
    // blending, for targets known to have no transparent pixel.
    void blit_target(const Target& target, const PixelRect& destination, bool opaque);
    // The pixels of the content folder + name read again from the file; false when it cannot
    // be read.
    bool read_image(const std::string& name, Pixels& out) const;

    Config config;
    std::map<std::string, SDL_Texture*> textures;  // by path; null marks a failed load
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    std::string error;         // what could not be made and why, without a newline; empty when fine
    bool whole_scale = false;  // whether the renderer currently scales by whole factors

    // When set, every blit and blit_ex is appended here; with `blit_log_only` the copy is
    // then not handed to SDL at all (to measure the CPU side of drawing alone).
    std::vector<BlitRecord>* blit_log = nullptr;
    // When set, every string a Text draws is appended here with its box (see engine/text.h).
    std::vector<DrawnText>* text_log = nullptr;
    bool blit_log_only = false;
    // Image copies handed to SDL so far (blits and targets alike), for benchmarks.
    uint64_t copies_made = 0;
    // Points, lines and rectangles handed to SDL so far, one per call to SDL, for benchmarks.
    uint64_t primitives_made = 0;
    // How often the renderer lost what was drawn into targets (SDL_RENDER_TARGETS_RESET or
    // SDL_RENDER_DEVICE_RESET, seen as SDL raises them): whoever keeps pictures in targets
    // draws them again when this has changed.
    uint64_t targets_lost = 0;

private:
    // load_image past the memo below: the cache by path, then the file. Out of line, so that
    // the memo's check stays small enough to be inlined into every blit.
    [[gnu::noinline]] SDL_Texture* find_image(const std::string& name);
    // A new texture of the image file at `path`; null after one line on stderr naming `name`.
    SDL_Texture* texture_from_file(const std::string& path, const std::string& name);
    // Makes every cached image's texture again from its file.
    [[gnu::noinline]] void reload_images();
    uint64_t images_seen_lost = 0;  // targets_lost when the image textures were last made

    // The last image asked for and its entry in `textures`: nearly every copy of a frame names
    // the same sheet, so most lookups end here without building a path. Map entries keep their
    // address, and none is erased before the destructor.
    std::string last_name;
    SDL_Texture* const* last_entry = nullptr;

    // Counts lost targets as the events are raised, before anyone polls them.
    static int watch_events(void* graphics, SDL_Event* event);
    // Reset before the renderer goes: Targets still around then know not to free anything.
    std::shared_ptr<const bool> renderer_alive;
    Target* current_target = nullptr;
};
