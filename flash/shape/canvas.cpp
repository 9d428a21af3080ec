// Run-time drawing: each call appends to the paths and styles of the canvas shape.
#include "flash/shape/canvas.h"

#include <limits>

namespace flash {

namespace {

constexpr float empty_bound_min = std::numeric_limits<float>::max();
constexpr float empty_bound_max = -std::numeric_limits<float>::max();

}  // namespace

float pixels_to_canvas_twips(double pixels) {
    const double twips = pixels * twips_per_pixel;
    if (!(twips == twips)) return 0.0f;
    constexpr double largest = std::numeric_limits<float>::max();
    if (twips >= largest) return std::numeric_limits<float>::max();
    if (twips <= -largest) return -std::numeric_limits<float>::max();
    return static_cast<float>(twips);
}

canvas::canvas() {
    m_bound.m_x_min = m_bound.m_y_min = empty_bound_min;
    m_bound.m_x_max = m_bound.m_y_max = empty_bound_max;
}

void canvas::begin_fill(const rgba& color) {
    fill_style style;
    style.m_type = fill_solid;
    style.m_color = color;
    m_fill_styles.push_back(style);
    m_current_fill = m_fill_styles.size();
    start_path(true);
}

void canvas::end_fill() {
    if (m_current_path >= 0) close_path();
    m_current_fill = 0;
    m_current_path = -1;
    invalidate_cache();
}

void canvas::set_line_style(uint16_t width, const rgba& color) {
    line_style style;
    style.m_width = width;
    style.m_color = color;
    m_line_styles.push_back(style);
    m_current_line = m_line_styles.size();
    start_path(false);
}

void canvas::clear_line_style() {
    m_current_line = 0;
    start_path(false);
}

void canvas::move_to(float x, float y) {
    if (x == m_pen_x && y == m_pen_y) return;
    m_pen_x = x;
    m_pen_y = y;
    start_path(false);
}

void canvas::line_to(float x, float y) { add_edge(edge(x, y, x, y)); }

void canvas::curve_to(float cx, float cy, float ax, float ay) { add_edge(edge(cx, cy, ax, ay)); }

void canvas::add_edge(const edge& e) {
    if (m_current_path < 0) start_path(true);
    m_pen_x = e.m_ax;
    m_pen_y = e.m_ay;
    m_paths[m_current_path].m_edges.push_back(e);
    m_bound.expand_to_point(e.m_ax, e.m_ay);
    invalidate_cache();
}

void canvas::start_path(bool new_shape) {
    if (m_current_path >= 0 && m_current_fill > 0) close_path();
    path p(m_current_fill, 0, m_current_line, m_pen_x, m_pen_y);
    p.m_new_shape = new_shape;
    m_paths.push_back(p);
    m_current_path = m_paths.size() - 1;
    m_bound.expand_to_point(m_pen_x, m_pen_y);
    invalidate_cache();
}

void canvas::close_path() {
    path& p = m_paths[m_current_path];
    if (p.m_edges.size() == 0) return;
    const edge& last = p.m_edges[p.m_edges.size() - 1];
    if (last.m_ax != p.m_ax || last.m_ay != p.m_ay) p.m_edges.push_back(edge(p.m_ax, p.m_ay, p.m_ax, p.m_ay));
}

}  // namespace flash
