// The real player plays a digital clock program on virtual time: snapshots
// at two moments show different digits in the clock's area and nothing
// outside it; `expand-tokens` and `read-rtf` run the areas' code.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "platform/image/ImageCodec.h"
#include "support/PlayerProcess.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

std::string RunTool(const std::string& args, const std::string& input = "") {
    const auto in =
        std::filesystem::temp_directory_path() /
        ("clock-tool-in-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    test::WriteHostFile(in, input);
    const std::string command = std::string(LEDPLAYER_BIN_DIR) + "/ledplayer " + args + " < " +
                                in.string() + " 2>/dev/null";
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
        pclose(p);
    }
    std::filesystem::remove(in);
    return out;
}

TEST(ClockSystemTest, DigitsChangeBetweenTwoSnapshots) {
    test::TempDir dir;
    auto root = dir.Path() / "device";
    const std::string area =
        "<area id=\"0\" x=\"100\" y=\"50\" w=\"600\" h=\"200\" type=\"13\"><name>c</name>"
        "<edge degree=\"0\" color=\"0\"/><background mode=\"0\"><color>000000</color></background>"
        "<filename id=\"0\"><filepath>clock.rtf</filepath></filename></area>";
    test::MakeDeviceRoot(root, test::PlaylistXml({{.id = "C", .playtime = 60, .areas = {area}}}));
    test::WriteHostFile(
        root / "Storage Card" / "video" / "clock.rtf",
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl ;\\red255\\green255"
        "\\blue255;}\\pard\\qc\\cf1\\fs96 %H:%M:%S\\par}");
    auto snapshots = dir.Path() / "snapshots";
    auto run = test::RunPlayer(
        root, {"--clock-start", "2026-03-05 10:00:00", "--time-scale", "2", "--run-for", "8",
               "--snapshot-dir", snapshots.string(), "--snapshot-every", "3"});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    std::vector<Surface> shots;
    for (const auto& snap : run.Events("snapshot")) {
        auto image = ImageCodec().Load(snap["file"].get<std::string>());
        ASSERT_TRUE(image.Ok()) << image.Message();
        shots.push_back(std::move(image.picture));
    }
    ASSERT_GE(shots.size(), 2u) << run.output;
    const Rect inside{100, 50, 600, 200};
    const Surface& a = shots[shots.size() - 2];
    const Surface& b = shots.back();
    int inked = 0, changed = 0;
    for (int y = inside.y; y < inside.Bottom(); ++y)
        for (int x = inside.x; x < inside.Right(); ++x) {
            inked += (b.Pixel(x, y) & 0xFFFFFF) != 0;
            changed += (a.Pixel(x, y) & 0xFFFFFF) != (b.Pixel(x, y) & 0xFFFFFF);
        }
    EXPECT_GT(inked, 200) << "the clock's digits are drawn";
    EXPECT_GT(changed, 20) << "and they change";
    EXPECT_EQ(test::CountPixels(b, b.Bounds(), 0), b.Width() * b.Height() - inked)
        << "nothing outside the area";
}

TEST(ClockSystemTest, ExpandTokensForAYearOfDays) {
    std::string days;
    for (int d = 1; d <= 28; ++d) {
        char line[32];
        std::snprintf(line, sizeof line, "2024-02-%02d 12:00:00\n", d);
        days += line;
    }
    const std::string out = RunTool(
        "expand-tokens --area 13 --format '%Y-%m-%d %E %n%r' --at - "
        "--weeknames 日,一,二,三,四,五,六",
        days);
    EXPECT_NE(out.find("2024-02-10 六 正月初一\n"), std::string::npos) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 28);
    EXPECT_EQ(RunTool("expand-tokens --area 17 --format '%d %H:%M:%S' --at '2024-01-01 00:00:00' "
                      "--arrival 2024,1,2,2,3,4"),
              "1 02:03:04\n");
    EXPECT_EQ(RunTool("expand-tokens --area 13 --format '%H' --at '2024-01-01 00:30:00' "
                      "--differ 0,0,1,0,0"),
              "23\n");
}

TEST(ClockSystemTest, ExpandTokensFormatsSensorReadings) {
    EXPECT_EQ(RunTool("expand-tokens --area 14 --format '%C C / %F F' --value 23.46 --error -0.5 "
                      "--precision 1"),
              "23.0 C / 73.3 F\n");
    EXPECT_EQ(RunTool("expand-tokens --area 15 --format '%u%' --value 55.5"), "56%\n");
    EXPECT_EQ(RunTool("expand-tokens --area 16 --format '%o dB' --value 40 --valid 0"), "N/A dB\n");
    // Bad numbers and sensor options on a clock are refused, with nothing printed.
    EXPECT_EQ(RunTool("expand-tokens --area 14 --format '%C' --value warm"), "");
    EXPECT_EQ(RunTool("expand-tokens --area 14 --format '%C' --valid 2"), "");
    EXPECT_EQ(RunTool("expand-tokens --area 13 --format '%H' --value 1"), "");
}

TEST(ClockSystemTest, ReadRtfPrintsTheRuns) {
    test::TempDir dir;
    const auto file = dir.Path() / "t.rtf";
    test::WriteHostFile(file,
                        "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}"
                        "\\cf1\\b Hello\\b0 World\\par \\'c4\\'e3}");
    const auto j = nlohmann::json::parse(RunTool("read-rtf " + file.string()));
    EXPECT_EQ(j["result"], 1);
    EXPECT_EQ(j["colours"], nlohmann::json::array({0, 255}));
    ASSERT_EQ(j["runs"].size(), 3u);
    EXPECT_EQ(j["runs"][0]["text"], "Hello");
    EXPECT_EQ(j["runs"][0]["bold"], 1);
    EXPECT_EQ(j["runs"][0]["colour"], 255);
    EXPECT_EQ(j["runs"][2]["text"], "你");
    EXPECT_EQ(j["runs"][2]["newLine"], 1);
    EXPECT_EQ(
        nlohmann::json::parse(RunTool("read-rtf " + (dir.Path() / "none").string()))["result"], 0);
}

}  // namespace
}  // namespace led
