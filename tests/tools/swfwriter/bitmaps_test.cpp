#include "tools/swfwriter/bitmaps.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "tests/tools/swfwriter/bit_strings.h"
#include "tools/swfwriter/tag_writer.h"

using namespace swf;

namespace {

const Rgba red{255, 0, 0, 255};
const Rgba blue{0, 0, 255, 128};

Bytes inflate_all(const Bytes& packed, size_t expected_size) {
    Bytes out(expected_size + 16);
    uLongf size = static_cast<uLongf>(out.size());
    EXPECT_EQ(uncompress(out.data(), &size, packed.data(), static_cast<uLong>(packed.size())), Z_OK);
    out.resize(size);
    return out;
}

bool has_marker(const Bytes& jpeg, uint8_t marker) {
    const uint8_t pair[] = {0xFF, marker};
    return std::search(jpeg.begin(), jpeg.end(), std::begin(pair), std::end(pair)) != jpeg.end();
}

// Decodes a JPEG stream, optionally after a tables-only stream, with libjpeg's own decoder.
Image decode(const Bytes& tables, const Bytes& jpeg) {
    jpeg_decompress_struct d{};
    jpeg_error_mgr errors{};
    d.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&d);
    if (!tables.empty()) {
        jpeg_mem_src(&d, tables.data(), static_cast<unsigned long>(tables.size()));
        EXPECT_EQ(jpeg_read_header(&d, FALSE), JPEG_HEADER_TABLES_ONLY);
    }
    jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    EXPECT_EQ(jpeg_read_header(&d, TRUE), JPEG_HEADER_OK);
    jpeg_start_decompress(&d);
    Image out = Image::filled(static_cast<int>(d.output_width), static_cast<int>(d.output_height), {});
    std::vector<JSAMPLE> row(d.output_width * 3);
    for (int y = 0; y < out.height; ++y) {
        JSAMPROW rows[] = {row.data()};
        jpeg_read_scanlines(&d, rows, 1);
        for (int x = 0; x < out.width; ++x) out.at(x, y) = {row[3 * x], row[3 * x + 1], row[3 * x + 2], 255};
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return out;
}

void expect_near_color(const Image& image, Rgba want) {
    for (const Rgba& p : image.pixels) {
        EXPECT_NEAR(p.r, want.r, 4);
        EXPECT_NEAR(p.g, want.g, 4);
        EXPECT_NEAR(p.b, want.b, 4);
    }
}

TEST(SwfLossless, PixelData) {
    Image mixed = Image::filled(5, 2, blue);
    mixed.at(0, 0) = mixed.at(1, 0) = mixed.at(3, 0) = mixed.at(4, 0) = red;
    Image two = Image::filled(2, 1, {8, 16, 255, 7});
    two.at(0, 0) = red;

    struct Case {
        const char* what;
        const Image& image;
        uint8_t format;
        bool with_alpha;
        Bytes expected;
    };
    const Case cases[] = {
        {"palette in order of appearance, rows of 8",
         mixed,
         lossless_colormapped,
         false,
         {0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF,  //
          0,    0,    1,    0,    0,    0,    0, 0, 1, 1, 1, 1, 1, 0, 0, 0}},
        {"palette with alpha", mixed, lossless_colormapped, true, {0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00,
                                                                   0xFF, 0x80,  //
                                                                   0,    0,    1,    0,    0,    0,
                                                                   0,    0,    1,    1,    1,    1,
                                                                   1,    0,    0,    0}},
        {"15-bit big-endian pixels", two, lossless_rgb15, false,
         join({{0x7C, 0x00}, bits("0 00001 00010 11111")})},
        {"32-bit with a reserved 0", two, lossless_argb, false, {0, 255, 0, 0, 0, 8, 16, 255}},
        {"32-bit with alpha first", two, lossless_argb, true, {255, 255, 0, 0, 7, 8, 16, 255}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lossless_pixel_data(c.image, c.format, c.with_alpha), c.expected) << c.what;

    // A 15-bit row of one pixel is padded to 4 bytes.
    EXPECT_EQ(lossless_pixel_data(Image::filled(1, 1, red), lossless_rgb15, false),
              (Bytes{0x7C, 0x00, 0, 0}));

    Image many = Image::filled(257, 1, {});
    for (int x = 0; x < 257; ++x)
        many.at(x, 0) = {static_cast<uint8_t>(x), static_cast<uint8_t>(x >> 8), 0, 255};
    EXPECT_THROW(lossless_pixel_data(many, lossless_colormapped, false), std::invalid_argument);
    EXPECT_THROW(lossless_pixel_data(mixed, 9, false), std::invalid_argument);
}

TEST(SwfLossless, Tags) {
    Image mixed = Image::filled(5, 2, blue);
    mixed.at(0, 0) = red;
    TagWriter t(8);
    const uint16_t id = t.define_bits_lossless2(mixed, lossless_colormapped);
    const Bytes& out = t.bytes();
    // Short header of code 36 (0x900 | length).
    ASSERT_GT(out.size(), 10u);
    EXPECT_EQ(out[1], 0x09);
    EXPECT_EQ(out[0], out.size() - 2);
    EXPECT_EQ(Bytes(out.begin() + 2, out.begin() + 10),
              (Bytes{0x01, 0x00, 0x03, 0x05, 0x00, 0x02, 0x00, 0x01}));
    EXPECT_EQ(inflate_all(Bytes(out.begin() + 10, out.end()), 24), lossless_pixel_data(mixed, 3, true));
    EXPECT_EQ(id, 1);

    const Bytes plain = define_bits_lossless_body(4, Image::filled(1, 1, red), lossless_argb, false);
    EXPECT_EQ(Bytes(plain.begin(), plain.begin() + 7), (Bytes{0x04, 0x00, 0x05, 0x01, 0x00, 0x01, 0x00}));
    EXPECT_EQ(inflate_all(Bytes(plain.begin() + 7, plain.end()), 4), (Bytes{0, 255, 0, 0}));
}

TEST(SwfJpeg, WholeStreamDecodes) {
    const Image picture = Image::filled(16, 8, {200, 100, 50, 255});
    const Bytes jpeg = encode_jpeg(picture, 90);
    ASSERT_GT(jpeg.size(), 4u);
    EXPECT_EQ(Bytes(jpeg.begin(), jpeg.begin() + 2), (Bytes{0xFF, 0xD8}));
    EXPECT_EQ(Bytes(jpeg.end() - 2, jpeg.end()), (Bytes{0xFF, 0xD9}));
    for (uint8_t marker : {0xDB, 0xC4, 0xC0, 0xDA}) EXPECT_TRUE(has_marker(jpeg, marker)) << int(marker);
    const Image back = decode({}, jpeg);
    EXPECT_EQ(back.width, 16);
    EXPECT_EQ(back.height, 8);
    expect_near_color(back, {200, 100, 50, 255});
    EXPECT_THROW(encode_jpeg(Image{}, 90), std::invalid_argument);
}

TEST(SwfJpeg, TablesAndAbbreviatedImage) {
    const JpegPair pair = encode_jpeg_pair(Image::filled(8, 8, {10, 200, 30, 255}), 80);
    // Tables: quantisation and Huffman tables, no frame and no scan.
    EXPECT_TRUE(has_marker(pair.tables, 0xDB));
    EXPECT_TRUE(has_marker(pair.tables, 0xC4));
    EXPECT_FALSE(has_marker(pair.tables, 0xC0));
    EXPECT_FALSE(has_marker(pair.tables, 0xDA));
    // Image: frame and scan without the tables.
    EXPECT_FALSE(has_marker(pair.image, 0xDB));
    EXPECT_FALSE(has_marker(pair.image, 0xC4));
    EXPECT_TRUE(has_marker(pair.image, 0xC0));
    EXPECT_TRUE(has_marker(pair.image, 0xDA));
    expect_near_color(decode(pair.tables, pair.image), {10, 200, 30, 255});

    TagWriter t(8);
    t.jpeg_tables(pair.tables);
    const uint16_t id = t.define_bits(pair.image, 30);
    EXPECT_EQ(id, 30);
    std::vector<uint8_t> expected;
    write_tag_header(expected, tag_jpeg_tables, static_cast<uint32_t>(pair.tables.size()), false);
    expected.insert(expected.end(), pair.tables.begin(), pair.tables.end());
    write_tag_header(expected, tag_define_bits, static_cast<uint32_t>(pair.image.size() + 2), false);
    expected.push_back(30);
    expected.push_back(0);
    expected.insert(expected.end(), pair.image.begin(), pair.image.end());
    EXPECT_EQ(t.bytes(), expected);
}

TEST(SwfJpeg, Jpeg2AndJpeg3Bodies) {
    Image picture = Image::filled(4, 2, {0, 0, 0, 255});
    picture.at(1, 0).a = 0;
    picture.at(3, 1).a = 77;
    const Bytes jpeg = encode_jpeg(picture, 75);

    TagWriter t(8);
    t.define_bits_jpeg2(join({jpeg_erroneous_header, jpeg}));
    const Bytes& two = t.bytes();
    // Long header (the JPEG is longer than 62 bytes), id 1, then the marker pairs.
    EXPECT_EQ(Bytes(two.begin(), two.begin() + 2), (Bytes{0x7F, 0x05}));
    EXPECT_EQ(Bytes(two.begin() + 6, two.begin() + 12), (Bytes{0x01, 0x00, 0xFF, 0xD9, 0xFF, 0xD8}));
    EXPECT_EQ(two.size(), 6 + 2 + 4 + jpeg.size());

    const Bytes three = define_bits_jpeg3_body(2, jpeg, alpha_channel(picture));
    const uint32_t size = jpeg.size();
    EXPECT_EQ(Bytes(three.begin(), three.begin() + 6),
              (Bytes{0x02, 0x00, static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8), 0, 0}));
    EXPECT_EQ(Bytes(three.begin() + 6, three.begin() + 6 + size), jpeg);
    EXPECT_EQ(inflate_all(Bytes(three.begin() + 6 + size, three.end()), 8),
              (Bytes{255, 0, 255, 255, 255, 255, 255, 77}));
}

}  // namespace
