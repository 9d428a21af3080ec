#include "tools/swfwriter/shape.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "tests/tools/swfwriter/bit_strings.h"
#include "tools/swfwriter/tag_codes.h"
#include "tools/swfwriter/tag_writer.h"

using namespace swf;

namespace {

Bytes path_bytes(const ShapePath& p, size_t fills = 0, size_t lines = 0, uint16_t tag = tag_define_shape3) {
    BitWriter w;
    p.write(w, tag, fills, lines);
    return w.take();
}

TEST(SwfShapePath, Records) {
    struct Case {
        const char* what;
        std::function<void(ShapePath&)> draw;
        size_t fills, lines;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"horizontal line", [](ShapePath& p) { p.line_to(20, 0); }, 0, 0,
         "0000 0000  1 1 0100 0 0 010100  000000"},
        {"vertical line", [](ShapePath& p) { p.line_to(0, -20); }, 0, 0,
         "0000 0000  1 1 0100 0 1 101100  000000"},
        {"general line", [](ShapePath& p) { p.line_to(3, -1); }, 0, 0,
         "0000 0000  1 1 0001 1 011 111  000000"},
        {"short line keeps the 2-bit minimum", [](ShapePath& p) { p.line_to(1, 0); }, 0, 0,
         "0000 0000  1 1 0000 0 0 01  000000"},
        {"line relative to the pen", [](ShapePath& p) { p.move_to(100, 100).line_to(100, 90); }, 0, 0,
         "0000 0000  0 00001 01000 01100100 01100100  1 1 0011 0 1 10110  000000"},
        {"curve: control delta, then anchor delta from the control",
         [](ShapePath& p) { p.curve_to(10, 0, 10, 10); }, 0, 0,
         "0000 0000  1 0 0011 01010 00000 00000 01010  000000"},
        {"move", [](ShapePath& p) { p.move_to(-1, 5); }, 0, 0, "0000 0000  0 00001 00100 1111 0101  000000"},
        {"move to the origin has 0-bit fields", [](ShapePath& p) { p.move_to(0, 0); }, 0, 0,
         "0000 0000  0 00001 00000  000000"},
        {"style changes merge into one record", [](ShapePath& p) { p.fill0(2).fill1(3).line(1); }, 3, 1,
         "0010 0001  0 01110 10 11 1  000000"},
        {"a second move starts a second record", [](ShapePath& p) { p.move_to(0, 0).fill0(1).move_to(1, 1); },
         1, 0, "0001 0000  0 00011 00000 1  0 00001 00010 01 01  000000"},
        {"an index above the style count widens the field", [](ShapePath& p) { p.fill0(4); }, 1, 0,
         "0011 0000  0 00010 100  000000"},
        {"given style widths", [](ShapePath& p) { p.style_bits(4, 0).fill0(1); }, 1, 0,
         "0100 0000  0 00010 0001  000000"},
        {"empty path is the end record alone", [](ShapePath&) {}, 0, 0, "0000 0000  000000"},
    };
    for (const Case& c : cases) {
        ShapePath p;
        c.draw(p);
        EXPECT_EQ(path_bytes(p, c.fills, c.lines), bits(c.expected)) << c.what;
    }
}

TEST(SwfShapePath, NewStyleGroups) {
    ShapePath p;
    p.fill0(1)
        .new_styles({FillStyle::solid({1, 2, 3, 4})}, {LineStyle::solid(20, {5, 6, 7, 8})})
        .line(1)
        .fill0(1);
    // Byte-aligned arrays inside the record, then the new widths; the following indices count
    // in the new group.
    const Bytes expected = join({
        bits("0001 0000  0 00010 1  0 10000"),
        {0x01, 0x00, 0x01, 0x02, 0x03, 0x04},  // one solid fill with alpha
        {0x01, 0x14, 0x00, 0x05, 0x06, 0x07, 0x08},
        bits("0001 0001  0 01010 1 1  000000"),
    });
    EXPECT_EQ(path_bytes(p, 1, 0), expected);
}

TEST(SwfShapePath, HelpersAndBounds) {
    ShapePath rect;
    rect.rect(0, 0, 20, 20);
    EXPECT_EQ(path_bytes(rect), bits("0000 0000  0 00001 00000"
                                     "  1 1 0100 0 0 010100  1 1 0100 0 1 010100"
                                     "  1 1 0100 0 0 101100  1 1 0100 0 1 101100  000000"));
    const Rect r = rect.bounds();
    EXPECT_EQ((std::array{r.xmin, r.xmax, r.ymin, r.ymax}), (std::array{0, 20, 0, 20}));

    ShapePath triangle;
    triangle.polygon({{10, 10}, {20, 10}, {10, 15}});
    EXPECT_EQ(path_bytes(triangle), bits("0000 0000  0 00001 00101 01010 01010  1 1 0011 0 0 01010"
                                         "  1 1 0011 1 10110 00101  1 1 0010 0 1 1011  000000"));

    ShapePath circle;
    circle.circle(0, 0, 100);
    const Rect c = circle.bounds();
    EXPECT_EQ((std::array{c.xmin, c.xmax, c.ymin, c.ymax}), (std::array{-100, 100, -100, 100}));
    // Move to (100, 0), then the first of eight curves: control (100, 41), anchor (71, 71).
    const Bytes head =
        bits("0000 0000  0 00001 01000 01100100 00000000  1 0 0101 0000000 0101001 1100011 0011110");
    const Bytes all = path_bytes(circle);
    EXPECT_EQ(Bytes(all.begin(), all.begin() + 8), Bytes(head.begin(), head.begin() + 8));

    // Drawing from the origin without a move counts the origin in the box.
    ShapePath from_origin;
    from_origin.line_to(20, 10);
    const Rect o = from_origin.bounds();
    EXPECT_EQ((std::array{o.xmin, o.xmax, o.ymin, o.ymax}), (std::array{0, 20, 0, 10}));

    ShapePath too_long;
    too_long.line_to(70000, 0);
    EXPECT_THROW(path_bytes(too_long), std::invalid_argument);
}

TEST(SwfStyles, FillAndLineStyles) {
    auto fill = [](const FillStyle& f, uint16_t tag) {
        BitWriter w;
        write_fill_style(w, f, tag);
        return w.take();
    };
    auto line = [](const LineStyle& l, uint16_t tag) {
        BitWriter w;
        write_line_style(w, l, tag);
        return w.take();
    };
    const std::vector<GradientRecord> two = {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 128}}};
    FillStyle linear = FillStyle::linear({}, two);
    linear.gradient_modes = 1;
    EXPECT_EQ(fill(FillStyle::solid({1, 2, 3, 4}), tag_define_shape2), (Bytes{0x00, 1, 2, 3}));
    EXPECT_EQ(fill(FillStyle::solid({1, 2, 3, 4}), tag_define_shape3), (Bytes{0x00, 1, 2, 3, 4}));
    EXPECT_EQ(fill(linear, tag_define_shape3),
              (Bytes{0x10, 0x00, 0x12, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0x80}));
    EXPECT_EQ(fill(linear, tag_define_shape),
              (Bytes{0x10, 0x00, 0x12, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF}));
    EXPECT_EQ(fill(FillStyle::radial({}, {two[0]}), tag_define_shape3),
              (Bytes{0x12, 0x00, 0x01, 0x00, 0xFF, 0x00, 0x00, 0xFF}));
    EXPECT_EQ(fill(FillStyle::focal({}, {{0, {1, 2, 3, 4}}}, 0.5), tag_define_shape4),
              (Bytes{0x13, 0x00, 0x01, 0x00, 1, 2, 3, 4, 0x80, 0x00}));
    EXPECT_EQ(fill(FillStyle::bitmap(7, Matrix::translation(20, -20), fill_clipped_bitmap), tag_define_shape),
              (Bytes{0x41, 0x07, 0x00, 0x0C, 0xA5, 0x80}));

    const LineStyle plain = LineStyle::solid(20, {1, 2, 3, 4});
    EXPECT_EQ(line(plain, tag_define_shape), (Bytes{0x14, 0x00, 1, 2, 3}));
    EXPECT_EQ(line(plain, tag_define_shape3), (Bytes{0x14, 0x00, 1, 2, 3, 4}));
    EXPECT_EQ(line(plain, tag_define_shape4), (Bytes{0x14, 0x00, 0x00, 0x00, 1, 2, 3, 4}));
    LineStyle mitred = plain;
    mitred.start_cap = cap_square;
    mitred.join = join_miter;
    mitred.pixel_hinting = true;
    mitred.no_close = true;
    mitred.end_cap = cap_none;
    // 10 10 0 0 0 1 00000 1 01, then the 8.8 miter limit.
    EXPECT_EQ(line(mitred, tag_define_shape4), (Bytes{0x14, 0x00, 0xA1, 0x05, 0x00, 0x03, 1, 2, 3, 4}));
    LineStyle filled = plain;
    filled.fill = FillStyle::solid({9, 9, 9, 9});
    EXPECT_EQ(line(filled, tag_define_shape4), (Bytes{0x14, 0x00, 0x08, 0x00, 0x00, 9, 9, 9, 9}));
}

TEST(SwfStyles, ArrayCounts) {
    struct Case {
        size_t count;
        bool extended_allowed;
        Bytes expected;
    };
    const Case cases[] = {
        {0, true, {0x00}},
        {254, true, {0xFE}},
        {255, false, {0xFF}},
        {255, true, {0xFF, 0xFF, 0x00}},
        {300, true, {0xFF, 0x2C, 0x01}},
    };
    for (const Case& c : cases) {
        BitWriter w;
        write_style_count(w, c.count, c.extended_allowed);
        EXPECT_EQ(w.take(), c.expected) << c.count;
    }
    BitWriter w;
    EXPECT_THROW(write_style_count(w, 256, false), std::invalid_argument);
    EXPECT_THROW(write_style_count(w, 70000, true), std::invalid_argument);
}

TEST(SwfShape, DefineShapeTags) {
    TagWriter t(8);
    EXPECT_EQ(t.define_shape(filled_rect(0, 0, 20, 20, {255, 0, 0}), tag_define_shape), 1);
    const Bytes body = join({
        {0x01, 0x00},                    // id
        {0x30, 0x0A, 0x00, 0xA0},        // bounds 0..20, 0..20
        {0x01, 0x00, 0xFF, 0x00, 0x00},  // one solid red fill, no alpha
        {0x00},                          // no lines
        bits("0001 0000  0 00011 00000 1"
             "  1 1 0100 0 0 010100  1 1 0100 0 1 010100"
             "  1 1 0100 0 0 101100  1 1 0100 0 1 101100  000000"),
    });
    EXPECT_EQ(t.bytes(), join({{0x97, 0x00}, body}));  // DefineShape, 23 bytes

    // DefineShape4: edge bounds and the stroke flags follow the bounds.
    Shape lined;
    lined.lines = {LineStyle::solid(40, {0, 0, 0, 255})};
    lined.stroke_flags = 0x01;
    lined.path.line(1).line_to(20, 0);
    const Bytes shape4 = define_shape_body(9, lined, tag_define_shape4);
    const Bytes shape4_expected = join({
        {0x09, 0x00},
        bits("00111 1101100 0101000 1101100 0010100"),  // widened by half the line: -20..40, -20..20
        bits("00110 000000 010100 000000 000000"),      // edge bounds 0..20, 0..0
        {0x01},                                         // uses scaling strokes
        {0x00},                                         // no fills
        {0x01, 0x28, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF},
        bits("0000 0001  0 01000 1  1 1 0100 0 0 010100  000000"),
    });
    EXPECT_EQ(shape4, shape4_expected);
}

TEST(SwfShape, MorphShape) {
    MorphShape m;
    m.fills = {{FillStyle::solid({255, 0, 0, 255}), FillStyle::solid({0, 0, 255, 128})}};
    m.start.fill0(1).line_to(20, 0);
    m.end.line_to(40, 0);
    const Bytes expected = {0x01, 0x00,                    // id
                            0x30, 0x0A, 0x00, 0x00,        // start bounds
                            0x38, 0x05, 0x00, 0x00, 0x00,  // end bounds
                            0x10, 0x00, 0x00, 0x00,        // offset to the end edges
                            0x01, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x80,  // one morph fill
                            0x00,                                                        // no lines
                            0x10, 0x0B, 0xA0, 0xA0, 0x00,                                // start records
                            0x00, 0xD4, 0x50, 0x00};                                     // end records
    EXPECT_EQ(define_morph_shape_body(1, m, tag_define_morph_shape), expected);

    // DefineMorphShape2: edge bounds and flags; a line with LINESTYLE2 flags and a morph fill.
    MorphShape m2;
    MorphLineStyle l;
    l.start_width = 20;
    l.end_width = 40;
    l.fill = MorphFillStyle{FillStyle::linear({}, {{0, {1, 2, 3, 4}}}),
                            FillStyle::linear({}, {{255, {5, 6, 7, 8}}})};
    m2.lines = {l};
    const Bytes body2 = define_morph_shape_body(2, m2, tag_define_morph_shape2);
    const Bytes expected2 = {0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // id, four empty boxes, flags
                             0x18, 0x00, 0x00, 0x00,                    // offset 24
                             0x00,                                      // no fills
                             0x01, 0x14, 0x00, 0x28, 0x00, 0x08, 0x00,  // widths, flags with has-fill
                             0x10, 0x00, 0x00, 0x01, 0x00, 1,    2,    3, 4, 0xFF, 5, 6, 7, 8,  // the fill
                             0x01, 0x00,   // start: line bits 1, end
                             0x00, 0x00};  // end: no records
    EXPECT_EQ(body2, expected2);
}

}  // namespace
