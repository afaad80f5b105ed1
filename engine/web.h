// What only a build for web browsers needs (compiled into the engine there alone). In a page
// the browser owns the main loop and calls back once per animation frame; the program may not
// block it.
#pragma once

namespace Web {

// Calls `frame(context)` once per animation frame until `stop_main_loop`. Never returns: the
// browser drives the loop from here on. Locals of `main` stay alive for the life of the page,
// those of the functions between `main` and this call do not, so `context` must not be one.
[[noreturn]] void run_main_loop(void (*frame)(void*), void* context);

// Called from inside a frame: no further frames.
void stop_main_loop();

}  // namespace Web
