// Building a mesh set from trapezoids, and its cache record.
#include "flash/shape/mesh_set.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <map>

#include "flash/base/bx_file.h"
#include "flash/shape/cache_reader.h"
#include "flash/shape/tri_stripper.h"

namespace flash {

namespace {

// Cache records are read from files: counts beyond these are refused before allocating.
constexpr int32_t max_cached_layers = 1 << 16;
constexpr int32_t max_cached_slots = 1 << 16;
constexpr int32_t max_cached_ints = 1 << 26;
// The fewest bytes each counted item takes in the file: a layer's two counts, a mesh slot's
// presence byte, a line strip's style and count.
constexpr int min_layer_bytes = 8;
constexpr int min_slot_bytes = 1;
constexpr int min_line_strip_bytes = 8;
constexpr int ints_per_vertex = 2;
constexpr int ints_per_triangle = 6;

// The trapezoid accepter that builds one mesh set: trapezoids are gathered per fill style, line
// strips go straight into the last layer.
class collect_traps : public tesselate::trapezoid_accepter {
public:
    explicit collect_traps(mesh_set* target) : m_target(target) {}

    void accept_trapezoid(int style, const trapezoid& tr) override {
        m_strips[style].add_trapezoid(point(tr.m_lx0, tr.m_y0), point(tr.m_rx0, tr.m_y0), point(tr.m_lx1, tr.m_y1),
                                      point(tr.m_rx1, tr.m_y1));
    }
    void accept_line_strip(int style, const point coords[], int coord_count) override {
        open_layer();
        m_target->add_line_strip(style, coords, coord_count);
    }
    void refuse_shape(const char* what, long long limit) override {
        m_refused = true;
        m_strips.clear();
        m_target->refuse(what, limit);
    }
    void flush() {
        if (m_refused) return;
        open_layer();
        for (const auto& [style, stripper] : m_strips) {
            const std::vector<point> strip = stripper.join();
            m_target->set_tri_strip(style, strip.data(), static_cast<int>(strip.size()));
        }
        m_strips.clear();
    }

private:
    void open_layer() {
        if (!m_new_layer_pending) return;
        m_target->add_layer();
        m_new_layer_pending = false;
    }

    mesh_set* m_target;
    bool m_new_layer_pending = true;
    bool m_refused = false;
    std::map<int, tri_stripper> m_strips;
};

void write_int_array(bx_file* out, const std::vector<int32_t>& values) {
    out->write_le32(static_cast<uint32_t>(values.size()));
    for (int32_t v : values) out->write_le32(static_cast<uint32_t>(v));
}

}  // namespace

int32_t to_mesh_coord(float value) {
    if (!(value == value)) return 0;
    if (value >= 2147483647.0f) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

void mesh::set_tri_strip(const point pts[], int count) {
    m_triangle_strip.resize(static_cast<size_t>(count) * 2);
    for (int i = 0; i < count; ++i) {
        m_triangle_strip[2 * i] = to_mesh_coord(pts[i].m_x);
        m_triangle_strip[2 * i + 1] = to_mesh_coord(pts[i].m_y);
    }
}

line_strip::line_strip(int style, const point coords[], int coord_count) : m_style(style) {
    m_coords.resize(static_cast<size_t>(coord_count) * 2);
    for (int i = 0; i < coord_count; ++i) {
        m_coords[2 * i] = to_mesh_coord(coords[i].m_x);
        m_coords[2 * i + 1] = to_mesh_coord(coords[i].m_y);
    }
}

mesh_set::mesh_set(const tesselate::tesselating_shape* shape, float error_tolerance) : m_error_tolerance(error_tolerance) {
    collect_traps accepter(this);
    shape->tesselate(error_tolerance, &accepter);
    accepter.flush();
}

void mesh_set::set_tri_strip(int style, const point pts[], int count) {
    if (m_layers.empty() || style < 0) return;
    layer& l = m_layers.back();
    if (static_cast<size_t>(style) >= l.m_meshes.size()) l.m_meshes.resize(static_cast<size_t>(style) + 1);
    if (!l.m_meshes[style]) l.m_meshes[style] = std::make_unique<mesh>();
    l.m_meshes[style]->set_tri_strip(pts, count);
}

void mesh_set::add_line_strip(int style, const point coords[], int coord_count) {
    if (m_layers.empty()) return;
    m_layers.back().m_line_strips.push_back(std::make_unique<line_strip>(style, coords, coord_count));
}

bool mesh_set::get_vertices(std::vector<point>* out) const {
    for (const layer& l : m_layers) {
        for (const std::unique_ptr<mesh>& m : l.m_meshes) {
            if (!m) continue;
            if (!m->m_triangle_strip.empty()) {
                out->reserve(out->size() + m->m_triangle_strip.size() / 2);
                for (size_t i = 0; i + 1 < m->m_triangle_strip.size(); i += 2)
                    out->push_back(point(static_cast<float>(m->m_triangle_strip[i]), static_cast<float>(m->m_triangle_strip[i + 1])));
                return true;
            }
            if (!m->m_triangle_list.empty()) {
                out->reserve(out->size() + m->m_triangle_list.size() / 2);
                for (size_t i = 0; i + 1 < m->m_triangle_list.size(); i += 2)
                    out->push_back(point(m->m_triangle_list[i] / twips_per_pixel, m->m_triangle_list[i + 1] / twips_per_pixel));
                return true;
            }
        }
    }
    return false;
}

void mesh_set::output_cached_data(bx_file* out) const {
    out->write_float32(m_error_tolerance);
    out->write_le32(static_cast<uint32_t>(m_layers.size()));
    for (const layer& l : m_layers) {
        out->write_le32(static_cast<uint32_t>(l.m_meshes.size()));
        for (const std::unique_ptr<mesh>& m : l.m_meshes) {
            out->write_byte(m ? 1 : 0);
            if (!m) continue;
            write_int_array(out, m->m_triangle_strip);
            write_int_array(out, m->m_triangle_list);
        }
        out->write_le32(static_cast<uint32_t>(l.m_line_strips.size()));
        for (const std::unique_ptr<line_strip>& s : l.m_line_strips) {
            out->write_le32(static_cast<uint32_t>(s->m_style));
            write_int_array(out, s->m_coords);
        }
    }
}

bool mesh_set::input_cached_data(cache_reader* in) {
    m_layers.clear();
    float tolerance = 0.0f;
    if (!in->read_float(&tolerance)) return false;
    m_error_tolerance = finite_or_zero(tolerance);
    int32_t layer_count = 0;
    if (!in->read_count(max_cached_layers, min_layer_bytes, &layer_count)) return false;
    for (int32_t li = 0; li < layer_count; ++li) {
        add_layer();
        layer& l = m_layers.back();
        int32_t slots = 0;
        if (!in->read_count(max_cached_slots, min_slot_bytes, &slots)) return false;
        l.m_meshes.resize(static_cast<size_t>(slots));
        for (int32_t i = 0; i < slots; ++i) {
            uint8_t present = 0;
            if (!in->read_u8(&present)) return false;
            if (!present) continue;
            l.m_meshes[i] = std::make_unique<mesh>();
            if (!in->read_int_array(max_cached_ints, ints_per_vertex, &l.m_meshes[i]->m_triangle_strip) ||
                !in->read_int_array(max_cached_ints, ints_per_triangle, &l.m_meshes[i]->m_triangle_list))
                return false;
        }
        int32_t strips = 0;
        if (!in->read_count(max_cached_slots, min_line_strip_bytes, &strips)) return false;
        l.m_line_strips.reserve(static_cast<size_t>(strips));
        for (int32_t i = 0; i < strips; ++i) {
            auto s = std::make_unique<line_strip>();
            uint32_t style = 0;
            if (!in->read_u32(&style)) return false;
            s->m_style = static_cast<int32_t>(style);
            if (!in->read_int_array(max_cached_ints, ints_per_vertex, &s->m_coords)) return false;
            l.m_line_strips.push_back(std::move(s));
        }
    }
    return true;
}

}  // namespace flash
