#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "core/WorkerThread.h"

namespace led {
namespace {

// Program launchers restart the remote window thread while the player may be
// shutting down: restarts racing each other and the final join must neither
// crash nor leave a thread running.
TEST(WorkerThreadTest, RestartsRacingTheFinalJoinLeaveNothingRunning) {
    for (int round = 0; round < 20; ++round) {
        WorkerThread worker("remote", 3,
                            [] { std::this_thread::sleep_for(std::chrono::microseconds(100)); });
        worker.Start();
        std::vector<std::thread> launchers;
        for (int i = 0; i < 3; ++i)
            launchers.emplace_back([&] {
                for (int k = 0; k < 20; ++k) worker.Start();
            });
        std::this_thread::sleep_for(std::chrono::microseconds(200 * (round % 5)));
        worker.Join();
        const int starts = worker.Starts();
        EXPECT_FALSE(worker.IsRunning());
        for (auto& t : launchers) t.join();
        EXPECT_EQ(worker.Starts(), starts) << "started again after the final join";
        EXPECT_FALSE(worker.IsRunning());
    }
}

TEST(WorkerThreadTest, AnEndedBodyIsReportedAndCanBeStartedAgain) {
    std::atomic<int> runs{0};
    WorkerThread worker("normal-sched", 3, [&] { runs.fetch_add(1); });
    worker.Start();
    while (worker.IsRunning()) std::this_thread::yield();
    worker.Start();
    worker.Join();
    EXPECT_EQ(runs.load(), 2);
    EXPECT_EQ(worker.Starts(), 2);
}

}  // namespace
}  // namespace led
