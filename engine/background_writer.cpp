#include "engine/background_writer.h"

#include <utility>

#ifndef __EMSCRIPTEN__
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

#ifdef __EMSCRIPTEN__
constexpr bool kThreads = false;  // the page is built without threads
#else
constexpr bool kThreads = true;
constexpr int kNiceness = 10;
#endif

}  // namespace

BackgroundWriter::~BackgroundWriter() {
    flush();
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    if (thread.joinable()) thread.join();
}

void BackgroundWriter::post(std::function<void()> job) {
    {
        std::lock_guard lock(mutex);
        queue.push_back(std::move(job));
#ifndef __EMSCRIPTEN__
        if (!thread.joinable()) thread = std::thread([this] { work(); });
#endif
    }
    wake.notify_one();
}

void BackgroundWriter::work() {
#ifndef __EMSCRIPTEN__
    // Below the frames: woken by a post, the writer must not take the core from the frame
    // that posted. Linux gives each thread its own niceness; failing to lower it is harmless.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kNiceness);
#endif
    std::unique_lock lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return stopping || !queue.empty(); });
        if (queue.empty()) return;
        std::function<void()> job = std::move(queue.front());
        queue.pop_front();
        busy = true;
        lock.unlock();
        job();
        lock.lock();
        busy = false;
        if (queue.empty()) idle.notify_all();
    }
}

void BackgroundWriter::run_queued() {
    if (kThreads) return;
    // One at a time, unlocked while each runs, so that a job may post another.
    for (;;) {
        std::function<void()> job;
        {
            std::lock_guard lock(mutex);
            if (queue.empty()) return;
            job = std::move(queue.front());
            queue.pop_front();
        }
        job();
    }
}

void BackgroundWriter::flush() {
    if (!kThreads) {
        run_queued();
        return;
    }
    std::unique_lock lock(mutex);
    idle.wait(lock, [this] { return queue.empty() && !busy; });
}
