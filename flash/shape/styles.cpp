// Reading fill and line styles, sampling gradients and making their texture pixels.
#include "flash/shape/styles.h"

#include <algorithm>
#include <cmath>

#include "flash/base/log.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

// A style array's count byte that announces a 16-bit count after it.
constexpr int extended_count_escape = 0xFF;
// The gradient count byte: the record count in its low four bits, spread and interpolation
// modes (ignored) above them.
constexpr int gradient_count_mask = 0x0F;
// The gradient square of the file spans -16384..16384 twips; these map it onto the textures.
constexpr float linear_gradient_offset = 128.0f;
constexpr float linear_gradient_scale = 1.0f / 128.0f;
constexpr float radial_gradient_offset = 32.0f;
constexpr float radial_gradient_scale = 1.0f / 512.0f;
constexpr int max_gradient_ratio = 255;
// Radial ratios spread a unit distance over 0..255 with rounding room.
constexpr double radial_ratio_scale = 255.5;
constexpr int bytes_per_pixel = 4;
// LINESTYLE2 bit widths.
constexpr int cap_style_bits = 2;
constexpr int join_style_bits = 2;
constexpr int reserved_line_bits = 5;
constexpr uint8_t join_miter = 2;

void read_gradient_record(gradient_record* g, swf_stream* in, int tag_type) {
    g->m_ratio = in->read_u8();
    g->m_color.read(in, tag_type);
}

void log_rgba(const rgba& c) {
    log_msg("  color: ");
    log_msg("rgba: %d %d %d %d\n", c.m_r, c.m_g, c.m_b, c.m_a);
}

}  // namespace

void fill_style::read(swf_stream* in, int tag_type) {
    in->align();
    m_type = in->read_u8();
    if (get_verbose_parse()) log_msg("  fill_style read type = 0x%X\n", m_type);

    if (m_type == fill_solid) {
        m_color.read_rgb(in);
        if (tag_type > last_rgb_colour_tag) m_color.m_a = in->read_u8();
        if (get_verbose_parse()) log_rgba(m_color);
        return;
    }
    if (is_gradient()) {
        matrix file_matrix;
        file_matrix.read(in);
        in->align();
        set_gradient_matrix(file_matrix);

        const int count = in->read_u8() & gradient_count_mask;
        if (!m_gradients.resize(count)) return;
        for (int i = 0; i < count; ++i) read_gradient_record(&m_gradients[i], in, tag_type);
        if (get_verbose_parse()) log_msg("  gradients: num_gradients = %d\n", count);
        if (count > 0) m_color = m_gradients[0].m_color;
        return;
    }
    if (m_type == fill_focal_gradient) {
        // Read so the next style starts in the right place; focal gradients are not drawn.
        matrix discarded;
        discarded.read(in);
        in->align();
        const int count = in->read_u8() & gradient_count_mask;
        for (int i = 0; i < count; ++i) {
            gradient_record g;
            g.m_ratio = in->read_u8();
            g.m_color.read_rgba(in);
        }
        in->read_u16();
        return;
    }
    if (is_bitmap()) {
        m_bitmap_id = in->read_u16();
        if (get_verbose_parse()) log_msg("  bitmap_char = %d\n", m_bitmap_id);
        matrix file_matrix;
        file_matrix.read(in);
        in->align();
        m_bitmap_matrix.set_inverse(file_matrix);
        if (get_verbose_parse()) m_bitmap_matrix.print();
    }
    // Any other type byte carries nothing more and paints nothing.
}

void fill_style::set_gradient_matrix(const matrix& file_matrix) {
    m_gradient_matrix.set_identity();
    if (m_type == fill_linear_gradient) {
        m_gradient_matrix.concatenate_translation(linear_gradient_offset, 0.0f);
        m_gradient_matrix.concatenate_scale(linear_gradient_scale);
    } else {
        m_gradient_matrix.concatenate_translation(radial_gradient_offset, radial_gradient_offset);
        m_gradient_matrix.concatenate_scale(radial_gradient_scale);
    }
    matrix inverse;
    inverse.set_inverse(file_matrix);
    m_gradient_matrix.concatenate(inverse);
}

bool fill_style::is_drawable() const {
    if (m_type == fill_solid || is_bitmap()) return true;
    return is_gradient() && m_gradients.size() > 0;
}

rgba fill_style::sample_gradient(int ratio) const {
    const int n = m_gradients.size();
    if (n == 0) return rgba();
    if (ratio < m_gradients[0].m_ratio) return m_gradients[0].m_color;
    for (int i = 1; i < n; ++i) {
        const gradient_record& lo = m_gradients[i - 1];
        const gradient_record& hi = m_gradients[i];
        if (ratio > hi.m_ratio) continue;
        const int span = hi.m_ratio - lo.m_ratio;
        const float t = span == 0 ? 0.0f : static_cast<float>(ratio - lo.m_ratio) / static_cast<float>(span);
        rgba result;
        result.set_lerp(lo.m_color, hi.m_color, t);
        return result;
    }
    return m_gradients[n - 1].m_color;
}

bool fill_style::make_gradient_pixels(gradient_pixels* out) const {
    if (!is_gradient() || m_gradients.size() == 0) return false;
    const bool linear = m_type == fill_linear_gradient;
    const int width = linear ? linear_gradient_width : radial_gradient_size;
    const int height = linear ? 1 : radial_gradient_size;
    if (!out->m_data.resize(width * height * bytes_per_pixel)) return false;
    out->m_width = width;
    out->m_height = height;
    const double centre = (radial_gradient_size - 1) * 0.5;
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            int ratio = i;
            if (!linear) {
                const double dx = (i - centre) / centre;
                const double dy = (j - centre) / centre;
                ratio = std::min(max_gradient_ratio, static_cast<int>(std::floor(std::sqrt(dx * dx + dy * dy) * radial_ratio_scale)));
            }
            const rgba c = sample_gradient(ratio);
            uint8_t* p = &out->m_data[(j * width + i) * bytes_per_pixel];
            p[0] = c.m_r;
            p[1] = c.m_g;
            p[2] = c.m_b;
            p[3] = c.m_a;
        }
    }
    return true;
}

void fill_style::set_lerp(const fill_style& a, const fill_style& b, float t) {
    m_type = a.m_type;
    m_color.set_lerp(a.m_color, b.m_color, t);
    m_gradient_matrix.set_lerp(a.m_gradient_matrix, b.m_gradient_matrix, t);
    // Only records both ends have take part.
    const int count = std::min({m_gradients.size(), a.m_gradients.size(), b.m_gradients.size()});
    for (int i = 0; i < count; ++i) {
        const float from = a.m_gradients[i].m_ratio;
        const float ratio = from + t * (b.m_gradients[i].m_ratio - from) + 0.5f;
        m_gradients[i].m_ratio = static_cast<uint8_t>(std::clamp(ratio, 0.0f, static_cast<float>(max_gradient_ratio)));
        m_gradients[i].m_color.set_lerp(a.m_gradients[i].m_color, b.m_gradients[i].m_color, t);
    }
    // The next draw makes a fresh texture for the new colours.
    m_gradient_bitmap = nullptr;
    m_bitmap_id = a.m_bitmap_id;
    m_bitmap_matrix.set_lerp(a.m_bitmap_matrix, b.m_bitmap_matrix, t);
}

void line_style::read(swf_stream* in, int tag_type) {
    in->align();
    m_width = in->read_u16();
    if (tag_type == TAG_DEFINE_SHAPE4) {
        m_start_cap_style = static_cast<uint8_t>(in->read_uint(cap_style_bits));
        m_join_style = static_cast<uint8_t>(in->read_uint(join_style_bits));
        m_has_fill = in->read_bool();
        m_no_hscale = in->read_bool();
        m_no_vscale = in->read_bool();
        m_pixel_hinting = in->read_bool();
        in->read_uint(reserved_line_bits);
        m_no_close = in->read_bool();
        m_end_cap_style = static_cast<uint8_t>(in->read_uint(cap_style_bits));
        if (m_join_style == join_miter) m_miter_limit_factor = in->read_u16();
        if (m_has_fill) {
            m_fill_style.read(in, TAG_DEFINE_SHAPE4);
        } else {
            m_color.read_rgba(in);
        }
        return;
    }
    m_color.read(in, tag_type);
}

bool read_fill_styles(array<fill_style>* styles, swf_stream* in, int tag_type, int room) {
    in->align();
    int count = in->read_u8();
    if (count == extended_count_escape && tag_type > TAG_DEFINE_SHAPE) count = in->read_u16();
    if (get_verbose_parse()) log_msg("  read_fill_styles: count = %d\n", count);
    if (count > room) return false;
    for (int i = 0; i < count; ++i) {
        // A count past the tag would only add default styles read from nothing.
        if (in->has_overrun()) break;
        fill_style style;
        style.read(in, tag_type);
        styles->push_back(style);
    }
    return true;
}

int read_style_count(swf_stream* in) {
    in->align();
    const int count = in->read_u8();
    return count == extended_count_escape ? in->read_u16() : count;
}

bool read_line_styles(array<line_style>* styles, swf_stream* in, int tag_type, int room) {
    in->align();
    int count = in->read_u8();
    if (get_verbose_parse()) log_msg("  read_line_styles: count = %d\n", count);
    if (count == extended_count_escape) {
        count = in->read_u16();
        if (get_verbose_parse()) log_msg("  read_line_styles: count2 = %d\n", count);
    }
    if (count > room) return false;
    for (int i = 0; i < count; ++i) {
        if (in->has_overrun()) break;
        line_style style;
        style.read(in, tag_type);
        styles->push_back(style);
    }
    return true;
}

}  // namespace flash
