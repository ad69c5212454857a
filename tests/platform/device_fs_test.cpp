#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <future>
#include <iterator>
#include <string>

#include "platform/fs/DeviceFs.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

namespace stdfs = std::filesystem;

std::string ReadHostFile(const stdfs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class DeviceFsTest : public ::testing::Test {
protected:
    test::TempDir dir;
    DeviceFs fs{dir.Path()};
};

TEST_F(DeviceFsTest, ComponentsMatchWhatExistsIgnoringCase) {
    test::WriteHostFile(dir.Path() / "nand" / "Camera" / "Shot.BMP", "x");
    auto resolved = fs.Resolve("\\NAND\\camera\\shot.bmp");
    ASSERT_TRUE(resolved);
    EXPECT_EQ(*resolved, dir.Path() / "nand" / "Camera" / "Shot.BMP");
    EXPECT_TRUE(fs.Exists("\\nand\\CAMERA\\SHOT.bmp"));
    // A new component keeps the spelling it was given.
    EXPECT_EQ(*fs.Resolve("\\nand\\Camera\\NewFile.Txt"), dir.Path() / "nand" / "Camera" / "NewFile.Txt");
    // Forward slashes and doubled separators are tolerated.
    EXPECT_TRUE(fs.Exists("/nand//camera/shot.bmp"));
}

TEST_F(DeviceFsTest, PathsNeverLeaveTheirVolume) {
    test::WriteHostFile(dir.Path() / "secret.txt", "s");
    test::WriteHostFile(dir.Path() / "nand" / "a.txt", "a");
    for (const char* bad : {"\\nand\\..\\secret.txt", "\\nand\\table\\..\\..\\secret.txt",
                            "\\nand\\C:\\secret.txt", "\\nand\\.\\a.txt", "C:\\nand\\a.txt",
                            "\\etc\\passwd", "", "\\", "..\\secret.txt"}) {
        EXPECT_FALSE(fs.Resolve(bad)) << bad;
        EXPECT_FALSE(fs.ReadFile(bad)) << bad;
        EXPECT_FALSE(fs.WriteText(bad, "x")) << bad;
    }
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "secret.txt"));
}

TEST_F(DeviceFsTest, VolumesCanBeMappedAndMayBeAbsent) {
    test::TempDir usb;
    EXPECT_FALSE(fs.VolumeExists("\\HDD\\"));
    fs.MapVolume("hdd", usb.Path());
    EXPECT_TRUE(fs.VolumeExists("\\HDD\\removeallfile.dat"));
    ASSERT_TRUE(fs.WriteText("\\HDD\\x.txt", "hello"));
    EXPECT_TRUE(std::filesystem::exists(usb.Path() / "x.txt"));
    // The two storage-card volumes are distinct.
    std::filesystem::create_directories(dir.Path() / "Storage Card 1_0");
    EXPECT_TRUE(fs.VolumeExists("\\Storage Card 1_0\\"));
    EXPECT_FALSE(fs.VolumeExists("\\Storage Card\\"));
}

TEST_F(DeviceFsTest, ReadsWritesAndAppends) {
    std::filesystem::create_directories(dir.Path() / "nand" / "table");
    EXPECT_FALSE(fs.WriteText("\\nand\\missing\\a.dat", "x")) << "parents are not created";
    ASSERT_TRUE(fs.WriteText("\\nand\\table\\a.dat", "abcdef"));
    EXPECT_EQ(fs.ReadText("\\nand\\table\\a.dat", 2), "ab");
    EXPECT_EQ(fs.FileSize("\\nand\\table\\a.dat"), 6u);
    ASSERT_TRUE(fs.AppendFile("\\nand\\table\\a.dat", "gh", 2));
    EXPECT_EQ(fs.ReadText("\\nand\\table\\a.dat"), "abcdefgh");
    EXPECT_FALSE(fs.ReadFile("\\nand\\table")) << "a directory is not a file";
    EXPECT_TRUE(fs.Remove("\\nand\\TABLE\\A.DAT"));
    EXPECT_FALSE(fs.Exists("\\nand\\table\\a.dat"));
    EXPECT_FALSE(fs.Remove("\\nand\\table\\a.dat"));
}

// The new contents are written beside the target and renamed over it; when
// that rename fails the write has failed. Here a directory appears at the
// target while the contents are being written (the writer is held by making
// its temporary file a FIFO that the test drains only after creating the
// directory).
TEST_F(DeviceFsTest, AWriteWhoseFinalRenameFailsReportsFailure) {
    const stdfs::path nand = dir.Path() / "nand";
    stdfs::create_directories(nand);
    const stdfs::path part = nand / "settings.dat.part";
    ASSERT_EQ(mkfifo(part.c_str(), 0600), 0);
    int reader = open(part.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    // More than a pipe holds, so the writer is still writing when it first blocks.
    const std::string contents(1 << 20, 'x');
    auto written = std::async(std::launch::async,
                              [&] { return fs.WriteText("\\nand\\settings.dat", contents); });

    // The writer has opened its temporary file once data arrives.
    pollfd p{reader, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 10000), 1) << "the writer never started";
    test::WriteHostFile(nand / "settings.dat" / "keep.txt", "k");
    char b[65536];
    for (auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
         std::chrono::steady_clock::now() < deadline;) {
        ssize_t n = read(reader, b, sizeof b);
        if (n == 0) break;  // the writer closed its temporary file
        if (n < 0) poll(&p, 1, 100);
    }
    close(reader);

    EXPECT_FALSE(written.get());
    EXPECT_TRUE(stdfs::is_directory(nand / "settings.dat"));
    EXPECT_TRUE(stdfs::exists(nand / "settings.dat" / "keep.txt"));
    EXPECT_FALSE(stdfs::exists(part)) << "the temporary file is cleaned up";
}

// A symlink inside a volume (planted by a USB disk or an upload) must not lead
// out of it; one that stays inside is an ordinary alias.
TEST_F(DeviceFsTest, SymlinksThatLeaveTheVolumeAreRefused) {
    const stdfs::path nand = dir.Path() / "nand";
    test::WriteHostFile(dir.Path() / "outside" / "secret.txt", "secret");
    test::WriteHostFile(nand / "table" / "gamma.dat", "gamma");
    stdfs::create_symlink(dir.Path() / "outside" / "secret.txt", nand / "leak.txt");
    stdfs::create_directory_symlink(dir.Path() / "outside", nand / "away");
    stdfs::create_symlink(dir.Path() / "outside" / "new.txt", nand / "dangling.txt");
    stdfs::create_directory_symlink("table", nand / "tables");  // relative, stays inside
    stdfs::create_symlink("table/gamma.dat", nand / "Gamma.lnk");

    for (const char* bad :
         {"\\nand\\leak.txt", "\\NAND\\LEAK.TXT", "\\nand\\away", "\\nand\\away\\secret.txt",
          "\\nand\\Away\\new.txt", "\\nand\\dangling.txt"}) {
        EXPECT_FALSE(fs.Resolve(bad)) << bad;
        EXPECT_FALSE(fs.Exists(bad)) << bad;
        EXPECT_FALSE(fs.ReadFile(bad)) << bad;
        EXPECT_FALSE(fs.FileSize(bad)) << bad;
        EXPECT_FALSE(fs.WriteText(bad, "x")) << bad;
        EXPECT_FALSE(fs.AppendFile(bad, "x", 1)) << bad;
        EXPECT_FALSE(fs.Remove(bad)) << bad;
        EXPECT_FALSE(fs.CopyFile("\\nand\\table\\gamma.dat", bad)) << bad;
        EXPECT_FALSE(fs.CopyFile(bad, "\\nand\\copy.txt")) << bad;
        EXPECT_FALSE(fs.MoveFile(bad, "\\nand\\moved.txt")) << bad;
    }
    EXPECT_TRUE(fs.List("\\nand\\away").empty());
    EXPECT_FALSE(fs.CreateDirectory("\\nand\\away\\made"));
    // The temporary file of a write is no way out either.
    stdfs::create_symlink(dir.Path() / "outside" / "secret.txt", nand / "table" / "gamma.dat.part");
    EXPECT_FALSE(fs.WriteText("\\nand\\table\\gamma.dat", "x"));
    stdfs::remove(nand / "table" / "gamma.dat.part");

    EXPECT_EQ(ReadHostFile(dir.Path() / "outside" / "secret.txt"), "secret");
    EXPECT_EQ(std::distance(stdfs::directory_iterator(dir.Path() / "outside"), {}), 1);
    EXPECT_FALSE(stdfs::exists(dir.Path() / "outside" / "new.txt"));
    EXPECT_FALSE(stdfs::exists(dir.Path() / "outside" / "made"));
    EXPECT_FALSE(stdfs::exists(nand / "copy.txt"));

    // Links that stay inside work as before, matched ignoring case.
    EXPECT_EQ(fs.ReadText("\\nand\\TABLES\\Gamma.dat"), "gamma");
    EXPECT_EQ(fs.ReadText("\\nand\\gamma.lnk"), "gamma");
    EXPECT_TRUE(fs.WriteText("\\nand\\tables\\brightness.dat", "b"));
    EXPECT_EQ(ReadHostFile(nand / "table" / "brightness.dat"), "b");
    EXPECT_EQ(fs.List("\\nand\\tables").size(), 2u);
    EXPECT_TRUE(fs.CopyFile("\\nand\\tables\\gamma.dat", "\\nand\\gamma.copy"));
    EXPECT_TRUE(fs.Remove("\\nand\\tables\\brightness.dat"));
}

// A volume whose directory is itself a link elsewhere (a USB mount point, a
// root on another disk) is the volume: only leaving it is refused.
TEST_F(DeviceFsTest, AVolumeDirectoryMayBeALink) {
    test::TempDir usb;
    test::WriteHostFile(usb.Path() / "disk" / "program.xml", "p");
    stdfs::create_directory_symlink(usb.Path() / "disk", dir.Path() / "HDD");
    EXPECT_TRUE(fs.VolumeExists("\\HDD\\"));
    EXPECT_EQ(fs.ReadText("\\hdd\\PROGRAM.XML"), "p");
    EXPECT_TRUE(fs.WriteText("\\HDD\\log.txt", "l"));
    EXPECT_TRUE(stdfs::exists(usb.Path() / "disk" / "log.txt"));
}

}  // namespace
}  // namespace led
