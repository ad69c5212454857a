#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "core/WorkerThread.h"
#include "program/RemoteWindow.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

// Two programs started close together (quick program keys): each launcher
// restarts the remote window, and neither may be left waiting on the other's
// window thread.
TEST(RemoteWindowTest, LaunchersRestartingItTogetherBothGoOn) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "nand" / "table");
    // Real-time clock: the replaced window notices within 500 ms, long enough
    // for the second launcher to arrive meanwhile.
    auto player = test::MakeTestPlayer(dir.Path(), 1.0);
    auto remote =
        std::make_unique<WorkerThread>("remote", 3, [p = player.get()] { RemoteWindowThread(*p); });
    player->threads.remoteWindowThread = remote.get();
    remote->Start();
    player->threads.workers.push_back(std::move(remote));

    std::atomic<int> returned{0};
    std::vector<std::thread> launchers;
    for (int i = 0; i < 2; ++i)
        launchers.emplace_back([&] {
            RestartRemoteWindow(*player);
            returned.fetch_add(1);
        });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (returned.load() < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(returned.load(), 2) << "a launcher is still waiting on the remote window";
    EXPECT_TRUE(player->threads.remoteWindowThread->IsRunning()) << "a remote window remains";
    player->BeginShutdown();  // frees a blocked launcher, so the test can end
    for (auto& t : launchers) t.join();
}

}  // namespace
}  // namespace led
