#include "flash/render/d3d/texture_sizing.h"

#include <algorithm>
#include <cmath>

#include "core/cvar_catalogue.h"
#include "flash/shape/geometry.h"

namespace flash {

namespace {

// The search that brings the dependent side of a fitted texture close to a whole number.
constexpr int aspect_search_steps = 1000;
constexpr double aspect_tolerance = 0.1;

bool is_power_of_two(int s) { return s > 0 && (s & (s - 1)) == 0; }

int round_side(int s, float rule) {
    if (rule < 0.0f || is_power_of_two(s)) return s;
    int p = 1;
    while (p < s && p < max_texture_side) p *= 2;
    return rule > 0.0f ? p : std::max(1, p / 2);
}

// A float side as a usable integer: NaN and sizes below one pixel give 1.
int clamp_side(double s) {
    if (!(s >= 1.0)) return 1;
    return static_cast<int>(std::min(s, static_cast<double>(max_texture_side)));
}

// Steps the limited side down a pixel at a time until the other side, given by the ratio,
// lies within the tolerance of a whole number; keeps the given pair when no step finds one.
void settle_aspect(double ratio, bool width_limited, int& width, int& height) {
    int& fixed = width_limited ? width : height;
    for (int step = 0; step < aspect_search_steps && fixed - step >= 1; ++step) {
        const double side = fixed - step;
        const double other = width_limited ? side / ratio : side * ratio;
        const double whole = std::round(other);
        if (whole >= 1.0 && std::fabs(other - whole) <= aspect_tolerance) {
            fixed = static_cast<int>(side);
            (width_limited ? height : width) = static_cast<int>(whole);
            return;
        }
    }
}

}  // namespace

texture_size fit_texture_size(int image_width, int image_height, const texture_size_rules& rules) {
    texture_size out;
    out.plain_format = rules.power_rule < 0.0f;
    const int w = std::clamp(image_width, 1, max_texture_side);
    const int h = std::clamp(image_height, 1, max_texture_side);
    const double factor = finite_or_zero(rules.resize_factor);
    double tw = clamp_side(round_side(w, rules.power_rule) * factor);
    double th = clamp_side(round_side(h, rules.power_rule) * factor);

    const double max_w = finite_or_zero(rules.max_width), max_h = finite_or_zero(rules.max_height);
    if (rules.fit && (max_w > 0.0 || max_h > 0.0)) {
        const bool wide = max_w > 0.0 && tw > max_w, high = max_h > 0.0 && th > max_h;
        const double ratio = tw / th;
        if (wide || high) {
            const double shrink = finite_or_zero(rules.shrink);
            tw *= shrink;
            th *= shrink;
        }
        bool width_limited = false, height_limited = false;
        if (max_w > 0.0 && tw > max_w) {
            tw = max_w;
            th = max_w / ratio;
            width_limited = true;
        }
        if (max_h > 0.0 && th > max_h) {
            th = max_h;
            tw = ratio * max_h;
            height_limited = true;
            width_limited = false;
        }
        int iw = clamp_side(tw), ih = clamp_side(th);
        if (width_limited || height_limited) settle_aspect(ratio, width_limited, iw, ih);
        out.width = iw;
        out.height = ih;
        return out;
    }
    out.width = static_cast<int>(tw);
    out.height = static_cast<int>(th);
    return out;
}

texture_size_rules texture_size_rules_from_settings(bool fit) {
    texture_size_rules rules;
    rules.max_width = d_TextureMaxSize->value.f[0];
    rules.max_height = d_TextureMaxSize->value.f[1];
    rules.power_rule = d_TextureMaxSize->value.f[2];
    rules.shrink = d_TextureCoef->value.f[0];
    rules.resize_factor = d_ResizeTextureFactor->value.f[0];
    rules.fit = fit;
    return rules;
}

}  // namespace flash
