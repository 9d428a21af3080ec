#include "platform/image/dds_reader.h"

#include <gtest/gtest.h>

#include "tests/support/image_writer.h"

using namespace platform::image;
using namespace imagetest;

namespace {

uint32_t argbAt(const Level& l, uint32_t x, uint32_t y) {
    const uint8_t* p = &l.bytes[(static_cast<size_t>(y) * l.width + x) * 4];
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

struct PlainCase {
    const char* name;
    DdsFormat format;
    std::string pixels;  // 2x1
    Format fileFormat;
    Format memory;
    std::vector<uint8_t> expected;  // decoded bytes in the memory format
};

}  // namespace

TEST(DdsReader, PlainFormatsKeepTheirPixels) {
    const PlainCase cases[] = {
        {"argb", ddsArgb(), pixels32({0x80FF0000u, 0xFF00FF00u}), FMT_A8R8G8B8, FMT_A8R8G8B8,
         {0, 0, 255, 0x80, 0, 255, 0, 255}},
        {"xrgb", ddsXrgb(), pixels32({0x00112233u, 0x00445566u}), FMT_X8R8G8B8, FMT_X8R8G8B8,
         {0x33, 0x22, 0x11, 0, 0x66, 0x55, 0x44, 0}},
        {"rgb565", ddsRgb565(), bytes({0x00, 0xF8, 0x1F, 0x00}), FMT_R5G6B5, FMT_R5G6B5, {0x00, 0xF8, 0x1F, 0x00}},
        {"l8", ddsL8(), bytes({0x10, 0xF0}), FMT_L8, FMT_L8, {0x10, 0xF0}},
        {"a8", ddsA8(), bytes({0x00, 0x7F}), FMT_A8, FMT_A8, {0x00, 0x7F}},
        {"a8l8", ddsA8L8(), bytes({0x20, 0x40, 0x60, 0x80}), FMT_A8L8, FMT_A8L8, {0x20, 0x40, 0x60, 0x80}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = dds(2, 1, 1, c.format, c.pixels);
        auto* d = reinterpret_cast<const uint8_t*>(file.data());
        ImageInfo info;
        ASSERT_TRUE(readInfo(d, file.size(), info));
        EXPECT_EQ(info.width, 2u);
        EXPECT_EQ(info.height, 1u);
        EXPECT_EQ(info.mipLevels, 1u);
        EXPECT_EQ(info.format, c.fileFormat);
        EXPECT_EQ(info.resourceType, RTYPE_TEXTURE);
        EXPECT_EQ(info.fileFormat, FILE_DDS);
        Image image;
        ASSERT_EQ(decode(d, file.size(), image), Result::Ok);
        EXPECT_EQ(image.pixelFormat, c.memory);
        ASSERT_EQ(image.surfaces.size(), 1u);
        EXPECT_EQ(image.surfaces[0].bytes, c.expected);
    }
}

TEST(DdsReader, ConversionToArgbOfEveryMemoryFormat) {
    struct Case {
        Format format;
        std::vector<uint8_t> in;
        uint32_t argb;
    } cases[] = {
        {FMT_R5G6B5, {0x00, 0xF8}, 0xFFFF0000u},
        {FMT_R5G6B5, {0xE0, 0x07}, 0xFF00FF00u},
        {FMT_L8, {0x42}, 0xFF424242u},
        {FMT_A8, {0x42}, 0x42000000u},
        {FMT_A8L8, {0x42, 0x80}, 0x80424242u},
        {FMT_X8R8G8B8, {1, 2, 3, 0}, 0xFF030201u},
        {FMT_R8G8B8, {1, 2, 3}, 0xFF030201u},
        {FMT_A8B8G8R8, {1, 2, 3, 4}, 0x04010203u},
    };
    for (const auto& c : cases) {
        uint8_t out[4];
        ASSERT_TRUE(toArgb(c.format, c.in.data(), 1, out));
        uint32_t v = uint32_t(out[0]) | uint32_t(out[1]) << 8 | uint32_t(out[2]) << 16 | uint32_t(out[3]) << 24;
        EXPECT_EQ(v, c.argb) << "format " << c.format;
    }
    uint8_t out[4];
    EXPECT_FALSE(toArgb(FMT_DXT1, out, 1, out));
}

TEST(DdsReader, MipChainOfAnArgbFile) {
    std::vector<uint32_t> px(4 * 4 + 2 * 2 + 1);
    for (size_t i = 0; i < px.size(); ++i) px[i] = 0xFF000000u | static_cast<uint32_t>(i);
    std::string file = dds(4, 4, 3, ddsArgb(), pixels32(px));
    Image image;
    ASSERT_EQ(decode(reinterpret_cast<const uint8_t*>(file.data()), file.size(), image), Result::Ok);
    EXPECT_EQ(image.info.mipLevels, 3u);
    ASSERT_EQ(image.surfaces.size(), 3u);
    EXPECT_EQ(image.surfaces[1].width, 2u);
    EXPECT_EQ(argbAt(image.surfaces[1], 0, 0), 0xFF000010u);
    EXPECT_EQ(argbAt(image.surfaces[2], 0, 0), 0xFF000014u);
}

TEST(DdsReader, Dxt1BlocksInBothModes) {
    // Four-colour mode: red (c0) over blue (c1); indices 0, 1, 2, 3 along the first row.
    std::string four = bytes({0x00, 0xF8, 0x1F, 0x00, 0xE4, 0x00, 0x00, 0x00});
    uint8_t out[64];
    decodeDxt1Block(reinterpret_cast<const uint8_t*>(four.data()), out);
    auto px = [&](int i) {
        return uint32_t(out[i * 4]) | uint32_t(out[i * 4 + 1]) << 8 | uint32_t(out[i * 4 + 2]) << 16 |
               uint32_t(out[i * 4 + 3]) << 24;
    };
    EXPECT_EQ(px(0), 0xFFFF0000u);
    EXPECT_EQ(px(1), 0xFF0000FFu);
    EXPECT_EQ(px(2), 0xFFAA0055u);
    EXPECT_EQ(px(3), 0xFF5500AAu);
    EXPECT_EQ(px(4), 0xFFFF0000u);  // index 0 for the rest
    // Three-colour mode (c0 <= c1): index 3 is transparent black, index 2 the midpoint.
    std::string three = bytes({0x1F, 0x00, 0x00, 0xF8, 0xE4, 0x00, 0x00, 0x00});
    decodeDxt1Block(reinterpret_cast<const uint8_t*>(three.data()), out);
    EXPECT_EQ(px(2), 0xFF7F007Fu);
    EXPECT_EQ(px(3), 0x00000000u);
}

TEST(DdsReader, Dxt3AndDxt5Alpha) {
    uint8_t out[64];
    // DXT3: explicit 4-bit alpha, pixel 0 = 0x0, pixel 1 = 0xF, then white.
    std::string b3 = bytes({0xF0, 0x00, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0});
    decodeDxt3Block(reinterpret_cast<const uint8_t*>(b3.data()), out);
    EXPECT_EQ(out[3], 0);
    EXPECT_EQ(out[7], 255);
    EXPECT_EQ(out[0], 255);
    // DXT5: a0 = 255, a1 = 0, eight-value mode; pixel 0 index 0, pixel 1 index 1, pixel 2 index 2.
    std::string b5 = bytes({255, 0, 0x08 | (2 << 6), 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0});
    decodeDxt5Block(reinterpret_cast<const uint8_t*>(b5.data()), out);
    EXPECT_EQ(out[3], 255);
    EXPECT_EQ(out[7], 0);
    EXPECT_EQ(out[11], (6 * 255) / 7);
    // Six-value mode: index 6 is 0, index 7 is 255.
    std::string b6 = bytes({0, 255, 6 | (7 << 3), 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0});
    decodeDxt5Block(reinterpret_cast<const uint8_t*>(b6.data()), out);
    EXPECT_EQ(out[3], 0);
    EXPECT_EQ(out[7], 255);
}

TEST(DdsReader, CompressedLevelsAreClippedToOddSizes) {
    // 6x5 DXT1: 2x2 blocks, all red.
    std::string block = bytes({0x00, 0xF8, 0x00, 0xF8, 0, 0, 0, 0});
    std::string file = dds(6, 5, 1, ddsFourCC("DXT1"), block + block + block + block);
    Image image;
    ASSERT_EQ(decode(reinterpret_cast<const uint8_t*>(file.data()), file.size(), image), Result::Ok);
    EXPECT_EQ(image.info.format, FMT_DXT1);
    EXPECT_EQ(image.pixelFormat, FMT_A8R8G8B8);
    ASSERT_EQ(image.surfaces[0].bytes.size(), 6u * 5u * 4u);
    EXPECT_EQ(argbAt(image.surfaces[0], 5, 4), 0xFFFF0000u);
}

TEST(DdsReader, CubeMapsAreTypedAndLoadedFaceByFace) {
    std::string payload;
    for (uint32_t face = 0; face < 6; ++face) payload += pixels32({0xFF000000u | face, 0xFF000000u | face,
                                                                   0xFF000000u | face, 0xFF000000u | face});
    std::string file = dds(2, 2, 1, ddsArgb(), payload, CAPS2_CUBE_ALL);
    auto* d = reinterpret_cast<const uint8_t*>(file.data());
    ImageInfo info;
    ASSERT_TRUE(readInfo(d, file.size(), info));
    EXPECT_EQ(info.resourceType, RTYPE_CUBETEXTURE);
    Image image;
    ASSERT_EQ(decode(d, file.size(), image), Result::Ok);
    EXPECT_EQ(image.faces, 6u);
    EXPECT_EQ(argbAt(image.surface(5, 0), 1, 1), 0xFF000005u);
    // A cube missing its last face's bytes is invalid.
    file.resize(file.size() - 1);
    EXPECT_EQ(decode(reinterpret_cast<const uint8_t*>(file.data()), file.size(), image), Result::InvalidData);
}

TEST(DdsReader, VolumesAreTypedButRefused) {
    std::string file = dds(2, 2, 1, ddsArgb(), pixels32(std::vector<uint32_t>(8, 0)), CAPS2_VOLUME, 2);
    auto* d = reinterpret_cast<const uint8_t*>(file.data());
    ImageInfo info;
    ASSERT_TRUE(readInfo(d, file.size(), info));
    EXPECT_EQ(info.resourceType, RTYPE_VOLUMETEXTURE);
    EXPECT_EQ(info.depth, 2u);
    Image image;
    EXPECT_EQ(decode(d, file.size(), image), Result::Unsupported);
}

TEST(DdsReader, MalformedHeadersAndShortData) {
    std::string good = dds(4, 4, 1, ddsArgb(), pixels32(std::vector<uint32_t>(16, 0xFFFFFFFFu)));
    struct Case {
        const char* name;
        std::string file;
        bool info;
    };
    std::string badSize = good;
    put32(badSize, 4, 100);
    std::string huge = good;
    put32(huge, 16, 0x7FFFFFFF);
    std::string zero = good;
    put32(zero, 12, 0);
    std::string unknownFormat = dds(4, 4, 1, ddsFourCC("ATI2"), std::string(16, '\0'));
    std::string oddMasks = dds(1, 1, 1, {DDPF_RGB, 0, 32, 0xFF, 0xFF, 0xFF, 0}, std::string(4, '\0'));
    std::string lyingLevels = good;
    put32(lyingLevels, 8, 0x20000 | 0x1007);
    put32(lyingLevels, 28, 3);  // three levels but only the first is present
    Case cases[] = {
        {"header cut", good.substr(0, 100), false},
        {"pixels cut", good.substr(0, good.size() - 1), true},
        {"bad header size", badSize, false},
        {"huge width", huge, false},
        {"zero height", zero, false},
        {"unknown fourcc", unknownFormat, false},
        {"unknown masks", oddMasks, false},
        {"missing levels", lyingLevels, true},
        {"magic only", std::string("DDS "), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto* d = reinterpret_cast<const uint8_t*>(c.file.data());
        ImageInfo info;
        EXPECT_EQ(readInfo(d, c.file.size(), info), c.info);
        Image image;
        EXPECT_EQ(decode(d, c.file.size(), image), Result::InvalidData);
        EXPECT_TRUE(image.surfaces.empty());
    }
}

TEST(DdsReader, HalvingAveragesBoxes) {
    Level l;
    l.width = 2;
    l.height = 2;
    l.bytes = {0, 0, 0, 255, 100, 100, 100, 255, 200, 200, 200, 255, 100, 100, 100, 255};
    Level h = halveArgb(l);
    ASSERT_EQ(h.width, 1u);
    EXPECT_EQ(h.bytes, (std::vector<uint8_t>{100, 100, 100, 255}));
    Level row;  // 3x1: the odd last column is folded with itself
    row.width = 3;
    row.height = 1;
    row.bytes = std::vector<uint8_t>(12, 8);
    EXPECT_EQ(halveArgb(row).width, 1u);
}
