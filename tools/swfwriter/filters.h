#pragma once
// Bitmap filters of PlaceObject3 and DefineButton2 records: each builder lays out one filter's
// body exactly as the FILTER record holds it.
#include <cstdint>
#include <vector>

#include "tools/swfwriter/bit_writer.h"
#include "tools/swfwriter/records.h"

namespace swf {

enum FilterId : uint8_t {
    filter_drop_shadow = 0,
    filter_blur = 1,
    filter_glow = 2,
    filter_bevel = 3,
    filter_gradient_glow = 4,
    filter_convolution = 5,
    filter_color_matrix = 6,
    filter_gradient_bevel = 7,
};

struct Filter {
    uint8_t id = 0;
    Bytes body;
};

// Blur, angle and distance are 16.16 values, strength is 8.8; `flags` is the byte after the
// strength (inner, knockout, composite source, [on top,] passes in its low bits).
struct ShadowParams {
    double blur_x = 4, blur_y = 4, angle = 0, distance = 0, strength = 1;
    uint8_t flags = 0;
};

struct GradientStop {
    Rgba color;
    uint8_t ratio = 0;
};

Filter drop_shadow_filter(Rgba color, const ShadowParams& p);
Filter blur_filter(double blur_x, double blur_y, uint8_t passes);
Filter glow_filter(Rgba color, const ShadowParams& p);
Filter bevel_filter(Rgba shadow, Rgba highlight, const ShadowParams& p);
// Colours first, then ratios, then the shadow parameters.
Filter gradient_glow_filter(const std::vector<GradientStop>& stops, const ShadowParams& p);
Filter gradient_bevel_filter(const std::vector<GradientStop>& stops, const ShadowParams& p);
// `values` holds columns × rows floats; `flags` holds clamp (bit 1) and preserve alpha (bit 0).
Filter convolution_filter(uint8_t columns, uint8_t rows, float divisor, float bias,
                          const std::vector<float>& values, Rgba default_color, uint8_t flags);
Filter color_matrix_filter(const std::vector<float>& values);

// FILTERLIST: a count byte, then each filter's id and body.
void write_filter_list(BitWriter& w, const std::vector<Filter>& filters);

}  // namespace swf
