// Edges and the path point test. The test works in doubles so that coordinates near the float
// range cannot overflow into infinities and NaN crossings.
#include "flash/shape/path.h"

#include <cmath>

#include "flash/shape/geometry.h"

namespace flash {

edge::edge(float cx, float cy, float ax, float ay)
    : m_cx(finite_or_zero(cx)), m_cy(finite_or_zero(cy)), m_ax(finite_or_zero(ax)), m_ay(finite_or_zero(ay)) {}

namespace {

// Whether a straight edge from (x0, y0) to (x1, y1) crosses the ray strictly right of (x, y).
// The anchor end is included and the start end excluded, so a shared vertex counts once.
bool straight_crossing(double x0, double y0, double x1, double y1, double x, double y) {
    const bool downward = y0 < y && y <= y1;
    const bool upward = y1 <= y && y < y0;
    if (!downward && !upward) return false;
    const double dy = y1 - y0;
    const double left = (x1 - x0) * (y - y0) + dy * x0;
    const double right = x * dy;
    return downward ? left > right : left < right;
}

double curve_x(double x0, double cx, double x1, double t) { return (x0 + x1 - 2.0 * cx) * t * t + 2.0 * (cx - x0) * t + x0; }

// Crossings of the ray with the quadratic from (x0, y0) through (cx, cy) to (x1, y1).
int curve_crossings(double x0, double y0, double cx, double cy, double x1, double y1, double x, double y) {
    if (y0 < y && y1 < y && cy < y) return 0;
    if (y0 > y && y1 > y && cy > y) return 0;
    if (x0 < x && x1 < x && cx < x) return 0;
    const double a = y0 + y1 - 2.0 * cy;
    const double b = 2.0 * (cy - y0);
    const double k = y0 - y;
    const double disc = b * b - 4.0 * a * k;
    if (!(disc >= 0.0)) return 0;
    const double s = std::sqrt(disc);
    // The stable form: q first, then q / a and k / q, so a curve straight in y still has its root.
    const double q = b >= 0.0 ? -0.5 * (b + s) : -0.5 * (b - s);
    int count = 0;
    if (a != 0.0) {
        const double t1 = q / a;
        if (t1 >= 0.0 && t1 < 1.0 && x < curve_x(x0, cx, x1, t1)) ++count;
    }
    if (q != 0.0) {
        const double t2 = k / q;
        if (t2 >= 0.0 && t2 < 1.0 && curve_x(x0, cx, x1, t2) > x) ++count;
    }
    return count;
}

}  // namespace

bool path::point_test(float x, float y) const {
    if (is_empty() || m_fill0 < 0) return false;
    int crossings = 0;
    double x0 = m_ax;
    double y0 = m_ay;
    for (int i = 0; i < m_edges.size(); ++i) {
        const edge& e = m_edges[i];
        if (e.is_straight()) {
            if (straight_crossing(x0, y0, e.m_ax, e.m_ay, x, y)) ++crossings;
        } else {
            crossings += curve_crossings(x0, y0, e.m_cx, e.m_cy, e.m_ax, e.m_ay, x, y);
        }
        x0 = e.m_ax;
        y0 = e.m_ay;
    }
    return (crossings & 1) != 0;
}

}  // namespace flash
