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

// The page's script may lack either hook (a page of one's own): then nothing happens.
void store_files() {
    EM_ASM({
        if (Module.saveFiles) Module.saveFiles();
    });
}

void after_audio_settles(void (*then)(void*), void* context) {
    // clang-format off
    EM_ASM({
        var audio = Module.SDL2 && Module.SDL2.audioContext;
        var settled = audio && audio.state === 'suspended' ? audio.resume() : Promise.resolve();
        var patience = new Promise(function(done) { setTimeout(done, 1000); });
        Promise.race([settled.catch(function() {}), patience]).then(function() {
            dynCall('vi', $0, [$1]);
        });
    }, then, context);
    // clang-format on
}

void report_ended() {
    EM_ASM({
        if (Module.onGameEnded) Module.onGameEnded();
    });
}

void report_not_started(const std::string& why) {
    // clang-format off
    EM_ASM({
        if (Module.onAbort) Module.onAbort(UTF8ToString($0));
    }, why.c_str());
    // clang-format on
}

}  // namespace Web
