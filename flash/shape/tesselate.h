#pragma once
// Turning outlines into trapezoids: curves are flattened within an error tolerance, and the
// filled area is cut into horizontal trapezoids by a top-to-bottom sweep; stroked paths come out
// as line strips. Coordinates and the tolerance are twips.
#include <vector>

#include "flash/shape/geometry.h"

namespace flash {

struct path;

struct trapezoid {
    float m_y0 = 0.0f;   // top
    float m_y1 = 0.0f;   // bottom
    float m_lx0 = 0.0f;  // left x at y0
    float m_lx1 = 0.0f;  // left x at y1
    float m_rx0 = 0.0f;  // right x at y0
    float m_rx1 = 0.0f;  // right x at y1
};

namespace tesselate {

class trapezoid_accepter {
public:
    virtual ~trapezoid_accepter() = default;
    virtual void accept_trapezoid(int style, const trapezoid& tr) = 0;
    virtual void accept_line_strip(int style, const point coords[], int coord_count) = 0;
    // The shape needs more than one tesselation may take (more than limit of what): what was
    // accepted is to be dropped, and nothing more comes.
    virtual void refuse_shape(const char* /*what*/, long long /*limit*/) {}
};

class tesselating_shape {
public:
    virtual ~tesselating_shape() = default;
    virtual void tesselate(float error_tolerance, trapezoid_accepter* accepter) const = 0;
};

// Flattening never goes finer than this many twips: mesh coordinates are whole twips, so a finer
// tolerance only multiplies segments (an extreme scale would otherwise make them unbounded).
constexpr float min_tolerance = 0.1f;
// No curve is halved more often than this, whatever its size: at most 2^depth segments a curve.
constexpr int max_flatten_depth = 16;
// What one shape's tesselation may take, all its style groups together: flattened segments
// (memory), trapezoids handed on (the mesh's memory) and segments carried through the sweep's
// bands (time). A shape past any of them is refused (refuse_shape) and draws nothing.
constexpr int max_segments = 1 << 20;
constexpr int max_trapezoids = 1 << 19;
constexpr long long max_sweep_steps = 1LL << 23;
struct tesselation_limits {
    int segments = max_segments;
    int trapezoids = max_trapezoids;
    long long sweep_steps = max_sweep_steps;
};

// The sweep's state for one shape at a time. Style numbers here count from 0; -1 is none.
class tesselator {
public:
    explicit tesselator(const tesselation_limits& limits = {}) : m_limits(limits) {}

    void begin_shape(trapezoid_accepter* accepter, float curve_error_tolerance);
    void begin_path(int left_style, int right_style, int line_style, float ax, float ay);
    void add_line_segment(float ax, float ay);
    void add_curve_segment(float cx, float cy, float ax, float ay);
    void end_path();
    void end_shape();

    // Feeds one path (styles counted from 1 there) between begin_path and end_path. Style
    // numbers beyond the shape's style counts become none, so their runs are dropped here rather
    // than indexing past the style arrays when drawn.
    void add_path(const path& p, int fill_style_count, int line_style_count);

    float get_tolerance() const { return m_tolerance; }
    // A limit was passed: the accepter was told and the rest of the shape is dropped.
    bool is_over_limit() const { return m_over_limit; }

private:
    struct fill_segment {
        point m_begin;
        point m_end;
        int m_left_style = -1;
        int m_right_style = -1;
        int m_line_style = -1;
    };

    void flatten_curve(point p0, point p1, point p2, int depth);
    void output_current_segments();
    void peel_band(int i0, int i1, float y1);
    void refuse(const char* what, long long limit);

    tesselation_limits m_limits;
    trapezoid_accepter* m_accepter = nullptr;
    float m_tolerance = 1.0f;
    std::vector<fill_segment> m_segments;
    std::vector<fill_segment> m_slab;
    std::vector<point> m_path_points;
    point m_last_point;
    int m_left_style = -1;
    int m_right_style = -1;
    int m_line_style = -1;
    bool m_has_fill = false;
    // Counted over the whole shape, not reset by begin_shape.
    int m_segments_made = 0;
    int m_trapezoids_made = 0;
    long long m_sweep_steps = 0;
    bool m_over_limit = false;
};

// Feeds a shape's paths (separators start a new sub-shape) through a tesselator.
void tesselate_paths(const path* paths, int count, int fill_style_count, int line_style_count, float error_tolerance,
                     trapezoid_accepter* accepter, const tesselation_limits& limits = {});

}  // namespace tesselate

// The flattening tolerance in screen pixels from which a display derives its tolerance in twips;
// stored within 1e-6 .. 1e6 (NaN stores the upper end).
constexpr float min_curve_pixel_error = 1e-6f;
constexpr float max_curve_pixel_error = 1e6f;
void set_curve_max_pixel_error(float pixels);
float get_curve_max_pixel_error();

namespace tesselate {

}  // namespace tesselate

}  // namespace flash
