#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/fs/DeviceFs.h"
#include "storage/RichText.h"

namespace led {
namespace {

const char* kHeader =
    "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
    "{\\f1\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}";

RichText Parse(const std::string& body, bool expectOk = true) {
    RichText text;
    EXPECT_EQ(ParseRichText(std::string(kHeader) + body, text), expectOk);
    return text;
}

TEST(RichText, BoldWordsAndParagraphs) {
    RichText t = Parse("\\viewkind4\\uc1\\pard\\b Hello\\b0 World\\par Next}");
    ASSERT_EQ(t.runs.size(), 3u);
    EXPECT_EQ(t.runs[0].text, "Hello");
    EXPECT_TRUE(t.runs[0].bold);
    EXPECT_EQ(t.runs[1].text, "World");
    EXPECT_FALSE(t.runs[1].bold);
    EXPECT_FALSE(t.runs[1].newLine);
    EXPECT_EQ(t.runs[2].text, "Next");
    EXPECT_TRUE(t.runs[2].newLine);
    for (const TextRun& r : t.runs) EXPECT_EQ(r.face, "Arial");
}

TEST(RichText, CharacterFormattingKeywords) {
    RichText t = Parse("\\ul a\\ul0 b\\ul c\\ulnone d\\strike e\\strike0 f\\i\\fs36 g}");
    ASSERT_EQ(t.runs.size(), 7u);
    EXPECT_TRUE(t.runs[0].underline);
    EXPECT_FALSE(t.runs[1].underline);
    EXPECT_TRUE(t.runs[2].underline);
    EXPECT_FALSE(t.runs[3].underline);
    EXPECT_TRUE(t.runs[4].strike);
    EXPECT_FALSE(t.runs[5].strike);
    EXPECT_TRUE(t.runs[6].italic);
    EXPECT_EQ(t.runs[6].size, 36);
    EXPECT_EQ(t.runs[5].size, 0);
}

TEST(RichText, GroupsDoNotRestoreFormattingButDropTheFontChoice) {
    RichText t = Parse("{\\f1\\b inner}after{next}");
    ASSERT_EQ(t.runs.size(), 3u);
    EXPECT_EQ(t.runs[0].face, "宋体");
    EXPECT_TRUE(t.runs[1].bold);        // "}" keeps bold ...
    EXPECT_EQ(t.runs[1].face, "宋体");  // ... and the font choice
    EXPECT_TRUE(t.runs[2].bold);
    EXPECT_EQ(t.runs[2].face, "Arial");  // the next "{" drops the font choice
}

TEST(RichText, AlignmentPersistsUntilReset) {
    RichText t = Parse("\\qc a\\par b\\qr c\\pard d}");
    ASSERT_EQ(t.runs.size(), 4u);
    EXPECT_EQ(t.runs[0].alignment, 1);
    EXPECT_EQ(t.runs[1].alignment, 1);
    EXPECT_EQ(t.runs[2].alignment, 2);
    EXPECT_EQ(t.runs[3].alignment, 0);
}

TEST(RichText, ColourTable) {
    RichText t = Parse(
        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        "\\cf2 blue\\cf1 red\\cf9 beyond\\cf0 auto}");
    ASSERT_EQ(t.colours, (std::vector<uint32_t>{0, 0x0000FF, 0xFF0000}));
    ASSERT_EQ(t.runs.size(), 4u);
    EXPECT_EQ(t.runs[0].colour, 0x00FF0000u);
    EXPECT_EQ(t.runs[1].colour, 0x000000FFu);
    EXPECT_EQ(t.runs[2].colour, 0u);  // beyond the table: the auto entry
    EXPECT_EQ(t.runs[3].colour, 0u);

    RichText none = Parse("\\cf1 x}");
    EXPECT_EQ(none.colours, std::vector<uint32_t>{0});
    EXPECT_EQ(none.runs.at(0).colour, 0u);
}

TEST(RichText, CodePageAndUnicodeEscapes) {
    RichText t = Parse("\\'c4\\'e3 \\u20320? x\\u22909\\'3fy \\uc2\\u22909\\'3f?z}");
    ASSERT_EQ(t.runs.size(), 1u);
    // The placeholder is skipped whether it is a character or a hex escape,
    // and \ucN sets how many follow.
    EXPECT_EQ(t.runs[0].text, "你 你 x好y 好z");
    RichText neg = Parse("\\u-114? }");  // values above 32767 are written negative
    EXPECT_EQ(neg.runs.at(0).text, "\xEF\xBE\x8E ");
}

TEST(RichText, LiteralEscapesAndSkippedDestinations) {
    RichText t = Parse("{\\*\\generator Riched20;}{\\info{\\title x}}a\\\\b\\{c\\}d}");
    ASSERT_EQ(t.runs.size(), 1u);
    EXPECT_EQ(t.runs[0].text, "a\\b{c}d");
}

TEST(RichText, RefusedInputs) {
    RichText t;
    std::string problem;
    EXPECT_FALSE(ParseRichText("hello", t, &problem));
    EXPECT_FALSE(problem.empty());
    // A font table that has not closed within 200 tokens.
    std::string longTable = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < 60; ++i) longTable += "{\\f" + std::to_string(i) + " Arial;}";
    EXPECT_FALSE(ParseRichText(longTable + "}hello}", t));
    EXPECT_TRUE(t.runs.empty());
    std::string shortTable = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < 30; ++i) shortTable += "{\\f" + std::to_string(i) + " Arial;}";
    EXPECT_TRUE(ParseRichText(shortTable + "}hello}", t));
    EXPECT_EQ(t.runs.size(), 1u);
}

TEST(RichText, BrokenInputGivesPartialLayout) {
    const std::string cases[] = {
        "\\b bold {{{{ unclosed",  // truncated in a group
        "text\\'",                 // escape at the end
        "text\\'c",                // half an escape
        "\\'c4 half}",             // GBK cut in half
        "}}}}} more}",             // unbalanced braces
        std::string(10000, '{') + "deep" + std::string(10000, '}'),
        "\\u",  // \u without a value
        "\\",   // backslash at the end
    };
    for (const std::string& body : cases) {
        RichText t;
        ParseRichText(std::string(kHeader) + body, t);
        SCOPED_TRACE(body.substr(0, 40));
        for (const TextRun& r : t.runs) EXPECT_FALSE(r.text.empty());
    }
    RichText big = Parse(std::string(4u << 20, 'x') + "}");
    ASSERT_EQ(big.runs.size(), 1u);
    EXPECT_EQ(big.runs[0].text.size(), kMaxRunCharacters);
}

TEST(RichText, RandomBytesNeverCrash) {
    std::mt19937 random(7);
    const std::string alphabet = "{}\\'*abfsu0123456789 ;-\r\n\xc4\xe3?";
    for (int round = 0; round < 2000; ++round) {
        std::string s = kHeader;
        const int n = int(random() % 200);
        for (int i = 0; i < n; ++i) s.push_back(alphabet[random() % alphabet.size()]);
        RichText t;
        ParseRichText(s, t);
    }
}

TEST(RichText, NormaliseEmptyLinesGivesEveryLineARun) {
    const std::string file =
        std::string(kHeader) + "\\pard\\fs24\\par\r\n\\par\\par one\\pard\\par\r\n\\par two}";
    const std::string normalised = NormaliseEmptyLinesText(file);
    RichText t;
    ASSERT_TRUE(ParseRichText(normalised, t));
    // Five paragraph marks: empty, empty, "one", empty, "two": every line
    // has a run that starts it.
    int lines = 0;
    for (const TextRun& r : t.runs) lines += r.newLine;
    EXPECT_EQ(lines, 5);
    EXPECT_EQ(NormaliseEmptyLinesText(normalised), normalised) << "stable on a second pass";
    // "\pard" is no paragraph mark.
    EXPECT_EQ(NormaliseEmptyLinesText("\\par\\pard x"), "\\par\\pard x");
}

TEST(RichText, FilesOnTheDevice) {
    const auto root = std::filesystem::temp_directory_path() /
                      ("rich-text-test-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(root / "nand");
    DeviceFs fs(root);
    EXPECT_EQ(NormaliseEmptyLines(fs, "\\nand\\missing.rtf"), 0);
    RichText t;
    EXPECT_FALSE(ReadRichText(fs, "\\nand\\missing.rtf", t));
    fs.WriteText("\\nand\\clock.rtf", std::string(kHeader) + "\\par\\par %H}");
    EXPECT_EQ(NormaliseEmptyLines(fs, "\\nand\\clock.rtf"), 1);
    ASSERT_TRUE(ReadRichText(fs, "\\nand\\clock.rtf", t));
    ASSERT_EQ(t.runs.size(), 2u);
    EXPECT_EQ(t.runs[1].text, "%H");
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace led

namespace led {
namespace {

// The fuzzer's seeds and any inputs it once found faults with, replayed.
TEST(RichTextFuzzInputs, SeedsReadAndFindingsDoNotFault) {
    const auto fuzz = std::filesystem::path(LEDPLAYER_SOURCE_DIR) / "tests" / "fuzz";
    int seeds = 0;
    for (const char* dir : {"corpus/rtf", "regressions/rtf"}) {
        if (!std::filesystem::is_directory(fuzz / dir)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(fuzz / dir)) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string data((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
            RichText t;
            const bool ok = ParseRichText(data, t);
            if (std::string(dir) == "corpus/rtf") {
                EXPECT_TRUE(ok) << entry.path();
                EXPECT_FALSE(t.runs.empty()) << entry.path();
                ++seeds;
            }
        }
    }
    EXPECT_GE(seeds, 6);
}

}  // namespace
}  // namespace led
