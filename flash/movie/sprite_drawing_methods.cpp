// The MovieClip drawing methods over the clip's canvas.
#include <algorithm>
#include <cmath>

#include "flash/movie/canvas_def.h"
#include "flash/movie/sprite_instance.h"
#include "flash/movie/sprite_methods.h"
#include "flash/runtime/as_function.h"

namespace flash {

namespace {

constexpr int point_args = 2;
constexpr int curve_args = 4;
constexpr double max_line_pixels = 255.0;
constexpr double max_alpha_percent = 100.0;
constexpr double alpha_percent_to_byte = 255.0 / 100.0;
constexpr uint8_t opaque = 255;

// A script number held to a range; NaN gives the low end.
double clamped(double value, double low, double high) {
    if (!(value == value)) return low;
    return std::clamp(value, low, high);
}

}  // namespace

canvas* get_sprite_canvas(sprite_instance* clip) {
    if (!clip) return nullptr;
    if (canvas_def* existing = clip->get_canvas()) return existing->get_canvas();
    smart_ptr<canvas_def> made(new canvas_def);
    clip->set_canvas(made.get_ptr());
    return made->get_canvas();
}

void sprite_begin_fill(const fn_call& fn) {
    canvas* c = get_sprite_canvas(sprite_method_target(fn));
    if (!c) return;
    rgba color;
    color.set(fn.arg(0).to_number());
    color.m_a = opaque;
    c->begin_fill(color);
}

void sprite_end_fill(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    if (!clip || !clip->get_canvas()) return;
    canvas* c = clip->get_canvas()->get_canvas();
    if (c->get_current_fill() > 0) c->end_fill();
}

void sprite_line_to(const fn_call& fn) {
    if (fn.arg_count < point_args) return;
    canvas* c = get_sprite_canvas(sprite_method_target(fn));
    if (c) c->line_to(pixels_to_canvas_twips(fn.arg(0).to_number()), pixels_to_canvas_twips(fn.arg(1).to_number()));
}

void sprite_move_to(const fn_call& fn) {
    if (fn.arg_count < point_args) return;
    canvas* c = get_sprite_canvas(sprite_method_target(fn));
    if (c) c->move_to(pixels_to_canvas_twips(fn.arg(0).to_number()), pixels_to_canvas_twips(fn.arg(1).to_number()));
}

void sprite_curve_to(const fn_call& fn) {
    if (fn.arg_count < curve_args) return;
    canvas* c = get_sprite_canvas(sprite_method_target(fn));
    if (!c) return;
    c->curve_to(pixels_to_canvas_twips(fn.arg(0).to_number()), pixels_to_canvas_twips(fn.arg(1).to_number()),
                pixels_to_canvas_twips(fn.arg(2).to_number()), pixels_to_canvas_twips(fn.arg(3).to_number()));
}

void sprite_clear(const fn_call& fn) {
    sprite_instance* clip = sprite_method_target(fn);
    if (clip) clip->set_canvas(nullptr);
}

void sprite_line_style(const fn_call& fn) {
    canvas* c = get_sprite_canvas(sprite_method_target(fn));
    if (!c) return;
    if (fn.arg_count < 1) {
        c->clear_line_style();
        return;
    }
    const double thickness = clamped(fn.arg(0).to_number(), 0.0, max_line_pixels);
    rgba color(0, 0, 0, opaque);
    if (fn.arg_count >= 2) color.set(fn.arg(1).to_number());
    if (fn.arg_count >= 3)
        color.m_a = static_cast<uint8_t>(clamped(fn.arg(2).to_number(), 0.0, max_alpha_percent) * alpha_percent_to_byte);
    c->set_line_style(static_cast<uint16_t>(std::lround(thickness * twips_per_pixel)), color);
}

}  // namespace flash
