// The SWF records of the geometry and colour values.
#include "flash/shape/geometry.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

constexpr int matrix_bits_field = 5;
constexpr int cxform_bits_field = 4;
constexpr double matrix_fixed_scale = 65536.0;
constexpr double cxform_rgb_scale = 255.0;
constexpr double cxform_rgba_scale = 256.0;

void read_cxform(swf_stream* in, cxform* c, int channels, double mult_scale) {
    in->align();
    const bool has_add = in->read_bool();
    const bool has_mult = in->read_bool();
    const int bits = static_cast<int>(in->read_uint(cxform_bits_field));
    c->set_identity();
    if (has_mult) {
        for (int k = 0; k < channels; ++k) c->m_[k][0] = finite_or_zero(in->read_sint(bits) / mult_scale);
    }
    if (has_add) {
        for (int k = 0; k < channels; ++k) c->m_[k][1] = finite_or_zero(static_cast<double>(in->read_sint(bits)));
    }
}

}  // namespace

void rect::read(swf_stream* in) {
    in->align();
    const int bits = static_cast<int>(in->read_uint(matrix_bits_field));
    m_x_min = static_cast<float>(in->read_sint(bits));
    m_x_max = static_cast<float>(in->read_sint(bits));
    m_y_min = static_cast<float>(in->read_sint(bits));
    m_y_max = static_cast<float>(in->read_sint(bits));
}

void matrix::read(swf_stream* in) {
    in->align();
    set_identity();
    if (in->read_bool()) {
        const int bits = static_cast<int>(in->read_uint(matrix_bits_field));
        m_[0][0] = finite_or_zero(in->read_sint(bits) / matrix_fixed_scale);
        m_[1][1] = finite_or_zero(in->read_sint(bits) / matrix_fixed_scale);
    }
    if (in->read_bool()) {
        const int bits = static_cast<int>(in->read_uint(matrix_bits_field));
        m_[1][0] = finite_or_zero(in->read_sint(bits) / matrix_fixed_scale);
        m_[0][1] = finite_or_zero(in->read_sint(bits) / matrix_fixed_scale);
    }
    const int bits = static_cast<int>(in->read_uint(matrix_bits_field));
    if (bits > 0) {
        m_[0][2] = finite_or_zero(static_cast<double>(in->read_sint(bits)));
        m_[1][2] = finite_or_zero(static_cast<double>(in->read_sint(bits)));
    }
}

void cxform::read_rgb(swf_stream* in) { read_cxform(in, this, 3, cxform_rgb_scale); }

void cxform::read_rgba(swf_stream* in) { read_cxform(in, this, 4, cxform_rgba_scale); }

void rgba::read(swf_stream* in, int tag_type) {
    if (tag_type <= last_rgb_colour_tag) {
        read_rgb(in);
    } else {
        read_rgba(in);
    }
}

void rgba::read_rgb(swf_stream* in) {
    m_r = in->read_u8();
    m_g = in->read_u8();
    m_b = in->read_u8();
    m_a = 255;
}

void rgba::read_rgba(swf_stream* in) {
    read_rgb(in);
    m_a = in->read_u8();
}

}  // namespace flash
