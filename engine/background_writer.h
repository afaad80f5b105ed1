// Runs jobs one at a time, in the order they were posted, away from the frame that posted them:
// on a thread of its own, or in a web page (which has no threads) when the game loop calls
// run_queued after showing a frame. Writing a player's files this way never holds up a frame.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class BackgroundWriter {
public:
    BackgroundWriter() = default;
    // Runs every job still queued, then ends the thread: nothing posted is lost at exit.
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Queues `job`; the thread starts with the first one. A job may post others, never flush.
    void post(std::function<void()> job);
    // Without threads, runs the queued jobs here and now; with them, does nothing.
    void run_queued();
    // Returns once every job posted so far has run. Whoever reads what the jobs write calls
    // this first.
    void flush();

private:
    void work();  // the thread's loop

    std::mutex mutex;
    std::condition_variable wake;  // a job came, or the writer is stopping
    std::condition_variable idle;  // the queue ran empty
    std::deque<std::function<void()>> queue;
    bool busy = false;  // a job taken from the queue is running
    bool stopping = false;
    std::thread thread;
};
