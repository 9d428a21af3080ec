#pragma once
// The MATRIX and CXFORM records as the file stores them, before they become the engine's
// transforms (flash/shape turns them into `matrix` and `cxform`).
#include <cstdint>

namespace flash {

class swf_stream;

// Scale and rotate-skew terms are 16.16 fixed point, the translation is in twips; a record
// without scale or rotate terms leaves them absent (the identity's).
struct swf_matrix {
    bool has_scale = false;
    int32_t scale_x = 0;
    int32_t scale_y = 0;
    bool has_rotate = false;
    int32_t rotate_skew0 = 0;
    int32_t rotate_skew1 = 0;
    int32_t translate_x = 0;
    int32_t translate_y = 0;
};

// Per channel (red, green, blue, and alpha in CXFORMWITHALPHA) a multiplier and an addend, each
// present only when its flag says so.
struct swf_cxform {
    static constexpr int max_channels = 4;
    int channels = 3;
    bool has_mult = false;
    bool has_add = false;
    int32_t mult[max_channels] = {};
    int32_t add[max_channels] = {};
};

// Byte-aligned starts, then bit fields; a record cut by the tag's end reads zeros there.
void read_matrix(swf_stream* in, swf_matrix* out);
void read_cxform(swf_stream* in, bool with_alpha, swf_cxform* out);

}  // namespace flash
