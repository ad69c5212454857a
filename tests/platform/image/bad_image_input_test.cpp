// Damaged and hostile picture files: each gives "cannot load" without a
// crash, an overread (the sanitizer builds watch for that) or an allocation
// the file cannot justify.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "platform/image/Decoders.h"
#include "platform/image/ImageCodec.h"
#include "platform/image/ImageWriters.h"
#include "support/ImageFiles.h"
#include "support/TestPlayer.h"

namespace led {
namespace {

void Put32(std::vector<uint8_t>& f, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (8 * i));
}
void PutBe32(std::vector<uint8_t>& f, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (24 - 8 * i));
}

std::vector<uint8_t> SmallBmp(int bpp = 24, int width = 8, int height = 6) {
    test::BmpLayout layout;
    layout.bitsPerPixel = bpp;
    Surface picture = test::PatternPicture(width, height);
    if (bpp <= 8) {
        layout.palette = {0x000000, 0xff0000, 0x00ff00, 0x0000ff};
        picture = test::PalettePicture(width, height, layout.palette);
    }
    return test::MakeBmp(picture, layout);
}

std::vector<uint8_t> SmallJpeg() { return EncodeJpeg(test::PatternPicture(40, 24), 90); }

std::vector<uint8_t> SmallPng() {
    std::vector<uint8_t> alpha(40 * 24, 128);
    return EncodePng(test::PatternPicture(40, 24), alpha);
}

// Re-encodes a PNG's IHDR with another size (and a correct CRC, so only the
// size lies).
std::vector<uint8_t> PngWithSize(uint32_t width, uint32_t height) {
    std::vector<uint8_t> png = SmallPng();
    PutBe32(png, 16, width);
    PutBe32(png, 20, height);
    uint32_t crc = 0xffffffff;
    for (size_t i = 12; i < 29; ++i) {
        crc ^= png[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
    }
    PutBe32(png, 29, ~crc);
    return png;
}

// The SOF0 segment's height and width fields.
std::vector<uint8_t> JpegWithSize(uint16_t width, uint16_t height) {
    std::vector<uint8_t> jpeg = SmallJpeg();
    for (size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xff && jpeg[i + 1] == 0xc0) {
            jpeg[i + 5] = uint8_t(height >> 8), jpeg[i + 6] = uint8_t(height);
            jpeg[i + 7] = uint8_t(width >> 8), jpeg[i + 8] = uint8_t(width);
            break;
        }
    return jpeg;
}

ImageResult Decode(const std::vector<uint8_t>& file,
                   int64_t maxPixels = ImageCodec::kDefaultMaxPixels) {
    return ImageCodec(maxPixels).Decode(file);
}

TEST(BadImageInput, EveryTruncationOfEveryFormatIsRefused) {
    // Widths whose last row has no padding: every byte of these files is needed.
    for (const auto& whole :
         {SmallBmp(24), SmallBmp(8), SmallBmp(1, 32), SmallJpeg(), SmallPng()}) {
        ASSERT_TRUE(Decode(whole).Ok());
        for (size_t length = 0; length < whole.size(); ++length) {
            // Exact-size copies, so a read past the cut is a read past the buffer.
            std::vector<uint8_t> cut(whole.begin(), whole.begin() + std::ptrdiff_t(length));
            ImageResult r = Decode(cut);
            ASSERT_FALSE(r.Ok()) << "cut at " << length << " of " << whole.size();
            EXPECT_EQ(r.Message().rfind("cannot load", 0), 0u);
        }
    }
}

TEST(BadImageInput, BitmapMissingOnlyItsLastRowPaddingStillLoads) {
    // Some writers stop after the last pixel; the rows are all there.
    std::vector<uint8_t> bmp = SmallBmp(1, 8);  // one byte of pixels, three of padding a row
    bmp.resize(bmp.size() - 3);
    EXPECT_TRUE(Decode(bmp).Ok());
    bmp.pop_back();
    EXPECT_EQ(Decode(bmp).error, ImageError::Truncated);
}

TEST(BadImageInput, LyingBitmapHeadersAreRefused) {
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        ImageError error;
    };
    std::vector<Case> cases;
    auto with = [](std::vector<uint8_t> f, size_t at, uint32_t v) {
        Put32(f, at, v);
        return f;
    };
    const std::vector<uint8_t> bmp = SmallBmp(24), bmp8 = SmallBmp(8);
    cases.push_back({"zero width", with(bmp, 18, 0), ImageError::BadHeader});
    cases.push_back({"negative width", with(bmp, 18, uint32_t(-8)), ImageError::BadHeader});
    cases.push_back({"zero height", with(bmp, 22, 0), ImageError::BadHeader});
    cases.push_back({"most negative height", with(bmp, 22, 0x80000000u), ImageError::TooLarge});
    cases.push_back({"size overflows 32 bits", with(with(bmp, 18, 0x7fffffff), 22, 0x7fffffff),
                     ImageError::TooLarge});
    cases.push_back({"offset past the end", with(bmp, 10, 0xfffffff0u), ImageError::BadHeader});
    cases.push_back({"offset inside the header", with(bmp, 10, 20), ImageError::BadHeader});
    cases.push_back({"palette of 257", with(bmp8, 46, 257), ImageError::BadHeader});
    cases.push_back({"palette of 4 billion", with(bmp8, 46, 0xffffffffu), ImageError::BadHeader});
    cases.push_back({"unknown header size", with(bmp, 14, 41), ImageError::BadHeader});
    cases.push_back({"header overlapping the pixels", with(bmp, 14, 124), ImageError::BadHeader});
    cases.push_back({"depth 0", with(bmp, 28, 0), ImageError::Unsupported});
    cases.push_back({"depth 2", with(bmp, 28, 2), ImageError::Unsupported});
    cases.push_back({"run-length encoded", with(bmp8, 30, 1), ImageError::Unsupported});
    cases.push_back({"bit fields on 24 bits", with(bmp, 30, 3), ImageError::BadHeader});
    cases.push_back({"taller than the data", with(bmp, 22, 7), ImageError::Truncated});
    // Masks whose bits are not contiguous cannot be scaled.
    auto fields = SmallBmp(32);
    Put32(fields, 30, 3);
    fields.insert(fields.begin() + 54, 12, 0);
    Put32(fields, 54, 0x00ff00ff);
    Put32(fields, 10, 66);
    cases.push_back({"scattered mask", fields, ImageError::BadHeader});

    for (const Case& c : cases) {
        ImageResult r = Decode(c.file);
        EXPECT_EQ(r.error, c.error) << c.what << ": " << r.Message();
        EXPECT_TRUE(r.picture.IsEmpty()) << c.what;
    }
}

// A 1 KB file of each format declaring 65535 x 65535 pixels (libjpeg stops at 65500).
std::vector<std::vector<uint8_t>> HugeDeclaredFiles() {
    std::vector<uint8_t> bmp(1024, 0);
    const std::vector<uint8_t> head = SmallBmp(24);
    std::copy(head.begin(), head.begin() + 54, bmp.begin());
    Put32(bmp, 18, 65535);
    Put32(bmp, 22, 65535);
    return {bmp, PngWithSize(65535, 65535), JpegWithSize(65500, 65500)};
}

TEST(BadImageInput, HugeDeclaredSizesOnSmallFilesAreRefused) {
    for (const auto& file : HugeDeclaredFiles()) {
        ASSERT_LT(file.size(), 4096u);
        EXPECT_EQ(Decode(file).error, ImageError::TooLarge);
    }
}

#if defined(__SANITIZE_ADDRESS__)
#define IMAGE_TEST_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define IMAGE_TEST_UNDER_ASAN 1
#endif
#endif
// AddressSanitizer reserves terabytes of address space, which the limit below would refuse.
#ifndef IMAGE_TEST_UNDER_ASAN
// With no pixel limit to stop them, the files are still too short to back the
// pictures they declare, and nothing is allocated for them. Checked in a child
// process whose address space leaves room for nothing larger than 256 MB: an
// attempt to allocate the declared 17 GB fails there (OutOfMemory) instead of
// passing by overcommit and filling the machine's memory.
void DecodeHugeDeclaredFilesInLimitedAddressSpace() {
    std::ifstream statm("/proc/self/statm");
    unsigned long pages = 0;
    statm >> pages;
    const rlim_t limit = pages * 4096ul + (256ul << 20);
    const rlimit rl{limit, limit};
    setrlimit(RLIMIT_AS, &rl);
    bool clean = true;
    for (const auto& file : HugeDeclaredFiles())
        clean = clean && Decode(file, INT64_MAX).error == ImageError::Truncated;
    std::exit(clean ? 0 : 1);
}

TEST(BadImageInputDeathTest, HugeDeclaredSizesAllocateNothingLarge) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(DecodeHugeDeclaredFilesInLimitedAddressSpace(), ::testing::ExitedWithCode(0), "");
}
#endif

TEST(BadImageInput, PixelLimitCapsEveryFormat) {
    const Surface picture = test::PatternPicture(100, 50);
    const std::vector<std::vector<uint8_t>> files = {EncodeBmp24(picture), EncodeJpeg(picture),
                                                     EncodePng(picture)};
    for (const auto& file : files) {
        EXPECT_EQ(Decode(file, 4999).error, ImageError::TooLarge);
        EXPECT_TRUE(Decode(file, 5000).Ok());
    }
}

TEST(BadImageInput, FilesThatAreNotPicturesAreRefused) {
    test::TempDir dir;
    test::WriteHostFile(dir.Path() / "notes.bmp", "this is a text file, not a picture\n");
    test::WriteHostFile(dir.Path() / "empty.jpg", "");
    test::WriteHostFile(dir.Path() / "bm.bmp", "BM");
    std::filesystem::create_directories(dir.Path() / "folder.png");
    ASSERT_EQ(::mkfifo((dir.Path() / "pipe.bmp").c_str(), 0600), 0);

    ImageCodec codec;
    EXPECT_EQ(codec.Load(dir.Path() / "notes.bmp").error, ImageError::UnknownFormat);
    EXPECT_FALSE(codec.Load(dir.Path() / "empty.jpg").Ok());
    EXPECT_EQ(codec.Load(dir.Path() / "bm.bmp").error, ImageError::Truncated);
    EXPECT_EQ(codec.Load(dir.Path() / "folder.png").error, ImageError::NotAFile);
    EXPECT_EQ(codec.Load(dir.Path() / "pipe.bmp").error, ImageError::NotAFile);  // and no hang
    EXPECT_EQ(codec.Load(dir.Path() / "missing.bmp").error, ImageError::CannotOpen);
    EXPECT_EQ(codec.Load(dir.Path() / "missing.bmp").Message(),
              "cannot load: cannot open the file");
}

TEST(BadImageInput, DamagedCompressedDataIsRefused) {
    std::vector<uint8_t> png = SmallPng();
    png[60] ^= 0x55;  // inside IDAT: the chunk's CRC no longer matches
    EXPECT_EQ(Decode(png).error, ImageError::Corrupt);

    // A JPEG whose quantisation tables are gone cannot be decoded at all.
    std::vector<uint8_t> jpeg = SmallJpeg();
    for (size_t i = 2; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xff && jpeg[i + 1] == 0xdb) jpeg[i + 1] = 0xe5;  // DQT -> APP5
    EXPECT_FALSE(Decode(jpeg).Ok());
}

TEST(BadImageInput, LargeFilesAreReadOnlyAsFarAsThePictureNeeds) {
    test::TempDir dir;
    // A small bitmap followed by a gigabyte of nothing (sparse, costs no disk).
    const std::vector<uint8_t> bmp = SmallBmp(24);
    test::WriteBytes(dir.Path() / "padded.bmp", bmp);
    std::filesystem::resize_file(dir.Path() / "padded.bmp", 1ull << 30);
    ImageResult r = ImageCodec().Load(dir.Path() / "padded.bmp");
    ASSERT_TRUE(r.Ok()) << r.Message();
    EXPECT_EQ(r.picture.GetSize(), (Size{8, 6}));

    // A compressed picture far larger than the pixel limit allows is not read.
    test::WriteBytes(dir.Path() / "big.jpg", SmallJpeg());
    std::filesystem::resize_file(dir.Path() / "big.jpg", 1ull << 30);
    EXPECT_EQ(ImageCodec(100).Load(dir.Path() / "big.jpg").error, ImageError::TooLarge);
}

}  // namespace
}  // namespace led
