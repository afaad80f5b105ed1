#include "engine/web.h"

#include <emscripten.h>

namespace Web {

void run_main_loop(void (*frame)(void*), void* context) {
    // Frame rate 0: the browser's animation frames pace the loop, as vsync does on a desktop.
    // The last argument leaves this call by unwinding to the browser instead of returning.
    emscripten_set_main_loop_arg(frame, context, 0, 1);
    __builtin_unreachable();
}

void stop_main_loop() { emscripten_cancel_main_loop(); }

}  // namespace Web
