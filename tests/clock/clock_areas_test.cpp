// The clock-like areas: the token template drawer and the analog clock face
// on surfaces, the OSD export files, and the digital clock played by a real
// area thread on a headless display.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>

#include "clock/AreaFonts.h"
#include "clock/ClockAreas.h"
#include "clock/OsdExport.h"
#include "clock/TokenText.h"
#include "core/SensorReadings.h"
#include "platform/fs/DeviceFs.h"
#include "platform/image/PngWriter.h"
#include "platform/text/LocaleNames.h"
#include "storage/FontDirectory.h"
#include "support/AreaHarness.h"

namespace led {
namespace {

using test::Eventually;

constexpr uint32_t kWhite = 0xFFFFFF;

// The bounding box of the pixels that are not `background`.
Rect Inked(const Surface& s, uint32_t background = 0) {
    int left = s.Width(), top = s.Height(), right = -1, bottom = -1;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if ((s.Pixel(x, y) & 0xFFFFFF) != background) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    if (right < 0) return {};
    return Rect::FromEdges(left, top, right + 1, bottom + 1);
}

TextRun MakeRun(const std::string& text, int size, int alignment = 0, bool newLine = false) {
    TextRun r;
    r.text = text;
    r.size = size;
    r.alignment = alignment;
    r.newLine = newLine;
    r.colour = kWhite;
    r.face = "DejaVu Sans";
    return r;
}

TEST(TokenText, FontHeightFollowsHalfPoints) {
    EXPECT_EQ(RunFontHeight(24), -16);  // 12 points at 96 dpi
    EXPECT_EQ(RunFontHeight(18), -12);
    EXPECT_EQ(RunFontHeight(25), -16);  // 33.3 rounds to 33, halved to 16
}

TEST(TokenText, LinesAlignByTheirFirstRunAndRunsShareABottom) {
    TokenContext context;
    context.now = *LocalTime::Parse("2024-05-06 07:08:09");
    TokenTextDrawer drawer({MakeRun("%H", 48, 2), MakeRun("x", 20), MakeRun("%M", 24, 1, true)},
                           area_type::kDigitalClock);
    Surface surface(200, 80);
    Canvas canvas(surface);
    std::vector<Point> positions;
    drawer.Draw(canvas, context, &positions);
    ASSERT_EQ(positions.size(), 3u);
    const Size big =
        Canvas::MeasureText(Font(Fonts::MakeFont(RunFontRequest(MakeRun("07", 48)))), "07");
    const Size small = Canvas::MeasureText(Fonts::MakeFont(RunFontRequest(MakeRun("x", 20))), "x");
    const Size minute =
        Canvas::MeasureText(Fonts::MakeFont(RunFontRequest(MakeRun("08", 24))), "08");
    // Right-aligned first line: its runs end at the right edge.
    EXPECT_EQ(positions[1].x + small.width, 200);
    EXPECT_EQ(positions[0].x + big.width, positions[1].x);
    // Bottom-aligned within the line.
    EXPECT_EQ(positions[0].y + big.height, positions[1].y + small.height);
    // Centred second line below the first.
    EXPECT_EQ(positions[2].x, (200 - minute.width) / 2);
    EXPECT_EQ(positions[2].y, big.height);
    EXPECT_EQ(drawer.Mask() != 0, true);
    EXPECT_FALSE(Inked(surface).IsEmpty());
}

TEST(TokenText, SensorTokensStandInRunsOfTheirOwn) {
    TextRun first = MakeRun("T %C°C = %F°F", 24, 1, true);
    std::vector<TextRun> runs =
        SplitRunsAtToken({first, MakeRun("", 24)}, area_type::kTemperature, 0);
    runs = SplitRunsAtToken(runs, area_type::kTemperature, 1);
    std::vector<std::string> texts;
    for (const TextRun& r : runs) texts.push_back(r.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"T ", "%C", "°C = ", "%F", "°F", ""}));
    EXPECT_TRUE(runs[0].newLine);
    EXPECT_FALSE(runs[1].newLine) << "only the first piece starts the line";
    EXPECT_EQ(runs[3].alignment, 1);
    // Humidity has one token; another type's tokens stay text.
    runs = SplitRunsAtToken({MakeRun("%u%%C", 24)}, area_type::kHumidity, 0);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].text, "%u");
    EXPECT_EQ(runs[1].text, "%%C");
    EXPECT_EQ(SplitRunsAtToken({MakeRun("%o%o", 24)}, area_type::kNoise, 1).size(), 1u)
        << "noise has no second token";
}

TEST(TokenText, TokensChangeWithTheTime) {
    TokenTextDrawer drawer({MakeRun("%S", 40)}, area_type::kDigitalClock);
    TokenContext context;
    auto draw = [&](const char* at) {
        context.now = *LocalTime::Parse(at);
        Surface s(100, 50);
        Canvas canvas(s);
        drawer.Draw(canvas, context);
        return s;
    };
    Surface a = draw("2024-01-01 00:00:11");
    Surface b = draw("2024-01-01 00:00:47");
    bool differs = false;
    for (int y = 0; y < 50 && !differs; ++y)
        for (int x = 0; x < 100 && !differs; ++x) differs = a.Pixel(x, y) != b.Pixel(x, y);
    EXPECT_TRUE(differs);
}

// Hand pictures drawn as a thick line from the centre at the hand's angle,
// the way the management tool renders them.
class AnalogClockTest : public ::testing::Test {
protected:
    static constexpr int kSize = 101;
    AnalogClockTest() {
        std::filesystem::create_directories(video);
        std::filesystem::create_directories(dir.Path() / "nand");
        Write("dial.png", Surface(kSize, kSize));
        item.pageFiles.push_back(Board("dial.png"));
        for (int i = 0; i < 60; ++i) Hand("h", i, 25, 0xFF0000);
        for (int i = 0; i < 60; ++i) Hand("m", i, 45, 0x00FF00);
        for (int i = 0; i < 60; ++i) Hand("s", i, 48, 0x0000FF);
    }
    std::string Board(const std::string& name) { return "\\Storage Card\\video\\" + name; }
    void Write(const std::string& name, const Surface& s) {
        ASSERT_TRUE(WritePng(s, (video / name).string()));
    }
    void Hand(const char* kind, int position, int length, uint32_t colour) {
        Surface s(kSize, kSize);
        const double angle = position * 6.0 * M_PI / 180.0;
        for (int r = 0; r <= length; ++r)
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy)
                    s.SetPixel(50 + int(std::lround(r * std::sin(angle))) + dx,
                               50 - int(std::lround(r * std::cos(angle))) + dy, colour);
        const std::string name = std::string(kind) + std::to_string(position) + ".png";
        Write(name, s);
        item.pageFiles.push_back(Board(name));
    }
    uint32_t At(const Surface& s, double degrees, int radius) {
        const double a = degrees * M_PI / 180.0;
        return s.Pixel(50 + int(std::lround(radius * std::sin(a))),
                       50 - int(std::lround(radius * std::cos(a)))) &
               0xFFFFFF;
    }
    Surface Draw(const char* time) {
        DeviceFs fs(dir.Path());
        AnalogClockFace face(fs, item, LocaleNames::C());
        Surface s(kSize, kSize);
        face.Draw(s, *LocalTime::Parse(time));
        return s;
    }

    test::TempDir dir;
    std::filesystem::path video = dir.Path() / "Storage Card" / "video";
    AreaItem item;
};

TEST_F(AnalogClockTest, HandPictureIndices) {
    auto h = HandPicturesAt(15, 40, 5);
    EXPECT_EQ(h.hour, 19);
    EXPECT_EQ(h.minute, 101);
    EXPECT_EQ(h.second, 126);
    for (int hour : {0, 12}) {
        h = HandPicturesAt(hour, 0, 0);
        EXPECT_EQ(h.hour, 1);
        EXPECT_EQ(h.minute, 61);
        EXPECT_EQ(h.second, 121);
    }
}

TEST_F(AnalogClockTest, HandsPointWhereTheTimeSays) {
    Surface three = Draw("2024-01-01 03:00:30");
    EXPECT_EQ(At(three, 90, 20), 0xFF0000u) << "hour hand at three";
    EXPECT_EQ(At(three, 0, 40), 0x00FF00u) << "minute hand at twelve";
    EXPECT_EQ(At(three, 180, 47), 0x0000FFu) << "second hand at half past";
    EXPECT_EQ(At(three, 270, 20), 0u);

    Surface half = Draw("2024-01-01 09:30:00");
    EXPECT_EQ(At(half, 282, 20), 0xFF0000u) << "hour hand between nine and ten";
    EXPECT_EQ(At(half, 180, 40), 0x00FF00u) << "minute hand at six";
    EXPECT_EQ(At(half, 90, 20), 0u);

    item.timeDifference = {1, 0, 0, 30, 0};  // +30 minutes
    Surface shifted = Draw("2024-01-01 10:45:00");
    EXPECT_EQ(At(shifted, 0, 40) & 0x00FF00, 0u);
    EXPECT_EQ(At(shifted, 90, 40), 0x00FF00u) << "11:15: minute hand at three";
}

TEST_F(AnalogClockTest, MissingPicturesLeaveTheOtherLayers) {
    item.pageFiles.resize(61);  // no minute or second hands
    item.pageFiles[0] = Board("missing.png");
    Surface s = Draw("2024-01-01 03:00:00");
    EXPECT_EQ(At(s, 90, 20), 0xFF0000u);
}

TEST(OsdExport, ClockFileListsRunsAndTakesPositions) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "nand");
    DeviceFs fs(dir.Path());
    std::array<std::string, 7> names = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
    ASSERT_TRUE(
        WriteOsdClockFile(fs, {MakeRun("%H", 24), MakeRun("%M", 36)}, {1, 0, 2, 3, 4}, names));
    ASSERT_TRUE(UpdateOsdPositions(fs, area_type::kDigitalClock, {{10, 20}, {30, 40}}));
    const std::string xml = *fs.ReadText(kOsdClockFile);
    EXPECT_NE(xml.find("<differ type=\"1\" h=\"2\" m=\"3\" s=\"4\"/>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("wes=\"We\""), std::string::npos);
    EXPECT_NE(xml.find("<area id=\"1\" x=\"30\" y=\"40\">"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<height>-24</height>"), std::string::npos);
    EXPECT_NE(xml.find("<text>%M</text>"), std::string::npos);
    ASSERT_TRUE(WriteOsdTimingFile(fs, {}));
    EXPECT_NE(fs.ReadText(kOsdTimingFile)->find("<timing/>"), std::string::npos);
}

TEST(OsdExport, SensorFilesHoldPrecisionPlaceholderModeAndRuns) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "nand");
    DeviceFs fs(dir.Path());
    ASSERT_TRUE(WriteOsdSensorFile(fs, {MakeRun("%C", 24), MakeRun(" C", 24)},
                                   area_type::kTemperature, 1, 2));
    ASSERT_TRUE(UpdateOsdPositions(fs, area_type::kTemperature, {{5, 6}, {50, 6}}));
    const std::string xml = *fs.ReadText("\\nand\\osd\\osdtemperature.xml");
    const size_t precision = xml.find("<precision>1</precision>");
    const size_t value = xml.find("<value enb=\"0\" col=\"ff0000\">0.000000</value>");
    const size_t mode = xml.find("<mode>2</mode>");
    const size_t area = xml.find("<area id=\"1\" x=\"50\" y=\"6\">");
    ASSERT_NE(precision, std::string::npos) << xml;
    ASSERT_NE(value, std::string::npos) << xml;
    ASSERT_NE(mode, std::string::npos) << xml;
    ASSERT_NE(area, std::string::npos) << xml;
    EXPECT_TRUE(precision < value && value < mode && mode < area) << "in this order: " << xml;
    ASSERT_TRUE(WriteOsdSensorFile(fs, {}, area_type::kNoise, 0, 0));
    EXPECT_NE(fs.ReadText("\\nand\\osd\\osdnoise.xml")->find("<noise>"), std::string::npos);
    EXPECT_FALSE(WriteOsdSensorFile(fs, {}, area_type::kDigitalClock, 0, 0));
}

TEST(FontDirectory, FindAndMerge) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "nand" / "fonttemp");
    DeviceFs fs(dir.Path());
    EXPECT_EQ(FindFontFile(fs, "Arial"), "\\nand\\font\\") << "no directory";
    fs.WriteText(kFontDirectory,
                 "<root><font file=\"A.ttf\"><name fontname=\"Arial Black\"/></font>"
                 "<font file=\"B.ttf\"><name fontname=\"Arial\"/><name fontname=\"宋体\"/></font>"
                 "<font file=\"C.ttf\"><name fontname=\"Other\"/></font></root>");
    bool matched = false;
    EXPECT_EQ(FindFontFile(fs, "Arial", kFontDirectory, &matched), "\\nand\\font\\A.ttf");
    EXPECT_TRUE(matched);
    EXPECT_EQ(FindFontFile(fs, "arial black"), "\\nand\\font\\A.ttf");
    EXPECT_EQ(FindFontFile(fs, "宋体"), "\\nand\\font\\B.ttf");
    EXPECT_EQ(FindFontFile(fs, "Nothing", kFontDirectory, &matched), "\\nand\\font\\C.ttf");
    EXPECT_FALSE(matched);

    fs.WriteText(kFontDirectoryStaging,
                 "<root><font file=\"B.ttf\"><name fontname=\"Dup\"/></font>"
                 "<font file=\"D.ttf\"><name fontname=\"New\"/></font></root>");
    EXPECT_EQ(MergeFontDirectory(fs), 1);
    EXPECT_EQ(FindFontFile(fs, "Dup", kFontDirectory, &matched), "\\nand\\font\\D.ttf");
    EXPECT_FALSE(matched) << "a file already listed is not added again";
    EXPECT_EQ(FindFontFile(fs, "New"), "\\nand\\font\\D.ttf") << "a new file is appended";

    // A listed file name never leads out of the font folder.
    fs.WriteText(kFontDirectory,
                 "<root><font file=\"..\\..\\x.ttf\"><name fontname=\"Evil\"/></font></root>");
    EXPECT_EQ(FindFontFile(fs, "Evil", kFontDirectory, &matched), "\\nand\\font\\");
    EXPECT_FALSE(matched);
}

TEST(AreaFonts, NotAFontFileIsSkipped) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "nand" / "font");
    DeviceFs fs(dir.Path());
    fs.WriteText("\\nand\\font\\bad.ttf", "not a font");
    fs.WriteText(kFontDirectory,
                 "<root><font file=\"bad.ttf\"><name fontname=\"Bad\"/></font></root>");
    AreaFonts fonts(fs, {"Bad", "Unknown"});
    EXPECT_TRUE(fonts.Added().empty());
}

// The clock-like areas played by real area threads on virtual time.
class ClockAreaTest : public test::AreaHarness {
protected:
    ClockAreaTest() : AreaHarness(50.0) { area = {10, 20, 120, 40}; }
    // One area with a white 20-point template.
    void Play(int type, std::optional<std::string> text, AreaItem item = {}) {
        AreaRecord a = MakeArea(type);
        if (text) {
            test::WriteHostFile(video / "clock.rtf",
                                "{\\rtf1{\\fonttbl{\\f0 DejaVu Sans;}}{\\colortbl ;"
                                "\\red255\\green255\\blue255;}\\cf1\\fs40 " +
                                    *text + "}");
            item.path = BoardPath("clock.rtf");
            a.items.push_back(item);
        }
        Start(std::move(a));
    }
    Surface AreaPixels() {
        Surface raster = player->output.display->CaptureRaster();
        Surface shown(area.width, area.height);
        for (int y = 0; y < area.height; ++y)
            for (int x = 0; x < area.width; ++x)
                shown.SetPixel(x, y, raster.Pixel(area.x + x, area.y + y));
        return shown;
    }
    // The area shows `text` as a plain run of the template's style would.
    bool Shows(const std::string& text, uint32_t colour = kWhite) {
        TextRun run = MakeRun(text, 40);
        run.colour = colour;
        TokenTextDrawer drawer({run}, area_type::kDigitalClock);
        Surface expected(area.width, area.height);
        Canvas canvas(expected);
        drawer.Draw(canvas, TokenContext{});
        return Eventually([&] {
            Surface shown = AreaPixels();
            for (int y = 0; y < area.height; ++y)
                for (int x = 0; x < area.width; ++x)
                    if ((shown.Pixel(x, y) & 0xFFFFFF) != (expected.Pixel(x, y) & 0xFFFFFF))
                        return false;
            return true;
        });
    }
    void Readings(const std::function<void(SensorReadings&)>& fill) {
        auto r = std::make_shared<SensorReadings>();
        fill(*r);
        player->sensors.SetReadings(r);
    }
    int WhitePixels() {
        return test::CountPixels(player->output.display->CaptureRaster(), area, kWhite);
    }
};

TEST_F(ClockAreaTest, DrawsEverySecondAndCompletesACycleEveryFiveDraws) {
    Play(area_type::kDigitalClock, "%H:%M:%S");
    ASSERT_TRUE(Eventually([&] { return WhitePixels() > 20; }));
    auto& counter = player->playback.normal.Run()->completionCounters[0];
    ASSERT_TRUE(Eventually([&] { return counter.load() >= 6; }, std::chrono::seconds(30)));
    // The cycle message follows the 25th to the 29th draws: five of them.
    EXPECT_EQ(player->playback.normal.cycleMessageCount, 5);
}

TEST_F(ClockAreaTest, AnAreaWithoutItemsCountsAsDoneAtOnce) {
    Play(area_type::kCountdown, std::nullopt);
    ASSERT_TRUE(Eventually([&] { return player->playback.normal.cycleMessageCount == 1; }));
    EXPECT_EQ(player->playback.normal.Run()->completionCounters[0], 1);
}

TEST_F(ClockAreaTest, SensorAreasShowTheSelectedReadingCorrectedAndRounded) {
    Readings([](SensorReadings& r) {
        r.temperatureA = {23.46f, true};
        r.temperatureB = {99, true};
    });
    AreaItem item;
    item.precision = 1;
    item.error = -0.5f;
    Play(area_type::kTemperature, "%C", item);
    EXPECT_TRUE(Shows("23.0"));
    // The reading is taken afresh before every draw; an invalid one is N/A.
    Readings([](SensorReadings& r) { r.temperatureA = {23.46f, false}; });
    EXPECT_TRUE(Shows("N/A"));
    StopProgram(*player, 1, false);

    Readings([](SensorReadings& r) { r.humidityC = {55.5f, true}; });
    item = {};
    item.hardwaremode = 1;  // the second humidity probe
    Play(area_type::kHumidity, "%u", item);
    EXPECT_TRUE(Shows("56"));
    StopProgram(*player, 1, false);

    Readings([](SensorReadings& r) { r.noise = {40, true}; });
    item.hardwaremode = 1;  // noise has one meter only
    Play(area_type::kNoise, "%o", item);
    EXPECT_TRUE(Shows("N/A"));
}

TEST_F(ClockAreaTest, AValueReachingTheValveIsDrawnInTheValveColour) {
    constexpr uint32_t kAlarm = 0x0000FF;  // red, 0x00BBGGRR
    Readings([](SensorReadings& r) { r.temperatureC = {30.0f, false}; });
    AreaItem item;
    item.precision = 1;
    item.hardwaremode = 2;  // the player's own probe: always valid
    item.valveEnabled = true;
    item.valve = 30;
    item.valveColour = int32_t(kAlarm);
    Play(area_type::kTemperature, "%C", item);
    EXPECT_TRUE(Shows("30.0", kAlarm));
    Readings([](SensorReadings& r) { r.temperatureC = {29.9f, false}; });
    EXPECT_TRUE(Shows("29.9", kWhite));
    StopProgram(*player, 1, false);

    // A switched-off valve is never reached.
    Readings([](SensorReadings& r) { r.temperatureC = {30.0f, false}; });
    item.valveEnabled = false;
    Play(area_type::kTemperature, "%C", item);
    EXPECT_TRUE(Shows("30.0", kWhite));
}

TEST_F(ClockAreaTest, SensorAreasCompleteTheirCycles) {
    Play(area_type::kNoise, "%o dB");
    auto& counter = player->playback.normal.Run()->completionCounters[0];
    ASSERT_TRUE(Eventually([&] { return counter.load() >= 5; }, std::chrono::seconds(30)));
    EXPECT_TRUE(Eventually([&] { return player->playback.normal.cycleMessageCount >= 1; }));
}

}  // namespace
}  // namespace led
