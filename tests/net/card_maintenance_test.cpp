#include <gtest/gtest.h>

#include <fstream>

#include "net/CardMaintenance.h"
#include "screen/CardTestSupport.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

using test::BinDir;
using test::Bytes;
using test::CardCommands;
using test::CardSim;
using test::MakeCardPlayer;
using test::TempDir;

std::vector<nlohmann::json> Events(const std::string& path, const std::string& name) {
    std::vector<nlohmann::json> found;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        auto event = nlohmann::json::parse(line, nullptr, false);
        if (event.value("event", "") == name) found.push_back(event);
    }
    return found;
}

// A 27-byte card command with `field` at characters 16..19.
std::string TestSwitch(const std::string& field) { return "*#WL 0100 0005 0" + field + "00000#*"; }

void ExpectPlaybackReleased(Player& player) {
    EXPECT_FALSE(player.device.cardTest);
    EXPECT_FALSE(player.playback.hold.Suspended());
    for (Layer layer : {Layer::Normal, Layer::Osd}) {
        EXPECT_EQ(player.LayerOf(layer).currentIndex, -1);
        EXPECT_TRUE(player.LayerOf(layer).programFinished);
    }
}

TEST(CardMaintenanceTest, BadPayloadsAreRefusedBeforeAnythingIsSent) {
    CardSim sim(BinDir(), {});
    TempDir dir;
    auto player = MakeCardPlayer(dir.Path(), sim);
    const std::string block(2048, 'a');
    EXPECT_FALSE(CardPassThrough(*player, {}));
    EXPECT_FALSE(CardPassThrough(*player, std::vector<uint8_t>(4097, '*')));
    EXPECT_FALSE(CardTestCommand(*player, {}));
    EXPECT_FALSE(ReadCardRegister(*player, std::vector<uint8_t>{38, 0, 2}));
    EXPECT_FALSE(ReadCardRegister(*player, std::vector<uint8_t>{38, 0, 2, 0, 0}));
    EXPECT_FALSE(ReadCardRegister(*player, std::vector<uint8_t>{0x10, 0x27, 2, 0}));  // 10000
    EXPECT_FALSE(WriteCardRegister(*player, Bytes("00A000" + block.substr(1))));
    EXPECT_FALSE(WriteCardRegister(*player, Bytes("00A000" + block + "0")));
    EXPECT_FALSE(WriteCardRegister(*player, Bytes("00A0#*" + block)));
    EXPECT_TRUE(CardPassThrough(*player, Bytes("*#WL 0100 0002 abcd#*")));
    EXPECT_EQ(CardCommands(sim, 1), std::vector<std::string>{"*#WL 0100 0002 abcd#*"});
}

TEST(CardMaintenanceTest, RegisterAndPointCommandsReachTheCard) {
    CardSim sim(BinDir(), {"--status", "03"});
    TempDir dir;
    auto player = MakeCardPlayer(dir.Path(), sim);
    const std::string block(2048, 'a');
    EXPECT_EQ(ReadCardRegister(*player, std::vector<uint8_t>{38, 0, 2, 0}), "%#RL#%*#01&00&#*");
    EXPECT_TRUE(WriteCardRegister(*player, Bytes("00A000" + block)));
    // The count at 000f (3) asks for twice as many bytes from 4000.
    EXPECT_EQ(ReadCardModuleData(*player), "%#RL#%*#00&00&00&00&00&00&#*");
    EXPECT_TRUE(SetPointEnable(*player, 1));
    EXPECT_TRUE(player->fs.Exists("\\nand\\table\\pointenable.dat"));
    // Off must stay off across a restart, which switches on when the file exists.
    EXPECT_TRUE(SetPointEnable(*player, 0));
    EXPECT_FALSE(player->fs.Exists("\\nand\\table\\pointenable.dat"));
    EXPECT_EQ(
        CardCommands(sim, 7),
        (std::vector<std::string>{"*#RL 0038 0002#*", "*#WL E800 2048 " + block + "#*",
                                  "*#WL 0039 0006 00A000#*", "*#RL 000f 0080#*", "*#RL 4000 0006#*",
                                  "*#WL 003C 0001 01#*", "*#WL 003C 0001 00#*"}));
    {
        CardSim silent(BinDir(), {"--fault", "silent"});
        TempDir other;
        auto unanswered = MakeCardPlayer(other.Path(), silent);
        EXPECT_FALSE(CardPassThrough(*unanswered, Bytes("*#WL 0100 0002 abcd#*")));
        EXPECT_FALSE(ReadCardModuleData(*unanswered));
    }
}

TEST(CardMaintenanceTest, StatusFlagsFollowTheCountAndTheTestMode) {
    CardSim sim(BinDir(), {"--status", "05", "--points", "1010" + std::string(252, '1')});
    TempDir dir;
    auto player = MakeCardPlayer(dir.Path(), sim);
    EXPECT_EQ(GetCardStatusFlags(*player), (std::vector<uint8_t>{1, 0, 1, 0, 1}));
    player->device.cardTestMode = 1;
    EXPECT_EQ(GetCardStatusFlags(*player), std::vector<uint8_t>{1});
    EXPECT_EQ(player->device.cardTestMode, 0);
    EXPECT_EQ(GetCardStatusFlags(*player).size(), 5u);
}

TEST(CardMaintenanceTest, CardTestDisplayHoldsPlaybackUntilLeftOrUnanswered) {
    {
        CardSim sim(BinDir(), {});
        TempDir dir;
        TempDir events;
        auto player = MakeCardPlayer(dir.Path(), sim);
        player->fs.CreateDirectory("\\nand\\table");
        ASSERT_TRUE(player->events.Open(events / "events.jsonl"));
        EXPECT_TRUE(CardTestCommand(*player, Bytes(TestSwitch("4700"))));
        EXPECT_TRUE(player->device.cardTest);
        EXPECT_EQ(player->device.cardTestMode, 1);
        EXPECT_TRUE(player->playback.hold.Suspended());
        EXPECT_TRUE(player->fs.Exists("\\nand\\table\\curprog.dat"));  // resumes there
        EXPECT_TRUE(CardTestCommand(*player, Bytes(TestSwitch("0000"))));
        ExpectPlaybackReleased(*player);

        // A firmware block shows its number / 13 as the percentage.
        std::string block = "*#WL CC00 0208 2dd2" + std::string(512, 'F') + "0041#*";
        EXPECT_TRUE(CardTestCommand(*player, Bytes(block)));
        auto progress = Events(events / "events.jsonl", "card-firmware");
        ASSERT_EQ(progress.size(), 1u);
        EXPECT_EQ(progress[0]["percent"], 5);
    }
    CardSim sim(BinDir(), {"--fault", "silent"});
    TempDir dir;
    auto player = MakeCardPlayer(dir.Path(), sim);
    EXPECT_FALSE(CardTestCommand(*player, Bytes(TestSwitch("0047"))));
    ExpectPlaybackReleased(*player);
}

struct FirmwareFixture {
    explicit FirmwareFixture(std::vector<std::string> cardArgs, const std::string& firmware)
        : sim(BinDir(), std::move(cardArgs)) {
        if (!firmware.empty())
            test::WriteHostFile(dir.Path() / "Storage Card" / "videotemp65" / "fpga.bin", firmware);
        player = MakeCardPlayer(dir.Path(), sim);
        player->events.Open(events / "events.jsonl");
    }
    CardSim sim;
    TempDir dir, events;
    std::unique_ptr<Player> player;
};

TEST(CardMaintenanceTest, FirmwareUpdateStopsAtTheFirstMissingAnswer) {
    {
        FirmwareFixture f({}, "");
        EXPECT_FALSE(FpgaUpdate(*f.player));
        EXPECT_FALSE(f.player->playback.hold.Suspended());
        EXPECT_TRUE(CardPassThrough(*f.player, Bytes("*#WL 0100 0001 01#*")));
        EXPECT_EQ(CardCommands(f.sim, 1), std::vector<std::string>{"*#WL 0100 0001 01#*"});
    }
    FirmwareFixture f({"--fault", "silent"}, std::string(300, '\x5a'));
    EXPECT_FALSE(FpgaUpdate(*f.player));
    EXPECT_EQ(f.player->fs.FileSize("\\nand\\fpgafile.upr"), 300u);
    EXPECT_EQ(CardCommands(f.sim, 3), (std::vector<std::string>{"*#WL C800 000a 0bf4000000#*",
                                                                "*#WL C800 000a 0bf4000047#*",
                                                                "*#WL C800 000a 0bf4000000#*"}));
    ExpectPlaybackReleased(*f.player);
}

TEST(CardMaintenanceTest, FirmwareUpdateSendsNumberedBlocksTheCardConfirms) {
    // The card reports block 1 as taken; the update waits 10 s for its erase.
    FirmwareFixture f({}, std::string(200, '\x01'));
    ASSERT_TRUE(CardPassThrough(*f.player, Bytes("*#WL 0038 0002 0001#*")));
    EXPECT_TRUE(FpgaUpdate(*f.player));
    std::string block = "*#WL CC00 0208 2dd2";
    for (int i = 0; i < 200; ++i) block += "01";
    block += std::string(112, 'F') + "0001#*";
    EXPECT_EQ(CardCommands(f.sim, 7),
              (std::vector<std::string>{"*#WL 0038 0002 0001#*", "*#WL C800 000a 0bf4000000#*",
                                        "*#WL C800 000a 0bf4000047#*", "*#RL 0038 0002#*", block,
                                        "*#RL 0038 0002#*", "*#WL C800 000a 0bf4000000#*"}));
    auto progress = Events(f.events / "events.jsonl", "card-firmware");
    ASSERT_EQ(progress.size(), 1u);
    EXPECT_EQ(progress[0]["block"], 1);
    EXPECT_EQ(progress[0]["percent"], 0);
    ExpectPlaybackReleased(*f.player);
}

}  // namespace
}  // namespace led
