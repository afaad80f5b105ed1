// A state of the program that the main loop drives: the title screen, the play screen.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class Audio;
class Graphics;
class Input;

class Screen {
public:
    virtual ~Screen() = default;
    // Called once per loop step with the milliseconds since the previous step. All state
    // changes happen here. True: keep this screen and draw it; false: it is finished.
    virtual bool update(const Input& input, Audio& audio, unsigned int elapsed) = 0;
    // Called after an update that returned true, between clear and present. Changes nothing
    // of the screen's rules.
    virtual void draw(Graphics& graphics) const = 0;
    // The successor of a finished screen, newly allocated; the caller owns it. Null ends the
    // program.
    virtual Screen* next_screen() const { return nullptr; }
    // The looping music track for this screen; empty means silence.
    virtual std::string get_music_track() const { return ""; }

    void count_frame(unsigned int ms);
    float fps() const;  // average over the last 30 counted frames

    std::array<uint32_t, 30> frame_times{};
    uint32_t frame_index = 0;
};
