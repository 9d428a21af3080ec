#include "tools/swfwriter/shape_path.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <tuple>
#include <utility>

namespace swf {

namespace {

// Style-change flag bits, in the order they follow the type bit from the top down.
constexpr uint32_t state_new_styles = 0x10;
constexpr uint32_t state_line_style = 0x08;
constexpr uint32_t state_fill_style1 = 0x04;
constexpr uint32_t state_fill_style0 = 0x02;
constexpr uint32_t state_move_to = 0x01;
constexpr int state_flag_bits = 5;
constexpr int move_bits_field = 5;
constexpr int style_bits_field = 4;
constexpr int edge_bits_field = 4;
// Edge fields are NumBits + 2 wide, so from 2 to 17 bits.
constexpr int edge_bits_bias = 2;
constexpr int max_edge_bits = 17;
constexpr int max_move_bits = 31;
constexpr int max_style_bits = 15;
constexpr int circle_segments = 8;

int edge_width(std::initializer_list<int32_t> values) {
    int bits = edge_bits_bias;
    for (int32_t v : values) bits = std::max(bits, sb_width(v));
    if (bits > max_edge_bits) throw std::invalid_argument("shape edge longer than a record can hold");
    return bits;
}

}  // namespace

ShapePath::StyleChange& ShapePath::open_style_change() {
    if (!records_.empty()) {
        if (auto* s = std::get_if<StyleChange>(&records_.back()); s && !s->new_fills) return *s;
    }
    return std::get<StyleChange>(records_.emplace_back(StyleChange{}));
}

template <class T>
ShapePath::StyleChange& ShapePath::style_change_without(std::optional<T> StyleChange::*field) {
    StyleChange* s = &open_style_change();
    if (s->*field) s = &std::get<StyleChange>(records_.emplace_back(StyleChange{}));
    return *s;
}

void ShapePath::reach(Point p) {
    if (!has_points_) {
        low_ = high_ = p;
        has_points_ = true;
        return;
    }
    low_ = {std::min(low_.x, p.x), std::min(low_.y, p.y)};
    high_ = {std::max(high_.x, p.x), std::max(high_.y, p.y)};
}

ShapePath& ShapePath::move_to(int32_t x, int32_t y) {
    style_change_without(&StyleChange::move).move = Point{x, y};
    pen_ = {x, y};
    reach(pen_);
    return *this;
}

ShapePath& ShapePath::line_to(int32_t x, int32_t y) {
    if (!has_points_) reach(pen_);  // drawing without a move starts at the origin
    records_.emplace_back(StraightEdge{x - pen_.x, y - pen_.y});
    pen_ = {x, y};
    reach(pen_);
    return *this;
}

ShapePath& ShapePath::curve_to(int32_t control_x, int32_t control_y, int32_t anchor_x, int32_t anchor_y) {
    if (!has_points_) reach(pen_);
    records_.emplace_back(
        CurvedEdge{control_x - pen_.x, control_y - pen_.y, anchor_x - control_x, anchor_y - control_y});
    reach({control_x, control_y});
    pen_ = {anchor_x, anchor_y};
    reach(pen_);
    return *this;
}

ShapePath& ShapePath::fill0(uint32_t index) {
    style_change_without(&StyleChange::fill0).fill0 = index;
    return *this;
}

ShapePath& ShapePath::fill1(uint32_t index) {
    style_change_without(&StyleChange::fill1).fill1 = index;
    return *this;
}

ShapePath& ShapePath::line(uint32_t index) {
    style_change_without(&StyleChange::line).line = index;
    return *this;
}

ShapePath& ShapePath::new_styles(std::vector<FillStyle> fills, std::vector<LineStyle> lines, int fill_bits,
                                 int line_bits) {
    StyleChange s;
    s.new_fills = std::move(fills);
    s.new_lines = std::move(lines);
    s.new_fill_bits = fill_bits;
    s.new_line_bits = line_bits;
    records_.emplace_back(std::move(s));
    return *this;
}

ShapePath& ShapePath::style_bits(int fill_bits, int line_bits) {
    first_fill_bits_ = fill_bits;
    first_line_bits_ = line_bits;
    return *this;
}

ShapePath& ShapePath::rect(int32_t x, int32_t y, int32_t width, int32_t height) {
    return polygon({{x, y}, {x + width, y}, {x + width, y + height}, {x, y + height}});
}

ShapePath& ShapePath::polygon(const std::vector<Point>& points) {
    if (points.empty()) return *this;
    move_to(points[0].x, points[0].y);
    for (size_t i = 1; i < points.size(); ++i) line_to(points[i].x, points[i].y);
    return line_to(points[0].x, points[0].y);
}

ShapePath& ShapePath::circle(int32_t center_x, int32_t center_y, int32_t radius) {
    const double step = 2 * std::numbers::pi / circle_segments;
    // The control point of each segment lies on the bisecting ray, where the tangents at both
    // anchors meet.
    const double control_radius = radius / std::cos(step / 2);
    auto at = [&](double angle, double r) {
        return Point{center_x + static_cast<int32_t>(std::lround(r * std::cos(angle))),
                     center_y + static_cast<int32_t>(std::lround(r * std::sin(angle)))};
    };
    const Point start = at(0, radius);
    move_to(start.x, start.y);
    for (int i = 0; i < circle_segments; ++i) {
        const Point control = at((i + 0.5) * step, control_radius);
        const Point anchor = i + 1 == circle_segments ? start : at((i + 1) * step, radius);
        curve_to(control.x, control.y, anchor.x, anchor.y);
    }
    return *this;
}

Rect ShapePath::bounds() const {
    if (!has_points_) return {};
    return {low_.x, high_.x, low_.y, high_.y};
}

std::pair<int, int> ShapePath::group_bits(size_t first, size_t fill_count, size_t line_count, int fill_bits,
                                          int line_bits) const {
    uint32_t highest_fill = static_cast<uint32_t>(fill_count);
    uint32_t highest_line = static_cast<uint32_t>(line_count);
    for (size_t i = first; i < records_.size(); ++i) {
        const auto* s = std::get_if<StyleChange>(&records_[i]);
        if (!s) continue;
        if (s->new_fills && i != first) break;
        highest_fill = std::max({highest_fill, s->fill0.value_or(0), s->fill1.value_or(0)});
        highest_line = std::max(highest_line, s->line.value_or(0));
    }
    auto width = [](int asked, uint32_t highest) {
        if (asked != auto_bits) return asked;
        const int bits = ub_width(highest);
        if (bits > max_style_bits) throw std::invalid_argument("shape style index too wide");
        return bits;
    };
    return {width(fill_bits, highest_fill), width(line_bits, highest_line)};
}

void ShapePath::write_style_change(BitWriter& w, const StyleChange& s, int fill_bits, int line_bits) const {
    uint32_t flags = 0;
    if (s.new_fills) flags |= state_new_styles;
    if (s.line) flags |= state_line_style;
    if (s.fill1) flags |= state_fill_style1;
    if (s.fill0) flags |= state_fill_style0;
    if (s.move) flags |= state_move_to;
    w.ub(0, 1);  // not an edge
    w.ub(flags, state_flag_bits);
    if (s.move) {
        const int bits = signed_width({s.move->x, s.move->y}, max_move_bits);
        w.ub(static_cast<uint32_t>(bits), move_bits_field);
        w.sb(s.move->x, bits);
        w.sb(s.move->y, bits);
    }
    if (s.fill0) w.ub(*s.fill0, fill_bits);
    if (s.fill1) w.ub(*s.fill1, fill_bits);
    if (s.line) w.ub(*s.line, line_bits);
}

void ShapePath::write(BitWriter& w, uint16_t shape_tag, size_t fill_count, size_t line_count) const {
    auto [fill_bits, line_bits] = group_bits(0, fill_count, line_count, first_fill_bits_, first_line_bits_);
    w.ub(static_cast<uint32_t>(fill_bits), style_bits_field);
    w.ub(static_cast<uint32_t>(line_bits), style_bits_field);
    for (size_t i = 0; i < records_.size(); ++i) {
        if (const auto* s = std::get_if<StyleChange>(&records_[i])) {
            write_style_change(w, *s, fill_bits, line_bits);
            if (s->new_fills) {
                // The arrays are byte-aligned; the new widths follow them as bit fields.
                write_fill_styles(w, *s->new_fills, shape_tag);
                write_line_styles(w, s->new_lines, shape_tag);
                std::tie(fill_bits, line_bits) = group_bits(i, s->new_fills->size(), s->new_lines.size(),
                                                            s->new_fill_bits, s->new_line_bits);
                w.ub(static_cast<uint32_t>(fill_bits), style_bits_field);
                w.ub(static_cast<uint32_t>(line_bits), style_bits_field);
            }
        } else if (const auto* e = std::get_if<StraightEdge>(&records_[i])) {
            w.ub(1, 1);  // edge
            w.ub(1, 1);  // straight
            const bool vertical = e->dx == 0 && e->dy != 0;
            const bool general = e->dx != 0 && e->dy != 0;
            const int bits = general ? edge_width({e->dx, e->dy}) : edge_width({vertical ? e->dy : e->dx});
            w.ub(static_cast<uint32_t>(bits - edge_bits_bias), edge_bits_field);
            w.flag(general);
            if (general) {
                w.sb(e->dx, bits);
                w.sb(e->dy, bits);
            } else {
                w.flag(vertical);
                w.sb(vertical ? e->dy : e->dx, bits);
            }
        } else {
            const auto& c = std::get<CurvedEdge>(records_[i]);
            w.ub(1, 1);  // edge
            w.ub(0, 1);  // curved
            const int bits = edge_width({c.control_dx, c.control_dy, c.anchor_dx, c.anchor_dy});
            w.ub(static_cast<uint32_t>(bits - edge_bits_bias), edge_bits_field);
            for (int32_t v : {c.control_dx, c.control_dy, c.anchor_dx, c.anchor_dy}) w.sb(v, bits);
        }
    }
    w.ub(0, 1 + state_flag_bits);  // end of shape
    w.align();
}

}  // namespace swf
