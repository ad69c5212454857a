// ledctl's frame code against byte strings written out by hand.

#include <gtest/gtest.h>

#include "client/Device.h"
#include "client/Frame.h"

namespace ledctl {
namespace {

Bytes B(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) out.push_back(uint8_t(v));
    return out;
}

Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(LedctlFrame, EncodesCommandsAndRefusesOversizedPayloads) {
    EXPECT_EQ(EncodeFrame(100), B({0x2A, 0x23, 0x64, 0, 0, 0, 0, 0x23, 0x2A}));
    EXPECT_EQ(EncodeFrame(20, B({0x80})), B({'*', '#', 20, 1, 0, 0, 0, 0x80, '#', '*'}));
    EXPECT_TRUE(EncodeFrame(41, Bytes(4096, 'x')).has_value());
    EXPECT_FALSE(EncodeFrame(41, Bytes(4097, 'x')).has_value());
    // File data frames announce whole files: the head carries any 32-bit length.
    EXPECT_EQ(EncodeHead(9, 0x01020304), B({'*', '#', 9, 4, 3, 2, 1}));
}

TEST(LedctlFrame, TakesFramesOffAStreamWhateverCutsIt) {
    // An Ack10 (padding byte), a data reply and a heartbeat acknowledgement in one stream.
    Bytes stream = Cat(Cat(B({'*', '#', 13, 0, 0, 0, 0, '#', '*', 0}),
                           B({'*', '#', 115, 8, 0, 0, 0, 0x80, 7, 0, 0, 0x38, 4, 0, 0, '#', '*'})),
                       B({'*', '#', 100, 0, 0, 0, 0, '#', '*'}));
    // Fed a byte at a time, the same three frames come out in order.
    Bytes fed;
    std::vector<Frame> frames;
    for (uint8_t b : stream) {
        fed.push_back(b);
        while (auto f = ExtractFrame(fed)) frames.push_back(*f);
    }
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].code, 13);
    EXPECT_TRUE(frames[0].payload.empty());
    EXPECT_EQ(frames[1].code, 115);
    EXPECT_EQ(frames[1].payload, B({0x80, 7, 0, 0, 0x38, 4, 0, 0}));
    EXPECT_EQ(frames[2].code, 100);
    EXPECT_TRUE(fed.empty());
}

TEST(LedctlFrame, ResynchronisesAfterJunkAndFalseStarts) {
    // Junk, a "*#" whose length points past a missing end marker, then a real frame.
    Bytes stream = Cat(B({'x', 0, '*', '#', 7, 2, 0, 0, 0, 'a', 'b', 'c', 'd'}),
                       B({'*', '#', 4, 1, 0, 0, 0, 0x55, '#', '*'}));
    auto f = ExtractFrame(stream);
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(f->code, 4);
    EXPECT_EQ(f->payload, B({0x55}));
    // A head announcing more than the reader accepts is not waited for.
    Bytes huge =
        Cat(B({'*', '#', 9, 0xff, 0xff, 0xff, 0x7f}), B({'*', '#', 100, 0, 0, 0, 0, '#', '*'}));
    f = ExtractFrame(huge, 4096);
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(f->code, 100);
    // An incomplete frame stays for the next read.
    Bytes half = B({'*', '#', 100, 0, 0});
    EXPECT_FALSE(ExtractFrame(half).has_value());
    EXPECT_EQ(half.size(), 5u);
}

// The discovery answer: 73 bytes whose length field says 20.
Bytes DiscoveryAnswer() {
    Bytes d = B({'*', '#', 0x04, 0x14, 0, 0, 0});
    Bytes fields = B({127,  0,    0,    1,    255,  0,    0, 0, 0, 0, 0, 0,  // ip, mask, gateway
                      0x02, 0x42, 0xac, 0x11, 0x00, 0x02,                    // mac
                      2,    3,    0,    1,                                   // version
                      'J',  '7',  '-',  'C',  0,    0,    0, 0, 0, 0});      // player type
    d = Cat(d, fields);
    Bytes account(16, 0);
    std::copy_n("guest", 5, account.begin());
    Bytes bsp(16, 0);
    std::copy_n("General BSP", 11, bsp.begin());
    return Cat(Cat(Cat(d, account), bsp), B({'#', '*'}));
}

TEST(LedctlFrame, DecodesDatagramsByLengthOrByPosition) {
    Bytes answer = DiscoveryAnswer();
    ASSERT_EQ(answer.size(), 73u);
    auto frame = DecodeDatagram(answer);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->payload.size(), 64u);
    auto device = ParseDeviceDescription(frame->payload);
    ASSERT_TRUE(device.has_value());
    EXPECT_EQ(device->ip, "127.0.0.1");
    EXPECT_EQ(device->mask, "255.0.0.0");
    EXPECT_EQ(device->mac, "02:42:ac:11:00:02");
    EXPECT_EQ(device->version, "2.3.0.1");
    EXPECT_EQ(device->playerType, "J7-C");
    EXPECT_EQ(device->account, "guest");
    EXPECT_EQ(device->boardSupport, "General BSP");

    // Data10: the padding byte is not payload.
    frame = DecodeDatagram(B({'*', '#', 21, 1, 0, 0, 0, 0x7f, '#', '*', 0}));
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->payload, B({0x7f}));
    // Ack10 of a missing file: no payload at all.
    frame = DecodeDatagram(B({'*', '#', 5, 0, 0, 0, 0, '#', '*', 0}));
    ASSERT_TRUE(frame.has_value());
    EXPECT_TRUE(frame->payload.empty());
    // A payload that itself ends in "#*" is kept whole.
    frame = DecodeDatagram(B({'*', '#', 23, 2, 0, 0, 0, '#', '*', '#', '*'}));
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->payload, B({'#', '*'}));

    EXPECT_FALSE(DecodeDatagram(B({'#', '*', 4, 0, 0, 0, 0, '#', '*'})).has_value());
    EXPECT_FALSE(DecodeDatagram(B({'*', '#', 4, 0, 0})).has_value());
    // The TCP description (48 bytes) has no board support version; shorter is refused.
    EXPECT_FALSE(ParseDeviceDescription(Bytes(48, 0))->boardSupport.has_value());
    EXPECT_FALSE(ParseDeviceDescription(Bytes(47, 0)).has_value());
}

TEST(LedctlFrame, ReadsAndWritesHex) {
    EXPECT_EQ(ParseHex("2a 23:04ff"), B({0x2a, 0x23, 0x04, 0xff}));
    EXPECT_EQ(ParseHex(""), Bytes{});
    EXPECT_FALSE(ParseHex("2a2").has_value());
    EXPECT_FALSE(ParseHex("zz").has_value());
    EXPECT_EQ(Hex(B({0x2a, 0x00, 0xff})), "2a 00 ff");
}

}  // namespace
}  // namespace ledctl
