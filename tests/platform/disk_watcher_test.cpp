// The USB disk watcher on a plain directory and the mount table.

#include <gtest/gtest.h>

#include "platform/fs/DiskWatcher.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

namespace stdfs = std::filesystem;

TEST(DiskWatcherTest, PlainDirectoryArrivesWithProgramsAndLeavesWhenEmptiedOrDeleted) {
    test::TempDir dir;
    const auto hdd = dir.Path() / "HDD";
    stdfs::create_directories(hdd);
    auto watcher = MakeDiskWatcher(hdd);
    EXPECT_EQ(watcher->Wait(0), DiskNotice::None);

    // Other entries are not a disk; an "xml" or "video" entry is.
    test::WriteHostFile(hdd / "notes.txt", "");
    EXPECT_EQ(watcher->Wait(50), DiskNotice::None);
    stdfs::create_directory(hdd / "VIDEO");
    EXPECT_EQ(watcher->Wait(5000), DiskNotice::Inserted);
    EXPECT_EQ(watcher->Wait(0), DiskNotice::None) << "reported once";

    // Losing the programs but keeping other files is not a removal.
    stdfs::remove(hdd / "VIDEO");
    EXPECT_EQ(watcher->Wait(50), DiskNotice::None);
    stdfs::remove(hdd / "notes.txt");
    EXPECT_EQ(watcher->Wait(5000), DiskNotice::Removed);

    // The directory deleted and made again with programs in it.
    stdfs::create_directories(hdd / "xml");
    EXPECT_EQ(watcher->Wait(5000), DiskNotice::Inserted);
    stdfs::remove_all(hdd);
    EXPECT_EQ(watcher->Wait(5000), DiskNotice::Removed);
    stdfs::create_directories(dir.Path() / "disk" / "xml");
    stdfs::rename(dir.Path() / "disk", hdd);
    EXPECT_EQ(watcher->Wait(5000), DiskNotice::Inserted);
}

TEST(DiskWatcherTest, DiskPresentAtTheStartIsNotAnArrival) {
    test::TempDir dir;
    const auto hdd = dir.Path() / "HDD";
    stdfs::create_directories(hdd / "xml");
    auto watcher = MakeDiskWatcher(hdd);
    EXPECT_EQ(watcher->Wait(50), DiskNotice::None);
    stdfs::remove(hdd / "xml");
    EXPECT_EQ(watcher->Wait(5000), DiskNotice::Removed);
}

TEST(DiskWatcherTest, MountTableKnowsTheRootAndNotAPlainDirectory) {
    test::TempDir dir;
    stdfs::create_directories(dir.Path() / "plain");
    EXPECT_TRUE(IsMountPoint("/"));
    EXPECT_FALSE(IsMountPoint(dir.Path() / "plain"));
    EXPECT_FALSE(IsMountPoint(dir.Path() / "missing"));
}

}  // namespace
}  // namespace led
