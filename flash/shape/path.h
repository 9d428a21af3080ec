#pragma once
// The outline of a shape: paths of quadratic edges, each path carrying a fill style on either
// side and a line style. Style indices count from 1; 0 is none. Coordinates are twips.
#include "flash/base/array.h"

namespace flash {

struct edge {
    edge() = default;
    // Each coordinate is stored finite (NaN and overflow become 0).
    edge(float cx, float cy, float ax, float ay);
    bool is_straight() const { return m_cx == m_ax && m_cy == m_ay; }

    float m_cx = 0.0f;
    float m_cy = 0.0f;
    float m_ax = 0.0f;
    float m_ay = 0.0f;
};

struct path {
    path() = default;
    path(int fill0, int fill1, int line, float ax, float ay) : m_fill0(fill0), m_fill1(fill1), m_line(line), m_ax(ax), m_ay(ay) {}

    bool is_empty() const { return m_edges.size() == 0; }
    // Even-odd test of the exact outline, curves included, against a ray toward larger x.
    bool point_test(float x, float y) const;

    int m_fill0 = 0;
    int m_fill1 = 0;
    int m_line = 0;
    float m_ax = 0.0f;
    float m_ay = 0.0f;
    array<edge> m_edges;
    // Set only on the empty separator that starts a new style group.
    bool m_new_shape = false;
};

}  // namespace flash
