// Reading morph shapes and building the shape in between their two ends.
#include "flash/shape/morph2_character_def.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "flash/base/log.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

// DefineMorphShape2's flags byte: the stroke bits under six reserved ones.
constexpr uint8_t nonscaling_strokes_bit = 0x02;
constexpr uint8_t scaling_strokes_bit = 0x01;
// LINESTYLE2 bit widths (the morph form has the same flags as the shape form).
constexpr int cap_style_bits = 2;
constexpr int join_style_bits = 2;
constexpr int reserved_line_bits = 5;
constexpr uint32_t join_miter = 2;

void log_morph_color(const char* which, const rgba& c) {
    log_msg("%s", which);
    log_msg("rgba: %d %d %d %d\n", c.m_r, c.m_g, c.m_b, c.m_a);
}

// A ratio from a script or a tag may be anything; outside 0..1 the in-between is no longer
// between the ends, and NaN would spread into every coordinate.
float clamp_ratio(float t) {
    if (!(t == t)) return 0.0f;
    return std::clamp(t, 0.0f, 1.0f);
}

float lerp(float a, float b, float t) { return finite_or_zero(a + t * (static_cast<double>(b) - a)); }

int edge_count(const array<path>& paths) {
    int total = 0;
    for (int i = 0; i < paths.size(); ++i) total += paths[i].m_edges.size();
    return total;
}

// The end outline's edges as one sequence running across its paths.
struct end_edge_walk {
    const array<path>& paths;
    int path_index = 0;
    int edge_index = 0;

    // Skips ended (and empty) paths; false when no edge is left.
    bool settle() {
        while (path_index < paths.size() && edge_index >= paths[path_index].m_edges.size()) {
            ++path_index;
            edge_index = 0;
        }
        return path_index < paths.size();
    }
    const path& current_path() const { return paths[path_index]; }
    const edge& next_edge() { return paths[path_index].m_edges[edge_index++]; }
};

}  // namespace

morph2_character_def::morph2_character_def()
    : m_start(new end_shape), m_end(new end_shape), m_shape_ratio(std::numeric_limits<float>::quiet_NaN()) {}

morph2_character_def::~morph2_character_def() = default;

void morph2_character_def::read_morph_fill_style(swf_stream* in, fill_style* start, fill_style* end) {
    in->align();
    const int type = in->read_u8();
    start->m_type = type;
    end->m_type = type;
    if (get_verbose_parse()) log_msg("morph fill style type = 0x%X\n", type);

    if (type == fill_solid) {
        start->m_color.read_rgba(in);
        end->m_color.read_rgba(in);
        if (get_verbose_parse()) {
            log_morph_color("morph fill style begin color: ", start->m_color);
            log_morph_color("morph fill style end color: ", end->m_color);
        }
        return;
    }
    if (start->is_gradient() || type == fill_focal_gradient) {
        matrix start_matrix;
        start_matrix.read(in);
        matrix end_matrix;
        end_matrix.read(in);
        in->align();
        // The whole byte is the count: morph gradients carry no mode bits.
        const int count = in->read_u8();
        if (get_verbose_parse()) log_msg("morph fsr: num_gradients = %d\n", count);
        const bool kept = type != fill_focal_gradient && start->m_gradients.resize(count) && end->m_gradients.resize(count);
        for (int i = 0; i < count && !in->has_overrun(); ++i) {
            gradient_record a;
            gradient_record b;
            a.m_ratio = in->read_u8();
            a.m_color.read_rgba(in);
            b.m_ratio = in->read_u8();
            b.m_color.read_rgba(in);
            if (!kept) continue;
            start->m_gradients[i] = a;
            end->m_gradients[i] = b;
        }
        if (type == fill_focal_gradient) {
            // Focal gradients are not drawn, but their two focal points are read so the styles
            // after them start in the right place.
            in->read_s16();
            in->read_s16();
            return;
        }
        start->set_gradient_matrix(start_matrix);
        end->set_gradient_matrix(end_matrix);
        if (kept && count > 0) {
            start->m_color = start->m_gradients[0].m_color;
            end->m_color = end->m_gradients[0].m_color;
        }
        return;
    }
    if (start->is_bitmap()) {
        // The hard-edged kinds (0x42, 0x43) have the bodies of the smoothed ones.
        const int bitmap_id = in->read_u16();
        if (get_verbose_parse()) log_msg("morph fsr bitmap_char = %d\n", bitmap_id);
        start->m_bitmap_id = bitmap_id;
        end->m_bitmap_id = bitmap_id;
        matrix start_matrix;
        start_matrix.read(in);
        matrix end_matrix;
        end_matrix.read(in);
        in->align();
        start->m_bitmap_matrix.set_inverse(start_matrix);
        end->m_bitmap_matrix.set_inverse(end_matrix);
    }
    // Any other type carries nothing more.
}

void morph2_character_def::read_morph_line_style(swf_stream* in, int tag_type, line_style* start, line_style* end) {
    in->align();
    start->m_width = in->read_u16();
    end->m_width = in->read_u16();
    if (tag_type == TAG_DEFINE_MORPH_SHAPE2) {
        in->read_uint(cap_style_bits);
        const uint32_t join = in->read_uint(join_style_bits);
        const bool has_fill = in->read_bool();
        in->read_uint(1 + 1 + 1 + reserved_line_bits + 1);  // scales, hinting, reserved, no close
        in->read_uint(cap_style_bits);
        if (join == join_miter) in->read_u16();
        if (has_fill) {
            // The stroke's fill is not drawn; lines with one stay white.
            fill_style discarded_start;
            fill_style discarded_end;
            read_morph_fill_style(in, &discarded_start, &discarded_end);
            return;
        }
    }
    start->m_color.read_rgba(in);
    end->m_color.read_rgba(in);
}

void morph2_character_def::read(swf_stream* in, int tag_type) {
    m_start->bound().read(in);
    m_end->bound().read(in);
    if (tag_type == TAG_DEFINE_MORPH_SHAPE2) {
        rect discarded;
        discarded.read(in);
        discarded.read(in);
        in->align();
        const uint8_t flags = in->read_u8();
        m_uses_nonscaling_strokes = (flags & nonscaling_strokes_bit) != 0;
        m_uses_scaling_strokes = (flags & scaling_strokes_bit) != 0;
    }
    in->align();
    m_end_edges_offset = in->read_u32();

    const int fill_count = read_style_count(in);
    if (fill_count > max_styles) return refuse_styles();
    for (int i = 0; i < fill_count && !in->has_overrun(); ++i) {
        fill_style start;
        fill_style end;
        read_morph_fill_style(in, &start, &end);
        m_start->fills().push_back(start);
        m_end->fills().push_back(end);
    }
    const int line_count = read_style_count(in);
    if (fill_count + line_count > max_styles) return refuse_styles();
    for (int i = 0; i < line_count && !in->has_overrun(); ++i) {
        line_style start;
        line_style end;
        read_morph_line_style(in, tag_type, &start, &end);
        m_start->lines().push_back(start);
        m_end->lines().push_back(end);
    }

    m_start->read(in, tag_type, false);
    in->align();
    if (!m_start->is_over_limit()) m_end->read(in, tag_type, false);
    if (m_start->is_over_limit() || m_end->is_over_limit()) {
        m_start->refuse();
        m_end->refuse();
        refuse();
        return;
    }

    m_edges_match = edge_count(m_start->get_paths()) == edge_count(m_end->get_paths());
    if (!m_edges_match)
        log_error("error: morph2_character_def::read(): the start shape has %d edges and the end shape %d; "
                  "drawing the start shape\n",
                  edge_count(m_start->get_paths()), edge_count(m_end->get_paths()));
    size_in_between();
    // Bounded and hit-tested as its start shape until a ratio is displayed.
    set_ratio(0.0f);
}

void morph2_character_def::refuse_styles() {
    log_error("error: morph2_character_def::read(): the morph holds more than %d styles; it is not drawn\n", max_styles);
    m_start->refuse();
    m_end->refuse();
    refuse();
}

void morph2_character_def::size_in_between() {
    const array<fill_style>& fills = m_start->get_fill_styles();
    m_fill_styles.resize(fills.size());
    for (int i = 0; i < fills.size() && i < m_fill_styles.size(); ++i) {
        if (!m_fill_styles[i].m_gradients.resize(fills[i].m_gradients.size())) m_fill_styles[i].m_gradients.clear();
    }
    m_line_styles.resize(m_start->get_line_styles().size());
    const array<path>& paths = m_start->get_paths();
    m_paths.resize(paths.size());
    for (int i = 0; i < paths.size() && i < m_paths.size(); ++i) {
        if (!m_paths[i].m_edges.resize(paths[i].m_edges.size())) m_paths[i].m_edges.clear();
    }
}

void morph2_character_def::set_ratio(float ratio) {
    // Outlines that do not pair up cannot be blended: the start shape stands for every ratio.
    const float t = m_edges_match ? clamp_ratio(ratio) : 0.0f;
    if (t == m_shape_ratio) return;
    m_shape_ratio = t;

    m_bound.set_lerp(m_start->get_bound(), m_end->get_bound(), t);

    const array<fill_style>& start_fills = m_start->get_fill_styles();
    const array<fill_style>& end_fills = m_end->get_fill_styles();
    for (int i = 0; i < m_fill_styles.size() && i < start_fills.size() && i < end_fills.size(); ++i)
        m_fill_styles[i].set_lerp(start_fills[i], end_fills[i], t);

    const array<line_style>& start_lines = m_start->get_line_styles();
    const array<line_style>& end_lines = m_end->get_line_styles();
    for (int i = 0; i < m_line_styles.size() && i < start_lines.size() && i < end_lines.size(); ++i) {
        const float width = start_lines[i].m_width + t * (static_cast<float>(end_lines[i].m_width) - start_lines[i].m_width);
        m_line_styles[i].m_width = static_cast<uint16_t>(width + 0.5f);
        m_line_styles[i].m_color.set_lerp(start_lines[i].m_color, end_lines[i].m_color, t);
    }

    const array<path>& start_paths = m_start->get_paths();
    end_edge_walk walk{m_end->get_paths()};
    for (int i = 0; i < m_paths.size() && i < start_paths.size(); ++i) {
        const path& s = start_paths[i];
        path& p = m_paths[i];
        // The in-between outline runs the other way round, so its fill sides trade places.
        p.m_fill0 = s.m_fill1;
        p.m_fill1 = s.m_fill0;
        p.m_line = s.m_line;
        const bool has_end = m_edges_match && walk.settle();
        p.m_ax = has_end ? lerp(s.m_ax, walk.current_path().m_ax, t) : s.m_ax;
        p.m_ay = has_end ? lerp(s.m_ay, walk.current_path().m_ay, t) : s.m_ay;
        for (int j = 0; j < p.m_edges.size() && j < s.m_edges.size(); ++j) {
            const edge& a = s.m_edges[j];
            if (!m_edges_match || !walk.settle()) {
                p.m_edges[j] = a;
                continue;
            }
            const edge& b = walk.next_edge();
            p.m_edges[j] = edge(lerp(a.m_cx, b.m_cx, t), lerp(a.m_cy, b.m_cy, t), lerp(a.m_ax, b.m_ax, t),
                                lerp(a.m_ay, b.m_ay, t));
        }
    }
}

const mesh_set* morph2_character_def::get_ratio_mesh_set(float ratio, float error_tolerance) {
    if (!(error_tolerance > 0.0f) || !std::isfinite(error_tolerance) || is_over_limit()) return nullptr;
    const float t = clamp_ratio(ratio);
    set_ratio(t);
    if (!m_mesh || t != m_last_ratio) {
        m_mesh.reset();
        m_last_ratio = t;
        m_mesh = std::make_unique<mesh_set>(this, error_tolerance);
        if (refuse_if_over_limit(*m_mesh)) m_mesh.reset();
    }
    return m_mesh.get();
}

}  // namespace flash
