#include "platform/image/stb_decoder.h"

#include <gtest/gtest.h>

#include "platform/image/pixel_extent.h"
#include "tests/support/image_writer.h"
#include "tests/support/largest_allocation.h"

using namespace platform::image;
using namespace imagetest;

namespace {

uint32_t argbAt(const Level& l, uint32_t x, uint32_t y) {
    const uint8_t* p = &l.bytes[(static_cast<size_t>(y) * l.width + x) * 4];
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Replaces the width and height of a JPEG's frame header (big-endian, after the precision byte).
std::string withJpegSize(std::string file, uint16_t w, uint16_t h) {
    for (size_t at = 2; at + 9 < file.size();) {
        const uint8_t marker = static_cast<uint8_t>(file[at + 1]);
        if (marker == 0xC0 || marker == 0xC2) {
            file[at + 5] = static_cast<char>(h >> 8), file[at + 6] = static_cast<char>(h);
            file[at + 7] = static_cast<char>(w >> 8), file[at + 8] = static_cast<char>(w);
            return file;
        }
        at += 2 + (static_cast<uint8_t>(file[at + 2]) << 8 | static_cast<uint8_t>(file[at + 3]));
    }
    return file;
}

// Replaces the width and height of a PNG's header chunk (big-endian; stb does not check its CRC).
std::string withPngSize(std::string file, uint32_t w, uint32_t h) {
    for (int i = 0; i < 4; ++i) {
        file[16 + i] = static_cast<char>(w >> (24 - 8 * i));
        file[20 + i] = static_cast<char>(h >> (24 - 8 * i));
    }
    return file;
}

bool near(uint32_t a, uint32_t b, int tolerance) {
    for (int s = 0; s < 32; s += 8)
        if (std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)) > tolerance) return false;
    return true;
}

}  // namespace

TEST(StbDecoder, EveryFileKindWithItsSizeFormatAndPixels) {
    struct Case {
        const char* name;
        std::string file;
        FileFormat fileFormat;
        Format format;
        Format memory;
        int tolerance;
    } cases[] = {
        {"png rgba", png(8, 6, 4, quadrants(8, 6, 4, 0x80)), FILE_PNG, FMT_A8R8G8B8, FMT_A8R8G8B8, 0},
        {"png rgb", png(8, 6, 3, quadrants(8, 6, 3)), FILE_PNG, FMT_R8G8B8, FMT_A8R8G8B8, 0},
        {"png gray", png(8, 6, 1, quadrants(8, 6, 1)), FILE_PNG, FMT_L8, FMT_L8, 0},
        {"png gray alpha", png(8, 6, 2, quadrants(8, 6, 2, 0x40)), FILE_PNG, FMT_A8L8, FMT_A8L8, 0},
        {"bmp", bmp(8, 6, 3, quadrants(8, 6, 3)), FILE_BMP, FMT_R8G8B8, FMT_A8R8G8B8, 0},
        {"tga", tga(8, 6, 4, quadrants(8, 6, 4, 0xC0)), FILE_TGA, FMT_A8R8G8B8, FMT_A8R8G8B8, 0},
        {"jpg", jpg(16, 16, 3, quadrants(16, 16, 3)), FILE_JPG, FMT_X8R8G8B8, FMT_A8R8G8B8, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto* d = reinterpret_cast<const uint8_t*>(c.file.data());
        ImageInfo info;
        ASSERT_TRUE(readInfo(d, c.file.size(), info));
        EXPECT_EQ(info.fileFormat, c.fileFormat);
        EXPECT_EQ(info.format, c.format);
        EXPECT_EQ(info.mipLevels, 1u);
        EXPECT_EQ(info.resourceType, RTYPE_TEXTURE);
        Image image;
        ASSERT_EQ(decode(d, c.file.size(), image), Result::Ok);
        EXPECT_EQ(image.pixelFormat, c.memory);
        EXPECT_EQ(image.info.width, info.width);
        ASSERT_EQ(image.surfaces.size(), 1u);
        const Level& l = image.surfaces[0];
        if (c.memory == FMT_A8R8G8B8) {
            uint32_t alpha = c.format == FMT_A8R8G8B8 ? (c.fileFormat == FILE_PNG ? 0x80u : 0xC0u) : 0xFFu;
            EXPECT_TRUE(near(argbAt(l, 0, 0), alpha << 24 | 0xFF0000u, c.tolerance)) << std::hex << argbAt(l, 0, 0);
            EXPECT_TRUE(near(argbAt(l, l.width - 1, 0), alpha << 24 | 0x00FF00u, c.tolerance));
            EXPECT_TRUE(near(argbAt(l, 0, l.height - 1), alpha << 24 | 0x0000FFu, c.tolerance));
            EXPECT_TRUE(near(argbAt(l, l.width - 1, l.height - 1), alpha << 24 | 0xFFFFFFu, c.tolerance));
        } else {
            size_t bpp = c.memory == FMT_L8 ? 1 : 2;
            EXPECT_EQ(l.bytes.size(), size_t(l.width) * l.height * bpp);
            EXPECT_EQ(l.bytes[(l.width - 1) * bpp], 255);
            if (bpp == 2) {
                EXPECT_EQ(l.bytes[1], 0x40);
            }
        }
    }
}

TEST(StbDecoder, TruncatedAndUnknownData) {
    std::string file = png(16, 16, 4, quadrants(16, 16, 4));
    std::string cut = file.substr(0, file.size() / 2);
    auto* d = reinterpret_cast<const uint8_t*>(cut.data());
    ImageInfo info;
    EXPECT_TRUE(readInfo(d, cut.size(), info));  // the header is whole
    Image image;
    EXPECT_EQ(decode(d, cut.size(), image), Result::InvalidData);
    std::string headerCut = file.substr(0, 12);
    EXPECT_FALSE(readInfo(reinterpret_cast<const uint8_t*>(headerCut.data()), headerCut.size(), info));
    for (std::string junk : {std::string("GIF89a......"), std::string("plain text, not a picture"), std::string()}) {
        EXPECT_FALSE(readInfo(reinterpret_cast<const uint8_t*>(junk.data()), junk.size(), info));
        EXPECT_EQ(decode(reinterpret_cast<const uint8_t*>(junk.data()), junk.size(), image), Result::InvalidData);
    }
}

// A header promises pixels; data too short to hold them is refused before anything is decoded,
// so a few bytes can neither cost a huge buffer nor come out as a black picture.
TEST(StbDecoder, DataThatCannotHoldTheStatedPixelsIsRefused) {
    const std::string tga32 = tga(8, 6, 4, quadrants(8, 6, 4));
    const std::string rle = tga(32, 8, 4, quadrants(32, 8, 4), true);
    const std::string bmp24 = bmp(8, 6, 3, quadrants(8, 6, 3));
    const std::string jpeg = jpg(16, 16, 3, quadrants(16, 16, 3));
    // Two 24-bit palette entries, then one 8-bit index per pixel, after a 3-byte image id.
    const std::string paletted =
        tgaHeader(1, 2, 1, 8, 3, 2, 24) + "id!" + std::string("\xFF\x00\x00\x00\x00\xFF\x01\x00", 8);
    const struct {
        const char* what;
        std::string file;
        Result result;
    } cases[] = {
        {"18-byte TGA header of 16384 x 16384, no pixels", tgaHeader(2, 16384, 16384, 32), Result::InvalidData},
        {"TGA one byte short", tga32.substr(0, 18 + 8 * 6 * 4 - 1), Result::InvalidData},
        {"TGA whole", tga32.substr(0, 18 + 8 * 6 * 4), Result::Ok},
        {"run-length TGA whole", rle, Result::Ok},
        {"run-length TGA cut", rle.substr(0, rle.size() - 30), Result::InvalidData},
        {"run-length TGA header only", rle.substr(0, 18), Result::InvalidData},
        {"paletted TGA whole", paletted, Result::Ok},
        {"paletted TGA without its last index", paletted.substr(0, paletted.size() - 1), Result::InvalidData},
        {"BMP one byte short", bmp24.substr(0, bmp24.size() - 1), Result::InvalidData},
        {"BMP header only", bmp24.substr(0, 54), Result::InvalidData},
        {"JPEG whole", jpeg, Result::Ok},
        {"JPEG stating 8000 x 8000", withJpegSize(jpeg, 8000, 8000), Result::InvalidData},
        {"JPEG without its end", jpeg.substr(0, jpeg.size() - 2), Result::InvalidData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Image image;
        EXPECT_EQ(decode(reinterpret_cast<const uint8_t*>(c.file.data()), c.file.size(), image), c.result);
        EXPECT_EQ(image.surfaces.empty(), c.result != Result::Ok);
    }
    Image image;
    ASSERT_EQ(decode(reinterpret_cast<const uint8_t*>(paletted.data()), paletted.size(), image), Result::Ok);
    EXPECT_EQ(argbAt(image.surfaces[0], 0, 0), 0xFFFF0000u);  // index 1: the second entry, B G R
}

// A PNG chunk stating more bytes than the file holds would make stb_image size a buffer by that
// claim before reading; such a file is refused by the check alone. PNG chunks: length, type, data,
// CRC; the header chunk's data starts at 16, the image data chunk follows it at 33.
TEST(StbDecoder, PngChunksMustLieWithinTheData) {
    const std::string file = png(16, 16, 4, quadrants(16, 16, 4));
    ASSERT_EQ(file.substr(37, 4), "IDAT");
    auto withLength = [&](size_t at, uint32_t length) {
        std::string s = file;
        for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(length >> (24 - 8 * i));
        return s;
    };
    const uint32_t idat = static_cast<uint32_t>(static_cast<uint8_t>(file[35]) << 8 | static_cast<uint8_t>(file[36]));
    const struct {
        const char* what;
        std::string file;
        bool holds;
    } cases[] = {
        {"whole", file, true},
        {"image data claiming 218 MB", withLength(33, 0x0D0073F1u), false},
        {"image data claiming 4 GiB", withLength(33, 0xFFFFFFFFu), false},
        {"image data one byte longer than the file has", withLength(33, idat + 1 + 12), false},
        {"no end chunk", file.substr(0, file.size() - 12), false},
        {"stating 8192 x 8192 from its few packed bytes", withPngSize(file, 8192, 8192), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto* d = reinterpret_cast<const uint8_t*>(c.file.data());
        ImageInfo info;
        ASSERT_TRUE(readInfo(d, c.file.size(), info));
        EXPECT_EQ(pngHoldsPixels(d, c.file.size(), info.width, info.height), c.holds);
        Image image;
        EXPECT_EQ(decode(d, c.file.size(), image), c.holds ? Result::Ok : Result::InvalidData);
    }
}

// A file of a few bytes never costs a buffer of the size its header claims.
TEST(StbDecoder, LyingHeadersCostNoLargeBuffer) {
    if (!testsupport::LargestAllocation::available()) GTEST_SKIP() << "needs the sanitizers' malloc hook";
    const std::string picture = png(16, 16, 4, quadrants(16, 16, 4));
    std::string chunkClaim = picture;
    chunkClaim.replace(33, 4, "\x0D\x00\x73\xF1");  // image data of 218 MB
    const struct {
        const char* what;
        std::string file;
    } cases[] = {
        {"18-byte TGA header of 16384 x 16384", tgaHeader(2, 16384, 16384, 32)},
        {"JPEG stating 8000 x 8000", withJpegSize(jpg(16, 16, 3, quadrants(16, 16, 3)), 8000, 8000)},
        {"PNG image data claiming 218 MB", chunkClaim},
        {"PNG stating 8192 x 8192", withPngSize(picture, 8192, 8192)},
    };
    constexpr size_t kSmall = 1 << 20;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Image image;
        testsupport::LargestAllocation largest;
        EXPECT_EQ(decode(reinterpret_cast<const uint8_t*>(c.file.data()), c.file.size(), image), Result::InvalidData);
        EXPECT_LT(largest.bytes(), kSmall);
    }
}

// No picture larger than kMaxPixels is read, whatever its sides.
TEST(StbDecoder, PixelCountIsBounded) {
    const std::string file = png(4, 4, 4, quadrants(4, 4, 4));
    const struct {
        uint32_t w, h;
        bool accepted;
    } cases[] = {{8192, 8192, true}, {16384, 4096, true}, {16384, 4097, false}, {16384, 16384, false}, {16385, 1, false}};
    static_assert(kMaxPixels == 8192u * 8192u);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        const std::string big = withPngSize(file, c.w, c.h);
        ImageInfo info;
        EXPECT_EQ(readInfo(reinterpret_cast<const uint8_t*>(big.data()), big.size(), info), c.accepted);
    }
}
