#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/PlaylistReport.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

using Json = nlohmann::ordered_json;

// One area of every type code, each with one item.
constexpr const char* kEveryType = R"(<?xml version="1.0" encoding="UTF-8"?>
<root><screens><screen w="1923" h="1080"><programs>
<program id="3"><playtime>10</playtime><schedule priority="0"><weekday>06</weekday></schedule>
  <area id="9" x="0" y="0" w="128" h="32" type="3"><filename id="0"><textcontent>hi</textcontent></filename></area>
  <area id="9" x="0" y="0" w="128" h="32" type="4"><background mode="0"><color>FF0000</color></background>
    <filename id="0"><filepath>C:\media\a.bmp</filepath><effect_in>1</effect_in><remain>5</remain></filename></area>
  <area x="0" y="0" w="128" h="32" type="5"><filename><filepath>v.mp4</filepath><videoorgsize w="720" h="576"/><lastframe>lf.bmp</lastframe></filename></area>
  <area x="0" y="0" w="128" h="32" type="8"><filename><filepath>pt.bmp</filepath><picfile><picfilepath>p1.bmp</picfilepath></picfile></filename></area>
  <area x="0" y="0" w="128" h="32" type="12"><filename><filepath>an.bmp</filepath><anispeed>3</anispeed></filename></area>
  <area x="0" y="0" w="128" h="32" type="13"><edge degree="1" color="2"/><filename><weeklang sun="S"/></filename></area>
  <area x="0" y="0" w="128" h="32" type="14"><filename><valve enb="1" col="0000FF">30</valve></filename></area>
  <area x="0" y="0" w="128" h="32" type="15"><filename><precision>1</precision></filename></area>
  <area x="0" y="0" w="128" h="32" type="16"><filename><hardwaremode>1</hardwaremode></filename></area>
  <area x="0" y="0" w="128" h="32" type="17"><filename><Arrivedtime year="2030"/></filename></area>
  <area x="0" y="0" w="128" h="32" type="18"><analogcp><topstr face="A">x</topstr></analogcp></area>
  <area x="0" y="0" w="128" h="32" type="19"><filename><linespacing>2</linespacing></filename></area>
</program>
<program id="4" osd="0"><area x="0" y="600" w="64" h="16" type="4"/></program>
</programs></screen></screens></root>
)";

class InspectPlaylistTest : public ::testing::Test {
protected:
    int Run(const std::string& xml, InspectPlaylistOptions options = {}) {
        test::WriteHostFile(file, xml);
        options.file = file;
        std::ostringstream out, err;
        int status = InspectPlaylist(options, out, err);
        output = out.str();
        errors = err.str();
        return status;
    }
    Json Parsed() const { return Json::parse(output); }

    test::TempDir dir;
    std::string file = dir / "my playlist.xml";
    std::string output, errors;
};

TEST_F(InspectPlaylistTest, PrintsEveryAreaTypeWithoutTouchingTheFile) {
    InspectPlaylistOptions options;
    options.today = "2026-12-06";
    ASSERT_EQ(Run(kEveryType, options), 0) << errors;
    Json doc = Parsed();
    EXPECT_EQ(doc["result"], 0);
    EXPECT_EQ(doc["screen"], Json({{"width", 1920}, {"height", 1080}, {"osdOffsetLine", 1080}}));
    ASSERT_EQ(doc["all"].size(), 2u);
    ASSERT_EQ(doc["normal"].size(), 1u);
    ASSERT_EQ(doc["osd"].size(), 1u);
    EXPECT_EQ(doc["lastFrames"], Json({"lf.bmp"}));
    EXPECT_EQ(doc["tvAreaSize"], "720x576");

    const Json& program = doc["normal"][0];
    EXPECT_EQ(program["idText"], "3");
    EXPECT_EQ(program["osd"], -1);
    EXPECT_EQ(program["schedule"]["weekdayMask"], 0x41);
    EXPECT_EQ(program["schedule"]["begin"], Json({2026, 12, 6}));
    EXPECT_EQ(program["schedule"]["end"], Json({2036, 12, 6}));
    EXPECT_EQ(program["schedule"]["windows"][0]["end"], Json({23, 59, 59}));
    const Json& areas = program["areas"];
    ASSERT_EQ(areas.size(), 12u);
    std::vector<int> types;
    for (size_t i = 0; i < areas.size(); ++i) {
        const Json& area = areas[i];
        EXPECT_EQ(area["id"], i) << "renumbered";
        types.push_back(area["type"]);
        for (const char* key : {"left", "top", "right", "bottom", "osdRect", "originalRect",
                                "backgroundMode", "backgroundColor", "edgeDegree", "edgeColor"})
            EXPECT_TRUE(area.contains(key)) << key;
        ASSERT_EQ(area["items"].size(), 1u) << "type " << area["type"];
        const Json& item = area["items"][0];
        for (const char* key :
             {"id", "path", "effectIn", "movespeedIn", "movespeedOut", "remain", "effectOut",
              "text", "textshowtype", "linespacing", "anispeed", "streamtype", "videoRect",
              "videoOrgSize", "videomode", "pages", "arrival", "sensor", "clock"})
            EXPECT_TRUE(item.contains(key)) << key;
        EXPECT_EQ(item["clock"]["weekNames"].size(), 7u);
        EXPECT_TRUE(item["sensor"].contains("valveColor"));
    }
    EXPECT_EQ(types, (std::vector<int>{3, 4, 5, 8, 12, 13, 14, 15, 16, 17, 18, 19}));
    EXPECT_EQ(areas[1]["backgroundColor"], 255);
    EXPECT_EQ(areas[1]["items"][0]["path"], "\\Storage Card\\video\\a.bmp");
    EXPECT_EQ(areas[3]["items"][0]["pages"], Json({"\\Storage Card\\video\\p1.bmp"}));
    EXPECT_EQ(areas[6]["items"][0]["sensor"]["valve"], 30.0);
    EXPECT_EQ(areas[6]["items"][0]["sensor"]["valveColor"], 0xFF0000);
    EXPECT_EQ(doc["osd"][0]["areas"][0]["top"], 1080);

    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), kEveryType) << "the user's file is never modified";
}

TEST_F(InspectPlaylistTest, RunModeAndPlayerTypeShapeTheResult) {
    InspectPlaylistOptions options;
    options.runMode = "sd";
    options.playerType = "J7-S";
    options.display = "800x600";
    ASSERT_EQ(Run(R"(<root><screens><screen><programs><program>)"
                  R"(<area x="600" w="100" type="4"><filename><filepath>a/b.png</filepath>)"
                  R"(</filename></area></program></programs></screen></screens></root>)",
                  options),
              0)
        << errors;
    Json doc = Parsed();
    EXPECT_EQ(doc["screen"]["width"], 800) << "no screen size: the display's";
    const Json& area = doc["all"][0]["areas"][0];
    EXPECT_EQ(area["right"], 639) << "J7-S bounds";
    EXPECT_EQ(area["items"][0]["path"], "\\Storage Card 1_0\\video\\b.png");
    EXPECT_TRUE(doc["tvAreaSize"].is_null());
}

// J6-C places OSD areas 1024 pixels to the right, however the type is spelled.
TEST_F(InspectPlaylistTest, J6CInAnyCaseShiftsTheOsdRight) {
    const std::string xml =
        R"(<root><screens><screen w="1920" h="1080"><programs>)"
        R"(<program osd="0"><area x="10" y="20" w="64" h="16" type="4"/></program>)"
        R"(</programs></screen></screens></root>)";
    for (const char* type : {"J6-C", "J6-c", "j6-c", "j6-C"}) {
        InspectPlaylistOptions options;
        options.playerType = type;
        ASSERT_EQ(Run(xml, options), 0) << errors;
        const Json doc = Parsed();
        const Json& area = doc["osd"][0]["areas"][0];
        EXPECT_EQ(area["left"], 1034) << type;
        EXPECT_EQ(area["top"], 20) << type << ": not moved below the screen";
    }
    InspectPlaylistOptions j6;
    j6.playerType = "j6";
    ASSERT_EQ(Run(xml, j6), 0) << errors;
    EXPECT_EQ(Parsed()["osd"][0]["areas"][0]["left"], 10);
    EXPECT_EQ(Parsed()["osd"][0]["areas"][0]["top"], 1080);
}

TEST_F(InspectPlaylistTest, FailuresAndBadOptions) {
    EXPECT_EQ(Run("<root><screens>"), 1);
    EXPECT_EQ(Parsed(), Json({{"result", -1}}));

    std::filesystem::remove(file);
    InspectPlaylistOptions missing;
    missing.file = file;
    std::ostringstream out, err;
    EXPECT_EQ(InspectPlaylist(missing, out, err), 1);
    EXPECT_EQ(Json::parse(out.str()), Json({{"result", -1}}));
    EXPECT_NE(err.str().find("cannot read"), std::string::npos);

    for (auto bad :
         {InspectPlaylistOptions{.runMode = "usb"}, InspectPlaylistOptions{.playerType = "K9"},
          InspectPlaylistOptions{.display = "wide"},
          InspectPlaylistOptions{.today = "06.12.2026"}}) {
        EXPECT_EQ(Run("<root/>", bad), 2);
        EXPECT_TRUE(output.empty());
        EXPECT_FALSE(errors.empty());
    }
}

TEST_F(InspectPlaylistTest, InvalidUtf8IsPrintedReplaced) {
    ASSERT_EQ(Run("<root><screens><screen><programs><program id=\"\xff\xfe\"><area type=\"3\">"
                  "<filename><textcontent>\xc3</textcontent></filename></area></program>"
                  "</programs></screen></screens></root>"),
              0);
    Json doc = Parsed();
    EXPECT_EQ(doc["all"][0]["idText"], "\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace led
