#include "platform/image/stb_decoder.h"

#include <gtest/gtest.h>

#include "tests/support/image_writer.h"

using namespace platform::image;
using namespace imagetest;

namespace {

uint32_t argbAt(const Level& l, uint32_t x, uint32_t y) {
    const uint8_t* p = &l.bytes[(static_cast<size_t>(y) * l.width + x) * 4];
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
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
