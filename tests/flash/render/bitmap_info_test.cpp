// Placeholder bitmaps: without a render handler every bitmap is a 0 x 0 bogus_bi.
#include "flash/render/bitmap_info.h"

#include <gtest/gtest.h>

#include "flash/base/smart_ptr.h"

namespace {

TEST(BitmapInfo, WithoutAHandlerBitmapsArePlaceholdersOfNoSize) {
    ASSERT_EQ(flash::get_render_handler(), nullptr);
    const uint8_t data[4] = {1, 2, 3, 4};
    flash::smart_ptr<flash::bitmap_info> alpha(flash::render::create_bitmap_info_alpha(2, 2, data, "m.swf"));
    flash::smart_ptr<flash::bitmap_info> bogus(flash::render::create_bogus_bitmap_info());
    for (flash::bitmap_info* bi : {alpha.get_ptr(), bogus.get_ptr()}) {
        ASSERT_NE(bi, nullptr);
        EXPECT_NE(dynamic_cast<flash::render::bogus_bi*>(bi), nullptr);
        EXPECT_EQ(bi->get_width(), 0);
        EXPECT_EQ(bi->get_height(), 0);
    }
}

}  // namespace
