#include <gtest/gtest.h>

#include "platform/fs/DeviceFs.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

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

}  // namespace
}  // namespace led
