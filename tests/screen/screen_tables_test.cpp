#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

#include "screen/CardTestSupport.h"
#include "screen/ScreenTables.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

using test::BinDir;
using test::Bytes;
using test::CardCommands;
using test::CardSim;
using test::MakeCardPlayer;
using test::TempDir;

std::string FileText(const Player& player, const std::string& path) {
    return player.fs.ReadText(path).value_or("<missing>");
}

std::vector<uint8_t> Coefficients(std::initializer_list<float> values) {
    std::vector<uint8_t> bytes;
    for (float v : values) {
        uint32_t bits = std::bit_cast<uint32_t>(v);
        for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(bits >> (8 * i)));
    }
    return bytes;
}

TEST(ScreenTablesTest, GammaCurveAndCommandCarryTheKnownEntries) {
    auto linear = GammaCurve(10);
    EXPECT_EQ(linear[0], 0);
    EXPECT_EQ(linear[128], 2055);
    EXPECT_EQ(linear[255], 4095);
    EXPECT_EQ(GammaCurve(22)[128], 899);

    std::string red = GammaCommand(GammaColour::Red, 22);
    ASSERT_EQ(red.size(), 1045u);
    EXPECT_TRUE(red.starts_with("*#WL FC00 0202 05fa0000"));
    EXPECT_EQ(red.substr(19 + 128 * 4, 4), "0383");  // 899
    EXPECT_TRUE(red.ends_with("0fff#*"));
    EXPECT_TRUE(GammaCommand(GammaColour::Green, 10).starts_with("*#WL F800 0202 06f9"));
    EXPECT_TRUE(GammaCommand(GammaColour::Blue, 10).starts_with("*#WL F400 0202 07f8"));
}

TEST(ScreenTablesTest, ColourAndWhiteBalanceCommandsEncodeTheReceivedValues) {
    EXPECT_EQ(WhiteBalanceCommand(0x12, 0xab, 0), "*#WL 002B 0003 12AB00#*");

    const float inf = std::numeric_limits<float>::infinity();
    auto received = Coefficients(
        {2.0f, 2.5f, -0.5f, 0.0f, 1.0f, 0.5f, -2.0f, 1.999f, -inf, inf, std::nanf(""), -100.0f});
    auto command = ColourCorrectionCommand(received);
    ASSERT_TRUE(command);
    EXPECT_EQ(*command,
              "*#WL C000 0014 3dd3"
              "FE01FF013F000001"
              "7F013F01FE00FD01"
              "FF00FF010001FF00#*");
    EXPECT_EQ(command->size(), 69u);
    received.pop_back();
    EXPECT_FALSE(ColourCorrectionCommand(received));
}

TEST(ScreenTablesTest, WorkingCopiesAndGammaFollowTheCardsAcknowledgement) {
    const std::string table = "*#WL 1000 0004 01020304#*";
    const std::vector<uint8_t> rgb{0x10, 0x20, 0xff};
    const auto colours = Coefficients({1, 0, 0, 0, 1, 0, 0, 0, 1, 0.5f, 0.5f, 0.5f});
    for (bool acknowledging : {true, false}) {
        CardSim sim(BinDir(), acknowledging ? std::vector<std::string>{}
                                            : std::vector<std::string>{"--fault", "silent"});
        TempDir dir;
        auto player = MakeCardPlayer(dir.Path(), sim);
        EXPECT_EQ(ApplyGamma(*player, GammaColour::Green, 22), acknowledging);
        EXPECT_EQ(player->device.gamma[1], acknowledging ? 22 : 0);
        std::string gamma = FileText(*player, "\\nand\\tabletemp\\GammaGreen.dat");
        // Other tables keep their copy either way, the module table only once taken.
        EXPECT_EQ(ApplyRawTable(*player, Bytes(table), "router.dat"), acknowledging);
        EXPECT_EQ(FileText(*player, "\\nand\\tabletemp\\router.dat"), table);
        EXPECT_EQ(ApplyRawTable(*player, Bytes(table), "moduletablefile.dat", RawTableKind::Module),
                  acknowledging);
        EXPECT_EQ(player->fs.Exists("\\nand\\tabletemp\\moduletablefile.dat"), acknowledging);
        EXPECT_EQ(ApplyWhiteBalance(*player, rgb), acknowledging);
        EXPECT_EQ(player->fs.ReadFile("\\nand\\tabletemp\\writebalance.dat"), rgb);
        EXPECT_EQ(ApplyColourCorrection(*player, colours), acknowledging);
        EXPECT_EQ(player->fs.ReadFile("\\nand\\tabletemp\\color.dat"), colours);

        auto commands = CardCommands(sim, 5);
        ASSERT_EQ(commands.size(), 5u);
        EXPECT_TRUE(commands[0].starts_with("*#WL F800 0202 06f9"));
        EXPECT_EQ(commands[0].size(), 1045u);
        EXPECT_EQ(gamma, acknowledging ? commands[0] : "<missing>");
        EXPECT_EQ(commands[1], table);
        EXPECT_EQ(commands[2], table);
        EXPECT_EQ(commands[3], "*#WL 002B 0003 1020FF#*");
        EXPECT_TRUE(commands[4].starts_with("*#WL C000 0014 3dd37F0100010001")) << commands[4];
    }
}

TEST(ScreenTablesTest, BadRequestsAreRefusedBeforeAnythingIsWrittenOrSent) {
    CardSim sim(BinDir(), {});
    TempDir dir;
    auto player = MakeCardPlayer(dir.Path(), sim);
    const std::vector<uint8_t> table = Bytes("*#WL 1000 0001 01#*");
    EXPECT_FALSE(ApplyGamma(*player, GammaColour::Red, 300));  // a byte cannot hold it
    EXPECT_FALSE(ApplyRawTable(*player, {}, "para.dat"));
    EXPECT_FALSE(ApplyRawTable(*player, std::vector<uint8_t>(4097, '0'), "para.dat"));
    EXPECT_FALSE(ApplyRawTable(*player, table, "..\\netinfo.txt"));
    EXPECT_FALSE(ApplyWhiteBalance(*player, std::vector<uint8_t>{1, 2}));
    EXPECT_FALSE(ApplyColourCorrection(*player, std::vector<uint8_t>(47, 0)));
    EXPECT_TRUE(player->fs.List("\\nand\\tabletemp").empty());
    EXPECT_FALSE(player->fs.Exists("\\nand\\netinfo.txt"));
    // What reaches the card after the refusals is the next table alone.
    EXPECT_TRUE(ApplyRawTable(*player, table, "link.dat"));
    EXPECT_EQ(CardCommands(sim, 1), std::vector<std::string>{"*#WL 1000 0001 01#*"});
}

TEST(ScreenTablesTest, SaveSwitchesC400AndMovesTheWorkingCopies) {
    const std::vector<std::string> saveCommands{
        "*#WL C400 0202 0af547#*", "*#WL C400 0202 0af500#*", "*#WL C800 0202 0bf400#*"};
    CardSim sim(BinDir(), {});
    TempDir dir;
    auto player = MakeCardPlayer(dir.Path(), sim);
    SaveTables(*player, 1);  // nothing to move: the card still stores its set
    EXPECT_EQ(CardCommands(sim, 3), saveCommands);

    const auto nand = dir.Path() / "nand";
    test::WriteHostFile(nand / "tabletemp" / "para.dat", "new");
    test::WriteHostFile(nand / "table" / "PARA.DAT", "old");
    test::WriteHostFile(nand / "table" / "link.dat", "kept");
    test::WriteHostFile(nand / "table" / "brightAdj.dat", "x");
    test::WriteHostFile(nand / "table" / "poweronoff.dat", "x");
    SaveTables(*player, 0);  // the output goes off; the working copies stay
    EXPECT_EQ(FileText(*player, "\\nand\\table\\para.dat"), "old");
    EXPECT_FALSE(player->fs.Exists("\\nand\\table\\brightAdj.dat"));
    EXPECT_FALSE(player->fs.Exists("\\nand\\table\\poweronoff.dat"));
    SaveTables(*player, 1);
    EXPECT_EQ(FileText(*player, "\\nand\\table\\para.dat"), "new");
    EXPECT_EQ(FileText(*player, "\\nand\\table\\link.dat"), "kept");
    EXPECT_TRUE(player->fs.List("\\nand\\tabletemp").empty());
    auto commands = CardCommands(sim, 7);
    ASSERT_EQ(commands.size(), 7u);
    EXPECT_EQ(commands[3], saveCommands[2]);
    EXPECT_EQ(std::vector(commands.begin() + 4, commands.end()), saveCommands);
}

TEST(ScreenTablesTest, StoredGammaTablesAreSentOnlyWhole) {
    CardSim sim(BinDir(), {});
    TempDir dir;
    const std::string red = "*#WL FC00 0202 05fa" + std::string(1024, '0') + "#*";
    test::WriteHostFile(dir.Path() / "nand" / "table" / "GammaRed.dat", red);
    auto player = MakeCardPlayer(dir.Path(), sim);
    EXPECT_TRUE(SendStoredGammaTables(*player));
    EXPECT_EQ(CardCommands(sim, 1), std::vector<std::string>{red});

    // A blue file holding the red curve (or a cut one) never reaches the card.
    test::WriteHostFile(dir.Path() / "nand" / "table" / "GammaBlue.dat", red);
    test::WriteHostFile(dir.Path() / "nand" / "table" / "GammaGreen.dat", red.substr(0, 600));
    EXPECT_FALSE(SendStoredGammaTables(*player));
    EXPECT_EQ(CardCommands(sim, 2), (std::vector<std::string>{red, red}));
}

}  // namespace
}  // namespace led
