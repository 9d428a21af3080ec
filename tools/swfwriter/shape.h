#pragma once
// DefineShape, DefineShape2, DefineShape3 and DefineShape4 bodies, and the morph shapes of
// DefineMorphShape and DefineMorphShape2.
#include <cstdint>
#include <optional>
#include <vector>

#include "tools/swfwriter/bit_writer.h"
#include "tools/swfwriter/records.h"
#include "tools/swfwriter/shape_path.h"
#include "tools/swfwriter/styles.h"

namespace swf {

struct Shape {
    // By default the path's box, widened by half the widest line.
    std::optional<Rect> bounds;
    // DefineShape4: by default the path's box without the lines.
    std::optional<Rect> edge_bounds;
    // DefineShape4: bit 1 uses non-scaling strokes, bit 0 uses scaling strokes.
    uint8_t stroke_flags = 0;
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    ShapePath path;
};

// A rectangle filled with one colour, the simplest useful shape.
Shape filled_rect(int32_t x, int32_t y, int32_t width, int32_t height, Rgba color);

// After the id: bounds, [edge bounds and flags,] styles, records. `shape_tag` picks the version.
Bytes define_shape_body(uint16_t id, const Shape& s, uint16_t shape_tag);

struct MorphFillStyle {
    FillStyle start, end;  // the type and bitmap id are the start's; gradients pair record by record
};

struct MorphLineStyle {
    uint16_t start_width = 20, end_width = 20;
    Rgba start_color, end_color;
    // DefineMorphShape2 only: the LINESTYLE2 flags (taken from `style`) and an optional fill.
    LineStyle style;
    std::optional<MorphFillStyle> fill;
};

struct MorphShape {
    std::optional<Rect> start_bounds, end_bounds;            // by default the paths' boxes
    std::optional<Rect> start_edge_bounds, end_edge_bounds;  // DefineMorphShape2
    uint8_t stroke_flags = 0;                                // DefineMorphShape2, as in Shape
    std::vector<MorphFillStyle> fills;
    std::vector<MorphLineStyle> lines;
    ShapePath start, end;
    std::optional<uint32_t> end_edges_offset;  // by default the true distance
};

Bytes define_morph_shape_body(uint16_t id, const MorphShape& m, uint16_t morph_tag);

}  // namespace swf
