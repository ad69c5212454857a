// The real player under a supervising systemd: what it sends to the notify
// socket when nothing but pictures plays.

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "support/NotifySocket.h"
#include "support/PlayerProcess.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

TEST(SupervisorSystemTest, ReadyOnceAfterStartUpThenAKeepAliveEveryFiveSeconds) {
    test::TempDir dir;
    auto root = dir.Path() / "device";
    test::MakeDeviceRoot(
        root, test::PlaylistXml({{.id = "P", .playtime = 600, .areas = {test::AreaXml(4, 1)}}}));
    test::NotifySocket supervisor(dir.Path() / "notify");
    ASSERT_TRUE(supervisor.Bound());

    // 120 s of player time at 20 times real time. The supervisor reads as it
    // goes, as systemd does: a datagram socket holds only a few messages.
    auto running = std::async(std::launch::async, [&] {
        return test::RunPlayer(root, {"--clock-start", "2026-03-05 10:00:00", "--time-scale", "20",
                                      "--run-for", "120"});
    });
    while (running.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
        supervisor.Messages();
    auto run = running.get();
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    ASSERT_FALSE(run.Events("started").empty()) << run.output;
    EXPECT_TRUE(run.Events("video-start").empty());

    EXPECT_EQ(supervisor.Count("READY=1"), 1);
    // One every 5 s once the keep-alive thread runs: some 22 of the 24 in
    // 120 s, the start-up taking the rest. The bounds leave room for a busy
    // machine, yet tell a keep-alive every 10 s or every second apart.
    const long keepAlives = supervisor.Count("WATCHDOG=1");
    EXPECT_GE(keepAlives, 16);
    EXPECT_LE(keepAlives, 25);
}

}  // namespace
}  // namespace led
