#pragma once
// The triangle strips and line strips of a shape at one error tolerance, in integer twips, and
// their record in cache files. Style indices count from 0 here.
#include <cstdint>
#include <memory>
#include <vector>

#include "flash/shape/geometry.h"
#include "flash/shape/tesselate.h"

namespace flash {

class bx_file;
class cache_reader;

struct mesh {
    // Coordinates truncated toward zero and saturated to the 32-bit range.
    void set_tri_strip(const point pts[], int count);

    std::vector<int32_t> m_triangle_strip;  // x, y alternating
    // Six integers a triangle; filled only by meshes read back from a cache file.
    std::vector<int32_t> m_triangle_list;
};

struct line_strip {
    line_strip(int style, const point coords[], int coord_count);
    line_strip() = default;

    int m_style = -1;
    std::vector<int32_t> m_coords;
};

class mesh_set {
public:
    struct layer {
        // Indexed by fill style; null where a style has no triangles.
        std::vector<std::unique_ptr<mesh>> m_meshes;
        std::vector<std::unique_ptr<line_strip>> m_line_strips;
    };

    // An empty set, to be filled from a cache record.
    mesh_set() = default;
    // Tesselates the shape at the tolerance and joins each style's trapezoids into one strip.
    mesh_set(const tesselate::tesselating_shape* shape, float error_tolerance);

    float get_tolerance() const { return m_error_tolerance; }
    const std::vector<layer>& get_layers() const { return m_layers; }
    // The shape needed more than a tesselation may take (more than limit of what): the set
    // holds nothing.
    bool is_over_limit() const { return m_refused_for != nullptr; }
    const char* refused_for() const { return m_refused_for; }
    long long refused_limit() const { return m_refused_limit; }
    void refuse(const char* what, long long limit) {
        m_refused_for = what;
        m_refused_limit = limit;
        m_layers.clear();
    }

    // Act on the last layer.
    void set_tri_strip(int style, const point pts[], int count);
    void add_line_strip(int style, const point coords[], int coord_count);
    void add_layer() { m_layers.emplace_back(); }

    // Appends the vertices of the first mesh that has any (twips); false when none has.
    bool get_vertices(std::vector<point>* out) const;

    void output_cached_data(bx_file* out) const;
    // False when the record is cut or malformed (the reader says which); the set is then not
    // to be used.
    [[nodiscard]] bool input_cached_data(cache_reader* in);

private:
    float m_error_tolerance = 0.0f;
    std::vector<layer> m_layers;
    const char* m_refused_for = nullptr;
    long long m_refused_limit = 0;
};

// Saturating float to integer twips (truncation toward zero, NaN to 0).
int32_t to_mesh_coord(float value);

}  // namespace flash
