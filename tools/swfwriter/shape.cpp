#include "tools/swfwriter/shape.h"

#include <algorithm>

#include "tools/swfwriter/tag_codes.h"

namespace swf {

namespace {

Rect widened(Rect r, int32_t by) { return {r.xmin - by, r.xmax + by, r.ymin - by, r.ymax + by}; }

int32_t half_widest_line(const std::vector<LineStyle>& lines) {
    uint16_t widest = 0;
    for (const LineStyle& l : lines) widest = std::max(widest, l.width);
    return widest / 2;
}

void write_morph_fill_style(BitWriter& w, const MorphFillStyle& f) {
    w.u8(f.start.type);
    switch (f.start.type) {
        case fill_solid:
            write_rgba(w, f.start.color);
            write_rgba(w, f.end.color);
            break;
        case fill_linear_gradient:
        case fill_radial_gradient:
        case fill_focal_gradient:
            write_matrix(w, f.start.matrix);
            write_matrix(w, f.end.matrix);
            // The whole byte is the count here: morph gradients have no mode bits.
            w.u8(static_cast<uint8_t>(f.start.gradient.size()));
            for (size_t i = 0; i < f.start.gradient.size(); ++i) {
                write_gradient_record(w, f.start.gradient[i], true);
                write_gradient_record(w, i < f.end.gradient.size() ? f.end.gradient[i] : f.start.gradient[i],
                                      true);
            }
            // A focal gradient ends with the start and end focal points.
            if (f.start.type == fill_focal_gradient) {
                w.fixed8(f.start.focal_point);
                w.fixed8(f.end.focal_point);
            }
            break;
        case fill_repeating_bitmap:
        case fill_clipped_bitmap:
        case fill_repeating_bitmap_hard:
        case fill_clipped_bitmap_hard:
            w.u16(f.start.bitmap_id);
            write_matrix(w, f.start.matrix);
            write_matrix(w, f.end.matrix);
            break;
        default:
            break;
    }
}

void write_morph_line_style(BitWriter& w, const MorphLineStyle& l, uint16_t morph_tag) {
    w.u16(l.start_width);
    w.u16(l.end_width);
    if (morph_tag == tag_define_morph_shape2) {
        write_line_style2_flags(w, l.style, l.fill.has_value());
        if (l.fill) {
            write_morph_fill_style(w, *l.fill);
            return;
        }
    }
    write_rgba(w, l.start_color);
    write_rgba(w, l.end_color);
}

}  // namespace

Shape filled_rect(int32_t x, int32_t y, int32_t width, int32_t height, Rgba color) {
    Shape s;
    s.fills = {FillStyle::solid(color)};
    s.path.fill0(1).rect(x, y, width, height);
    return s;
}

Bytes define_shape_body(uint16_t id, const Shape& s, uint16_t shape_tag) {
    BitWriter w;
    w.u16(id);
    write_rect(w, s.bounds.value_or(widened(s.path.bounds(), half_widest_line(s.lines))));
    if (shape_tag == tag_define_shape4) {
        write_rect(w, s.edge_bounds.value_or(s.path.bounds()));
        w.u8(s.stroke_flags);
    }
    write_fill_styles(w, s.fills, shape_tag);
    write_line_styles(w, s.lines, shape_tag);
    s.path.write(w, shape_tag, s.fills.size(), s.lines.size());
    return w.take();
}

Bytes define_morph_shape_body(uint16_t id, const MorphShape& m, uint16_t morph_tag) {
    BitWriter w;
    w.u16(id);
    write_rect(w, m.start_bounds.value_or(m.start.bounds()));
    write_rect(w, m.end_bounds.value_or(m.end.bounds()));
    if (morph_tag == tag_define_morph_shape2) {
        write_rect(w, m.start_edge_bounds.value_or(m.start.bounds()));
        write_rect(w, m.end_edge_bounds.value_or(m.end.bounds()));
        w.u8(m.stroke_flags);
    }
    // The offset counts from after itself to the end shape's records.
    BitWriter after_offset;
    write_style_count(after_offset, m.fills.size(), true);
    for (const MorphFillStyle& f : m.fills) write_morph_fill_style(after_offset, f);
    write_style_count(after_offset, m.lines.size(), true);
    for (const MorphLineStyle& l : m.lines) write_morph_line_style(after_offset, l, morph_tag);
    m.start.write(after_offset, morph_tag, m.fills.size(), m.lines.size());
    const Bytes styles_and_start = after_offset.take();
    w.u32(m.end_edges_offset.value_or(static_cast<uint32_t>(styles_and_start.size())));
    w.bytes(styles_and_start);
    m.end.write(w, morph_tag, 0, 0);
    return w.take();
}

}  // namespace swf
