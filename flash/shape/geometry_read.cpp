// The geometry and colour values from their SWF records.
#include "flash/shape/geometry.h"
#include "flash/swf/geometry_records.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

constexpr int rect_bits_field = 5;
constexpr double matrix_fixed_scale = 65536.0;
constexpr double cxform_rgb_scale = 255.0;
constexpr double cxform_rgba_scale = 256.0;

}  // namespace

void rect::read(swf_stream* in) {
    in->align();
    const int bits = static_cast<int>(in->read_uint(rect_bits_field));
    m_x_min = static_cast<float>(in->read_sint(bits));
    m_x_max = static_cast<float>(in->read_sint(bits));
    m_y_min = static_cast<float>(in->read_sint(bits));
    m_y_max = static_cast<float>(in->read_sint(bits));
}

void matrix::set(const swf_matrix& record) {
    set_identity();
    if (record.has_scale) {
        m_[0][0] = finite_or_zero(record.scale_x / matrix_fixed_scale);
        m_[1][1] = finite_or_zero(record.scale_y / matrix_fixed_scale);
    }
    if (record.has_rotate) {
        m_[1][0] = finite_or_zero(record.rotate_skew0 / matrix_fixed_scale);
        m_[0][1] = finite_or_zero(record.rotate_skew1 / matrix_fixed_scale);
    }
    m_[0][2] = finite_or_zero(static_cast<double>(record.translate_x));
    m_[1][2] = finite_or_zero(static_cast<double>(record.translate_y));
}

void matrix::read(swf_stream* in) {
    swf_matrix record;
    read_matrix(in, &record);
    set(record);
}

void cxform::set(const swf_cxform& record) {
    set_identity();
    // CXFORM multipliers are taken over 255, those with alpha over 256.
    const double mult_scale = record.channels == swf_cxform::max_channels ? cxform_rgba_scale : cxform_rgb_scale;
    if (record.has_mult) {
        for (int k = 0; k < record.channels; ++k) m_[k][0] = finite_or_zero(record.mult[k] / mult_scale);
    }
    if (record.has_add) {
        for (int k = 0; k < record.channels; ++k) m_[k][1] = finite_or_zero(static_cast<double>(record.add[k]));
    }
}

void cxform::read_rgb(swf_stream* in) {
    swf_cxform record;
    read_cxform(in, false, &record);
    set(record);
}

void cxform::read_rgba(swf_stream* in) {
    swf_cxform record;
    read_cxform(in, true, &record);
    set(record);
}

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
