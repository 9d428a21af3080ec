// Building a mesh set from trapezoids, and its cache record.
#include "flash/shape/mesh_set.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <map>

#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/shape/tri_stripper.h"

namespace flash {

namespace {

// Cache records are read from files: counts beyond these are refused before allocating.
constexpr int32_t max_cached_layers = 1 << 16;
constexpr int32_t max_cached_slots = 1 << 16;
constexpr int32_t max_cached_ints = 1 << 26;

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
    void flush() {
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
    std::map<int, tri_stripper> m_strips;
};

// Reads fail on a short read rather than giving zeros, so a cut record is reported.
bool read_u32(bx_file* in, uint32_t* value) {
    uint8_t b[4];
    if (in->read_bytes(b, 4) != 4) return false;
    *value = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
}

bool read_count(bx_file* in, int32_t limit, int32_t* count, const char* what) {
    uint32_t raw = 0;
    if (!read_u32(in, &raw)) {
        log_error("error: mesh_set::input_cached_data(): record cut short\n");
        return false;
    }
    *count = static_cast<int32_t>(raw);
    if (*count < 0 || *count > limit) {
        log_error("error: mesh_set::input_cached_data(): bad %s count %d\n", what, *count);
        return false;
    }
    return true;
}

bool read_int_array(bx_file* in, std::vector<int32_t>* out) {
    int32_t count = 0;
    if (!read_count(in, max_cached_ints, &count, "integer")) return false;
    // Grown as the data arrives: a count is no promise that the file holds that much.
    out->clear();
    for (int32_t i = 0; i < count; ++i) {
        uint32_t v = 0;
        if (!read_u32(in, &v)) {
            log_error("error: mesh_set::input_cached_data(): record cut short\n");
            return false;
        }
        out->push_back(static_cast<int32_t>(v));
    }
    return true;
}

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

bool mesh_set::input_cached_data(bx_file* in) {
    m_layers.clear();
    uint32_t tolerance_bits = 0;
    if (!read_u32(in, &tolerance_bits)) {
        log_error("error: mesh_set::input_cached_data(): record cut short\n");
        return false;
    }
    float tolerance = 0.0f;
    std::memcpy(&tolerance, &tolerance_bits, sizeof tolerance);
    m_error_tolerance = finite_or_zero(tolerance);
    int32_t layer_count = 0;
    if (!read_count(in, max_cached_layers, &layer_count, "layer")) return false;
    for (int32_t li = 0; li < layer_count; ++li) {
        add_layer();
        layer& l = m_layers.back();
        int32_t slots = 0;
        if (!read_count(in, max_cached_slots, &slots, "mesh")) return false;
        for (int32_t i = 0; i < slots; ++i) {
            uint8_t present = 0;
            if (in->read_bytes(&present, 1) != 1) {
                log_error("error: mesh_set::input_cached_data(): record cut short\n");
                return false;
            }
            l.m_meshes.emplace_back();
            if (!present) continue;
            l.m_meshes.back() = std::make_unique<mesh>();
            if (!read_int_array(in, &l.m_meshes.back()->m_triangle_strip) ||
                !read_int_array(in, &l.m_meshes.back()->m_triangle_list))
                return false;
        }
        int32_t strips = 0;
        if (!read_count(in, max_cached_slots, &strips, "line strip")) return false;
        for (int32_t i = 0; i < strips; ++i) {
            auto s = std::make_unique<line_strip>();
            uint32_t style = 0;
            if (!read_u32(in, &style)) {
                log_error("error: mesh_set::input_cached_data(): record cut short\n");
                return false;
            }
            s->m_style = static_cast<int32_t>(style);
            if (!read_int_array(in, &s->m_coords)) return false;
            l.m_line_strips.push_back(std::move(s));
        }
    }
    return true;
}

}  // namespace flash
