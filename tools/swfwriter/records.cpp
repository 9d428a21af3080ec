#include "tools/swfwriter/records.h"

#include <algorithm>
#include <stdexcept>

namespace swf {

namespace {

constexpr int rect_bits_field = 5;
constexpr int matrix_bits_field = 5;
constexpr int cxform_bits_field = 4;

int chosen_width(int asked, std::initializer_list<int32_t> values, int limit) {
    return asked == auto_bits ? signed_width(values, limit) : asked;
}

}  // namespace

int signed_width(std::initializer_list<int32_t> values, int limit) {
    int width = 0;
    for (int32_t v : values) width = std::max(width, sb_width(v));
    if (width > limit) throw std::invalid_argument("swf record value too wide for its bit-count field");
    return width;
}

Matrix Matrix::translation(int32_t x, int32_t y) {
    Matrix m;
    m.translate_x = x;
    m.translate_y = y;
    return m;
}

Matrix Matrix::scaling(double sx, double sy, int32_t x, int32_t y) {
    Matrix m = translation(x, y);
    m.has_scale = true;
    m.scale_x = to_fixed16(sx);
    m.scale_y = to_fixed16(sy);
    return m;
}

void write_rgb(BitWriter& w, Rgba c) {
    w.u8(c.r);
    w.u8(c.g);
    w.u8(c.b);
}

void write_rgba(BitWriter& w, Rgba c) {
    write_rgb(w, c);
    w.u8(c.a);
}

void write_rect(BitWriter& w, const Rect& r) {
    w.align();
    const int bits = chosen_width(r.bits, {r.xmin, r.xmax, r.ymin, r.ymax}, max_rect_bits);
    w.ub(static_cast<uint32_t>(bits), rect_bits_field);
    for (int32_t v : {r.xmin, r.xmax, r.ymin, r.ymax}) w.sb(v, bits);
    w.align();
}

void write_matrix(BitWriter& w, const Matrix& m) {
    // Scale, rotation and translation: each a width field and two signed values of that width.
    auto write_pair = [&w](int asked_bits, int32_t first, int32_t second) {
        const int bits = chosen_width(asked_bits, {first, second}, max_matrix_bits);
        w.ub(static_cast<uint32_t>(bits), matrix_bits_field);
        w.sb(first, bits);
        w.sb(second, bits);
    };
    w.align();
    w.flag(m.has_scale);
    if (m.has_scale) write_pair(m.scale_bits, m.scale_x, m.scale_y);
    w.flag(m.has_rotate);
    if (m.has_rotate) write_pair(m.rotate_bits, m.rotate_skew0, m.rotate_skew1);
    write_pair(m.translate_bits, m.translate_x, m.translate_y);
    w.align();
}

void write_cxform(BitWriter& w, const CxForm& c, bool with_alpha) {
    w.align();
    const size_t terms = with_alpha ? 4 : 3;
    int bits = c.bits;
    if (bits == auto_bits) {
        bits = 0;
        for (size_t i = 0; i < terms; ++i) {
            if (c.has_mult) bits = std::max(bits, sb_width(c.mult[i]));
            if (c.has_add) bits = std::max(bits, sb_width(c.add[i]));
        }
        if (bits > max_cxform_bits) throw std::invalid_argument("swf cxform term too wide");
    }
    w.flag(c.has_add);
    w.flag(c.has_mult);
    w.ub(static_cast<uint32_t>(bits), cxform_bits_field);
    if (c.has_mult)
        for (size_t i = 0; i < terms; ++i) w.sb(c.mult[i], bits);
    if (c.has_add)
        for (size_t i = 0; i < terms; ++i) w.sb(c.add[i], bits);
    w.align();
}

}  // namespace swf
