#include "net/MobileRelink.h"

#include <spdlog/spdlog.h>

#include "core/Player.h"

namespace led {
namespace {

void MobileEvent(Player& player, const char* step, EventLog::Fields fields = {}) {
    fields["step"] = step;
    player.events.Emit("mobile-link", fields);
}

void HangUp(Player& player) {
    player.mobileLink->HangUpAndWait();
    player.network.mobileLinked = false;
    MobileEvent(player, "hang-up");
}

}  // namespace

bool RelinkMobile(Player& player) {
    MobileLink& link = *player.mobileLink;
    if (player.network.mobileLinked) HangUp(player);

    const bool modem = link.DetectModem();
    MobileEvent(player, "detect", {{"modem", modem}});
    if (!modem) return false;

    if (!link.EntryExists()) {
        const bool created = link.CreateEntry();
        MobileEvent(player, "create-entry", {{"ok", created}});
    }
    if (link.LinkState() == kLinkConnected) {
        MobileEvent(player, "state", {{"state", int(kLinkConnected)}});
        return true;
    }

    bool dialled = link.Dial();
    MobileEvent(player, "dial", {{"ok", dialled}});
    player.SleepOrStop(2);
    if (link.LinkState() == kLinkOpeningPort) {
        // Stuck opening the port: start over once.
        HangUp(player);
        dialled = link.Dial();
        MobileEvent(player, "dial", {{"ok", dialled}});
    }
    player.SleepOrStop(3);
    const int state = link.LinkState();
    MobileEvent(player, "state", {{"state", state}});
    if (state == kLinkDisconnected) HangUp(player);
    if (state != kLinkConnected) return false;
    player.network.mobileLinked = true;
    spdlog::info("mobile link: connected");
    return true;
}

}  // namespace led
