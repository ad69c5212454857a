// File transfers: the manifest round trip, the names that come with it, the
// streaming of file data, update packages and the moves of an install.

#include "net/Transfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "core/Player.h"
#include "core/StoragePaths.h"
#include "net/Command.h"
#include "net/Install.h"
#include "net/Manifest.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

std::string ManifestXml(const std::string& name, const std::string& length,
                        const std::string& overwrite = "0", const std::string& typeAttr = "") {
    return "<?xml version=\"1.0\"?><root><files><file" + typeAttr + "><filename>" + name +
           "</filename><filelen>" + length + "</filelen><ifoverwrite>" + overwrite +
           "</ifoverwrite></file></files></root>";
}

std::string ReadHost(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

Bytes Pattern(size_t n, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes b(n);
    for (auto& x : b) x = uint8_t(random());
    return b;
}

// A session whose peer sends `bytes` in pieces of at most `piece`, then
// goes away (or, with `endsAfter`, goes away after that many bytes).
class ScriptedStream final : public SessionStream {
public:
    ScriptedStream(Bytes bytes, size_t piece, size_t endsAfter = SIZE_MAX)
        : bytes_(std::move(bytes)), piece_(piece), endsAfter_(endsAfter) {}
    long ReadBody(std::span<uint8_t> out) override {
        size_t limit = std::min(bytes_.size(), endsAfter_);
        if (at_ >= limit) return -1;
        // A time-out without bytes now and then, as a slow peer gives.
        if (++calls_ % 7 == 0) return 0;
        size_t n = std::min({out.size(), piece_, limit - at_});
        std::copy_n(bytes_.begin() + long(at_), n, out.begin());
        at_ += n;
        return long(n);
    }
    size_t Consumed() const { return at_; }

private:
    Bytes bytes_;
    size_t piece_, endsAfter_, at_ = 0, calls_ = 0;
};

Bytes WithEnd(Bytes body) {
    body.push_back('#');
    body.push_back('*');
    return body;
}

TEST(ManifestTest, AnswerRewritesLengthAndVerdictAndKeepsTheRest) {
    auto m = ParseManifest(ManifestXml("clip.mp4", " 123456789012 ", "1", " type=\"4\""));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->filename, "clip.mp4");
    EXPECT_EQ(m->filelen, 123456789012);
    EXPECT_EQ(m->ifoverwrite, 1);
    EXPECT_EQ(m->type, 4);

    auto answer = AnswerManifest(ManifestXml("clip.mp4", "500"), 200, 1);
    ASSERT_TRUE(answer);
    auto again = ParseManifest(*answer);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->filename, "clip.mp4");
    EXPECT_EQ(again->filelen, 200);
    EXPECT_NE(answer->find("<ifok>1</ifok>"), std::string::npos);
}

TEST(ManifestTest, UnusableManifestsAreNotRead) {
    EXPECT_FALSE(ParseManifest("not xml at all"));
    EXPECT_FALSE(ParseManifest("<root><files></files></root>"));
    EXPECT_FALSE(ParseManifest(ManifestXml("a", "-5")));
    EXPECT_FALSE(ParseManifest(ManifestXml("a", "99999999999999999999999")));
    EXPECT_FALSE(ParseManifest(ManifestXml("a", "12abc")));
    EXPECT_FALSE(AnswerManifest("<root/>", 0, 1));
    // Stray text after the root is tolerated on reading, but left out of the
    // answer, which must read again.
    auto answer = AnswerManifest(ManifestXml("a", "8") + "junk</filename>", 4, 1);
    ASSERT_TRUE(answer);
    auto again = ParseManifest(*answer);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->filelen, 4);
    // Only the first file counts.
    auto m = ParseManifest(
        "<root><files><file><filename>a</filename><filelen>1</filelen></file>"
        "<file><filename>b</filename><filelen>2</filelen></file></files></root>");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->filename, "a");
}

TEST(ManifestTest, NamesAreReducedToTheirLastPlainComponent) {
    for (const char* name : {"x", "../../x", "..\\..\\x", "\\nand\\..\\x", "/etc/x", "C:\\x"})
        EXPECT_EQ(PlainFileName(name), std::optional<std::string>("x")) << name;
    for (std::string name : {std::string(""), std::string(".."), std::string("dir/"),
                             std::string("C:x"), std::string("a\x01"), std::string(300, 'n')})
        EXPECT_FALSE(PlainFileName(name)) << name;
    EXPECT_TRUE(PlainFileName(std::string(259, 'n')));
}

// The fuzzers' seeds and the inputs they once failed on: every manifest that
// reads answers with a document that reads again with the new length.
TEST(ManifestTest, FuzzInputsAnswerWithADocumentThatReadsAgain) {
    const auto fuzz = fs::path(LEDPLAYER_SOURCE_DIR) / "tests" / "fuzz";
    int read = 0;
    for (const char* dir : {"corpus/manifest", "regressions/manifest"}) {
        if (!fs::is_directory(fuzz / dir)) continue;
        for (const auto& entry : fs::directory_iterator(fuzz / dir)) {
            const std::string text = ReadHost(entry.path());
            auto m = ParseManifest(text);
            if (!m) continue;
            ++read;
            auto answer = AnswerManifest(text, 7, 1);
            ASSERT_TRUE(answer) << entry.path();
            auto again = ParseManifest(*answer);
            ASSERT_TRUE(again) << entry.path();
            EXPECT_EQ(again->filelen, 7) << entry.path();
            EXPECT_EQ(again->filename, m->filename) << entry.path();
        }
    }
    EXPECT_GT(read, 3);
}

class TransferFsTest : public ::testing::Test {
protected:
    void SetUp() override {
        player_ = test::MakeTestPlayer(dir_.Path() / "root");
        for (const char* d : {"nand/table", "Storage Card/videotemp", "Storage Card/video",
                              "Storage Card/xml", "nand/upfiles"})
            fs::create_directories(dir_.Path() / "root" / d);
        dirs_ = DirectoriesOfType(player_->Storage()->paths, 0);
    }
    fs::path Host(const std::string& relative) { return dir_.Path() / "root" / relative; }

    test::TempDir dir_;
    std::unique_ptr<Player> player_;
    TransferDirs dirs_;
};

TEST_F(TransferFsTest, AnswerSaysWhatThePlayerHas) {
    const DeviceFs& f = player_->fs;
    Manifest m{"a.jpg", 100, 0, 0};
    Answer none = DecideAnswer(f, dirs_, "a.jpg", m, false);
    EXPECT_EQ(none.filelen, 0);
    EXPECT_EQ(none.verdict, Verdict::Send);

    test::WriteHostFile(Host("Storage Card/videotemp/a.jpg"), std::string(40, 'a'));
    Answer partial = DecideAnswer(f, dirs_, "a.jpg", m, false);
    EXPECT_EQ(partial.filelen, 40);
    EXPECT_EQ(partial.verdict, Verdict::Send);
    // Overwrite asks for everything again.
    EXPECT_EQ(DecideAnswer(f, dirs_, "a.jpg", {"a.jpg", 100, 1, 0}, false).filelen, 0);
    // A leftover longer than the file now announced is not resumed.
    EXPECT_EQ(DecideAnswer(f, dirs_, "a.jpg", {"a.jpg", 30, 0, 0}, false).filelen, 0);

    test::WriteHostFile(Host("Storage Card/video/a.jpg"), std::string(100, 'a'));
    Answer complete = DecideAnswer(f, dirs_, "a.jpg", m, false);
    EXPECT_EQ(complete.filelen, 100);
    EXPECT_EQ(complete.verdict, Verdict::Complete);

    test::WriteHostFile(Host("Storage Card/video/playlist.xml"), "<x/>");
    test::WriteHostFile(Host("Storage Card/videotemp/playlist.xml"), "<x/>");
    Answer playlist = DecideAnswer(f, dirs_, "playlist.xml", {"playlist.xml", 4, 0, 0}, false);
    EXPECT_EQ(playlist.filelen, 0);
    EXPECT_EQ(playlist.verdict, Verdict::Send);

    // Update files are looked for where they are received, not in the media.
    TransferDirs update = DirectoriesOfType(player_->Storage()->paths, 1);
    EXPECT_EQ(DecideAnswer(f, update, "a.jpg", m, true).filelen, 0);
    test::WriteHostFile(Host("nand/upfiles/a.jpg"), std::string(10, 'u'));
    EXPECT_EQ(DecideAnswer(f, update, "a.jpg", m, true).filelen, 10);
}

TEST_F(TransferFsTest, TypesNameTheirDirectories) {
    const auto& paths = player_->Storage()->paths;
    EXPECT_EQ(DirectoriesOfType(paths, 3).final, paths.root + "video1\\");
    EXPECT_EQ(DirectoriesOfType(paths, 4).playlist, paths.root + "xml2\\");
    EXPECT_EQ(DirectoriesOfType(paths, 67).receiving, paths.root + "videotemp65\\");
    EXPECT_EQ(DirectoriesOfType(paths, 2).final, "\\nand\\font\\");
    EXPECT_TRUE(IsUpdateType(66));
    EXPECT_FALSE(IsUpdateType(67));
    EXPECT_TRUE(CreateDirectories(player_->fs, "\\Storage Card\\table\\test\\"));
    EXPECT_TRUE(fs::is_directory(Host("Storage Card/table/test")));
}

TEST(SpaceVerdictTest, WholeMegabytesAreCompared) {
    EXPECT_EQ(SpaceVerdict(std::nullopt, 1), Verdict::SpaceUnknown);
    EXPECT_EQ(SpaceVerdict(DeviceFs::Space{0, 3u << 20}, (4 << 20) - 1), std::nullopt);
    EXPECT_EQ(SpaceVerdict(DeviceFs::Space{0, (4u << 20) - 1}, 4 << 20), Verdict::NoSpace);
}

TEST_F(TransferFsTest, DataIsStreamedAppendedOrWrittenOverByteExact) {
    const std::string path = "\\Storage Card\\videotemp\\clip.bin";
    Bytes file = Pattern(300000, 1);
    // First attempt breaks after 123 457 bytes, in one-byte and odd pieces.
    for (size_t piece : {size_t(1), size_t(997)}) {
        fs::remove(Host("Storage Card/videotemp/clip.bin"));
        Bytes block(kTransferBlockBytes);
        ScriptedStream broken(WithEnd(file), piece, piece == 1 ? 5000 : 123457);
        ReceiveResult first = ReceiveFileData(player_->fs, path, true, file.size(), broken,
                                              piece == 1 ? std::span<uint8_t>() : block);
        EXPECT_EQ(first.result, Received::SessionEnded);
        const size_t kept = piece == 1 ? 5000 : 123457;
        // What was received is on disk, block-buffered bytes included.
        ASSERT_EQ(fs::file_size(Host("Storage Card/videotemp/clip.bin")), kept);

        Bytes rest(file.begin() + long(kept), file.end());
        ScriptedStream resumed(WithEnd(rest), 4096);
        ReceiveResult second =
            ReceiveFileData(player_->fs, path, false, rest.size(), resumed, block);
        EXPECT_EQ(second.result, Received::Complete);
        EXPECT_EQ(second.resumedFrom, kept);
        EXPECT_EQ(second.written, rest.size());
        EXPECT_EQ(resumed.Consumed(), rest.size() + 2);  // the end marker too
        EXPECT_EQ(ReadHost(Host("Storage Card/videotemp/clip.bin")),
                  std::string(file.begin(), file.end()));
    }
    // Truncate: a whole file over an old copy leaves only the new bytes.
    // The screen's spinner steps every second receive here (4 receives of 3, 3, 3 and 1).
    int steps = 0;
    ScriptedStream again(WithEnd(Bytes(10, 'z')), 3);
    EXPECT_EQ(ReceiveFileData(
                  player_->fs, path, true, 10, again, {}, [&] { ++steps; }, 2)
                  .result,
              Received::Complete);
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(ReadHost(Host("Storage Card/videotemp/clip.bin")), std::string(10, 'z'));
}

TEST_F(TransferFsTest, AFileThatCannotBeOpenedIsDrained) {
    ScriptedStream s(WithEnd(Bytes(5000, 1)), 512);
    auto r = ReceiveFileData(player_->fs, "\\nowhere\\x.bin", true, 5000, s, {});
    EXPECT_EQ(r.result, Received::NotOpened);
    EXPECT_EQ(s.Consumed(), 5002u);
}

Bytes Package(const std::vector<std::pair<std::string, Bytes>>& entries,
              const char* magic = "LISTEN") {
    Bytes p(magic, magic + 6);
    p.resize(11, 0);
    for (const auto& [name, content] : entries) {
        Bytes head(260, 0);
        std::copy(name.begin(), name.end(), head.begin());
        uint32_t n = uint32_t(content.size());
        for (int i = 0; i < 4; ++i) head[256 + i] = uint8_t(n >> (8 * i));
        p.insert(p.end(), head.begin(), head.end());
        p.insert(p.end(), content.begin(), content.end());
    }
    return p;
}

UpdatePackage ReadPackage(const Bytes& p) {
    return ReadUpdatePackage(p.size(), [&](uint64_t at, std::span<uint8_t> out) -> size_t {
        if (at >= p.size()) return 0;
        size_t n = std::min<size_t>(out.size(), p.size() - at);
        std::copy_n(p.begin() + long(at), n, out.begin());
        return n;
    });
}

TEST(UpdatePackageTest, EntriesAreReadAndBadOnesStopOrAreRefused) {
    Bytes p = Package(
        {{"a.exe", Bytes(10, 'a')}, {"../evil", Bytes(3, 'e')}, {"..", Bytes(2)}, {"b.dll", {}}});
    UpdatePackage package = ReadPackage(p);
    EXPECT_TRUE(package.magicOk);
    EXPECT_FALSE(package.truncated);
    ASSERT_EQ(package.entries.size(), 3u);
    EXPECT_EQ(package.entries[1].name, "evil");
    EXPECT_EQ(package.entries[2].size, 0u);
    EXPECT_EQ(package.refused, std::vector<std::string>{".."});

    // An entry announced longer than the file: nothing of it is taken.
    Bytes cut = Package({{"a.exe", Bytes(10, 'a')}, {"big", Bytes(100, 'b')}});
    cut.resize(cut.size() - 1);
    package = ReadPackage(cut);
    EXPECT_TRUE(package.truncated);
    ASSERT_EQ(package.entries.size(), 1u);
    // Ending inside a head.
    Bytes inHead = Package({{"a.exe", Bytes(10, 'a')}});
    inHead.resize(inHead.size() + 100, 0);
    EXPECT_TRUE(ReadPackage(inHead).truncated);

    EXPECT_FALSE(ReadPackage(Package({{"a", {}}}, "PACKAG")).magicOk);
    EXPECT_TRUE(ReadPackage(Package({{"a", {}}}, "xlisten")).entries.empty());
}

TEST_F(TransferFsTest, PackagesUnpackIntoTheUpdateFilesOnly) {
    Bytes content = Pattern(10000, 3);
    Bytes p = Package({{"tool.exe", content},
                       {"..\\..\\Storage Card\\x.dat", Bytes(5, 'x')},
                       {"pack.bin", Bytes(4, 'p')}});
    test::WriteHostFile(Host("nand/upfiles/pack.bin"), std::string(p.begin(), p.end()));
    auto names = UnpackUpdatePackage(player_->fs, "pack.bin");
    EXPECT_EQ(names, (std::vector<std::string>{"tool.exe", "x.dat"}));
    EXPECT_EQ(ReadHost(Host("nand/upfiles/tool.exe")), std::string(content.begin(), content.end()));
    EXPECT_EQ(ReadHost(Host("nand/upfiles/x.dat")), "xxxxx");
    EXPECT_FALSE(fs::exists(Host("Storage Card/x.dat")));
    // The package is not written over by its own entry.
    EXPECT_EQ(fs::file_size(Host("nand/upfiles/pack.bin")), p.size());
    EXPECT_EQ(ReadHost(Host("nand/exelist.dat")), "tool.exe;x.dat");
}

TEST_F(TransferFsTest, ReceivedFilesReplaceTheirNamesakes) {
    test::WriteHostFile(Host("Storage Card/videotemp/a.jpg"), "new");
    test::WriteHostFile(Host("Storage Card/videotemp/b.jpg"), "b");
    fs::create_directories(Host("Storage Card/videotemp/sub"));
    test::WriteHostFile(Host("Storage Card/video/a.jpg"), "old");
    EXPECT_TRUE(MoveReceivedFiles(player_->fs, dirs_.receiving, dirs_.final).empty());
    EXPECT_EQ(ReadHost(Host("Storage Card/video/a.jpg")), "new");
    EXPECT_EQ(ReadHost(Host("Storage Card/video/b.jpg")), "b");
    EXPECT_FALSE(fs::exists(Host("Storage Card/videotemp/a.jpg")));
    EXPECT_TRUE(MoveReceivedFiles(player_->fs, "\\Storage Card\\none\\", dirs_.final).empty());
}

TEST_F(TransferFsTest, CleanupDeletesOnlyUnreferencedFilesOfTheMediaDirectory) {
    auto lists = std::make_shared<ProgramLists>();
    ProgramRecord program;
    AreaRecord area;
    AreaItem item;
    item.path = "\\Storage Card\\video\\Keep.JPG";
    area.items.push_back(item);
    program.areas.push_back(area);
    lists->all.push_back(program);
    lists->normal.push_back(program);
    player_->SetPrograms(lists);
    test::WriteHostFile(Host("Storage Card/video/keep.jpg"), "k");
    test::WriteHostFile(Host("Storage Card/video/old.jpg"), "o");
    test::WriteHostFile(Host("Storage Card/video/sub/inner.jpg"), "i");
    test::WriteHostFile(Host("Storage Card/xml/other.jpg"), "x");
    EXPECT_EQ(DeleteUnreferencedMedia(*player_, player_->Storage()->paths.video), 1);
    EXPECT_TRUE(fs::exists(Host("Storage Card/video/keep.jpg")));
    EXPECT_FALSE(fs::exists(Host("Storage Card/video/old.jpg")));
    EXPECT_TRUE(fs::exists(Host("Storage Card/video/sub/inner.jpg")));
    EXPECT_TRUE(fs::exists(Host("Storage Card/xml/other.jpg")));
}

}  // namespace
}  // namespace led
