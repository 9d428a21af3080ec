// The SHAPE / SHAPEWITHSTYLE record reader: bit fields from the style bits to the end record.
#include "flash/base/log.h"
#include "flash/shape/shape_character_def.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

constexpr int style_bits_field = 4;
constexpr int move_bits_field = 5;
constexpr int edge_bits_field = 4;
// Edge coordinate widths are stored two less than they are.
constexpr int edge_bits_bias = 2;
constexpr uint32_t flag_move_to = 0x01;
constexpr uint32_t flag_fill_style0 = 0x02;
constexpr uint32_t flag_fill_style1 = 0x04;
constexpr uint32_t flag_line_style = 0x08;
constexpr uint32_t flag_new_styles = 0x10;
constexpr int style_change_flag_bits = 5;
constexpr uint8_t nonscaling_strokes_bit = 0x02;
constexpr uint8_t scaling_strokes_bit = 0x01;

// The reading state that moves along the records.
struct record_reader {
    swf_stream* in;
    array<path>* paths;
    path current;
    float pen_x = 0.0f;
    float pen_y = 0.0f;
    int fill_base = 0;
    int line_base = 0;
    int fill_bits = 0;
    int line_bits = 0;

    // Closes the current run when it has edges, so the next edge starts a new path.
    bool flush() {
        if (current.is_empty()) return false;
        paths->push_back(current);
        current.m_edges.clear();
        return true;
    }
    void flush_at_pen() {
        if (!flush()) return;
        current.m_ax = pen_x;
        current.m_ay = pen_y;
    }
    int read_style_index(int bits, int base) {
        const int index = static_cast<int>(in->read_uint(bits));
        return index > 0 ? index + base : index;
    }
    void add_edge(float cx, float cy, float ax, float ay) {
        current.m_edges.push_back(edge(cx, cy, ax, ay));
        pen_x = current.m_edges[current.m_edges.size() - 1].m_ax;
        pen_y = current.m_edges[current.m_edges.size() - 1].m_ay;
    }
};

}  // namespace

void shape_character_def::read(swf_stream* in, int tag_type, bool with_style) {
    if (with_style) {
        m_bound.read(in);
        if (tag_type == TAG_DEFINE_SHAPE4) {
            m_edge_bound.read(in);
            in->align();
            const uint8_t flags = in->read_u8();
            m_uses_nonscaling_strokes = (flags & nonscaling_strokes_bit) != 0;
            m_uses_scaling_strokes = (flags & scaling_strokes_bit) != 0;
        }
        if (!read_styles(in, tag_type)) return;
    }

    record_reader r{in, &m_paths, path()};
    in->align();
    r.fill_bits = static_cast<int>(in->read_uint(style_bits_field));
    r.line_bits = static_cast<int>(in->read_uint(style_bits_field));
    if (get_verbose_parse()) log_msg("  shape_character read: nfillbits = %d, nlinebits = %d\n", r.fill_bits, r.line_bits);
    int edges = 0;

    for (;;) {
        if (in->has_overrun()) {
            log_error("error: shape_character_def::read(): shape records run past the tag end\n");
            r.flush();
            return;
        }
        const bool is_edge = in->read_bool();
        if (!is_edge) {
            const uint32_t flags = in->read_uint(style_change_flag_bits);
            if (flags == 0) {
                r.flush();
                return;
            }
            if (flags & flag_move_to) {
                r.flush();
                const int bits = static_cast<int>(in->read_uint(move_bits_field));
                r.pen_x = static_cast<float>(in->read_sint(bits));
                r.pen_y = static_cast<float>(in->read_sint(bits));
                r.current.m_ax = r.pen_x;
                r.current.m_ay = r.pen_y;
            }
            if ((flags & flag_fill_style0) && r.fill_bits > 0) {
                r.flush_at_pen();
                r.current.m_fill0 = r.read_style_index(r.fill_bits, r.fill_base);
            }
            if ((flags & flag_fill_style1) && r.fill_bits > 0) {
                r.flush_at_pen();
                r.current.m_fill1 = r.read_style_index(r.fill_bits, r.fill_base);
            }
            if ((flags & flag_line_style) && r.line_bits > 0) {
                r.flush_at_pen();
                r.current.m_line = r.read_style_index(r.line_bits, r.line_base);
            }
            if (flags & flag_new_styles) {
                if (get_verbose_parse()) log_msg("  shape_character read: more fill styles\n");
                if (r.flush()) {
                    r.current.m_fill0 = -1;
                    r.current.m_fill1 = -1;
                    r.current.m_line = -1;
                }
                path separator;
                separator.m_new_shape = true;
                m_paths.push_back(separator);
                r.fill_base = m_fill_styles.size();
                r.line_base = m_line_styles.size();
                if (!read_styles(in, tag_type)) return;
                in->align();
                r.fill_bits = static_cast<int>(in->read_uint(style_bits_field));
                r.line_bits = static_cast<int>(in->read_uint(style_bits_field));
            }
            continue;
        }
        if (++edges > max_edges) {
            log_error("error: shape_character_def::read(): the shape holds more than %d edges; it is not drawn\n",
                      max_edges);
            refuse();
            return;
        }
        const bool straight = in->read_bool();
        const int bits = static_cast<int>(in->read_uint(edge_bits_field)) + edge_bits_bias;
        if (!straight) {
            const float cx = r.pen_x + static_cast<float>(in->read_sint(bits));
            const float cy = r.pen_y + static_cast<float>(in->read_sint(bits));
            const float ax = cx + static_cast<float>(in->read_sint(bits));
            const float ay = cy + static_cast<float>(in->read_sint(bits));
            r.add_edge(cx, cy, ax, ay);
            continue;
        }
        float dx = 0.0f;
        float dy = 0.0f;
        if (in->read_bool()) {
            dx = static_cast<float>(in->read_sint(bits));
            dy = static_cast<float>(in->read_sint(bits));
        } else if (in->read_bool()) {
            dy = static_cast<float>(in->read_sint(bits));
        } else {
            dx = static_cast<float>(in->read_sint(bits));
        }
        r.add_edge(r.pen_x + dx, r.pen_y + dy, r.pen_x + dx, r.pen_y + dy);
    }
}

bool shape_character_def::read_styles(swf_stream* in, int tag_type) {
    const int room = max_styles - m_fill_styles.size() - m_line_styles.size();
    if (read_fill_styles(&m_fill_styles, in, tag_type, room) &&
        read_line_styles(&m_line_styles, in, tag_type, max_styles - m_fill_styles.size() - m_line_styles.size()))
        return true;
    log_error("error: shape_character_def::read(): the shape holds more than %d styles; it is not drawn\n", max_styles);
    refuse();
    return false;
}

void shape_character_def::copy_from(const shape_character_def& other) {
    if (&other == this) return;
    m_fill_styles = other.m_fill_styles;
    m_line_styles = other.m_line_styles;
    m_paths = other.m_paths;
    m_bound = other.m_bound;
    m_edge_bound = other.m_edge_bound;
    m_uses_nonscaling_strokes = other.m_uses_nonscaling_strokes;
    m_uses_scaling_strokes = other.m_uses_scaling_strokes;
    m_over_limit = other.m_over_limit;
    invalidate_cache();
}

bool shape_character_def::point_test_local(float x, float y) const {
    if (!m_bound.point_test(x, y)) return false;
    for (int i = 0; i < m_paths.size(); ++i) {
        if (m_paths[i].point_test(x, y)) return true;
    }
    return false;
}

}  // namespace flash
