#include <gtest/gtest.h>

#include "core/TestLog.h"
#include "platform/clock/Clock.h"
#include "platform/fs/DeviceFs.h"
#include "storage/Files.h"
#include "storage/PlayerType.h"
#include "storage/RunMode.h"
#include "storage/SettingsFiles.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

class StorageTest : public ::testing::Test {
protected:
    StorageTest() { std::filesystem::create_directories(dir.Path() / "nand" / "table"); }
    void Put(const std::string& boardPath, const std::string& bytes) {
        ASSERT_TRUE(fs.WriteText(boardPath, bytes));
    }
    test::TempDir dir;
    DeviceFs fs{dir.Path()};
};

TEST_F(StorageTest, RunModeComesFromStorePlace) {
    EXPECT_EQ(DecideRunMode(fs), RunMode::Flash) << "missing file";
    Put(files::kStorePlace, std::string("\x01", 1));
    EXPECT_EQ(DecideRunMode(fs), RunMode::SdCard);
    EXPECT_TRUE(fs.Exists(files::kStorePlace));
    Put(files::kStorePlace, std::string("\x00\x01", 2));
    EXPECT_EQ(DecideRunMode(fs), RunMode::Flash);
    EXPECT_FALSE(fs.Exists(files::kStorePlace)) << "a zero byte deletes the file";
    Put(files::kStorePlace, "");
    EXPECT_EQ(DecideRunMode(fs), RunMode::Flash) << "empty file";
}

TEST_F(StorageTest, StartUpCreatesTheRunModesDirectories) {
    std::filesystem::create_directories(dir.Path() / "Storage Card");
    CreateStandardDirectories(fs, BuildStoragePaths(RunMode::Flash));
    for (const char* d :
         {"\\Storage Card\\video", "\\Storage Card\\videotemp", "\\Storage Card\\xml",
          "\\nand\\upfiles", "\\nand\\tabletemp", "\\nand\\table\\statisticalnoise",
          "\\nand\\table\\statisticalnoisetemp", "\\Storage Card\\osd"})
        EXPECT_TRUE(fs.IsDirectory(d)) << d;
}

TEST_F(StorageTest, LanguageDefaultsToChinese) {
    EXPECT_TRUE(ReadLanguageChinese(fs));
    Put(files::kLanguage, std::string("\x01", 1));
    EXPECT_TRUE(ReadLanguageChinese(fs));
    Put(files::kLanguage, std::string("\x00", 1));
    EXPECT_FALSE(ReadLanguageChinese(fs));
    Put(files::kLanguage, "2");
    EXPECT_FALSE(ReadLanguageChinese(fs));
}

TEST_F(StorageTest, TestConfigGivesTheWindowSize) {
    EXPECT_EQ(ParseTestConfig("1024*768/"), (Size{1024, 768}));
    EXPECT_EQ(ParseTestConfig("800*600/junk after"), (Size{800, 600}));
    for (const char* junk : {"", "1024", "1024*", "1024*768", "abc*def/", "*768/", "0*768/",
                             "1024x768/", "99999999999*1/"})
        EXPECT_FALSE(ParseTestConfig(junk)) << junk;

    EXPECT_EQ(DecideWindowSize(fs, {1920, 1080}), (Size{1920, 1080})) << "no file";
    EXPECT_EQ(DecideWindowSize(fs, {1280, 1024}), (Size{1920, 1080}));
    EXPECT_EQ(DecideWindowSize(fs, {800, 600}), (Size{800, 600}));
    EXPECT_EQ(DecideWindowSize(fs, {2880, 600}), (Size{2880, 600}));
    std::filesystem::create_directories(dir.Path() / "Storage Card 1_0");
    Put(files::kTestConfig, "1024*768/");
    EXPECT_EQ(DecideWindowSize(fs, {1920, 1080}), (Size{1024, 768}));
    Put(files::kTestConfig, "garbage!!");
    EXPECT_EQ(DecideWindowSize(fs, {1920, 1080}), (Size{1920, 1080})) << "junk: the screen rule";
    // A size the command line would refuse (beyond 16384 a side: a raster of
    // gigabytes) must not break every boot from the SD card.
    Put(files::kTestConfig, "16384*600/");
    EXPECT_EQ(DecideWindowSize(fs, {1920, 1080}), (Size{16384, 600})) << "the largest --size";
    for (const char* huge : {"16385*600/", "600*16385/", "20000*20000/", "99999*99999/"}) {
        Put(files::kTestConfig, huge);
        EXPECT_EQ(DecideWindowSize(fs, {800, 600}), (Size{800, 600})) << huge;
    }
}

TEST_F(StorageTest, VolumeIsClampedAndStoredAsOneByte) {
    EXPECT_EQ(ReadVolume(fs, 100), 100) << "missing file";
    EXPECT_EQ(AdjustVolume(95, 10), 100);
    EXPECT_EQ(AdjustVolume(5, -10), 0);
    EXPECT_EQ(AdjustVolume(50, 10), 60);
    ASSERT_TRUE(WriteVolume(fs, 70));
    EXPECT_EQ(fs.ReadText(files::kVolume), std::string(1, char(70)));
    EXPECT_EQ(ReadVolume(fs, 100), 70);
    Put(files::kVolume, std::string(1, char(0xC8)));  // -56 as the board's signed byte
    EXPECT_EQ(ReadVolume(fs, 100), 0);
}

TEST_F(StorageTest, VolumeAdjustmentWindowsMayCrossMidnight) {
    EXPECT_EQ(ScheduledVolume(fs, 12, 0, 0, 77), 77) << "missing file";
    // 22:00 to 06:00 at 20; then a window that holds nothing; a torn record.
    Put(files::kAdjVolume, std::string("\x16\x00\x06\x00\x14\x09\x00\x09\x00\x63\x01", 11));
    EXPECT_EQ(ScheduledVolume(fs, 23, 30, 0, 77), 20);
    EXPECT_EQ(ScheduledVolume(fs, 5, 59, 59, 77), 20);
    EXPECT_EQ(ScheduledVolume(fs, 6, 0, 0, 77), 77) << "the end is outside";
    EXPECT_EQ(ScheduledVolume(fs, 9, 0, 0, 77), 77) << "begin equal to end holds nothing";
}

TEST(TestLogFormat, NumbersAreNotPadded) {
    LocalTime t{2026, 3, 5, 7, 8, 9};
    EXPECT_EQ(FormatTestLogEntry("board boot staring ...", t),
              "board boot staring ... at:2026-3-5 7:8:9 \r\n");
    LocalTime t2{2026, 12, 25, 23, 59, 10};
    EXPECT_EQ(FormatTestLogEntry("x", t2), "x at:2026-12-25 23:59:10 \r\n");
}

TEST_F(StorageTest, TestLogAppendsWholeEntriesOnlyWhenEnabled) {
    std::filesystem::create_directories(dir.Path() / "Storage Card");
    TestLog log(fs);
    LocalTime t{2026, 3, 5, 7, 8, 9};
    EXPECT_FALSE(log.Append(files::kRebootRec, "a", t));
    EXPECT_FALSE(fs.Exists(files::kRebootRec));
    log.Enable(true);
    ASSERT_TRUE(log.Append(files::kRebootRec, "a", t));
    ASSERT_TRUE(log.Append(files::kRebootRec, "b", t));
    EXPECT_EQ(fs.ReadText(files::kRebootRec), "a at:2026-3-5 7:8:9 \r\nb at:2026-3-5 7:8:9 \r\n");
}

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(PlayerTypeTest, EveryModelCodeGivesItsTypeAndBounds) {
    // Three characters as two hex digits each, one character apart: "J", the
    // generation digit and the type letter.
    const struct {
        const char* answer;
        const char* type;
        Size bounds;
    } kCases[] = {
        {"4A 37 43", "J7-C", {1024, 768}},       {"4A 37 20", "J7", {1920, 1080}},
        {"4A 37 41", "J7-A", {1920, 1080}},      {"4A 37 4C", "J7-L", {2880, 600}},
        {"4A 37 53", "J7-S", {640, 480}},        {"4A 36 43", "J6-C", {1920, 1080}},
        {"4A 36 20", "J6", {1920, 1080}},        {"4A 36 53", "J6-S", {1920, 1080}},
        {"%#RL4a,37,4c#%", "J7-L", {2880, 600}},  // lower-case digits, other separators
    };
    for (const auto& c : kCases) {
        PlayerType type = ParsePlayerType(Bytes(c.answer), false);
        EXPECT_EQ(type.text, c.type) << c.answer;
        EXPECT_TRUE(type.known) << c.answer;
        EXPECT_EQ(type.rasterBounds, c.bounds) << c.answer;
        EXPECT_EQ(type.ShiftsOsdRight(), std::string(c.type) == "J6-C") << c.answer;
    }
    // An unknown letter of a known generation is no type: a hardware error.
    PlayerType unknown = ParsePlayerType(Bytes("4A 37 5A"), false);
    EXPECT_EQ(unknown.text, "hardware erro");
    EXPECT_FALSE(unknown.known);
    EXPECT_EQ(unknown.rasterBounds, (Size{1920, 1080}));
}

TEST(PlayerTypeTest, NoUsableAnswerIsAHardwareError) {
    EXPECT_EQ(ParsePlayerType({}, false).text, "hardware erro");
    EXPECT_EQ(ParsePlayerType({}, true).text, "硬件故障");
    EXPECT_EQ(ParsePlayerType(Bytes("4A 37"), false).text, "hardware erro") << "partial answer";
    // The first match counts even when it is not a known type.
    EXPECT_EQ(ParsePlayerType(Bytes("41 42 43 4A 37 4C"), false).text, "hardware erro");
}

}  // namespace
}  // namespace led
