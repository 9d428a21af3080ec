#pragma once
// The SHAPE record stream of a shape: a pen that moves, draws straight and curved edges and
// changes styles. Points are absolute twips; the writer turns them into the deltas the records
// hold, picks the horizontal, vertical or general form of each straight edge and the narrowest
// widths, and merges style changes that follow each other into one record.
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "tools/swfwriter/bit_writer.h"
#include "tools/swfwriter/records.h"
#include "tools/swfwriter/styles.h"

namespace swf {

struct Point {
    int32_t x = 0, y = 0;
};

class ShapePath {
public:
    ShapePath& move_to(int32_t x, int32_t y);
    ShapePath& line_to(int32_t x, int32_t y);
    ShapePath& curve_to(int32_t control_x, int32_t control_y, int32_t anchor_x, int32_t anchor_y);
    // Style indices count from 1 within the current style group; 0 is "no style".
    ShapePath& fill0(uint32_t index);
    ShapePath& fill1(uint32_t index);
    ShapePath& line(uint32_t index);
    // A new style group; its indices count from 1 again. Widths are worked out unless given.
    ShapePath& new_styles(std::vector<FillStyle> fills, std::vector<LineStyle> lines,
                          int fill_bits = auto_bits, int line_bits = auto_bits);
    // Widths of the first group's style indices, instead of the ones worked out.
    ShapePath& style_bits(int fill_bits, int line_bits);

    // Closed outlines, each starting with a move to its first point.
    ShapePath& rect(int32_t x, int32_t y, int32_t width, int32_t height);
    ShapePath& polygon(const std::vector<Point>& points);
    // Eight quadratic curves through the circle's points at every 45 degrees.
    ShapePath& circle(int32_t center_x, int32_t center_y, int32_t radius);

    // The records, then the end record, then padding to a byte. `fill_count` and `line_count`
    // are the sizes of the style arrays written before the records.
    void write(BitWriter& w, uint16_t shape_tag, size_t fill_count, size_t line_count) const;
    // Box around every point reached and every control point; all zero without points.
    Rect bounds() const;

private:
    struct StyleChange {
        std::optional<Point> move;
        std::optional<uint32_t> fill0, fill1, line;
        std::optional<std::vector<FillStyle>> new_fills;
        std::vector<LineStyle> new_lines;
        int new_fill_bits = auto_bits, new_line_bits = auto_bits;
    };
    struct StraightEdge {
        int32_t dx = 0, dy = 0;
    };
    struct CurvedEdge {
        int32_t control_dx = 0, control_dy = 0, anchor_dx = 0, anchor_dy = 0;
    };
    using Record = std::variant<StyleChange, StraightEdge, CurvedEdge>;

    // The last record when it is a style change that can still take more fields.
    StyleChange& open_style_change();
    // A style change whose `field` is still unset: the open one, or a new one.
    template <class T>
    StyleChange& style_change_without(std::optional<T> StyleChange::*field);
    void reach(Point p);
    void write_style_change(BitWriter& w, const StyleChange& s, int fill_bits, int line_bits) const;
    // Index widths of the group that starts at record `first` with the given style counts.
    std::pair<int, int> group_bits(size_t first, size_t fill_count, size_t line_count, int fill_bits,
                                   int line_bits) const;

    std::vector<Record> records_;
    Point pen_;
    bool has_points_ = false;
    Point low_, high_;
    int first_fill_bits_ = auto_bits, first_line_bits_ = auto_bits;
};

}  // namespace swf
