#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "platform/fs/DeviceFs.h"
#include "program/PlaylistFile.h"
#include "program/PlaylistReader.h"
#include "storage/Files.h"
#include "storage/RunMode.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

constexpr const char* kPlaylist = "\\Storage Card\\xml\\playlist.xml";

// A playlist document around `programs`, with the given screen attributes.
std::string Doc(const std::string& programs, const std::string& screen = R"(w="1920" h="1080")") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root><screens><screen " + screen +
           "><programs>" + programs + "</programs></screen></screens></root>";
}

// A program with one picture area at (0,0) 64x32 unless `areas` says otherwise.
std::string Program(const std::string& attributes, const std::string& body,
                    const std::string& areas = R"(<area x="0" y="0" w="64" h="32" type="4"/>)") {
    return "<program " + attributes + ">" + body + areas + "</program>";
}

class PlaylistReaderTest : public ::testing::Test {
protected:
    PlaylistReaderTest() {
        for (const char* dir : {"nand", "Storage Card/xml", "Storage Card/video",
                                "Storage Card 1_0/xml", "Storage Card 1_0/video"})
            std::filesystem::create_directories(root.Path() / dir);
        playerType.text = "J7";
    }

    PlaylistRead Read(const std::string& xml, const std::string& path = kPlaylist) {
        EXPECT_TRUE(fs.WriteText(path, xml));
        return ReadFile(path);
    }
    PlaylistRead ReadFile(const std::string& path = kPlaylist) {
        PlaylistEnvironment env{fs, videoDirectory, playerType, display, today, osdOffsetLine};
        return ReadPlaylistFile(env, path);
    }
    // Reads a document expected to give lists and returns them.
    const ProgramLists& Lists(const std::string& xml) {
        last = Read(xml);
        EXPECT_EQ(last.result, 0);
        EXPECT_TRUE(last.lists);
        static const ProgramLists kEmpty;
        return last.lists ? *last.lists : kEmpty;
    }
    // The items of the first area of the first program.
    const std::vector<AreaItem>& Items(const std::string& areaXml) {
        const auto& lists = Lists(Doc(Program(R"(id="1")", "", areaXml)));
        static const std::vector<AreaItem> kNone;
        if (lists.all.empty() || lists.all[0].areas.empty()) return kNone;
        return lists.all[0].areas[0].items;
    }

    test::TempDir root;
    DeviceFs fs{root.Path()};
    std::string videoDirectory = "\\Storage Card\\video\\";
    PlayerType playerType;
    Size display{1920, 1080};
    LocalTime today{2026, 12, 6};
    int osdOffsetLine = 777;
    PlaylistRead last;
};

TEST_F(PlaylistReaderTest, UnreadableFilesGiveMinusOneAndNoLists) {
    auto missing = ReadFile();
    EXPECT_EQ(missing.result, -1);
    EXPECT_FALSE(missing.lists);
    EXPECT_EQ(missing.screen.width, 1920) << "the screen is the display's size";
    EXPECT_EQ(missing.screen.osdOffsetLine, 777) << "the OSD offset line keeps its value";

    const std::string broken[] = {
        "",
        "not xml at all",
        Doc(Program(R"(id="1")", "<playtime>5</playtime>")).substr(0, 120),  // truncated
        "<root><screens></root>",
        std::string("<root>\0</root>", 14),
    };
    for (const auto& text : broken) {
        auto read = Read(text);
        EXPECT_EQ(read.result, -1) << text;
        EXPECT_FALSE(read.lists) << text;
        EXPECT_EQ(*fs.ReadText(kPlaylist), text) << "a file that cannot be parsed stays untouched";
    }
}

TEST_F(PlaylistReaderTest, DocumentsWithoutProgramsLeaveTheListsAlone) {
    auto noScreens = Read("<root><other/></root>");
    EXPECT_EQ(noScreens.result, 0);
    EXPECT_FALSE(noScreens.lists);

    auto noPrograms = Read(Doc("", R"(w="1923" h="600")"));
    EXPECT_EQ(noPrograms.result, 0);
    EXPECT_FALSE(noPrograms.lists);
    EXPECT_EQ(noPrograms.screen.width, 1920) << "rounded down to a multiple of 8";
    EXPECT_EQ(noPrograms.screen.height, 600);
    EXPECT_EQ(noPrograms.screen.osdOffsetLine, 600);

    auto noScreen = Read("<root><screens><programs/></screens></root>");
    EXPECT_EQ(noScreen.result, 0);
    EXPECT_EQ(noScreen.screen.width, 1920);
    EXPECT_EQ(noScreen.screen.height, 1080);
    EXPECT_EQ(noScreen.screen.osdOffsetLine, 777);

    // The program path runs through direct children only.
    auto nested = Read("<root><screens><screen><x><programs>" + Program(R"(id="1")", "") +
                       "</programs></x></screen></screens></root>");
    EXPECT_EQ(nested.result, 0);
    EXPECT_FALSE(nested.lists);
}

TEST_F(PlaylistReaderTest, ProgramFieldsAndTheirDefaults) {
    const auto& lists = Lists(
        Doc(Program(R"(id="7" osd="")",
                    "<playtime>15</playtime><waitfinish>1</waitfinish>"
                    "<schedule priority=\"1\"><weekday>135</weekday><begindate>2027-1-2</begindate>"
                    "<enddate></enddate></schedule>") +
            Program(R"(id="8abc")", "<playtimes>0</playtimes><schedule><weekday/></schedule>") +
            Program(R"(osd="-3")", "<playtimes>4</playtimes>") +
            Program(R"(id="10")", "<schedule priority=\"2\"><weekday>9</weekday></schedule>")));
    ASSERT_EQ(lists.all.size(), 4u);
    const auto& p0 = lists.all[0];
    EXPECT_EQ(p0.id, 7);
    EXPECT_EQ(p0.idText, "7");
    EXPECT_EQ(p0.osd, -1) << "an empty osd is the normal layer";
    EXPECT_EQ(p0.playtime, 15);
    EXPECT_EQ(p0.playtimes, 1) << "no playtimes element";
    EXPECT_EQ(p0.waitfinish, 1);
    EXPECT_EQ(p0.schedule.priority, 1);
    EXPECT_EQ(p0.schedule.weekdayMask, 0x2Au) << "Monday, Wednesday, Friday";
    EXPECT_EQ(std::tie(p0.schedule.beginYear, p0.schedule.beginMonth, p0.schedule.beginDay),
              std::tuple(2027, 1, 2));
    EXPECT_EQ(std::tie(p0.schedule.endYear, p0.schedule.endMonth, p0.schedule.endDay),
              std::tuple(2036, 12, 6))
        << "an empty end date is today ten years on";
    ASSERT_EQ(p0.schedule.windows.size(), 1u) << "no time element: one all-day window";
    EXPECT_EQ(p0.schedule.windows[0].BeginSeconds(), 0);
    EXPECT_EQ(p0.schedule.windows[0].EndSeconds(), 86399);

    const auto& p1 = lists.all[1];
    EXPECT_EQ(p1.id, 8) << "leading digits";
    EXPECT_EQ(p1.idText, "8abc");
    EXPECT_EQ(p1.playtimes, 99999) << "0 plays without end";
    EXPECT_EQ(p1.playtime, 15) << "carried over from the program before";
    EXPECT_EQ(p1.waitfinish, 1) << "carried over from the program before";
    EXPECT_EQ(p1.schedule.priority, 1) << "absent priority carries over";
    EXPECT_EQ(p1.schedule.weekdayMask, 255u) << "an empty weekday is every day";
    EXPECT_EQ(std::tie(p1.schedule.beginYear, p1.schedule.beginMonth, p1.schedule.beginDay),
              std::tuple(2026, 12, 6))
        << "dates do not carry over: today";

    const auto& p2 = lists.all[2];
    EXPECT_EQ(p2.id, 8) << "no id attribute: carried over";
    EXPECT_EQ(p2.idText, "8abc");
    EXPECT_EQ(p2.osd, -3);
    EXPECT_EQ(p2.playtimes, 4);
    EXPECT_EQ(p2.schedule.priority, 0) << "no schedule: the whole schedule is zero";
    EXPECT_EQ(p2.schedule.weekdayMask, 0u);
    EXPECT_EQ(p2.schedule.beginYear, 0);
    EXPECT_TRUE(p2.schedule.windows.empty());

    EXPECT_EQ(lists.all[3].schedule.weekdayMask, 0u) << "a text without weekday digits";
    EXPECT_EQ(lists.all[3].schedule.priority, 2);
    EXPECT_EQ(lists.normal.size(), 4u);
    EXPECT_TRUE(lists.osd.empty());
}

TEST_F(PlaylistReaderTest, TimeWindows) {
    const auto& lists = Lists(Doc(
        Program(
            R"(id="1")",
            "<schedule><time id=\"3\"><begintime>22:00:00</begintime><endtime>02:00:00</endtime>"
            "</time><time id=\"4\"><begintime></begintime><endtime></endtime></time>"
            "<time><endtime>12:30:05</endtime></time><other/><time id=\"9\"/></schedule>") +
        Program(R"(id="2")", "<schedule><time><begintime>300:-1:7</begintime></time></schedule>")));
    const auto& w = lists.all[0].schedule.windows;
    ASSERT_EQ(w.size(), 3u) << "the walk stops at the sibling that holds no time element";
    EXPECT_EQ(w[0].id, 3);
    EXPECT_TRUE(w[0].Contains(3600)) << "crosses midnight";
    EXPECT_EQ(w[1].id, 4);
    EXPECT_EQ(w[1].BeginSeconds(), 0) << "empty begin time";
    EXPECT_EQ(w[1].EndSeconds(), 86399) << "empty end time";
    EXPECT_EQ(w[2].id, 4) << "absent id carries over";
    EXPECT_EQ(w[2].BeginSeconds(), 0) << "absent begin time keeps the window before";
    EXPECT_EQ(w[2].EndSeconds(), 12 * 3600 + 30 * 60 + 5);

    const auto& second = lists.all[1].schedule.windows;
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].beginHour, 255) << "out-of-range fields are clamped, not wrapped";
    EXPECT_EQ(second[0].beginMinute, 0);
    EXPECT_EQ(second[0].beginSecond, 7);
    EXPECT_EQ(second[0].EndSeconds(), 12 * 3600 + 30 * 60 + 5) << "end time carried over";
}

TEST_F(PlaylistReaderTest, ElementsAreFoundAnywhereBelowInDocumentOrder) {
    const auto& lists = Lists(
        Doc(Program(R"(id="1")",
                    "<extra><deeper><playtime>11</playtime></deeper></extra><playtime>22</playtime>"
                    "<wrapper><schedule priority=\"1\"/></wrapper>")));
    EXPECT_EQ(lists.all[0].playtime, 11) << "first in document order, however deep";
    EXPECT_EQ(lists.all[0].schedule.priority, 1);

    // Elements holding the next program or area count as that program or area;
    // the walk stops at the first sibling that holds none.
    const auto& walked = Lists(
        Doc(Program(R"(id="1")", "",
                    R"(<area x="1" type="4"/><group><area x="2" type="4"/></group><note/>)"
                    R"(<area x="3" type="4"/>)") +
            "<wrap>" + Program(R"(id="2")", "") + "</wrap><comment/>" + Program(R"(id="3")", "")));
    ASSERT_EQ(walked.all.size(), 2u);
    EXPECT_EQ(walked.all[1].id, 2);
    ASSERT_EQ(walked.all[0].areas.size(), 2u);
    EXPECT_EQ(walked.all[0].areas[1].left, 2);
}

TEST_F(PlaylistReaderTest, AProgramWithoutAreasEndsTheRead) {
    const auto& lists =
        Lists(Doc(Program(R"(id="1")", "") + "<program id=\"2\"><playtime>5</playtime></program>" +
                  Program(R"(id="3")", "")));
    ASSERT_EQ(lists.all.size(), 1u);
    EXPECT_EQ(lists.all[0].id, 1);

    const auto& none = Lists(Doc("<program id=\"2\"/>" + Program(R"(id="3")", "")));
    EXPECT_TRUE(none.all.empty()) << "the lists are cleared even when nothing is read";
}

TEST_F(PlaylistReaderTest, AreaIdsAreRenumberedInTheFile) {
    std::string xml = Doc(Program(R"(id="1")", "",
                                  R"(<area id="7" x="0" type="4"/><area id="7" x="5" type="4"/>)"
                                  R"(<note/><area id="x" type="4"/>)") +
                          Program(R"(id="2")", "", R"(<area type="4"/>)"));
    const auto& lists = Lists(xml);
    EXPECT_EQ(lists.all[0].areas[0].id, 0);
    EXPECT_EQ(lists.all[0].areas[1].id, 1);
    EXPECT_EQ(lists.all[1].areas[0].id, 0) << "an area without id gets one";

    tinyxml2::XMLDocument doc;
    ASSERT_TRUE(LoadXml(fs, kPlaylist, doc));
    std::vector<std::string> ids;
    auto* programs = ProgramsElement(doc);
    for (auto* p = programs->FirstChildElement("program"); p; p = p->NextSiblingElement("program"))
        for (auto* a = p->FirstChildElement("area"); a; a = a->NextSiblingElement("area"))
            ids.push_back(a->Attribute("id"));
    EXPECT_EQ(ids, (std::vector<std::string>{"0", "1", "2", "0"}))
        << "areas past a non-area sibling are numbered too";

    // A file whose ids are right is not rewritten.
    std::string good = Doc(Program(R"(id="1")", "", R"(<area id="0" type="4"/>)"));
    Read(good);
    EXPECT_EQ(*fs.ReadText(kPlaylist), good);
}

TEST_F(PlaylistReaderTest, AreaRectanglesCarryOverAndAreClampedToTheRaster) {
    playerType.rasterBounds = {640, 480};
    const auto& lists = Lists(Doc(Program(R"(id="1")", "",
                                          R"(<area x="10" y="20" w="100" h="50" type="4"/>)"
                                          R"(<area x="600" w="100" type="4"/>)"
                                          R"(<area x="700" y="500" w="10" h="10" type="4"/>)"
                                          R"(<area x="-2147483648" w="-5" type="77"/>)")));
    const auto& a = lists.all[0].areas;
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(std::tie(a[0].left, a[0].top, a[0].right, a[0].bottom), std::tuple(10, 20, 109, 69));
    EXPECT_EQ(a[0].type, 4);
    EXPECT_EQ(a[0].osd, -1);
    EXPECT_EQ(a[1].top, 20) << "absent y carries over";
    EXPECT_EQ(a[1].bottom, 69) << "absent h carries over";
    EXPECT_EQ(a[1].right, 639) << "right beyond the raster";
    EXPECT_EQ(a[1].type, 4) << "absent type carries over";
    EXPECT_EQ(a[2].right, 0) << "left beyond the raster too";
    EXPECT_EQ(a[2].top, 500);
    EXPECT_EQ(a[2].bottom, 0) << "top beyond the raster";
    EXPECT_EQ(a[3].left, INT32_MIN);
    EXPECT_EQ(a[3].right, INT32_MIN) << "saturates instead of overflowing";
    EXPECT_TRUE(a[3].items.empty()) << "unknown types are empty areas";
}

TEST_F(PlaylistReaderTest, OsdProgramsAreShiftedBelowTheScreen) {
    std::string areas = R"(<area x="0" y="600" w="100" h="20" type="4"/>)"
                        R"(<area x="0" y="640" w="100" h="20" type="13"/>)"
                        R"(<area x="0" y="10" w="100" h="20" type="5"/>)";
    std::string xml =
        Doc(Program(R"(id="1" osd="0")", "", areas) +
            Program(R"(id="2")", "", R"(<area x="0" y="0" w="10" h="10" type="4"/>)"));
    {
        const auto& lists = Lists(xml);
        ASSERT_EQ(lists.osd.size(), 1u);
        ASSERT_EQ(lists.normal.size(), 1u);
        const auto& a = lists.osd[0].areas;
        EXPECT_EQ(a[0].top, 1080);
        EXPECT_EQ(a[0].bottom, 1099);
        EXPECT_EQ(a[1].top, 1120);
        EXPECT_EQ(a[0].osdRect, (std::array<int32_t, 4>{0, 600, 99, 619}));
        EXPECT_EQ(a[1].originalRect, (std::array<int32_t, 4>{0, 640, 99, 659}));
        EXPECT_EQ(a[2].top, 1080 - 1680 + 10)
            << "video areas are not shifted below the screen but move with the others";
        EXPECT_EQ(a[2].osdRect, a[1].osdRect) << "video areas keep the OSD rectangle before them";
        EXPECT_EQ(a[0].osd, 0);
        EXPECT_EQ(lists.normal[0].areas[0].top, 0);
    }
    playerType.text = "J6-c";
    {
        const auto& lists = Lists(xml);
        const auto& a = lists.osd[0].areas;
        EXPECT_EQ(a[0].top, 600) << "J6-C places OSD areas to the right";
        EXPECT_EQ(a[0].left, 1024);
        EXPECT_EQ(a[0].right, 1123);
        EXPECT_EQ(a[2].left, 1024);
    }
}

TEST_F(PlaylistReaderTest, MediaPathsLandInTheRunModesVideoDirectory) {
    videoDirectory = BuildStoragePaths(RunMode::SdCard).video;
    auto items = Items(R"(<area type="4">)"
                       R"(<filename id="1"><filepath>C:/media/a/clip.mp4</filepath></filename>)"
                       R"(<filename id="2"><filepath>D:\x/y\pic.bmp</filepath></filename>)"
                       R"(<filename id="3"><filepath></filepath></filename>)"
                       R"(<filename id="4"/></area>)");
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].path, "\\Storage Card 1_0\\video\\clip.mp4");
    EXPECT_EQ(items[1].path, "\\Storage Card 1_0\\video\\pic.bmp");
    EXPECT_EQ(items[2].path, "\\Storage Card 1_0\\video\\");
    EXPECT_EQ(items[3].path, items[2].path) << "absent filepath carries over";
    EXPECT_EQ(items[3].id, 4);
}

TEST_F(PlaylistReaderTest, PictureItemsCarryOverAndTakeRemainInMilliseconds) {
    auto items = Items(
        R"(<area type="4"><background mode="2"><color>FF8000</color></background>)"
        R"(<filename id="5"><filepath>a.bmp</filepath><effect_in>12</effect_in>)"
        R"(<movespeed_in>3</movespeed_in><remain>2500</remain></filename>)"
        R"(<filename><remain>999</remain></filename><filename><remain>1000</remain></filename>)"
        R"(<other><effect_in>x</effect_in></other></area>)");
    ASSERT_EQ(items.size(), 4u) << "every sibling after the first filename is an item";
    EXPECT_EQ(items[0].id, 5);
    EXPECT_EQ(items[0].remain, 2);
    EXPECT_EQ(items[1].remain, 999);
    EXPECT_EQ(items[1].id, 5) << "no id attribute: carried over";
    EXPECT_EQ(items[1].effectIn, 12) << "carried over";
    EXPECT_EQ(items[1].movespeedIn, 3);
    EXPECT_EQ(items[1].path, "\\Storage Card\\video\\a.bmp");
    EXPECT_EQ(items[2].remain, 1);
    EXPECT_EQ(items[3].effectIn, 0) << "non-numeric text reads as 0";
    const auto& area = last.lists->all[0].areas[0];
    EXPECT_EQ(area.backgroundMode, 2);
    EXPECT_EQ(area.backgroundColour, 0x0080FF) << "RRGGBB becomes 0x00BBGGRR";
}

TEST_F(PlaylistReaderTest, PagedItemsKeepTheAreasFilepathAndTheirPages) {
    auto items = Items(
        R"(<area type="8"><filename><filepath>dir/first.bmp</filepath><linespacing>4</linespacing>)"
        R"(<picfile><picfilepath>p1.bmp</picfilepath><picfilepath>x/p2.bmp</picfilepath></picfile>)"
        R"(</filename><filename><filepath>ignored.bmp</filepath><textshowtype>2</textshowtype>)"
        R"(</filename><filename><picfile/></filename></area>)");
    ASSERT_EQ(items.size(), 3u);
    for (const auto& item : items) EXPECT_EQ(item.path, "\\Storage Card\\video\\first.bmp");
    EXPECT_EQ(items[0].pageFiles, (std::vector<std::string>{"\\Storage Card\\video\\p1.bmp",
                                                            "\\Storage Card\\video\\p2.bmp"}));
    EXPECT_EQ(items[1].pageFiles, items[0].pageFiles) << "no picfile: the pages carry over";
    EXPECT_EQ(items[1].linespacing, 4);
    EXPECT_EQ(items[1].textshowtype, 2);
    EXPECT_TRUE(items[2].pageFiles.empty()) << "a picfile empties the page list";
}

// Every item field comes from its own element or attribute: one row a field,
// each read from an area holding one item.
TEST_F(PlaylistReaderTest, ItemFieldsComeFromTheirElements) {
    using Field = std::function<std::string(const AreaItem&)>;
    auto n = [](auto... v) {
        std::string out;
        ((out += (out.empty() ? "" : ",") + std::to_string(v)), ...);
        return out;
    };
    const struct {
        int type;
        std::string item;  // inside the area's one <filename>
        Field field;
        std::string expected;
    } kRows[] = {
        {5, R"(<videorect x="10" y="20" w="100" h="50"/>)",
         [&](auto& i) { return n(i.videoLeft, i.videoTop, i.videoRight, i.videoBottom); },
         "10,20,109,69"},
        {5, "<videomode>1</videomode>", [&](auto& i) { return n(i.videomode); }, "1"},
        {5, "<streamtype>1</streamtype>", [&](auto& i) { return n(i.streamtype); }, "1"},
        {5, R"(<videoorgsize w="640" h="480"/>)",
         [&](auto& i) { return n(i.videoOriginalWidth, i.videoOriginalHeight); }, "640,480"},
        {3, "<textcontent>short</textcontent>", [](auto& i) { return i.text; }, "short"},
        {3, "<Height>24</Height><Width>9</Width><Weight>700</Weight>",
         [&](auto& i) { return n(i.font.height, i.font.width, i.font.weight); }, "24,9,700"},
        {3, "<Facename>SIMSUN</Facename>", [](auto& i) { return i.font.face; }, "SIMSUN"},
        {3, "<bUnderline>1</bUnderline><bItalic>2</bItalic><bStrikeout>3</bStrikeout>",
         [&](auto& i) { return n(i.font.underline, i.font.italic, i.font.strikeout); }, "1,2,3"},
        {3, "<PitchAndFamily>34</PitchAndFamily>",
         [&](auto& i) { return n(i.font.pitchAndFamily); }, "34"},
        {3, "<Charset>GB2312</Charset>", [](auto& i) { return i.font.charset; }, "GB2312"},
        {3, "<Color>255</Color>", [&](auto& i) { return n(i.font.colour); }, "255"},
        {3, R"(<textrect x="1" y="2" w="30" h="40"/>)",
         [&](auto& i) { return n(i.textLeft, i.textTop, i.textRight, i.textBottom); }, "1,2,30,41"},
        {3, "<textshowtype>3</textshowtype>", [&](auto& i) { return n(i.textshowtype); }, "3"},
        {14, "<mode>1</mode><precision>2</precision>",
         [&](auto& i) { return n(i.sensorMode, i.precision); }, "1,2"},
        {14, "<error>-0.5</error>", [&](auto& i) { return n(int(i.error * 10)); }, "-5"},
        {14, "<error>abc</error>", [&](auto& i) { return n(int(i.error * 10)); }, "0"},
        {14, R"(<valve enb="1" col="0000FF">30.5</valve>)",
         [&](auto& i) { return n(int(i.valveEnabled), int(i.valve * 10), i.valveColour); },
         n(1, 305, 0xFF0000)},
        {14, R"(<valve enb="0" col="00FF00">40</valve>)",
         [&](auto& i) { return n(int(i.valveEnabled), int(i.valve), i.valveColour); },
         n(0, 1000, 0x00FF00)},
        {13, R"(<differ type="1" d="2" h="3" m="4" s="5"/>)",
         [&](auto& i) {
             const auto& d = i.timeDifference;
             return n(d.type, d.days, d.hours, d.minutes, d.seconds);
         },
         "1,2,3,4,5"},
        {13, R"(<showitem ly="1" second="1"/>)",
         [&](auto& i) { return n(i.showItems[0], i.showItems[1], i.showItems[9]); }, "1,0,1"},
        {13, R"(<weeklang sun="Sun" sat="Sat"/>)",
         [](auto& i) { return i.weekdayNames[0] + i.weekdayNames[6]; }, "SunSat"},
        {17, R"(<Arrivedtime year="2030" month="1" day="2" hour="3" minute="4" second="5"/>)",
         [&](auto& i) {
             return n(i.arrivalYear, i.arrivalMonth, i.arrivalDay, i.arrivalHour, i.arrivalMinute,
                      i.arrivalSecond);
         },
         "2030,1,2,3,4,5"},
        {19, "<linespacing>4</linespacing><textshowtype>2</textshowtype>",
         [&](auto& i) { return n(i.linespacing, i.textshowtype); }, "4,2"},
    };
    for (const auto& row : kRows) {
        const std::string area = "<area type=\"" + std::to_string(row.type) + "\"><filename>" +
                                 row.item + "</filename></area>";
        auto items = Items(area);
        ASSERT_EQ(items.size(), 1u) << area;
        EXPECT_EQ(row.field(items[0]), row.expected) << area;
    }
}

TEST_F(PlaylistReaderTest, VideoItemsListLastFramesAndLargeSourceSizes) {
    auto items = Items(
        R"(<area type="5"><filename><streamtype>0</streamtype><filepath>v/clip.mp4</filepath>)"
        R"(<videoorgsize w="720" h="576"/><lastframe>last1.bmp</lastframe></filename>)"
        R"(<filename><streamtype>2</streamtype><filepath>cam.mp4</filepath>)"
        R"(<videoorgsize w="640" h="480"/><lastframe/></filename></area>)");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].path, "\\Storage Card\\video\\clip.mp4");
    EXPECT_EQ(items[1].path, items[0].path) << "live input reads no file path";
    EXPECT_EQ(last.lists->lastFrames, (std::vector<std::string>{"last1.bmp", ""}));
    EXPECT_EQ(last.tvAreaSize, "720x576") << "only sources 720 wide or more are written";
    EXPECT_EQ(fs.ReadText(files::kTvAreaSize), "720x576");
}

TEST_F(PlaylistReaderTest, TextKeepsItsFirst256CharactersAndFontsCarryOver) {
    std::string longText;
    for (int i = 0; i < 300; ++i) longText += "\xE4\xB8\xAD";  // 300 CJK characters
    auto items = Items(R"(<area type="3"><name>t</name><filename id="2"><textcontent>)" + longText +
                       R"(</textcontent><Facename>SIMSUN</Facename></filename>)"
                       R"(<filename><textcontent>short</textcontent></filename></area>)");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text.size(), 256u * 3) << "the first 256 characters";
    EXPECT_EQ(items[1].text, "short");
    EXPECT_EQ(items[1].font.face, "SIMSUN") << "carried over";
}

TEST_F(PlaylistReaderTest, SensorThresholdEnableCarriesOverAndOffMeans1000) {
    auto items = Items(R"(<area type="14"><filename><valve enb="1">30</valve></filename>)"
                       R"(<filename><valve>12</valve></filename>)"
                       R"(<filename><valve enb="0">40</valve></filename>)"
                       R"(<filename><valve>50</valve></filename></area>)");
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(items[1].valveEnabled) << "no enb keeps the state before";
    EXPECT_FLOAT_EQ(items[1].valve, 12.0f);
    EXPECT_FALSE(items[3].valveEnabled);
    EXPECT_FLOAT_EQ(items[3].valve, 1000.0f) << "a disabled threshold is 1000";
}

TEST_F(PlaylistReaderTest, ClockAreasReadTheirEdgeAndTheAnalogClockIsOneItem) {
    Items(R"(<area type="13"><edge degree="3" color="255"/><filename/></area>)");
    EXPECT_EQ(last.lists->all[0].areas[0].edgeDegree, 3);
    EXPECT_EQ(last.lists->all[0].areas[0].edgeColour, 255);

    auto analog =
        Items(R"(<area type="18"><analogcp><timediff type="1" hour="2" minute="30" second="0"/>)"
              R"(<topstr face="Arial" size="20" color="255" weight="700" italic="0">%H:%M</topstr>)"
              R"(<bottomstr face="SIMSUN" size="12">date</bottomstr>)"
              R"(<picfile><picfilepath>dial.bmp</picfilepath><picfilepath>h1.bmp</picfilepath>)"
              R"(</picfile></analogcp></area>)");
    ASSERT_EQ(analog.size(), 1u) << "the analog clock is one item";
    EXPECT_EQ(analog[0].timeDifference.minutes, 30);
    EXPECT_EQ(analog[0].topString.text, "%H:%M");
    EXPECT_EQ(analog[0].topString.weight, 700);
    EXPECT_EQ(analog[0].bottomString.face, "SIMSUN");
    EXPECT_EQ(analog[0].pageFiles.size(), 2u);
}

TEST_F(PlaylistReaderTest, ProgramsBeyondThirtyTwoAreasAreCut) {
    std::string areas;
    for (int i = 0; i < 40; ++i) areas += "<area x=\"" + std::to_string(i) + "\" type=\"4\"/>";
    const auto& lists = Lists(Doc(Program(R"(id="9")", "", areas)));
    ASSERT_EQ(lists.all[0].areas.size(), size_t(kMaxAreas));
    EXPECT_EQ(lists.all[0].areas.back().left, 31);
    ASSERT_EQ(last.cutPrograms.size(), 1u);
    EXPECT_EQ(last.cutPrograms[0].idText, "9");
    EXPECT_EQ(last.cutPrograms[0].areasInFile, 40);
}

TEST_F(PlaylistReaderTest, HostileNumbersAndNestingNeverCrash) {
    const auto& lists =
        Lists(Doc(Program(R"(id="99999999999999999999")",
                          "<playtime>  -42xyz</playtime><playtimes>+7</playtimes>"
                          "<waitfinish>-99999999999999</waitfinish>",
                          R"(<area x="2147483647" y="2147483647" w="2147483647" h="5" type="4">)"
                          R"(<filename><remain>99999999999</remain><effect_in>)" +
                              std::string(100000, '9') + "</effect_in></filename></area>")));
    const auto& p = lists.all[0];
    EXPECT_EQ(p.id, INT32_MAX);
    EXPECT_EQ(p.playtime, -42);
    EXPECT_EQ(p.playtimes, 7);
    EXPECT_EQ(p.waitfinish, INT32_MIN);
    EXPECT_EQ(p.areas[0].right, 0) << "saturated right beyond the raster, left too";
    EXPECT_EQ(p.areas[0].items[0].remain, INT32_MAX / 1000);
    EXPECT_EQ(p.areas[0].items[0].effectIn, INT32_MAX);

    // Nesting deeper than the parser allows is a malformed file.
    std::string deep;
    for (int i = 0; i < 5000; ++i) deep += "<a>";
    for (int i = 0; i < 5000; ++i) deep += "</a>";
    auto read = Read(Doc(Program(R"(id="1")", deep)));
    EXPECT_EQ(read.result, -1);
}

TEST_F(PlaylistReaderTest, InsertedProgramsAreRemovedFromTheFile) {
    std::string xml =
        Doc(Program(R"(id="1")", R"(<schedule priority="2"/>)") +
            Program(R"(id="2")", R"(<schedule priority="1"/>)") +
            Program(R"(id="3")", R"(<x><schedule priority="2"/></x>)") + Program(R"(id="4")", ""));
    ASSERT_TRUE(fs.WriteText(kPlaylist, xml));
    RemoveInsertedPrograms(fs, kPlaylist);
    const auto& lists = Lists(*fs.ReadText(kPlaylist));
    ASSERT_EQ(lists.all.size(), 2u);
    EXPECT_EQ(lists.all[0].id, 2);
    EXPECT_EQ(lists.all[1].id, 4);

    ASSERT_TRUE(fs.WriteText(kPlaylist, "<root><unclosed>"));
    RemoveInsertedPrograms(fs, kPlaylist);
    EXPECT_EQ(fs.ReadText(kPlaylist), "<root><unclosed>");
}

// Inputs the fuzzer found once, and its seeds: each reads without a fault and
// gives the programs it holds. A file added to those directories must be
// listed here with what it gives.
TEST_F(PlaylistReaderTest, FuzzInputsReadSafely) {
    const struct {
        const char* file;
        size_t normal, osd;
    } kInputs[] = {
        {"corpus/playlist/demo.xml", 2, 1},
        {"corpus/playlist/every-type.xml", 1, 1},
        {"regressions/playlist/hostile-values.xml", 0, 1},
    };
    const auto fuzz = std::filesystem::path(LEDPLAYER_SOURCE_DIR) / "tests" / "fuzz";
    size_t files = 0;
    for (const char* dir : {"regressions/playlist", "corpus/playlist"})
        for (const auto& entry : std::filesystem::directory_iterator(fuzz / dir))
            files += entry.is_regular_file();
    EXPECT_EQ(files, std::size(kInputs));
    for (const auto& input : kInputs) {
        SCOPED_TRACE(input.file);
        std::ifstream in(fuzz / input.file, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        ASSERT_FALSE(bytes.str().empty());
        auto read = Read(bytes.str());
        ASSERT_EQ(read.result, 0);
        ASSERT_TRUE(read.lists);
        EXPECT_EQ(read.lists->normal.size(), input.normal);
        EXPECT_EQ(read.lists->osd.size(), input.osd);
        EXPECT_EQ(read.lists->all.size(), input.normal + input.osd);
    }
}

TEST(PlayerPlaylistTest, ReadsPublishWholeListsAndKeepThemOnFailure) {
    test::TempDir root;
    auto player = test::MakeTestPlayer(root.Path());
    std::filesystem::create_directories(root.Path() / "Storage Card" / "xml");
    std::string events = (root.Path() / "events.jsonl").string();
    ASSERT_TRUE(player->events.Open(events));
    std::string areas;
    for (int i = 0; i < 33; ++i) areas += R"(<area type="4"/>)";
    ASSERT_TRUE(player->fs.WriteText(
        kPlaylist, Doc(Program(R"(id="1")", "", areas) + Program(R"(id="2" osd="0")", ""),
                       R"(w="800" h="600")")));

    EXPECT_EQ(ReadPlaylist(*player, kPlaylist), 0);
    auto lists = player->Programs();
    ASSERT_EQ(lists->all.size(), 2u);
    EXPECT_EQ(lists->normal.size(), 1u);
    EXPECT_EQ(lists->osd.size(), 1u);
    EXPECT_EQ(player->screen.screenWidth, 800);
    EXPECT_EQ(player->screen.osdOffsetLine, 600);
    EXPECT_EQ(lists->all[0].schedule.beginYear, 0) << "no schedule";

    ASSERT_TRUE(player->fs.WriteText(kPlaylist, "<root>"));
    EXPECT_EQ(ReadPlaylist(*player, kPlaylist), -1);
    EXPECT_EQ(player->Programs(), lists) << "a failed read keeps the lists";
    EXPECT_EQ(player->screen.osdOffsetLine, 600);

    std::ifstream in(events);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find(R"("event":"playlist-areas-cut","program":"1","areas":33)"),
              std::string::npos)
        << text.str();
}

}  // namespace
}  // namespace led
