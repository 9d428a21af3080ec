#pragma once
// Fill and line styles of the shape tags and their readers. How a style is set on the render
// handler belongs to the drawing side; this side keeps what the file says and makes the small
// gradient textures as plain pixels. Lengths are twips.
#include <climits>
#include <cstdint>

#include "flash/base/array.h"
#include "flash/base/smart_ptr.h"
#include "flash/shape/geometry.h"
#include "flash/swf/tag_codes.h"

namespace flash {

class swf_stream;

enum fill_type : int {
    fill_solid = 0x00,
    fill_linear_gradient = 0x10,
    fill_radial_gradient = 0x12,
    fill_focal_gradient = 0x13,
    fill_repeating_bitmap = 0x40,
    fill_clipped_bitmap = 0x41,
    fill_repeating_bitmap_hard = 0x42,
    fill_clipped_bitmap_hard = 0x43,
};

struct gradient_record {
    uint8_t m_ratio = 0;
    rgba m_color;
};

// A gradient texture: r, g, b, a bytes per pixel, rows of width * 4 bytes.
struct gradient_pixels {
    int m_width = 0;
    int m_height = 0;
    array<uint8_t> m_data;
};

constexpr int linear_gradient_width = 256;
constexpr int radial_gradient_size = 64;

// The abstract bases of the styles. Their apply has no body: the drawing side sets a style on
// the render handler (apply_fill_style, apply_line_style), since this side draws nothing.
class base_fill_style {
public:
    virtual ~base_fill_style() = default;
    virtual void apply(int /*fill_side*/, float /*ratio*/) {}
};

class base_line_style {
public:
    virtual ~base_line_style() = default;
    virtual void apply(float /*ratio*/) {}
};

class fill_style : public base_fill_style {
public:

    // One FILLSTYLE; every read is byte-aligned.
    void read(swf_stream* in, int tag_type);
    // The gradient square of the file's MATRIX mapped onto this style's texture (by its type).
    void set_gradient_matrix(const matrix& file_matrix);
    // The in-between style of a morph; this style's gradient array must be sized first.
    void set_lerp(const fill_style& a, const fill_style& b, float t);

    // Only for a style with records.
    rgba sample_gradient(int ratio) const;
    // A linear or radial style with records gets its texture; anything else answers false and
    // leaves out untouched, so an unsampleable gradient never reaches the renderer.
    bool make_gradient_pixels(gradient_pixels* out) const;
    // Whether the style paints anything at all: focal gradients, unknown types and gradients
    // without records do not.
    bool is_drawable() const;
    bool is_bitmap() const { return m_type >= fill_repeating_bitmap && m_type <= fill_clipped_bitmap_hard; }
    bool is_gradient() const { return m_type == fill_linear_gradient || m_type == fill_radial_gradient; }

    int m_type = fill_solid;
    rgba m_color;
    // Shape twips to gradient texture pixels.
    matrix m_gradient_matrix;
    array<gradient_record> m_gradients;
    // The gradient texture (a bitmap_info of the drawing side) once made; null until then.
    gc_ptr<ref_counted> m_gradient_bitmap;
    // The bitmap character id of a bitmap fill; the movie resolves it. -1 for other types.
    int m_bitmap_id = -1;
    // Shape twips to bitmap pixels: the inverse of the file's matrix.
    matrix m_bitmap_matrix;
};

class line_style : public base_line_style {
public:

    // LINESTYLE, or LINESTYLE2 for DefineShape4.
    void read(swf_stream* in, int tag_type);

    uint16_t m_width = 0;
    rgba m_color;
    fill_style m_fill_style;
    uint8_t m_start_cap_style = 0;
    uint8_t m_join_style = 0;
    bool m_has_fill = false;
    bool m_no_hscale = false;
    bool m_no_vscale = false;
    bool m_pixel_hinting = false;
    bool m_no_close = false;
    uint8_t m_end_cap_style = 0;
    // Raw 8.8 fixed point; read only for miter joins.
    uint16_t m_miter_limit_factor = 0;
};

// A morph style array's count: one byte, or 0xFF and a 16-bit count after it.
int read_style_count(swf_stream* in);
// Append a FILLSTYLEARRAY / LINESTYLEARRAY to styles. A count above room reads nothing and
// answers false (the caller's shape holds too many styles).
bool read_fill_styles(array<fill_style>* styles, swf_stream* in, int tag_type, int room = INT_MAX);
bool read_line_styles(array<line_style>* styles, swf_stream* in, int tag_type, int room = INT_MAX);

}  // namespace flash
