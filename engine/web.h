// What only a build for web browsers needs (compiled into the engine there alone). In a page
// the browser owns the main loop and calls back once per animation frame; the program may not
// block it.
#pragma once

#include <string>

namespace Web {

// Calls `frame(context)` once per animation frame until `stop_main_loop`. Never returns: the
// browser drives the loop from here on. Locals of `main` stay alive for the life of the page,
// those of the functions between `main` and this call do not, so `context` must not be one.
[[noreturn]] void run_main_loop(void (*frame)(void*), void* context);

// Called from inside a frame: no further frames.
void stop_main_loop();

// Asks the page to copy the home folder into the browser's storage, so that what was just
// saved survives a reload. The copy runs after the current frame.
void store_files();

// Calls `then(context)` once the browser's audio has settled: a resume the page asked for (on
// the key that ended the game, say) finished, or a second passed. Closing the audio while a
// resume is pending makes the browser report an error.
void after_audio_settles(void (*then)(void*), void* context);

// Tells the page that the game has ended, so that it can say so instead of a frozen picture.
void report_ended();

// Tells the page that the game could not start, and the one line that says why (a bad option
// in the page's address, say): the page shows it instead of a black canvas.
void report_not_started(const std::string& why);

}  // namespace Web
