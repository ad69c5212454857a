// Start-up of the real player with cardsim on COM3 and COM4: the card link is
// probed, the player type comes from the card's answer, and the start-up
// commands go out in order.

#include <gtest/gtest.h>

#include "support/CardSim.h"
#include "support/PlayerProcess.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

std::vector<std::string> HeardCommands(const test::CardSim& sim, const std::string& port,
                                       size_t count) {
    std::vector<std::string> texts;
    for (const auto& line : sim.Commands(port, count)) texts.push_back(line["command"]);
    return texts;
}

TEST(CardStartupSystemTest, PlayerTypeAndStartUpCommandsComeFromTheCardOnCom3) {
    test::CardSim sim(LEDPLAYER_BIN_DIR, {"--model", "J7", "--letter", "L", "--aux"});
    test::TempDir dir;
    auto root = dir.Path() / "device";
    test::MakeDeviceRoot(root, test::PlaylistXml({}));
    test::WriteHostFile(root / "nand" / "table" / "pointenable.dat", "");
    test::WriteHostFile(root / "nand" / "table" / "setManualbright.dat",
                        std::string("\x00\x80", 2));

    // The card's waits run on real time whatever the player's clock, so the
    // player may run fast here.
    auto run =
        test::RunPlayer(root, {"--com3", sim.CardPath(), "--com4", sim.AuxPath(), "--clock-start",
                               "2026-03-05 10:00:00", "--time-scale", "10", "--run-for", "20"});
    ASSERT_EQ(run.exitStatus, 0) << run.output;

    auto types = run.Events("player-type");
    ASSERT_EQ(types.size(), 1u) << run.output;
    EXPECT_EQ(types[0]["type"], "J7-L");
    EXPECT_EQ(types[0]["width"], 2880);
    EXPECT_EQ(types[0]["height"], 600);

    auto ports = run.Events("card-port");
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0]["baud"], 576000);
    EXPECT_EQ(ports[1]["port"], "aux");
    EXPECT_EQ(ports[1]["baud"], 115200);

    auto brightness = run.Events("brightness");
    ASSERT_FALSE(brightness.empty());
    EXPECT_EQ(brightness[0]["level"], 128);
    EXPECT_EQ(brightness[0]["ok"], true);

    auto card = HeardCommands(sim, "card", 5);
    ASSERT_GE(card.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(card.begin(), card.begin() + 5),
              (std::vector<std::string>{"*#RL d#*", "*#RL 0034 0003#*", "*#WL 003C 0001 01#*",
                                        "*#WL D400 0202 0df28047#*", "*#WL CC00 0202 0cf347#*"}));
}

TEST(CardStartupSystemTest, WithoutACardThePlayerStartsAndReportsAHardwareError) {
    test::TempDir dir;
    auto root = dir.Path() / "device";
    test::MakeDeviceRoot(root, test::PlaylistXml({}));
    test::WriteHostFile(root / "nand" / "Language.dat", std::string("\x00", 1));  // English
    auto run =
        test::RunPlayer(root, {"--com3", (dir.Path() / "no-such-tty").string(), "--clock-start",
                               "2026-03-05 10:00:00", "--time-scale", "4", "--run-for", "4"});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    auto types = run.Events("player-type");
    ASSERT_EQ(types.size(), 1u);
    EXPECT_EQ(types[0]["type"], "hardware erro");
    auto brightness = run.Events("brightness");
    ASSERT_FALSE(brightness.empty());
    EXPECT_EQ(brightness[0]["ok"], false);
    EXPECT_FALSE(run.Events("started").empty());
}

}  // namespace
}  // namespace led
