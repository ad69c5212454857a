// ledctl's manifests: what it announces, how it reads the player's answer,
// and what it sends next.

#include "client/Manifest.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "client/Upload.h"

namespace ledctl {
namespace {

TEST(LedctlManifest, AnnouncesNameSizeAndTypeWithNamesEscaped) {
    std::string xml = BuildManifest({"a&b<1>.mp4", 1234, false, std::nullopt});
    EXPECT_NE(xml.find("<file><filename>a&amp;b&lt;1&gt;.mp4</filename>"), std::string::npos);
    EXPECT_NE(xml.find("<filelen>1234</filelen><ifoverwrite>0</ifoverwrite>"), std::string::npos);
    EXPECT_NE(BuildManifest({"f.ttf", 1, true, 2}).find("<file type=\"2\">"), std::string::npos);
    EXPECT_NE(BuildManifest({"f.ttf", 1, true, 2}).find("<ifoverwrite>1</ifoverwrite>"),
              std::string::npos);

    // What ledctl writes, it reads back.
    auto answer = ParseManifestAnswer(xml);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->filename, "a&b<1>.mp4");
    EXPECT_EQ(answer->filelen, 1234);
}

TEST(LedctlManifest, ReadsThePlayersAnswerAsAnXmlWriterLaysItOut) {
    const char* answer =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n    <files>\n"
        "        <file type=\"0\">\n            <filename>clip.mp4</filename>\n"
        "            <filelen>150000000</filelen>\n            <ifoverwrite>0</ifoverwrite>\n"
        "            <ifok>1</ifok>\n        </file>\n    </files>\n</root>\n";
    auto parsed = ParseManifestAnswer(answer);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->filename, "clip.mp4");
    EXPECT_EQ(parsed->filelen, 150000000);
    EXPECT_EQ(parsed->ifok, 1);

    EXPECT_FALSE(ParseManifestAnswer("not xml").has_value());
    EXPECT_FALSE(ParseManifestAnswer("<root><files></files></root>").has_value());
    EXPECT_FALSE(
        ParseManifestAnswer("<root><files><file><filelen>x1</filelen><ifok>1</ifok></file>")
            .has_value());
    // <filelength> is not <filelen>.
    EXPECT_FALSE(
        ParseManifestAnswer("<file><filelength>5</filelength><ifok>1</ifok></file>").has_value());
}

ManifestAnswer Answer(int64_t filelen, int ifok) { return {"f", filelen, ifok}; }

TEST(LedctlManifest, DecidesWhatToSendFromTheAnswer) {
    // Nothing there (or playlist.xml, never kept): the whole file.
    Decision d = Decide(Answer(0, 1), 1000, false);
    EXPECT_EQ(d.step, NextStep::SendFrom);
    EXPECT_EQ(d.offset, 0u);
    // Part of it in the receiving directory: the rest.
    d = Decide(Answer(600, 1), 1000, false);
    EXPECT_EQ(d.step, NextStep::SendFrom);
    EXPECT_EQ(d.offset, 600u);
    // All of it received, or complete in the final directory: nothing.
    EXPECT_EQ(Decide(Answer(1000, 1), 1000, false).step, NextStep::Skip);
    EXPECT_EQ(Decide(Answer(1000, 0), 1000, false).step, NextStep::Skip);
    // What the player holds is longer, or "complete" at another size: another
    // file of the same name. Overwrite it once; if the player still says so, stop.
    EXPECT_EQ(Decide(Answer(2000, 1), 1000, false).step, NextStep::Overwrite);
    EXPECT_EQ(Decide(Answer(500, 0), 1000, false).step, NextStep::Overwrite);
    EXPECT_EQ(Decide(Answer(-5, 1), 1000, false).step, NextStep::Overwrite);
    EXPECT_EQ(Decide(Answer(2000, 1), 1000, true).step, NextStep::StorageProblem);
    // Storage verdicts.
    EXPECT_EQ(Decide(Answer(0, 2), 1000, false).step, NextStep::NoSpace);
    EXPECT_EQ(Decide(Answer(0, 3), 1000, false).step, NextStep::StorageProblem);
    EXPECT_EQ(Decide(Answer(0, 7), 1000, false).step, NextStep::StorageProblem);
    // An empty file is "sent" from 0: there is nothing to send.
    d = Decide(Answer(0, 1), 0, false);
    EXPECT_EQ(d.step, NextStep::SendFrom);
    EXPECT_EQ(d.offset, 0u);
}

TEST(LedctlManifest, ProgramDirectorySendsMediaFirstAndThePlaylistLast) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("ledctl-program-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "sub");
    for (const char* name : {"playlist.xml", "b.png", "a.mp4", "sub/c.png"})
        std::ofstream(dir / name) << name;

    auto files = ProgramFiles(dir);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].filename(), "a.mp4");
    EXPECT_EQ(files[1].filename(), "b.png");
    EXPECT_EQ(files[2].filename(), "playlist.xml");

    fs::remove(dir / "playlist.xml");
    EXPECT_THROW(ProgramFiles(dir), std::invalid_argument);
    EXPECT_THROW(ProgramFiles(dir / "missing"), std::invalid_argument);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace ledctl
