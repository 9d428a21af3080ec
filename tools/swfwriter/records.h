#pragma once
// The geometry and colour records shared by many tags: RECT, MATRIX, CXFORM (with and without
// alpha) and RGB/RGBA colours. Widths are worked out from the values unless a record gives its
// own, which may be too small on purpose to make a malformed record.
#include <array>
#include <cstdint>

#include "tools/swfwriter/bit_writer.h"

namespace swf {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
};

// In twips. Written as NBits UB[5] then Xmin, Xmax, Ymin, Ymax, each SB[NBits].
struct Rect {
    int32_t xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    int bits = auto_bits;
};

// Scale and rotate-skew terms are raw 16.16 fixed-point values; translations are twips.
struct Matrix {
    bool has_scale = false;
    int32_t scale_x = 0x10000, scale_y = 0x10000;
    bool has_rotate = false;
    int32_t rotate_skew0 = 0, rotate_skew1 = 0;
    int32_t translate_x = 0, translate_y = 0;
    int scale_bits = auto_bits, rotate_bits = auto_bits, translate_bits = auto_bits;

    static Matrix translation(int32_t x, int32_t y);
    static Matrix scaling(double sx, double sy, int32_t x = 0, int32_t y = 0);
};

// Multipliers are 8.8 values (256 is 1.0 in the with-alpha form); addends are channel units.
// Terms are in the order red, green, blue, alpha; the form without alpha writes the first three.
struct CxForm {
    bool has_mult = false;
    std::array<int32_t, 4> mult{256, 256, 256, 256};
    bool has_add = false;
    std::array<int32_t, 4> add{0, 0, 0, 0};
    int bits = auto_bits;
};

// Largest values of the NBits fields that say how wide the following fields are.
inline constexpr int max_rect_bits = 31;
inline constexpr int max_matrix_bits = 31;
inline constexpr int max_cxform_bits = 15;

void write_rgb(BitWriter& w, Rgba c);
void write_rgba(BitWriter& w, Rgba c);
void write_rect(BitWriter& w, const Rect& r);
void write_matrix(BitWriter& w, const Matrix& m);
void write_cxform(BitWriter& w, const CxForm& c, bool with_alpha);

// Widest signed field among the values; throws std::invalid_argument past `limit`.
int signed_width(std::initializer_list<int32_t> values, int limit);

}  // namespace swf
