#include "tools/swfwriter/filters.h"

namespace swf {

namespace {

void write_blur(BitWriter& w, const ShadowParams& p) {
    w.fixed16(p.blur_x);
    w.fixed16(p.blur_y);
}

void write_angle_distance(BitWriter& w, const ShadowParams& p) {
    w.fixed16(p.angle);
    w.fixed16(p.distance);
}

void write_strength_flags(BitWriter& w, const ShadowParams& p) {
    w.fixed8(p.strength);
    w.u8(p.flags);
}

Filter gradient_filter(FilterId id, const std::vector<GradientStop>& stops, const ShadowParams& p) {
    BitWriter w;
    w.u8(static_cast<uint8_t>(stops.size()));
    for (const GradientStop& s : stops) write_rgba(w, s.color);
    for (const GradientStop& s : stops) w.u8(s.ratio);
    write_blur(w, p);
    write_angle_distance(w, p);
    write_strength_flags(w, p);
    return {id, w.take()};
}

}  // namespace

Filter drop_shadow_filter(Rgba color, const ShadowParams& p) {
    BitWriter w;
    write_rgba(w, color);
    write_blur(w, p);
    write_angle_distance(w, p);
    write_strength_flags(w, p);
    return {filter_drop_shadow, w.take()};
}

Filter blur_filter(double blur_x, double blur_y, uint8_t passes) {
    constexpr int passes_shift = 3;  // five bits of passes above three reserved bits
    BitWriter w;
    w.fixed16(blur_x);
    w.fixed16(blur_y);
    w.u8(static_cast<uint8_t>(passes << passes_shift));
    return {filter_blur, w.take()};
}

Filter glow_filter(Rgba color, const ShadowParams& p) {
    BitWriter w;
    write_rgba(w, color);
    write_blur(w, p);
    write_strength_flags(w, p);
    return {filter_glow, w.take()};
}

Filter bevel_filter(Rgba shadow, Rgba highlight, const ShadowParams& p) {
    BitWriter w;
    write_rgba(w, shadow);
    write_rgba(w, highlight);
    write_blur(w, p);
    write_angle_distance(w, p);
    write_strength_flags(w, p);
    return {filter_bevel, w.take()};
}

Filter gradient_glow_filter(const std::vector<GradientStop>& stops, const ShadowParams& p) {
    return gradient_filter(filter_gradient_glow, stops, p);
}

Filter gradient_bevel_filter(const std::vector<GradientStop>& stops, const ShadowParams& p) {
    return gradient_filter(filter_gradient_bevel, stops, p);
}

Filter convolution_filter(uint8_t columns, uint8_t rows, float divisor, float bias,
                          const std::vector<float>& values, Rgba default_color, uint8_t flags) {
    BitWriter w;
    w.u8(columns);
    w.u8(rows);
    w.f32(divisor);
    w.f32(bias);
    for (float v : values) w.f32(v);
    write_rgba(w, default_color);
    w.u8(flags);
    return {filter_convolution, w.take()};
}

Filter color_matrix_filter(const std::vector<float>& values) {
    BitWriter w;
    for (float v : values) w.f32(v);
    return {filter_color_matrix, w.take()};
}

void write_filter_list(BitWriter& w, const std::vector<Filter>& filters) {
    w.u8(static_cast<uint8_t>(filters.size()));
    for (const Filter& f : filters) {
        w.u8(f.id);
        w.bytes(f.body);
    }
}

}  // namespace swf
