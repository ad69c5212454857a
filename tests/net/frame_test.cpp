// Frames on the wire and their reassembly from a TCP stream.

#include "net/Frame.h"

#include <gtest/gtest.h>

#include "net/AllowList.h"

namespace led {
namespace {

using Bytes = std::vector<uint8_t>;

bool StreamsFileData(uint8_t code) { return code == 9; }

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::vector<std::pair<int, Bytes>> Drain(FrameAssembler& a) {
    std::vector<std::pair<int, Bytes>> frames;
    while (auto f = a.Next())
        frames.push_back({f->code, Bytes(f->payload.begin(), f->payload.end())});
    return frames;
}

TEST(FrameTest, BuildsAndParsesTheWireLayout) {
    EXPECT_EQ(BuildFrame(0x2B, Bytes{'a', 'b'}),
              (Bytes{'*', '#', 0x2B, 2, 0, 0, 0, 'a', 'b', '#', '*'}));
    EXPECT_EQ(AckFrame(100), (Bytes{0x2A, 0x23, 0x64, 0, 0, 0, 0, 0x23, 0x2A}));
    EXPECT_EQ(AckFrame(13, true).size(), 10u);
    EXPECT_EQ(AckFrame(13, true).back(), 0);
    EXPECT_TRUE(BuildFrame(1, Bytes(kMaxFileReply + 1)).empty());

    // A 300-byte payload: the length field is little-endian.
    auto big = BuildFrame(7, Bytes(300, 0xAB));
    EXPECT_EQ(big[3], 0x2C);
    EXPECT_EQ(big[4], 0x01);

    auto parsed = ParseFrame(Bytes{'*', '#', 5, 1, 0, 0, 0, 9, '#', '*'});
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->code, 5);
    EXPECT_EQ(parsed->payload, Bytes{9});
    // The end marker is not checked; start bytes, length bound and size are.
    EXPECT_TRUE(ParseFrame(Bytes{'*', '#', 5, 0, 0, 0, 0, 'x', 'y'}));
    EXPECT_FALSE(ParseFrame(Bytes{'#', '*', 5, 0, 0, 0, 0, '#', '*'}));
    EXPECT_FALSE(ParseFrame(Bytes{'*', '#', 5, 0x01, 0x10, 0, 0, '#', '*'}));  // 4097
    EXPECT_FALSE(ParseFrame(Bytes{'*', '#', 5, 4, 0, 0, 0, 1, 2}));            // cut short
}

TEST(FrameTest, AssemblerJoinsSplitFramesAndSeparatesJoinedOnes) {
    Bytes stream =
        Concat({BuildFrame(100, {}), BuildFrame(41, Bytes{'a', ',', 'b'}), BuildFrame(115, {})});
    // Byte by byte: each frame comes out once, when its last byte arrives.
    FrameAssembler a(StreamsFileData);
    std::vector<std::pair<int, Bytes>> frames;
    for (uint8_t b : stream) {
        a.Push({&b, 1});
        for (auto& f : Drain(a)) frames.push_back(f);
    }
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].first, 100);
    EXPECT_EQ(frames[1], (std::pair<int, Bytes>{41, {'a', ',', 'b'}}));
    EXPECT_EQ(frames[2].first, 115);

    // All in one push.
    FrameAssembler b(StreamsFileData);
    b.Push(stream);
    EXPECT_EQ(Drain(b).size(), 3u);
    EXPECT_EQ(b.Buffered(), 0u);
}

TEST(FrameTest, AssemblerSkipsJunkAndOversizedHeads) {
    FrameAssembler a(StreamsFileData);
    // Junk, a frame claiming 5000 bytes (dropped), a lone '*', then a frame.
    Bytes oversized = {'*', '#', 1, 0x88, 0x13, 0, 0};
    a.Push(Concat({{'x', '#', '*', 'y'}, oversized, {'*'}, BuildFrame(100, {})}));
    auto frames = Drain(a);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].first, 100);
    EXPECT_EQ(a.DroppedHeads(), 1u);

    // A '*' at the very end may begin a frame: kept until the next bytes.
    FrameAssembler c(StreamsFileData);
    c.Push(Bytes{'z', '*'});
    EXPECT_FALSE(c.Next());
    Bytes rest = BuildFrame(100, {});
    c.Push({rest.data() + 1, rest.size() - 1});
    auto last = c.Next();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->code, 100);
}

TEST(FrameTest, FileDataHeadsHandTheirBodyToTheCaller) {
    FrameAssembler a(StreamsFileData);
    // A 6000-byte file: larger than any other frame may be.
    Bytes head = {'*', '#', 9, 0x70, 0x17, 0, 0};
    a.Push(Concat({head, Bytes(10, 0x55)}));
    auto f = a.Next();
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->streamed);
    EXPECT_EQ(f->length, 6000u);
    uint8_t body[64];
    EXPECT_EQ(a.TakeBody(body), 10u);
    EXPECT_EQ(body[9], 0x55);
    EXPECT_EQ(a.TakeBody(body), 0u);
}

TEST(AllowListTest, AddressesAndRanges) {
    std::vector<std::string> errors;
    auto everyone = AllowList::Parse("", errors);
    EXPECT_TRUE(everyone.Allows(0x08080808));

    auto list = AllowList::Parse("192.168.1.0/24, 10.0.0.7 bogus 172.16.0.0/33", errors);
    EXPECT_EQ(errors.size(), 2u);
    EXPECT_TRUE(list.Allows(0xC0A80105));   // 192.168.1.5
    EXPECT_FALSE(list.Allows(0xC0A80205));  // 192.168.2.5
    EXPECT_TRUE(list.Allows(0x0A000007));
    EXPECT_FALSE(list.Allows(0x0A000008));
    // A list of nothing but bad entries allows no one.
    EXPECT_FALSE(AllowList::Parse("nonsense", errors).Allows(0x7F000001));
    EXPECT_TRUE(AllowList::Parse("0.0.0.0/0", errors).Allows(0x01020304));
}

}  // namespace
}  // namespace led
