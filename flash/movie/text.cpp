#include "flash/movie/text.h"

#include <new>

#include "flash/base/log.h"
#include "flash/base/smart_ptr.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_definition.h"
#include "flash/movie/tag_loaders.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

constexpr float fixed_16_16 = 1.0f / 65536.0f;
constexpr int flashtype_bits = 2;
constexpr int grid_fit_bits = 3;
constexpr int csm_reserved_bits = 3;

// The style flags of a text record.
constexpr uint8_t record_has_font = 0x08;
constexpr uint8_t record_has_color = 0x04;
constexpr uint8_t record_has_y_offset = 0x02;
constexpr uint8_t record_has_x_offset = 0x01;

}  // namespace

void csm_text_settings::read(swf_stream* in) {
    if (get_verbose_parse()) log_msg("reading CSMTextSetting tag\n");
    m_use_flashtype = in->read_uint(flashtype_bits) != 0;
    m_grid_fit = static_cast<int>(in->read_uint(grid_fit_bits));
    in->read_uint(csm_reserved_bits);
    m_thickness = static_cast<float>(in->read_s32()) * fixed_16_16;
    m_sharpness = static_cast<float>(in->read_s32()) * fixed_16_16;
    in->read_u8();
    if (get_verbose_parse()) {
        log_msg("\tm_use_flashtype = %s\n", m_use_flashtype ? "true" : "false");
        log_msg("\tm_grid_fit = %d\n", m_grid_fit);
        log_msg("\tm_thickness = %f\n", m_thickness);
        log_msg("\tm_sharpness = %f\n", m_sharpness);
    }
}

void text_character_def::read(swf_stream* in, int tag_type) {
    m_rect.read(in);
    m_matrix.read(in);
    in->read_u8();  // glyph bits
    in->read_u8();  // advance bits
    const bool verbose = get_verbose_parse();
    if (verbose) log_msg("begin text records\n");
    // Only the first record's style is looked at; the glyph entries are left to the tag's end.
    bool first = true;
    for (uint8_t flags = in->read_u8(); flags != 0 && !in->has_overrun(); flags = in->read_u8()) {
        if (!first) continue;
        first = false;
        if (verbose) log_msg("  text style change\n");
        const bool has_font = (flags & record_has_font) != 0;
        if (has_font) {
            const int font_id = in->read_u16();
            if (verbose) log_msg("  has_font: font id = %d\n", font_id);
        }
        if (flags & record_has_color) {
            rgba color;
            if (tag_type == TAG_DEFINE_TEXT) {
                color.read_rgb(in);
            } else {
                color.read_rgba(in);
            }
            if (verbose) log_msg("  has_color\n");
        }
        if (flags & record_has_x_offset) {
            const float x = in->read_s16();
            if (verbose) log_msg("  has_x_offset = %g\n", x);
        }
        if (flags & record_has_y_offset) {
            const float y = in->read_s16();
            if (verbose) log_msg("  has_y_offset = %g\n", y);
        }
        if (has_font) {
            const float height = in->read_u16();
            if (verbose) log_msg("  text_height = %g\n", height);
        }
    }
    if (verbose) log_msg("end text records\n");
}

edit_text_character_def::edit_text_character_def(int width_pixels, int height_pixels) {
    m_rect.m_x_max = static_cast<float>(width_pixels) * twips_per_pixel;
    m_rect.m_y_max = static_cast<float>(height_pixels) * twips_per_pixel;
}

void edit_text_character_def::read(swf_stream* in) {
    m_rect.read(in);
    in->align();
    const bool has_text = in->read_bool();
    m_word_wrap = in->read_bool();
    m_multiline = in->read_bool();
    m_password = in->read_bool();
    m_readonly = in->read_bool();
    const bool has_color = in->read_bool();
    const bool has_max_length = in->read_bool();
    const bool has_font = in->read_bool();
    in->read_bool();
    m_auto_size = in->read_bool();
    const bool has_layout = in->read_bool();
    m_no_select = in->read_bool();
    m_border = in->read_bool();
    in->read_bool();
    m_html = in->read_bool();
    m_use_outlines = in->read_bool();
    if (has_font) {
        m_font_id = in->read_u16();
        m_text_height = in->read_u16();
    }
    if (has_color) m_color.read_rgba(in);
    if (has_max_length) m_max_length = in->read_u16();
    if (has_layout) {
        m_alignment = in->read_u8();
        m_left_margin = in->read_u16();
        m_right_margin = in->read_u16();
        m_indent = in->read_s16();
        m_leading = in->read_s16();
    }
    in->read_string(m_default_name);
    if (has_text) in->read_string(m_default_text);
    if (get_verbose_parse()) {
        log_msg("edit_text_char, varname = %s, text = %s\n", m_default_name.c_str(), m_default_text.c_str());
    }
}

character* edit_text_character_def::create_character_instance(engine_instance* player, character* parent, int id) {
    return new (std::nothrow) edit_text_character(player, parent, this, id);
}

void define_text_loader(swf_stream* in, int tag_type, movie_definition_sub* m) {
    const int id = in->read_u16();
    smart_ptr<text_character_def> def(new text_character_def);
    def->read(in, tag_type);
    if (get_verbose_parse()) log_msg("text_character, id = %d\n", id);
    m->add_character(id, def.get_ptr());
}

void define_edit_text_loader(swf_stream* in, int, movie_definition_sub* m) {
    const int id = in->read_u16();
    smart_ptr<edit_text_character_def> def(new edit_text_character_def);
    if (get_verbose_parse()) log_msg("edit_text_char, id = %d\n", id);
    def->read(in);
    m->add_character(id, def.get_ptr());
}

void csm_text_settings_loader(swf_stream* in, int, movie_definition_sub* m) {
    const int id = in->read_u16();
    character_def* def = m->get_character_def(id);
    if (def && def->is(character_def::TEXT_CHARACTER_DEF)) {
        static_cast<text_character_def*>(def)->m_csm.read(in);
    } else if (def && def->is(character_def::EDIT_TEXT_CHARACTER_DEF)) {
        static_cast<edit_text_character_def*>(def)->m_csm.read(in);
    } else {
        log_error("define_font_alignzones: can't find font w/ id %d\n", id);
    }
}

}  // namespace flash
