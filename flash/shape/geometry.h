#pragma once
// The engine's small value types for placing and colouring what it draws: the 2x3 affine
// transform, the colour transform, the rectangle, the point and the 8-bit colour. Lengths are
// twips (1/20 pixel), angles radians, colour channels 0..255. Results that can leave the float
// range are stored through finite_or_zero so a bad record or product never spreads NaN.
#include <cstdint>

#include "flash/swf/tag_codes.h"

namespace flash {

class swf_stream;
struct swf_cxform;
struct swf_matrix;

constexpr float twips_per_pixel = 20.0f;
constexpr float pixels_per_twip = 1.0f / twips_per_pixel;

// NaN and values beyond the largest finite float become 0.
float finite_or_zero(float value);
float finite_or_zero(double value);

struct point {
    float m_x = 0.0f;
    float m_y = 0.0f;
    point() = default;
    point(float x, float y) : m_x(x), m_y(y) {}
    bool operator==(const point& other) const;
};

struct matrix;

struct rect {
    float m_x_min = 0.0f;
    float m_x_max = 0.0f;
    float m_y_min = 0.0f;
    float m_y_max = 0.0f;

    // RECT: NBits UB[5], then xmin, xmax, ymin, ymax as SB[NBits].
    void read(swf_stream* in);
    void print() const;
    bool point_test(float x, float y) const;
    bool bound_test(const rect& r) const;
    void set_to_point(const point& p);
    void expand_to_point(float x, float y);
    void expand_to_point(const point& p) { expand_to_point(p.m_x, p.m_y); }
    void expand_to_rect(const rect& r);
    point get_corner(int i) const;
    // The bounding box of m applied to r's corners 0, 1, 2, 3 (the first sets it).
    void enclose_transformed_rect(const matrix& m, const rect& r);
    void set_lerp(const rect& a, const rect& b, float t);
    void twips_to_pixels();
    void pixels_to_twips();
};

struct matrix {
    float m_[2][3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}};

    void set_identity();
    bool is_identity() const;
    void concatenate(const matrix& m);
    void concatenate_translation(float tx, float ty);
    void concatenate_scale(float s);
    void set_lerp(const matrix& a, const matrix& b, float t);
    void set_scale_rotation(float x_scale, float y_scale, float angle);
    // From a MATRIX record (fixed-point terms over 65536); read reads one first.
    void set(const swf_matrix& record);
    void read(swf_stream* in);
    void print() const;
    void transform(point* result, const point& p) const;
    void transform_vector(point* result, const point& v) const;
    void transform(rect* r) const;
    void transform_by_inverse(point* result, const point& p) const;
    void transform_by_inverse(rect* r) const;
    // m must not be this matrix.
    void set_inverse(const matrix& m);
    bool does_flip() const;
    float get_determinant() const;
    float get_max_scale() const;
    float get_x_scale() const;
    float get_y_scale() const;
    float get_rotation() const;
};

struct rgba {
    uint8_t m_r = 255;
    uint8_t m_g = 255;
    uint8_t m_b = 255;
    uint8_t m_a = 255;

    rgba() = default;
    rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) : m_r(r), m_g(g), m_b(b), m_a(a) {}

    // RGB up to the second shape tag's code, RGBA after it.
    void read(swf_stream* in, int tag_type);
    void read_rgb(swf_stream* in);
    void read_rgba(swf_stream* in);
    // The packed 0xRRGGBB of scripts, truncated to an integer; alpha 255.
    void set(double packed);
    void set_lerp(const rgba& a, const rgba& b, float t);
    bool operator==(const rgba& o) const { return m_r == o.m_r && m_g == o.m_g && m_b == o.m_b && m_a == o.m_a; }
};

// The last shape-definition tag whose colours have no alpha.
constexpr int last_rgb_colour_tag = TAG_DEFINE_SHAPE2;

struct cxform {
    // [channel r, g, b, a][0 multiplier, 1 addend]
    float m_[4][2] = {{1.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 0.0f}};

    void set_identity();
    bool is_identity() const;
    void concatenate(const cxform& c);
    rgba transform(const rgba in) const;
    void clamp();
    // From a CXFORM (multipliers / 255) or CXFORMWITHALPHA (multipliers / 256) record; the
    // readers read one first.
    void set(const swf_cxform& record);
    void read_rgb(swf_stream* in);
    void read_rgba(swf_stream* in);
    void print() const;
};

// A float channel value as a byte: clamped to 0..255, NaN gives 0, truncated.
uint8_t channel_to_byte(float value);

}  // namespace flash
