#pragma once
// Fill and line styles of the shape tags, and their arrays. Colours carry alpha from
// DefineShape3 on; DefineShape4 lines are LINESTYLE2 records.
#include <cstdint>
#include <optional>
#include <vector>

#include "tools/swfwriter/bit_writer.h"
#include "tools/swfwriter/records.h"

namespace swf {

enum FillType : uint8_t {
    fill_solid = 0x00,
    fill_linear_gradient = 0x10,
    fill_radial_gradient = 0x12,
    fill_focal_gradient = 0x13,
    fill_repeating_bitmap = 0x40,
    fill_clipped_bitmap = 0x41,
    fill_repeating_bitmap_hard = 0x42,
    fill_clipped_bitmap_hard = 0x43,
};

struct GradientRecord {
    uint8_t ratio = 0;
    Rgba color;
};

struct FillStyle {
    uint8_t type = fill_solid;
    Rgba color;
    Matrix matrix;  // gradient square or bitmap placement
    // Spread and interpolation modes: the upper four bits of the gradient count byte.
    uint8_t gradient_modes = 0;
    std::vector<GradientRecord> gradient;
    double focal_point = 0;  // 8.8, focal gradients only
    uint16_t bitmap_id = 0;

    static FillStyle solid(Rgba color);
    static FillStyle linear(const Matrix& m, std::vector<GradientRecord> records);
    static FillStyle radial(const Matrix& m, std::vector<GradientRecord> records);
    static FillStyle focal(const Matrix& m, std::vector<GradientRecord> records, double focal_point);
    static FillStyle bitmap(uint16_t bitmap_id, const Matrix& m, uint8_t type = fill_repeating_bitmap);
};

enum CapStyle : uint8_t { cap_round = 0, cap_none = 1, cap_square = 2 };
enum JoinStyle : uint8_t { join_round = 0, join_bevel = 1, join_miter = 2 };

struct LineStyle {
    uint16_t width = 20;
    Rgba color;
    // LINESTYLE2 fields, written by DefineShape4 only.
    uint8_t start_cap = cap_round;
    uint8_t join = join_round;
    bool no_hscale = false, no_vscale = false, pixel_hinting = false, no_close = false;
    uint8_t end_cap = cap_round;
    double miter_limit = 3;  // 8.8, written with join_miter
    std::optional<FillStyle> fill;

    static LineStyle solid(uint16_t width, Rgba color);
};

// Whether the shape tag's colours carry alpha (DefineShape3 and 4).
bool shape_has_alpha(uint16_t shape_tag);

void write_gradient_record(BitWriter& w, const GradientRecord& g, bool alpha);
void write_fill_style(BitWriter& w, const FillStyle& f, uint16_t shape_tag);
void write_line_style(BitWriter& w, const LineStyle& l, uint16_t shape_tag);
// A style array count: one byte, or 0xFF and a u16 where the tag allows it. DefineShape fill
// arrays have no extended count, so 255 styles there are a single 0xFF.
void write_style_count(BitWriter& w, size_t count, bool extended_allowed);
void write_fill_styles(BitWriter& w, const std::vector<FillStyle>& fills, uint16_t shape_tag);
void write_line_styles(BitWriter& w, const std::vector<LineStyle>& lines, uint16_t shape_tag);
// The LINESTYLE2 flag bits between the widths and the colour or fill.
void write_line_style2_flags(BitWriter& w, const LineStyle& l, bool has_fill);

}  // namespace swf
