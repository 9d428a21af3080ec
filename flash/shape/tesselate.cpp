// Curve flattening and the trapezoid sweep.
#include "flash/shape/tesselate.h"

#include <algorithm>
#include <cmath>

#include "flash/shape/path.h"

namespace flash {
namespace tesselate {

namespace {

point midpoint(const point& a, const point& b) { return point(a.m_x * 0.5f + b.m_x * 0.5f, a.m_y * 0.5f + b.m_y * 0.5f); }

}  // namespace

void tesselator::begin_shape(trapezoid_accepter* accepter, float curve_error_tolerance) {
    m_accepter = accepter;
    m_segments.clear();
    m_path_points.clear();
    // NaN fails the comparison and takes the default too.
    m_tolerance = curve_error_tolerance > 0.0f ? std::max(curve_error_tolerance, min_tolerance) : 1.0f;
    m_left_style = -1;
    m_right_style = -1;
    m_line_style = -1;
    m_has_fill = false;
}

void tesselator::begin_path(int left_style, int right_style, int line_style, float ax, float ay) {
    m_left_style = left_style;
    m_right_style = right_style;
    m_line_style = line_style;
    m_last_point = point(ax, ay);
    m_path_points.clear();
    m_path_points.push_back(m_last_point);
    if (left_style != -1 || right_style != -1) m_has_fill = true;
}

void tesselator::refuse(const char* what, long long limit) {
    if (m_over_limit) return;
    m_over_limit = true;
    m_segments.clear();
    m_path_points.clear();
    if (m_accepter) m_accepter->refuse_shape(what, limit);
}

void tesselator::add_line_segment(float ax, float ay) {
    if (m_over_limit) return;
    if (++m_segments_made > m_limits.segments) {
        refuse("segments", m_limits.segments);
        return;
    }
    fill_segment s;
    s.m_begin = m_last_point;
    s.m_end = point(ax, ay);
    s.m_left_style = m_left_style;
    s.m_right_style = m_right_style;
    s.m_line_style = m_line_style;
    // Left and right are as seen going toward larger y.
    if (s.m_end.m_y < s.m_begin.m_y) {
        std::swap(s.m_begin, s.m_end);
        std::swap(s.m_left_style, s.m_right_style);
    }
    m_segments.push_back(s);
    m_last_point = point(ax, ay);
    m_path_points.push_back(m_last_point);
}

void tesselator::add_curve_segment(float cx, float cy, float ax, float ay) {
    if (cx == ax && cy == ay) {
        add_line_segment(ax, ay);
        return;
    }
    flatten_curve(m_last_point, point(cx, cy), point(ax, ay), 0);
}

void tesselator::flatten_curve(point p0, point p1, point p2, int depth) {
    if (m_over_limit) return;
    const point mid = midpoint(p0, p2);
    const point q = midpoint(p1, mid);
    const float d = std::fabs(mid.m_x - q.m_x) + std::fabs(mid.m_y - q.m_y);
    // A NaN distance is not below the tolerance either; the depth cap ends it.
    if (d < m_tolerance || depth >= max_flatten_depth) {
        add_line_segment(p2.m_x, p2.m_y);
        return;
    }
    flatten_curve(p0, midpoint(p0, p1), q, depth + 1);
    flatten_curve(q, midpoint(p1, p2), p2, depth + 1);
}

void tesselator::end_path() {
    if (m_accepter && !m_over_limit && m_line_style >= 0 && m_path_points.size() > 1) {
        m_accepter->accept_line_strip(m_line_style, m_path_points.data(), static_cast<int>(m_path_points.size()));
    }
    m_path_points.clear();
}

void tesselator::end_shape() {
    output_current_segments();
    m_accepter = nullptr;
    m_path_points.clear();
}

void tesselator::add_path(const path& p, int fill_style_count, int line_style_count) {
    auto checked = [](int style, int count) { return style >= 1 && style <= count ? style - 1 : -1; };
    begin_path(checked(p.m_fill0, fill_style_count), checked(p.m_fill1, fill_style_count), checked(p.m_line, line_style_count),
               p.m_ax, p.m_ay);
    for (int i = 0; i < p.m_edges.size(); ++i) {
        const edge& e = p.m_edges[i];
        add_curve_segment(e.m_cx, e.m_cy, e.m_ax, e.m_ay);
    }
    end_path();
}

void tesselator::output_current_segments() {
    if (m_has_fill && !m_segments.empty() && m_accepter) {
        auto by_top = [](const fill_segment& a, const fill_segment& b) {
            if (a.m_begin.m_y != b.m_begin.m_y) return a.m_begin.m_y < b.m_begin.m_y;
            return a.m_end.m_y - a.m_begin.m_y < b.m_end.m_y - b.m_begin.m_y;
        };
        std::sort(m_segments.begin(), m_segments.end(), by_top);
        const int count = static_cast<int>(m_segments.size());
        int base = 0;
        while (base < count && !m_over_limit) {
            const float y0 = m_segments[base].m_begin.m_y;
            int next = base + 1;
            while (next < count && m_segments[next].m_begin.m_y <= y0) ++next;
            m_sweep_steps += next - base;
            if (m_sweep_steps > m_limits.sweep_steps) {
                refuse("sweep steps", m_limits.sweep_steps);
                return;
            }
            std::sort(m_segments.begin() + base, m_segments.begin() + next, by_top);
            if (next == count || m_segments[base].m_end.m_y <= m_segments[next].m_begin.m_y) {
                const float y1 = m_segments[base].m_end.m_y;
                if (y1 != y0) peel_band(base, next, y1);
                while (base < count && m_segments[base].m_end.m_y <= y1) ++base;
            } else {
                const float y1 = m_segments[next].m_begin.m_y;
                if (y1 != y0) peel_band(base, next, y1);
            }
        }
    }
    m_segments.clear();
}

void tesselator::peel_band(int i0, int i1, float y1) {
    m_slab.clear();
    for (int i = i0; i < i1; ++i) {
        fill_segment& s = m_segments[i];
        const float dy = s.m_end.m_y - s.m_begin.m_y;
        const double t = dy > 0.0f ? (static_cast<double>(y1) - s.m_begin.m_y) / dy : 1.0;
        // In doubles and stored finite: a NaN would break the slab's ordering.
        const float x = finite_or_zero(s.m_begin.m_x + (static_cast<double>(s.m_end.m_x) - s.m_begin.m_x) * t);
        fill_segment piece = s;
        piece.m_end = point(x, y1);
        m_slab.push_back(piece);
        s.m_begin = point(x, y1);
    }
    std::sort(m_slab.begin(), m_slab.end(), [](const fill_segment& a, const fill_segment& b) {
        if (a.m_begin.m_x != b.m_begin.m_x) return a.m_begin.m_x < b.m_begin.m_x;
        return a.m_end.m_x < b.m_end.m_x;
    });
    const int n = static_cast<int>(m_slab.size());
    if (n == 0) return;
    // When the leftmost edge has only a right fill, the right styles describe the whole slab.
    const bool use_right = m_slab[0].m_left_style == -1 && m_slab[0].m_right_style >= 0;
    for (int k = 0; k + 1 < n; ++k) {
        const int style = use_right ? m_slab[k].m_right_style : m_slab[k].m_left_style;
        if (style < 0) continue;
        if (++m_trapezoids_made > m_limits.trapezoids) {
            refuse("trapezoids", m_limits.trapezoids);
            return;
        }
        trapezoid tr;
        tr.m_y0 = m_slab[k].m_begin.m_y;
        tr.m_y1 = m_slab[k].m_end.m_y;
        tr.m_lx0 = m_slab[k].m_begin.m_x;
        tr.m_lx1 = m_slab[k].m_end.m_x;
        tr.m_rx0 = m_slab[k + 1].m_begin.m_x;
        tr.m_rx1 = m_slab[k + 1].m_end.m_x;
        m_accepter->accept_trapezoid(style, tr);
    }
}

void tesselate_paths(const path* paths, int count, int fill_style_count, int line_style_count, float error_tolerance,
                     trapezoid_accepter* accepter, const tesselation_limits& limits) {
    tesselator t(limits);
    t.begin_shape(accepter, error_tolerance);
    for (int i = 0; i < count && !t.is_over_limit(); ++i) {
        if (paths[i].m_new_shape) {
            // Style groups never share one sweep.
            t.end_shape();
            t.begin_shape(accepter, error_tolerance);
        }
        // A read shape's group separator has no edges; a run-time drawing's first path of a
        // fill carries the fill's edges and must be drawn.
        t.add_path(paths[i], fill_style_count, line_style_count);
    }
    t.end_shape();
}

}  // namespace tesselate

namespace {

float s_curve_max_pixel_error = 1.0f;

}  // namespace

void set_curve_max_pixel_error(float pixels) {
    if (pixels <= min_curve_pixel_error) {
        s_curve_max_pixel_error = min_curve_pixel_error;
    } else if (pixels < max_curve_pixel_error) {
        s_curve_max_pixel_error = pixels;
    } else {
        s_curve_max_pixel_error = max_curve_pixel_error;
    }
}

float get_curve_max_pixel_error() { return s_curve_max_pixel_error; }

}  // namespace flash
