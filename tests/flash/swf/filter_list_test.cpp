// Filter lists are stepped over exactly: each kind's byte count, unknown ids, cut lists.
#include "flash/swf/filter_list.h"

#include <gtest/gtest.h>

#include "swf_fixture.h"
#include "tests/support/engine_log.h"
#include "tools/swfwriter/filters.h"

namespace {

std::vector<uint8_t> list_then_marker(const std::vector<swf::Filter>& filters) {
    swf::BitWriter w;
    swf::write_filter_list(w, filters);
    w.u8(0xA5);
    return w.take();
}

TEST(Filters, EachKindIsSteppedOverByItsExactSize) {
    const swf::ShadowParams p;
    const swf::Rgba red{255, 0, 0, 255};
    const std::vector<swf::GradientStop> two = {{red, 0}, {red, 255}};
    struct row {
        swf::Filter filter;
        int body_bytes;
        const char* name;
    };
    const row rows[] = {
        {swf::drop_shadow_filter(red, p), 23, "DropShadowFilter"},
        {swf::blur_filter(2, 2, 1), 9, "BlurFilter"},
        {swf::glow_filter(red, p), 15, "GlowFilter"},
        {swf::bevel_filter(red, red, p), 27, "BevelFilter"},
        {swf::gradient_glow_filter(two, p), 30, "GradientGlowFilter"},
        {swf::convolution_filter(3, 3, 1, 0, std::vector<float>(9, 1.0f), red, 0), 51, "ConvolutionFilter"},
        {swf::color_matrix_filter(std::vector<float>(20, 0.5f)), 80, "ColorMatrixFilter"},
        {swf::gradient_bevel_filter(two, p), 30, "GradientBevelFilter"},
    };
    flash::set_verbose_parse(true);
    for (const row& r : rows) {
        testsupport::engine_log log;
        ASSERT_EQ(static_cast<int>(r.filter.body.size()), r.body_bytes) << r.name;
        swftest::stream_over s(list_then_marker({r.filter}));
        flash::read_filter_list(&s.in);
        EXPECT_EQ(s.in.get_position(), 2 + r.body_bytes) << r.name;
        EXPECT_EQ(s.in.read_u8(), 0xA5) << r.name;
        EXPECT_TRUE(testsupport::engine_log::has_message(std::string("  filter = ") + r.name + "\n"));
    }
    flash::set_verbose_parse(false);
}

TEST(Filters, AnEmptyListIsOneByteAndUnknownIdsHaveNoBody) {
    swftest::stream_over empty(list_then_marker({}));
    flash::read_filter_list(&empty.in);
    EXPECT_EQ(empty.in.get_position(), 1);
    // Two filters of unknown id 9: two id bytes and nothing else.
    swftest::stream_over unknown({2, 9, 9, 0xA5});
    flash::read_filter_list(&unknown.in);
    EXPECT_EQ(unknown.in.read_u8(), 0xA5);
}

TEST(Filters, ACutListStopsAtTheEnd) {
    // A convolution of 255 x 255 values in a 10-byte file.
    swftest::stream_over s({1, 5, 255, 255, 0, 0, 0, 0, 0, 0});
    flash::read_filter_list(&s.in);
    EXPECT_TRUE(s.in.has_overrun());
    EXPECT_EQ(s.in.get_position(), 10);
}

}  // namespace
