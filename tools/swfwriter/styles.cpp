#include "tools/swfwriter/styles.h"

#include <stdexcept>
#include <utility>

#include "tools/swfwriter/tag_codes.h"

namespace swf {

namespace {

constexpr uint8_t gradient_count_mask = 0x0F;
constexpr int gradient_modes_shift = 4;
constexpr size_t extended_count_marker = 0xFF;

FillStyle gradient_fill(uint8_t type, const Matrix& m, std::vector<GradientRecord> records) {
    FillStyle f;
    f.type = type;
    f.matrix = m;
    f.gradient = std::move(records);
    return f;
}

}  // namespace

FillStyle FillStyle::solid(Rgba color) {
    FillStyle f;
    f.color = color;
    return f;
}

FillStyle FillStyle::linear(const Matrix& m, std::vector<GradientRecord> records) {
    return gradient_fill(fill_linear_gradient, m, std::move(records));
}

FillStyle FillStyle::radial(const Matrix& m, std::vector<GradientRecord> records) {
    return gradient_fill(fill_radial_gradient, m, std::move(records));
}

FillStyle FillStyle::focal(const Matrix& m, std::vector<GradientRecord> records, double focal_point) {
    FillStyle f = gradient_fill(fill_focal_gradient, m, std::move(records));
    f.focal_point = focal_point;
    return f;
}

FillStyle FillStyle::bitmap(uint16_t bitmap_id, const Matrix& m, uint8_t type) {
    FillStyle f;
    f.type = type;
    f.bitmap_id = bitmap_id;
    f.matrix = m;
    return f;
}

LineStyle LineStyle::solid(uint16_t width, Rgba color) {
    LineStyle l;
    l.width = width;
    l.color = color;
    return l;
}

bool shape_has_alpha(uint16_t shape_tag) {
    return shape_tag == tag_define_shape3 || shape_tag == tag_define_shape4;
}

void write_gradient_record(BitWriter& w, const GradientRecord& g, bool alpha) {
    w.u8(g.ratio);
    if (alpha)
        write_rgba(w, g.color);
    else
        write_rgb(w, g.color);
}

void write_fill_style(BitWriter& w, const FillStyle& f, uint16_t shape_tag) {
    const bool alpha = shape_has_alpha(shape_tag);
    w.u8(f.type);
    switch (f.type) {
        case fill_solid:
            if (alpha)
                write_rgba(w, f.color);
            else
                write_rgb(w, f.color);
            break;
        case fill_linear_gradient:
        case fill_radial_gradient:
        case fill_focal_gradient:
            write_matrix(w, f.matrix);
            w.u8(static_cast<uint8_t>((f.gradient_modes << gradient_modes_shift) |
                                      (f.gradient.size() & gradient_count_mask)));
            for (const GradientRecord& g : f.gradient) write_gradient_record(w, g, alpha);
            if (f.type == fill_focal_gradient) w.fixed8(f.focal_point);
            break;
        case fill_repeating_bitmap:
        case fill_clipped_bitmap:
        case fill_repeating_bitmap_hard:
        case fill_clipped_bitmap_hard:
            w.u16(f.bitmap_id);
            write_matrix(w, f.matrix);
            break;
        default:
            break;  // an unknown type has no body
    }
}

void write_line_style2_flags(BitWriter& w, const LineStyle& l, bool has_fill) {
    constexpr int cap_bits = 2, join_bits = 2, reserved_bits = 5;
    w.ub(l.start_cap, cap_bits);
    w.ub(l.join, join_bits);
    w.flag(has_fill);
    w.flag(l.no_hscale);
    w.flag(l.no_vscale);
    w.flag(l.pixel_hinting);
    w.ub(0, reserved_bits);
    w.flag(l.no_close);
    w.ub(l.end_cap, cap_bits);
    if (l.join == join_miter) w.fixed8(l.miter_limit);
}

void write_line_style(BitWriter& w, const LineStyle& l, uint16_t shape_tag) {
    w.u16(l.width);
    if (shape_tag == tag_define_shape4) {
        write_line_style2_flags(w, l, l.fill.has_value());
        if (l.fill)
            write_fill_style(w, *l.fill, shape_tag);
        else
            write_rgba(w, l.color);
    } else if (shape_has_alpha(shape_tag)) {
        write_rgba(w, l.color);
    } else {
        write_rgb(w, l.color);
    }
}

void write_style_count(BitWriter& w, size_t count, bool extended_allowed) {
    if (count < extended_count_marker || (!extended_allowed && count == extended_count_marker)) {
        w.u8(static_cast<uint8_t>(count));
        return;
    }
    if (!extended_allowed || count > UINT16_MAX)
        throw std::invalid_argument("too many styles for the shape tag");
    w.u8(static_cast<uint8_t>(extended_count_marker));
    w.u16(static_cast<uint16_t>(count));
}

void write_fill_styles(BitWriter& w, const std::vector<FillStyle>& fills, uint16_t shape_tag) {
    write_style_count(w, fills.size(), shape_tag != tag_define_shape);
    for (const FillStyle& f : fills) write_fill_style(w, f, shape_tag);
}

void write_line_styles(BitWriter& w, const std::vector<LineStyle>& lines, uint16_t shape_tag) {
    write_style_count(w, lines.size(), true);
    for (const LineStyle& l : lines) write_line_style(w, l, shape_tag);
}

}  // namespace swf
