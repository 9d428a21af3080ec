// Images: row pitches, pixel setters, and the size checks that refuse empty and oversized
// images before any buffer is made.
#include "flash/render/image.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/engine_log.h"

namespace {

using namespace flash::image;

TEST(Image, RgbRowsArePaddedToFourBytes) {
    struct pitch_case {
        int width;
        int pitch;
    };
    // Three pixels need nine bytes, so their row takes twelve.
    const pitch_case cases[] = {{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {1024, 3072}};
    for (const pitch_case& c : cases) {
        std::unique_ptr<rgb> img(create_rgb(c.width, 2));
        ASSERT_TRUE(img) << c.width;
        EXPECT_EQ(img->m_pitch, c.pitch) << c.width;
        EXPECT_EQ(img->row(1) - img->row(0), c.pitch);
        EXPECT_EQ(img->m_type, RGB);
    }
    std::unique_ptr<rgba> with_alpha(create_rgba(3, 2));
    EXPECT_EQ(with_alpha->m_pitch, 12);
    std::unique_ptr<alpha> mask(create_alpha(3, 2));
    EXPECT_EQ(mask->m_pitch, 3);
}

TEST(Image, PixelSettersWriteTheirPixelOnly) {
    std::unique_ptr<rgba> img(create_rgba(3, 2));
    std::fill(img->m_data, img->m_data + img->m_pitch * 2, 0);
    img->set_pixel(2, 1, 10, 20, 30, 40);
    const uint8_t* p = img->row(1) + 2 * rgba::bytes_per_pixel;
    EXPECT_EQ(p[0], 10);
    EXPECT_EQ(p[1], 20);
    EXPECT_EQ(p[2], 30);
    EXPECT_EQ(p[3], 40);
    EXPECT_EQ(std::count(img->m_data, img->m_data + img->m_pitch * 2, 0), 3 * 2 * 4 - 4);
    std::unique_ptr<alpha> mask(create_alpha(3, 2));
    mask->set_pixel(1, 1, 99);
    EXPECT_EQ(mask->m_data[4], 99);
}

TEST(Image, RefusesEmptyAndOversizedImagesWithAnError) {
    struct size_case {
        int width, height;
        const char* error;
    };
    const size_case cases[] = {
        {0, 10, "has no pixels"},         {10, 0, "has no pixels"},       {-1, 5, "has no pixels"},
        {65535, 65535, "over the limit"}, {5000, 5000, "over the limit"},
    };
    for (const size_case& c : cases) {
        testsupport::engine_log log;
        EXPECT_EQ(create_rgb(c.width, c.height), nullptr) << c.width << "x" << c.height;
        EXPECT_EQ(create_rgba(c.width, c.height), nullptr) << c.width << "x" << c.height;
        EXPECT_TRUE(log.has_error(c.error)) << log.errors();
    }
    // The largest image allowed is made.
    std::unique_ptr<rgba> largest(create_rgba(4096, 4096));
    EXPECT_TRUE(largest);
}

}  // namespace
