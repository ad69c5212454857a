// ledctl as people and scripts run it, against the real player on loopback:
// its JSON output, its exit status and what the player logged.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "support/ControlClient.h"
#include "support/PlayerProcess.h"
#include "support/TestPlayer.h"

namespace led::test {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;

struct ToolRun {
    int status = -1;
    json out;           // the --json document (null when stdout held none)
    std::string error;  // stderr
};

class LedctlTest : public ::testing::Test {
protected:
    void Start(std::vector<std::string> args = {}) {
        MakeDeviceRoot(dir_.Path() / "root", PlaylistXml({{.id = "1", .areas = {AreaXml(0, 1)}}}));
        args.insert(args.end(), {"--clock-start", "2026-03-05 08:00:00"});
        player_ = std::make_unique<LivePlayer>(dir_.Path() / "root", args);
        tcp_ = player_->Port("tcp");
        udp_ = player_->Port("udp");
        text_ = player_->Port("text");
        ASSERT_GT(tcp_, 0) << player_->Output();
        ASSERT_GT(udp_, 0) << player_->Output();
        ASSERT_GT(text_, 0) << player_->Output();
    }

    // build/bin/ledctl with the player's ports, --json and `args`.
    ToolRun Ledctl(const std::vector<std::string>& args) {
        std::string command = std::string("'") + LEDPLAYER_BIN_DIR + "/ledctl' --json --timeout 5" +
                              " --tcp-port " + std::to_string(tcp_) + " --udp-port " +
                              std::to_string(udp_) + " --text-port " + std::to_string(text_);
        for (const auto& a : args) command += " '" + a + "'";
        std::string errors = dir_ / "ledctl.err";
        command += " 2>'" + errors + "'";
        ToolRun run;
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return run;
        std::string out;
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = json::parse(out, nullptr, false);
        if (run.out.is_discarded()) run.out = nullptr;
        std::ifstream in(errors);
        run.error.assign(std::istreambuf_iterator<char>(in), {});
        return run;
    }

    std::filesystem::path Table(const std::string& name) {
        return dir_.Path() / "root" / "nand" / "table" / name;
    }

    TempDir dir_;
    std::unique_ptr<LivePlayer> player_;
    int tcp_ = 0, udp_ = 0, text_ = 0;
};

TEST_F(LedctlTest, DiscoverFindsThePlayerOnLoopback) {
    // The segment answer goes to 127.255.255.255, which loopback delivers.
    Start({"--set", "net.broadcast-address=127.255.255.255"});

    ToolRun one = Ledctl({"discover", "--to", "127.0.0.1"});
    ASSERT_EQ(one.status, 0) << one.error;
    ASSERT_EQ(one.out["devices"].size(), 1u) << one.out.dump();
    EXPECT_EQ(one.out["devices"][0]["version"], "2.3.0.1");
    EXPECT_EQ(one.out["devices"][0]["account"], "guest");
    EXPECT_EQ(one.out["devices"][0]["from"], "127.0.0.1");

    ToolRun segment = Ledctl({"discover", "--broadcast", "127.0.0.1", "--wait", "2"});
    ASSERT_EQ(segment.status, 0) << segment.error;
    ASSERT_EQ(segment.out["devices"].size(), 1u);
    EXPECT_TRUE(segment.out["devices"][0].contains("boardSupport"));
    EXPECT_TRUE(player_->WaitForEvent("control", {{"transport", "udp"}, {"code", 4}}));
}

TEST_F(LedctlTest, InfoReadsDescriptionSettingsStorageAndScreen) {
    Start();
    ToolRun info = Ledctl({"info"});
    ASSERT_EQ(info.status, 0) << info.error;
    EXPECT_EQ(info.out["ok"], true);
    EXPECT_EQ(info.out["command"], "info");
    EXPECT_EQ(info.out["device"]["version"], "2.3.0.1");
    EXPECT_EQ(info.out["screen"]["width"], 1920);
    EXPECT_EQ(info.out["screen"]["height"], 1080);
    EXPECT_TRUE(info.out["storage"]["freeMB"].is_number());
    EXPECT_EQ(info.out["netinfo"].get<std::string>().rfind("guest,", 0), 0u) << info.out.dump();
}

TEST_F(LedctlTest, BrightnessIsSetThenReadAndASchedulesLossNeedsYes) {
    Start();
    ToolRun set = Ledctl({"brightness", "set", "77"});
    ASSERT_EQ(set.status, 0) << set.error;
    ToolRun get = Ledctl({"brightness", "get"});
    ASSERT_EQ(get.status, 0) << get.error;
    EXPECT_EQ(get.out["level"], 77);
    EXPECT_EQ(get.out["type"], 1);  // manual

    // A time table on the player: a fixed level would delete it.
    ToolRun schedule = Ledctl({"brightness", "schedule", "08:00-18:00=200,18:00-08:00=40"});
    ASSERT_EQ(schedule.status, 0) << schedule.error;
    EXPECT_EQ(schedule.out["windows"], json({"08:00-18:00=200", "18:00-08:00=40"}));
    EXPECT_TRUE(std::filesystem::exists(Table("brightAdj.dat")));

    ToolRun refused = Ledctl({"brightness", "set", "50"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.error.find("--yes"), std::string::npos) << refused.error;
    EXPECT_TRUE(std::filesystem::exists(Table("brightAdj.dat")));
    ToolRun forced = Ledctl({"brightness", "set", "50", "--yes"});
    EXPECT_EQ(forced.status, 0) << forced.error;
    EXPECT_FALSE(std::filesystem::exists(Table("brightAdj.dat")));

    EXPECT_EQ(Ledctl({"brightness", "set", "256"}).status, 2);
    EXPECT_EQ(Ledctl({"brightness", "schedule", "25:00-26:00=1"}).status, 2);
}

TEST_F(LedctlTest, ScreenOffDeletesSchedulesOnlyWithYes) {
    Start();
    std::ofstream(Table("poweronoff.dat"), std::ios::binary)
        << std::string("\x08\x00\x00\x12\x00\x00", 6);

    ToolRun refused = Ledctl({"screen", "off"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.error.find("--yes"), std::string::npos) << refused.error;
    EXPECT_TRUE(std::filesystem::exists(Table("poweronoff.dat")));

    ToolRun off = Ledctl({"screen", "off", "--yes"});
    ASSERT_EQ(off.status, 0) << off.error;
    // Relayed: the configuration server runs it.
    EXPECT_TRUE(player_->WaitForEvent("control", {{"transport", "udp"}, {"code", 28}}));
    // Relayed, acknowledged before it is done: the tool waits until it is.
    EXPECT_FALSE(std::filesystem::exists(Table("poweronoff.dat")));
    EXPECT_EQ(Ledctl({"screen", "on"}).status, 0);
    EXPECT_TRUE(player_->WaitForEvent("control", {{"transport", "udp"}, {"code", 29}}));
    // A power schedule shorter than one record deletes the file: that is
    // what the tool waits for, not the bytes it sent.
    std::ofstream(Table("poweronoff.dat"), std::ios::binary)
        << std::string("\x08\x00\x00\x12\x00\x00", 6);
    const auto shortSchedule = dir_.Path() / "short.dat";
    std::ofstream(shortSchedule, std::ios::binary) << std::string("\x08\x00", 2);
    ToolRun deleted = Ledctl({"send-file", "power-schedule", shortSchedule.string()});
    EXPECT_EQ(deleted.status, 0) << deleted.error;
    EXPECT_FALSE(std::filesystem::exists(Table("poweronoff.dat")));
}

TEST_F(LedctlTest, MessageIsShownAndLogged) {
    Start();
    ToolRun shown = Ledctl({"message", "--left", "10", "--top", "20", "--width", "200", "--height",
                            "40", "\\F24Hello\\nWorld"});
    ASSERT_EQ(shown.status, 0) << shown.error;
    EXPECT_TRUE(player_->WaitForEvent(
        "text-message",
        {{"left", 10}, {"top", 20}, {"width", 200}, {"height", 40}, {"text", "Hello\nWorld"}}))
        << player_->Output();

    EXPECT_EQ(Ledctl({"message", "--left", "0", "--top", "0", "--width", "10", "--height", "10",
                      std::string(257, 'x')})
                  .status,
              2);
}

TEST_F(LedctlTest, UploadInstallsAProgramDirectoryThatThenPlays) {
    Start();
    ASSERT_TRUE(player_->WaitForEvent("program-start", {{"id", "1"}})) << player_->Output();
    const std::filesystem::path program = dir_.Path() / "program";
    WriteHostFile(program / "playlist.xml", PlaylistXml({{.id = "2", .areas = {AreaXml(4, 1)}}}));
    WriteHostFile(program / "p0.bmp", std::string(70000, 'x'));

    ToolRun upload = Ledctl({"upload", program.string()});
    ASSERT_EQ(upload.status, 0) << upload.error;
    EXPECT_TRUE(player_->WaitForEvent("install", {{"verdict", "installed"}})) << player_->Output();
    EXPECT_TRUE(player_->WaitForEvent("program-start", {{"id", "2"}})) << player_->Output();
    const auto media = dir_.Path() / "root" / "Storage Card" / "video" / "p0.bmp";
    EXPECT_EQ(std::filesystem::file_size(media), 70000u);

    // Again: the media are there already and only the playlist travels.
    ToolRun again = Ledctl({"upload", program.string()});
    ASSERT_EQ(again.status, 0) << again.error;
    EXPECT_EQ(std::filesystem::file_size(media), 70000u);
}

TEST_F(LedctlTest, FontAddInstallsTheFileAndMergesItIntoTheFontList) {
    Start();
    const std::filesystem::path font = dir_.Path() / "Board Sans.ttf";
    WriteHostFile(font, std::string(5000, 'f'));  // the player only stores it
    ToolRun add = Ledctl({"font", "add", font.string(), "--name", "Board Sans"});
    ASSERT_EQ(add.status, 0) << add.error;
    const auto nand = dir_.Path() / "root" / "nand";
    // The tool is done at the acknowledgement; the player installs after it.
    ASSERT_TRUE(player_->WaitForEvent("install", {{"fonts", true}, {"verdict", "installed"}}))
        << player_->Output();
    EXPECT_EQ(std::filesystem::file_size(nand / "font" / "Board Sans.ttf"), 5000u);
    std::ifstream in(nand / "FontDir.xml");
    const std::string list(std::istreambuf_iterator<char>(in), {});
    EXPECT_NE(list.find("Board Sans.ttf"), std::string::npos) << list;
    EXPECT_NE(list.find("fontname=\"Board Sans\""), std::string::npos) << list;
}

TEST_F(LedctlTest, CaptureFetchesAFreshBitmapOfTheWholeScreen) {
    Start();
    const std::string shot = dir_ / "shot.bmp";
    ToolRun capture = Ledctl({"capture", "-o", shot});
    ASSERT_EQ(capture.status, 0) << capture.error;
    // 1920 x 1080 at 24 bits behind the 54-byte header.
    EXPECT_EQ(std::filesystem::file_size(shot), 6220854u);
    EXPECT_FALSE(std::filesystem::exists(shot + ".part"));
}

TEST_F(LedctlTest, FailuresAndBadCommandLinesHaveTheirExitStatus) {
    Start();
    EXPECT_EQ(Ledctl({"no-such-command"}).status, 2);
    ToolRun badCode = Ledctl({"raw", "300"});
    EXPECT_EQ(badCode.status, 2);
    EXPECT_EQ(badCode.out["ok"], false);  // scripts get their JSON for usage errors too
    EXPECT_EQ(Ledctl({"clock", "set", "2026-13-01 00:00:00"}).status, 2);

    // A heartbeat is answered; code 93 has no reply.
    ToolRun heartbeat = Ledctl({"raw", "100"});
    ASSERT_EQ(heartbeat.status, 0) << heartbeat.error;
    EXPECT_EQ(heartbeat.out["answers"][0]["code"], 100);
    ToolRun silent = Ledctl({"--timeout", "1", "raw", "93"});
    EXPECT_EQ(silent.status, 1);
    EXPECT_EQ(silent.out["ok"], false);

    // Nobody on the port.
    ToolRun nobody = Ledctl({"--tcp-port", "1", "reboot"});
    EXPECT_EQ(nobody.status, 1);
}

}  // namespace
}  // namespace led::test
