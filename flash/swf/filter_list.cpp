#include "flash/swf/filter_list.h"

#include "flash/base/log.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

enum filter_id {
    DROP_SHADOW = 0,
    BLUR = 1,
    GLOW = 2,
    BEVEL = 3,
    GRADIENT_GLOW = 4,
    CONVOLUTION = 5,
    COLOR_MATRIX = 6,
    GRADIENT_BEVEL = 7,
};

constexpr int rgba_bytes = 4;
constexpr int fixed_bytes = 4;
constexpr int float_bytes = 4;
// Strength and the flag bits that close the shadow, glow, bevel and gradient filters.
constexpr int trailer_bytes = 3;
constexpr int color_matrix_values = 20;

void skip(swf_stream* in, int bytes) {
    for (int i = 0; i < bytes && !in->has_overrun(); ++i) in->read_u8();
}

// Colour count, colours, ratios, blur x/y, angle, distance, then the trailer.
void skip_gradient_filter(swf_stream* in) {
    const int colours = in->read_u8();
    skip(in, colours * (rgba_bytes + 1) + 4 * fixed_bytes + trailer_bytes);
}

}  // namespace

void read_filter_list(swf_stream* in) {
    const int count = in->read_u8();
    for (int i = 0; i < count && !in->has_overrun(); ++i) {
        const int id = in->read_u8();
        const char* name = nullptr;
        switch (id) {
        case DROP_SHADOW:
            skip(in, rgba_bytes + 4 * fixed_bytes + trailer_bytes);
            name = "DropShadowFilter";
            break;
        case BLUR:
            skip(in, 2 * fixed_bytes + 1);
            name = "BlurFilter";
            break;
        case GLOW:
            skip(in, rgba_bytes + 2 * fixed_bytes + trailer_bytes);
            name = "GlowFilter";
            break;
        case BEVEL:
            skip(in, 2 * rgba_bytes + 4 * fixed_bytes + trailer_bytes);
            name = "BevelFilter";
            break;
        case GRADIENT_GLOW:
            skip_gradient_filter(in);
            name = "GradientGlowFilter";
            break;
        case CONVOLUTION: {
            const int columns = in->read_u8();
            const int rows = in->read_u8();
            skip(in, 2 * float_bytes + columns * rows * float_bytes + rgba_bytes + 1);
            name = "ConvolutionFilter";
            break;
        }
        case COLOR_MATRIX:
            skip(in, color_matrix_values * float_bytes);
            name = "ColorMatrixFilter";
            break;
        case GRADIENT_BEVEL:
            skip_gradient_filter(in);
            name = "GradientBevelFilter";
            break;
        default:
            // Unknown filters have no body we could know the size of.
            break;
        }
        if (name && get_verbose_parse()) log_msg("  filter = %s\n", name);
    }
}

}  // namespace flash
