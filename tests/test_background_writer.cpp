#include "engine/background_writer.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>
#include <vector>

// Jobs run in the order they came, never on the thread that posted them, and a writer that
// goes away with jobs still queued runs them first.
TEST(BackgroundWriter, RunsJobsInOrderElsewhereAndFinishesThemBeforeItGoes) {
    std::vector<int> done;
    const std::thread::id poster = std::this_thread::get_id();
    bool elsewhere = true;
    {
        BackgroundWriter writer;
        writer.flush();  // nothing posted yet: returns at once
        auto job = [&](int i) {
            return [&, i] {
                done.push_back(i);
                elsewhere = elsewhere && std::this_thread::get_id() != poster;
            };
        };
        for (int i = 0; i < 100; ++i) writer.post(job(i));
        writer.flush();
        EXPECT_EQ(done.size(), 100u);
        for (int i = 100; i < 200; ++i) writer.post(job(i));
    }
    std::vector<int> expected(200);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(done, expected);
    EXPECT_TRUE(elsewhere);
}
