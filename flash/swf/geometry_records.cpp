#include "flash/swf/geometry_records.h"

#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

constexpr int matrix_bits_field = 5;
constexpr int cxform_bits_field = 4;

}  // namespace

void read_matrix(swf_stream* in, swf_matrix* out) {
    *out = swf_matrix();
    in->align();
    out->has_scale = in->read_bool();
    if (out->has_scale) {
        const int bits = static_cast<int>(in->read_uint(matrix_bits_field));
        out->scale_x = in->read_sint(bits);
        out->scale_y = in->read_sint(bits);
    }
    out->has_rotate = in->read_bool();
    if (out->has_rotate) {
        const int bits = static_cast<int>(in->read_uint(matrix_bits_field));
        out->rotate_skew0 = in->read_sint(bits);
        out->rotate_skew1 = in->read_sint(bits);
    }
    const int bits = static_cast<int>(in->read_uint(matrix_bits_field));
    if (bits > 0) {
        out->translate_x = in->read_sint(bits);
        out->translate_y = in->read_sint(bits);
    }
}

void read_cxform(swf_stream* in, bool with_alpha, swf_cxform* out) {
    *out = swf_cxform();
    out->channels = with_alpha ? swf_cxform::max_channels : swf_cxform::max_channels - 1;
    in->align();
    out->has_add = in->read_bool();
    out->has_mult = in->read_bool();
    const int bits = static_cast<int>(in->read_uint(cxform_bits_field));
    if (out->has_mult) {
        for (int k = 0; k < out->channels; ++k) out->mult[k] = in->read_sint(bits);
    }
    if (out->has_add) {
        for (int k = 0; k < out->channels; ++k) out->add[k] = in->read_sint(bits);
    }
}

}  // namespace flash
