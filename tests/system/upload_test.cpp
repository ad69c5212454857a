// Program upload and file transfer against the real player, with a stand-in
// for the PC tool that sends manifests and file data.

#include <gtest/gtest.h>

#include <random>

#include "support/ControlClient.h"
#include "support/PlayerProcess.h"
#include "support/TestPlayer.h"
#include "support/UploadClient.h"

namespace led::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

Bytes Pattern(size_t n, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes b(n);
    for (auto& x : b) x = uint8_t(random());
    return b;
}

class UploadTest : public ::testing::Test {
protected:
    void Start() {
        MakeDeviceRoot(Root(), PlaylistXml({{.id = "1", .areas = {AreaXml(0, 1)}}}));
        player_ = std::make_unique<LivePlayer>(
            Root(),
            std::vector<std::string>{"--clock-start", "2026-03-05 08:00:00", "--time-scale", "1"});
        port_ = player_->Port("tcp");
        ASSERT_GT(port_, 0) << player_->Output();
    }
    fs::path Root() const { return dir_.Path() / "root"; }
    fs::path Card() const { return Root() / "Storage Card"; }

    TempDir dir_;
    std::unique_ptr<LivePlayer> player_;
    int port_ = 0;
};

TEST_F(UploadTest, AnUploadedProgramIsInstalledAndPlayedAndItsMediaAreKept) {
    Start();
    ASSERT_TRUE(player_->WaitForEvent("program-start", {{"id", "1"}})) << player_->Output();
    WriteHostFile(Card() / "video" / "unused.bmp", "old");

    fs::path upload = dir_.Path() / "program";
    const std::string playlist =
        PlaylistXml({{.id = "2", .areas = {AreaXml(4, 1)}}, {.id = "3", .areas = {AreaXml(4, 1)}}});
    WriteHostFile(upload / "playlist.xml", playlist);
    Bytes media = Pattern(20000, 7);
    WriteHostFile(upload / "p0.bmp", std::string(media.begin(), media.end()));

    TcpClient tool(port_);
    ASSERT_TRUE(tool.Connected());
    ASSERT_TRUE(UploadProgramDirectory(tool, upload));
    EXPECT_TRUE(player_->WaitForEvent("install", {{"verdict", "installed"}})) << player_->Output();
    EXPECT_TRUE(player_->WaitForEvent("program-start", {{"id", "2"}})) << player_->Output();
    EXPECT_EQ(ReadHostBytes(Card() / "xml" / "playlist.xml"), Text(playlist));
    EXPECT_EQ(ReadHostBytes(Card() / "video" / "p0.bmp"), media);
    // The receiving directory keeps a copy of the playlist for the tool.
    EXPECT_EQ(ReadHostBytes(Card() / "videotemp" / "playlist.xml"), Text(playlist));
    EXPECT_TRUE(player_->WaitForEvent("media-cleanup", {{"deleted", 2}})) << player_->Output();
    EXPECT_FALSE(fs::exists(Card() / "video" / "unused.bmp"));
    EXPECT_TRUE(fs::exists(Card() / "video" / "p0.bmp"));

    // Announced again, the installed file is complete; the playlist never is.
    auto again = Announce(tool, 8, ManifestXml("p0.bmp", media.size()));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->ifok, 0);
    EXPECT_EQ(again->filelen, int64_t(media.size()));
    auto list = Announce(tool, 8, ManifestXml("playlist.xml", playlist.size()));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->ifok, 1);
    EXPECT_EQ(list->filelen, 0);
}

TEST_F(UploadTest, ABrokenUploadResumesWithOnlyTheMissingBytes) {
    Start();
    const Bytes file = Pattern(3'000'000, 11);
    {
        TcpClient first(port_);
        auto answer = Announce(first, 8, ManifestXml("big.bin", file.size()));
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->filelen, 0);
        ASSERT_TRUE(SendFileData(first, 9, file, 0, 1'000'000));
    }  // the connection drops in the middle of the data
    ASSERT_TRUE(player_->WaitForEvent("upload", {{"file", "big.bin"}, {"verdict", "partial"}}))
        << player_->Output();
    ASSERT_TRUE(player_->WaitForEvent("session-close", {{"reason", "peer closed"}}));
    EXPECT_EQ(fs::file_size(Card() / "videotemp" / "big.bin"), 1'000'000u);

    TcpClient second(port_);
    auto answer = Announce(second, 8, ManifestXml("big.bin", file.size()));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->ifok, 1);
    ASSERT_EQ(answer->filelen, 1'000'000);
    ASSERT_TRUE(SendFileData(second, 9, file, uint64_t(answer->filelen)));
    ASSERT_TRUE(player_->WaitForEvent("upload", {{"file", "big.bin"},
                                                 {"verdict", "complete"},
                                                 {"resumedFrom", 1'000'000},
                                                 {"bytes", 2'000'000}}))
        << player_->Output();
    EXPECT_EQ(ReadHostBytes(Card() / "videotemp" / "big.bin"), file);
}

TEST_F(UploadTest, NamesWithDirectoriesStayInTheReceivingDirectory) {
    Start();
    TcpClient tool(port_);
    const Bytes content = Text("evil");
    for (const char* name : {"../../x", "..\\..\\x", "\\nand\\..\\x", "/etc/x"}) {
        auto answer = Announce(tool, 8, ManifestXml(name, content.size(), 1));
        ASSERT_TRUE(answer) << name;
        EXPECT_EQ(answer->ifok, 1) << name;
        ASSERT_TRUE(SendFileData(tool, 9, content, 0));
    }
    // A name without a plain last part is refused: nothing is written.
    auto refused = Announce(tool, 8, ManifestXml("..", content.size(), 1));
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->ifok, 3);
    ASSERT_TRUE(SendFileData(tool, 9, content, 0));
    ASSERT_TRUE(player_->WaitForEvent("upload", {{"verdict", "refused"}})) << player_->Output();
    // The session is still in step.
    ASSERT_TRUE(tool.Send(Frame(100)));
    EXPECT_EQ(tool.Receive(9).size(), 9u);

    EXPECT_EQ(ReadHostBytes(Card() / "videotemp" / "x"), content);
    for (const auto& entry : fs::recursive_directory_iterator(dir_.Path())) {
        if (entry.is_regular_file() && ReadHostBytes(entry.path()) == content) {
            EXPECT_EQ(entry.path(), Card() / "videotemp" / "x");
        }
    }
    EXPECT_FALSE(fs::exists("/etc/x") && ReadHostBytes("/etc/x") == content);
}

Bytes Entry(const std::string& name, const Bytes& content) {
    Bytes e(260, 0);
    std::copy(name.begin(), name.end(), e.begin());
    for (int i = 0; i < 4; ++i) e[256 + i] = uint8_t(content.size() >> (8 * i));
    e.insert(e.end(), content.begin(), content.end());
    return e;
}

TEST_F(UploadTest, AnUpdatePackageIsUnpackedIntoItsEntries) {
    Start();
    Bytes package = Text("LISTEN");
    package.resize(11, 0);
    const Bytes tool1 = Pattern(9000, 3), tool2 = Text("config");
    for (const Bytes& e : {Entry("updater.exe", tool1), Entry("..\\cfg.ini", tool2)})
        package.insert(package.end(), e.begin(), e.end());

    TcpClient tool(port_);
    auto answer = UploadFile(tool, "pack.lst", package, 30, 31);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->filelen, 0);
    ASSERT_TRUE(tool.Send(Frame(32)));
    EXPECT_EQ(tool.Receive(9).size(), 9u);
    ASSERT_TRUE(player_->WaitForEvent("update-unpacked", {{"package", "pack.lst"}}))
        << player_->Output();
    EXPECT_EQ(ReadHostBytes(Root() / "nand" / "upfiles" / "updater.exe"), tool1);
    EXPECT_EQ(ReadHostBytes(Root() / "nand" / "upfiles" / "cfg.ini"), tool2);
    EXPECT_EQ(ReadHostBytes(Root() / "nand" / "exelist.dat"), Text("updater.exe;cfg.ini"));
}

}  // namespace
}  // namespace led::test
