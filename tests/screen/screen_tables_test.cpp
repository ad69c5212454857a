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
using test::CardSim;
using test::MakeCardPlayer;
using test::TempDir;

std::vector<std::string> CardCommands(const CardSim& sim, size_t count) {
    std::vector<std::string> texts;
    for (const auto& line : sim.Commands("card", count)) texts.push_back(line["command"]);
    return texts;
}

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

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

TEST(ScreenTablesTest, GammaIsRememberedOnlyWhenTheCardAcknowledges) {
    const std::string working = "\\nand\\tabletemp\\GammaGreen.dat";
    {
        CardSim sim(BinDir(), {});
        TempDir dir;
        auto player = MakeCardPlayer(dir.Path(), sim);
        // A byte cannot hold it: nothing is sent.
        EXPECT_FALSE(ApplyGamma(*player, GammaColour::Green, 300));
        ASSERT_TRUE(ApplyGamma(*player, GammaColour::Green, 22));
        EXPECT_EQ(player->device.gamma[1], 22);
        std::string kept = FileText(*player, working);
        EXPECT_EQ(kept.size(), 1045u);
        EXPECT_TRUE(kept.starts_with("*#WL F800 0202 06f9"));
        EXPECT_EQ(CardCommands(sim, 1), std::vector<std::string>{kept});
    }
    {
        CardSim sim(BinDir(), {"--fault", "silent"});
        TempDir dir;
        auto player = MakeCardPlayer(dir.Path(), sim);
        EXPECT_FALSE(ApplyGamma(*player, GammaColour::Green, 22));
        EXPECT_EQ(player->device.gamma[1], 0);
        EXPECT_FALSE(player->fs.Exists(working));
        EXPECT_EQ(CardCommands(sim, 1).size(), 1u);
    }
}

TEST(ScreenTablesTest, RawTablesKeepTheirWorkingCopyAsTheKindRequires) {
    const std::string table = "*#WL 1000 0004 01020304#*";
    for (bool acknowledging : {true, false}) {
        CardSim sim(BinDir(), acknowledging ? std::vector<std::string>{}
                                            : std::vector<std::string>{"--fault", "silent"});
        TempDir dir;
        auto player = MakeCardPlayer(dir.Path(), sim);
        EXPECT_EQ(ApplyRawTable(*player, Bytes(table), "router.dat"), acknowledging);
        EXPECT_EQ(FileText(*player, "\\nand\\tabletemp\\router.dat"), table);
        EXPECT_EQ(ApplyRawTable(*player, Bytes(table), "moduletablefile.dat", RawTableKind::Module),
                  acknowledging);
        EXPECT_EQ(player->fs.Exists("\\nand\\tabletemp\\moduletablefile.dat"), acknowledging);
        EXPECT_EQ(CardCommands(sim, 2), (std::vector<std::string>{table, table}));
    }
    CardSim sim(BinDir(), {});
    TempDir dir;
    auto player = MakeCardPlayer(dir.Path(), sim);
    EXPECT_FALSE(ApplyRawTable(*player, {}, "para.dat"));
    EXPECT_FALSE(ApplyRawTable(*player, std::vector<uint8_t>(4097, '0'), "para.dat"));
    EXPECT_FALSE(ApplyRawTable(*player, Bytes(table), "..\\netinfo.txt"));
    EXPECT_FALSE(player->fs.Exists("\\nand\\tabletemp\\para.dat"));
    EXPECT_FALSE(player->fs.Exists("\\nand\\netinfo.txt"));
    // What reaches the card after the refusals is the next table alone.
    EXPECT_TRUE(ApplyRawTable(*player, Bytes(table), "link.dat"));
    EXPECT_EQ(CardCommands(sim, 1), std::vector<std::string>{table});
}

TEST(ScreenTablesTest, WhiteBalanceAndColourCorrectionKeepWhatArrived) {
    CardSim sim(BinDir(), {});
    TempDir dir;
    auto player = MakeCardPlayer(dir.Path(), sim);
    std::vector<uint8_t> rgb{0x10, 0x20, 0xff};
    ASSERT_TRUE(ApplyWhiteBalance(*player, rgb));
    EXPECT_EQ(player->fs.ReadFile("\\nand\\tabletemp\\writebalance.dat"), rgb);
    auto colours = Coefficients({1, 0, 0, 0, 1, 0, 0, 0, 1, 0.5f, 0.5f, 0.5f});
    ASSERT_TRUE(ApplyColourCorrection(*player, colours));
    EXPECT_EQ(player->fs.ReadFile("\\nand\\tabletemp\\color.dat"), colours);
    auto commands = CardCommands(sim, 2);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0], "*#WL 002B 0003 1020FF#*");
    EXPECT_EQ(commands[1],
              "*#WL C000 0014 3dd3"
              "7F01000100010001"
              "7F01000100010001"
              "7F013F013F013F01#*");

    // Short payloads are refused before a byte is written or sent.
    EXPECT_FALSE(ApplyWhiteBalance(*player, std::vector<uint8_t>{1, 2}));
    EXPECT_FALSE(ApplyColourCorrection(*player, std::span(colours).first(47)));
    EXPECT_EQ(player->fs.ReadFile("\\nand\\tabletemp\\writebalance.dat"), rgb);
    EXPECT_EQ(player->fs.ReadFile("\\nand\\tabletemp\\color.dat"), colours);
    ASSERT_TRUE(ApplyWhiteBalance(*player, std::vector<uint8_t>{1, 2, 3, 4}));
    commands = CardCommands(sim, 3);
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[2], "*#WL 002B 0003 010203#*");
}

TEST(ScreenTablesTest, SaveMovesTheWorkingCopiesAndSwitchesTheCard) {
    CardSim sim(BinDir(), {});
    TempDir dir;
    test::WriteHostFile(dir.Path() / "nand" / "tabletemp" / "para.dat", "new");
    test::WriteHostFile(dir.Path() / "nand" / "tabletemp" / "GammaRed.dat", "red");
    test::WriteHostFile(dir.Path() / "nand" / "table" / "PARA.DAT", "old");
    test::WriteHostFile(dir.Path() / "nand" / "table" / "link.dat", "kept");
    test::WriteHostFile(dir.Path() / "nand" / "table" / "brightAdj.dat", "x");
    test::WriteHostFile(dir.Path() / "nand" / "table" / "poweronoff.dat", "x");
    auto player = MakeCardPlayer(dir.Path(), sim);

    SaveTables(*player, 1);
    EXPECT_EQ(FileText(*player, "\\nand\\table\\para.dat"), "new");
    EXPECT_EQ(FileText(*player, "\\nand\\table\\GammaRed.dat"), "red");
    EXPECT_EQ(FileText(*player, "\\nand\\table\\link.dat"), "kept");
    EXPECT_TRUE(player->fs.List("\\nand\\tabletemp").empty());
    EXPECT_FALSE(player->fs.Exists("\\nand\\table\\brightAdj.dat"));
    EXPECT_FALSE(player->fs.Exists("\\nand\\table\\poweronoff.dat"));
    EXPECT_EQ(CardCommands(sim, 3),
              (std::vector<std::string>{"*#WL C400 0202 0af547#*", "*#WL C400 0202 0af500#*",
                                        "*#WL C800 0202 0bf400#*"}));

    // Flag 0 keeps the working copies and only switches the output off.
    test::WriteHostFile(dir.Path() / "nand" / "tabletemp" / "link.dat", "newer");
    SaveTables(*player, 0);
    EXPECT_EQ(FileText(*player, "\\nand\\table\\link.dat"), "kept");
    auto commands = CardCommands(sim, 4);
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[3], "*#WL C800 0202 0bf400#*");
}

TEST(ScreenTablesTest, SaveWithoutWorkingFilesStillSwitchesC400) {
    CardSim sim(BinDir(), {});
    TempDir dir;
    auto player = MakeCardPlayer(dir.Path(), sim);
    SaveTables(*player, 1);
    EXPECT_EQ(CardCommands(sim, 3),
              (std::vector<std::string>{"*#WL C400 0202 0af547#*", "*#WL C400 0202 0af500#*",
                                        "*#WL C800 0202 0bf400#*"}));
    EXPECT_TRUE(player->fs.List("\\nand\\table").empty());
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
