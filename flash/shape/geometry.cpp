#include "flash/shape/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "flash/base/log.h"

namespace flash {

namespace {

constexpr double largest_float = 3.4028235e38;
constexpr int channel_count = 4;
constexpr float channel_max = 255.0f;

}  // namespace

float finite_or_zero(double value) {
    if (std::isnan(value) || value < -largest_float || value > largest_float) return 0.0f;
    return static_cast<float>(value);
}

float finite_or_zero(float value) { return finite_or_zero(static_cast<double>(value)); }

uint8_t channel_to_byte(float value) {
    if (std::isnan(value)) return 0;
    value = std::min(value, channel_max);
    value = std::max(value, 0.0f);
    return static_cast<uint8_t>(value);
}

bool point::operator==(const point& other) const {
    return std::memcmp(this, &other, sizeof(point)) == 0;
}

// rect

void rect::print() const {
    log_msg("xmin = %g, ymin = %g, xmax = %g, ymax = %g\n", m_x_min / twips_per_pixel,
            m_y_min / twips_per_pixel, m_x_max / twips_per_pixel, m_y_max / twips_per_pixel);
}

bool rect::point_test(float x, float y) const {
    return x >= m_x_min && x <= m_x_max && y >= m_y_min && y <= m_y_max;
}

bool rect::bound_test(const rect& r) const {
    if (m_x_min > r.m_x_max) return false;
    if (m_x_max < r.m_x_min) return false;
    if (m_y_max < r.m_y_min) return false;
    if (m_y_min > r.m_y_max) return false;
    return true;
}

void rect::set_to_point(const point& p) {
    m_x_min = m_x_max = p.m_x;
    m_y_min = m_y_max = p.m_y;
}

void rect::expand_to_point(float x, float y) {
    m_x_min = std::min(m_x_min, x);
    m_y_min = std::min(m_y_min, y);
    m_x_max = std::max(m_x_max, x);
    m_y_max = std::max(m_y_max, y);
}

void rect::expand_to_rect(const rect& r) {
    expand_to_point(r.m_x_min, r.m_y_min);
    expand_to_point(r.m_x_max, r.m_y_max);
}

point rect::get_corner(int i) const {
    const float x = (i == 0 || i == 3) ? m_x_min : m_x_max;
    const float y = i < 2 ? m_y_min : m_y_max;
    return point(x, y);
}

void rect::enclose_transformed_rect(const matrix& m, const rect& r) {
    point corner;
    m.transform(&corner, r.get_corner(0));
    set_to_point(corner);
    for (int i = 1; i < 4; ++i) {
        m.transform(&corner, r.get_corner(i));
        expand_to_point(corner);
    }
}

void rect::set_lerp(const rect& a, const rect& b, float t) {
    m_x_min = a.m_x_min + (b.m_x_min - a.m_x_min) * t;
    m_x_max = a.m_x_max + (b.m_x_max - a.m_x_max) * t;
    m_y_min = a.m_y_min + (b.m_y_min - a.m_y_min) * t;
    m_y_max = a.m_y_max + (b.m_y_max - a.m_y_max) * t;
}

void rect::twips_to_pixels() {
    m_x_min /= twips_per_pixel;
    m_x_max /= twips_per_pixel;
    m_y_min /= twips_per_pixel;
    m_y_max /= twips_per_pixel;
}

void rect::pixels_to_twips() {
    m_x_min *= twips_per_pixel;
    m_x_max *= twips_per_pixel;
    m_y_min *= twips_per_pixel;
    m_y_max *= twips_per_pixel;
}

// matrix

void matrix::set_identity() { *this = matrix(); }

bool matrix::is_identity() const {
    const matrix identity;
    return std::memcmp(m_, identity.m_, sizeof m_) == 0;
}

void matrix::concatenate(const matrix& m) {
    const matrix t = *this;
    m_[0][0] = finite_or_zero(static_cast<double>(t.m_[0][0]) * m.m_[0][0] + static_cast<double>(t.m_[0][1]) * m.m_[1][0]);
    m_[1][0] = finite_or_zero(static_cast<double>(t.m_[1][0]) * m.m_[0][0] + static_cast<double>(t.m_[1][1]) * m.m_[1][0]);
    m_[0][1] = finite_or_zero(static_cast<double>(t.m_[0][0]) * m.m_[0][1] + static_cast<double>(t.m_[0][1]) * m.m_[1][1]);
    m_[1][1] = finite_or_zero(static_cast<double>(t.m_[1][0]) * m.m_[0][1] + static_cast<double>(t.m_[1][1]) * m.m_[1][1]);
    m_[0][2] = finite_or_zero(static_cast<double>(t.m_[0][0]) * m.m_[0][2] + static_cast<double>(t.m_[0][1]) * m.m_[1][2] + t.m_[0][2]);
    m_[1][2] = finite_or_zero(static_cast<double>(t.m_[1][0]) * m.m_[0][2] + static_cast<double>(t.m_[1][1]) * m.m_[1][2] + t.m_[1][2]);
}

void matrix::concatenate_translation(float tx, float ty) {
    m_[0][2] = finite_or_zero(static_cast<double>(m_[0][0]) * tx + static_cast<double>(m_[0][1]) * ty + m_[0][2]);
    m_[1][2] = finite_or_zero(static_cast<double>(m_[1][0]) * tx + static_cast<double>(m_[1][1]) * ty + m_[1][2]);
}

void matrix::concatenate_scale(float s) {
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 2; ++col) m_[row][col] = finite_or_zero(static_cast<double>(m_[row][col]) * s);
    }
}

void matrix::set_lerp(const matrix& a, const matrix& b, float t) {
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col) {
            const double from = a.m_[row][col];
            m_[row][col] = finite_or_zero(from + (b.m_[row][col] - from) * t);
        }
    }
}

void matrix::set_scale_rotation(float x_scale, float y_scale, float angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    m_[0][0] = finite_or_zero(x_scale * c);
    m_[0][1] = finite_or_zero(-y_scale * s);
    m_[1][0] = finite_or_zero(x_scale * s);
    m_[1][1] = finite_or_zero(y_scale * c);
}

void matrix::print() const {
    log_msg("| %4.4f %4.4f %4.4f |\n", m_[0][0], m_[0][1], m_[0][2] / twips_per_pixel);
    log_msg("| %4.4f %4.4f %4.4f |\n", m_[1][0], m_[1][1], m_[1][2] / twips_per_pixel);
}

void matrix::transform(point* result, const point& p) const {
    const point in = p;
    result->m_x = m_[0][0] * in.m_x + m_[0][1] * in.m_y + m_[0][2];
    result->m_y = m_[1][0] * in.m_x + m_[1][1] * in.m_y + m_[1][2];
}

void matrix::transform_vector(point* result, const point& v) const {
    const point in = v;
    result->m_x = m_[0][0] * in.m_x + m_[0][1] * in.m_y;
    result->m_y = m_[1][0] * in.m_x + m_[1][1] * in.m_y;
}

void matrix::transform(rect* r) const {
    point corners[4];
    for (int i = 0; i < 4; ++i) transform(&corners[i], r->get_corner(i));
    r->set_to_point(corners[0]);
    for (int i = 1; i < 4; ++i) r->expand_to_point(corners[i]);
}

void matrix::transform_by_inverse(point* result, const point& p) const {
    matrix inverse;
    inverse.set_inverse(*this);
    inverse.transform(result, p);
}

void matrix::transform_by_inverse(rect* r) const {
    matrix inverse;
    inverse.set_inverse(*this);
    inverse.transform(r);
}

void matrix::set_inverse(const matrix& m) {
    const double det = static_cast<double>(m.m_[0][0]) * m.m_[1][1] - static_cast<double>(m.m_[0][1]) * m.m_[1][0];
    if (det == 0.0) {
        set_identity();
        m_[0][2] = finite_or_zero(-m.m_[0][2]);
        m_[1][2] = finite_or_zero(-m.m_[1][2]);
        return;
    }
    const double inv = 1.0 / det;
    m_[0][0] = finite_or_zero(m.m_[1][1] * inv);
    m_[1][1] = finite_or_zero(m.m_[0][0] * inv);
    m_[0][1] = finite_or_zero(-m.m_[0][1] * inv);
    m_[1][0] = finite_or_zero(-m.m_[1][0] * inv);
    m_[0][2] = finite_or_zero(-(static_cast<double>(m_[0][0]) * m.m_[0][2] + static_cast<double>(m_[0][1]) * m.m_[1][2]));
    m_[1][2] = finite_or_zero(-(static_cast<double>(m_[1][0]) * m.m_[0][2] + static_cast<double>(m_[1][1]) * m.m_[1][2]));
}

float matrix::get_determinant() const { return m_[0][0] * m_[1][1] - m_[0][1] * m_[1][0]; }

bool matrix::does_flip() const { return get_determinant() < 0.0f; }

float matrix::get_max_scale() const {
    const float row0 = m_[0][0] * m_[0][0] + m_[0][1] * m_[0][1];
    const float row1 = m_[1][0] * m_[1][0] + m_[1][1] * m_[1][1];
    return std::sqrt(std::max(row0, row1));
}

float matrix::get_x_scale() const {
    const float scale = std::sqrt(m_[0][0] * m_[0][0] + m_[1][0] * m_[1][0]);
    return does_flip() ? -scale : scale;
}

float matrix::get_y_scale() const { return std::sqrt(m_[0][1] * m_[0][1] + m_[1][1] * m_[1][1]); }

float matrix::get_rotation() const {
    return does_flip() ? std::atan2(m_[1][0], -m_[0][0]) : std::atan2(m_[1][0], m_[0][0]);
}

// rgba

void rgba::set(double packed) {
    // Scripts hand any number: out-of-range and NaN values take their low 24 bits of 0.
    const int64_t value = std::isfinite(packed) && std::fabs(packed) < 9.0e18 ? static_cast<int64_t>(packed) : 0;
    m_r = static_cast<uint8_t>((value >> 16) & 0xFF);
    m_g = static_cast<uint8_t>((value >> 8) & 0xFF);
    m_b = static_cast<uint8_t>(value & 0xFF);
    m_a = 255;
}

void rgba::set_lerp(const rgba& a, const rgba& b, float t) {
    auto lerp = [t](uint8_t from, uint8_t to) {
        return channel_to_byte(from + (static_cast<float>(to) - from) * t + 0.5f);
    };
    m_r = lerp(a.m_r, b.m_r);
    m_g = lerp(a.m_g, b.m_g);
    m_b = lerp(a.m_b, b.m_b);
    m_a = lerp(a.m_a, b.m_a);
}

// cxform

void cxform::set_identity() { *this = cxform(); }

bool cxform::is_identity() const {
    const cxform identity;
    return std::memcmp(m_, identity.m_, sizeof m_) == 0;
}

void cxform::concatenate(const cxform& c) {
    for (int k = 0; k < channel_count; ++k) {
        m_[k][1] = finite_or_zero(static_cast<double>(m_[k][0]) * c.m_[k][1] + m_[k][1]);
    }
    for (int k = 0; k < channel_count; ++k) m_[k][0] = finite_or_zero(static_cast<double>(m_[k][0]) * c.m_[k][0]);
}

rgba cxform::transform(const rgba in) const {
    const uint8_t channels[channel_count] = {in.m_r, in.m_g, in.m_b, in.m_a};
    uint8_t out[channel_count];
    for (int k = 0; k < channel_count; ++k) out[k] = channel_to_byte(channels[k] * m_[k][0] + m_[k][1]);
    return rgba(out[0], out[1], out[2], out[3]);
}

void cxform::clamp() {
    for (int k = 0; k < channel_count; ++k) {
        m_[k][0] = finite_or_zero(std::max(std::min(m_[k][0], 1.0f), 0.0f));
        m_[k][1] = finite_or_zero(std::max(std::min(m_[k][1], 255.0f), -255.0f));
    }
}

void cxform::print() const {
    log_msg("    *         +\n");
    for (int k = 0; k < channel_count; ++k) log_msg("| %4.4f %4.4f|\n", m_[k][0], m_[k][1]);
}

}  // namespace flash
