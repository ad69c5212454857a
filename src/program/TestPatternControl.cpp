#include "program/TestPatternControl.h"

#include <spdlog/spdlog.h>

#include <cstdio>

#include "core/Player.h"
#include "core/WorkerThread.h"
#include "program/ProgramControl.h"
#include "program/ScreenPower.h"

namespace led {
namespace {

constexpr int kEndRunningMs = 600;
constexpr int kSeeStopMs = 500;
constexpr int kStartSettleMs = 50;

std::string HexColour(const TestRequest& r) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", r.red, r.green, r.blue);
    return text;
}

}  // namespace

bool StartTestPattern(Player& player, const TestRequest& request) {
    if (request.pattern < 0 || request.pattern >= kPatternCount) {
        spdlog::info("test pattern {}: no such pattern, nothing changes", request.pattern);
        return false;
    }
    auto& flag = player.playback.hold.testPattern;
    flag = 0;
    const uint32_t generation = player.threads.testPatternGeneration.fetch_add(1) + 1;
    player.SleepOrStop(kEndRunningMs);
    flag = 1;
    StopProgram(player, player.LayerOf(Layer::Normal).areaCount.load(), true);
    StopOSDProgram(player, player.LayerOf(Layer::Osd).areaCount.load());
    EventLog::Fields fields = {{"action", "start"}, {"pattern", request.pattern}};
    if (request.pattern == 6) fields["colour"] = HexColour(request);
    player.events.Emit("test-pattern", fields);
    player.threads.testPatternThread->StartWith(
        [&player, request, generation] { RunTestPattern(player, request, generation); });
    player.SleepOrStop(kStartSettleMs);
    return true;
}

bool StopTestPattern(Player& player) {
    auto& flag = player.playback.hold.testPattern;
    // A stop without a pattern must not restart the programs that play.
    if (flag.exchange(0) == 0) {
        spdlog::info("test pattern: none runs, nothing to stop");
        return false;
    }
    player.SleepOrStop(kSeeStopMs);
    RestartBothLayers(player);
    player.events.Emit("test-pattern", {{"action", "stop"}});
    return true;
}

}  // namespace led
