// The screen commands through the TCP dispatcher: the capture download's
// head, offset and pieces, and the point test picture's installation.

#include <gtest/gtest.h>

#include "core/Player.h"
#include "net/Command.h"
#include "net/Dispatch.h"
#include "support/ImageFiles.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

using Bytes = std::vector<uint8_t>;

struct Recorder final : ReplySink, Relay {
    std::vector<Bytes> sent;
    bool Send(std::span<const uint8_t> b) override {
        sent.emplace_back(b.begin(), b.end());
        return true;
    }
    void Forward(std::span<const uint8_t>) override {}
};

class CaptureCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        player_ = test::MakeTestPlayer(dir_.Path() / "root");
        std::filesystem::create_directories(dir_.Path() / "root" / "nand" / "table");
        // 1366 x 2: rows of 4098 bytes padded to 4100, file 8254 bytes.
        test::OpenMainWindow(*player_, {1366, 2});
        auto painter = player_->output.mainWindow->Paint();
        painter->Copy(test::PatternPicture(1366, 2));
    }
    Recorder Run(uint8_t code, Bytes payload) {
        Recorder out;
        Bytes raw = {'*', '#', code, 0, 0, 0, 0};
        Request r{*player_, Transport::Tcp,     code, uint32_t(payload.size()), payload,
                  raw,      {0x7F000001, 4000}, out};
        DispatchTcp(r, out);
        return out;
    }
    static uint32_t Count(const Bytes& head) {
        return uint32_t(head[3]) | uint32_t(head[4]) << 8 | uint32_t(head[5]) << 16 |
               uint32_t(head[6]) << 24;
    }
    Bytes Body(const Recorder& out) {
        Bytes all;
        for (size_t i = 1; i < out.sent.size(); ++i) {
            EXPECT_LE(out.sent[i].size(), 1024u);
            all.insert(all.end(), out.sent[i].begin(), out.sent[i].end());
        }
        return all;
    }

    test::TempDir dir_;
    std::unique_ptr<Player> player_;
};

TEST_F(CaptureCommandsTest, DownloadSendsAFreshCaptureWholeOrFromAnOffset) {
    auto whole = Run(151, {0, 4});
    const Bytes file = test::ReadBytes(dir_.Path() / "root" / "nand" / "capture.bmp");
    ASSERT_EQ(file.size(), 54u + 4100 * 2);
    ASSERT_FALSE(whole.sent.empty());
    const Bytes& head = whole.sent[0];
    ASSERT_EQ(head.size(), 8u);
    EXPECT_EQ(head[0], '*');
    EXPECT_EQ(head[1], '#');
    EXPECT_EQ(head[2], 0x97);
    EXPECT_EQ(Count(head), file.size());
    EXPECT_EQ(head[7], 0);
    EXPECT_EQ(whole.sent.size(), 1 + (file.size() + 1023) / 1024);
    EXPECT_EQ(Body(whole), file);

    // From offset 5000 (bytes 2..5, little-endian), flagged as partial.
    auto tail = Run(151, {1, 4, 0x88, 0x13, 0, 0});
    ASSERT_FALSE(tail.sent.empty());
    EXPECT_EQ(tail.sent[0][7], 1);
    EXPECT_EQ(Count(tail.sent[0]), file.size() - 5000);
    EXPECT_EQ(Body(tail), Bytes(file.begin() + 5000, file.end()));
}

TEST_F(CaptureCommandsTest, DownloadPastTheEndAnnouncesNothingAndOtherSelectorsAreNotServed) {
    auto past = Run(151, {1, 4, 0xFF, 0xFF, 0, 0});
    ASSERT_EQ(past.sent.size(), 1u) << "the head only";
    EXPECT_EQ(Count(past.sent[0]), 0u);

    std::filesystem::remove(dir_.Path() / "root" / "nand" / "capture.bmp");
    EXPECT_TRUE(Run(151, {0, 3}).sent.empty());
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "root" / "nand" / "capture.bmp"));
    EXPECT_TRUE(Run(151, {}).sent.empty());
}

TEST_F(CaptureCommandsTest, CaptureScreenWritesTheFileWithoutAnswering) {
    EXPECT_TRUE(Run(114, {}).sent.empty());
    EXPECT_EQ(std::filesystem::file_size(dir_.Path() / "root" / "nand" / "capture.bmp"),
              54u + 4100 * 2);
}

TEST_F(CaptureCommandsTest, PointTestPictureSkipsTodaysRecordAndReplacesTheOldPicture) {
    const auto uploads = dir_.Path() / "root" / "Storage Card" / "table" / "test";
    const LocalTime t = player_->clock.Now();
    char dated[32];
    std::snprintf(dated, sizeof dated, "%d%02d%02d.dat", t.year, t.month, t.day);
    test::WriteHostFile(uploads / dated, "record");
    test::WriteHostFile(uploads / "pic.bmp", "new picture");
    test::WriteHostFile(dir_.Path() / "root" / "nand" / "table" / "point_test_pic.bmp", "old");

    auto out = Run(75, {});
    ASSERT_EQ(out.sent.size(), 1u);
    EXPECT_EQ(out.sent[0].size(), 10u) << "Ack10";
    const auto installed = dir_.Path() / "root" / "nand" / "table" / "point_test_pic.bmp";
    EXPECT_EQ(test::ReadBytes(installed),
              Bytes({'n', 'e', 'w', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'}));
    EXPECT_FALSE(std::filesystem::exists(uploads / "pic.bmp"));
    EXPECT_TRUE(std::filesystem::exists(uploads / dated));

    // Only today's record left: the installed picture stays.
    Run(75, {});
    EXPECT_EQ(test::ReadBytes(installed).size(), 11u);
}

}  // namespace
}  // namespace led
