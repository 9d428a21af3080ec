#pragma once
// Text definitions: static text (DefineText, DefineText2), read and skipped, drawing nothing; the
// definition of a text field (DefineEditText, or made at run time); and the CSMTextSettings
// values that both keep. The engine lays out no glyphs: the host draws a field's text.
#include "flash/base/bx_string.h"
#include "flash/movie/character_def.h"
#include "flash/shape/geometry.h"

namespace flash {

class movie_definition_sub;
class swf_stream;

// The CSMTextSettings values; nothing reads them beyond the verbose log.
struct csm_text_settings {
    bool m_use_flashtype = false;
    int m_grid_fit = 0;
    float m_thickness = 0.0f;
    float m_sharpness = 0.0f;

    void read(swf_stream* in);
};

class text_character_def : public character_def {
public:
    bool is(int class_id) const override { return class_id == TEXT_CHARACTER_DEF || character_def::is(class_id); }

    // After the character id: bounds, matrix, the two bit counts, then the text records scanned
    // (not kept) up to their end byte.
    void read(swf_stream* in, int tag_type);
    rect get_bound() const override { return m_rect; }

    rect m_rect;
    matrix m_matrix;
    csm_text_settings m_csm;
};

// Text alignment values of a field.
enum edit_text_alignment { ALIGN_LEFT = 0, ALIGN_RIGHT = 1, ALIGN_CENTER = 2, ALIGN_JUSTIFY = 3 };

class edit_text_character_def : public character_def {
public:
    // A field made by a script or the host: width by height pixels from the origin.
    edit_text_character_def(int width_pixels, int height_pixels);
    edit_text_character_def() = default;

    bool is(int class_id) const override { return class_id == EDIT_TEXT_CHARACTER_DEF || character_def::is(class_id); }

    // After the character id.
    void read(swf_stream* in);
    rect get_bound() const override { return m_rect; }
    character* create_character_instance(engine_instance* player, character* parent, int id) override;

    rect m_rect;
    bx_string m_default_name;  // the bound variable
    bool m_word_wrap = false;
    bool m_multiline = false;
    bool m_password = false;
    bool m_readonly = false;
    bool m_auto_size = false;
    bool m_no_select = false;
    bool m_border = false;
    bool m_html = false;
    bool m_use_outlines = false;
    int m_font_id = -1;
    float m_text_height = default_text_height;
    rgba m_color{0, 0, 0, 255};
    int m_max_length = 0;
    int m_alignment = ALIGN_LEFT;
    float m_left_margin = 0.0f;
    float m_right_margin = 0.0f;
    float m_indent = 0.0f;
    float m_leading = 0.0f;
    bx_string m_default_text;
    csm_text_settings m_csm;

    // 12 pixels.
    static constexpr float default_text_height = 240.0f;
};

// DefineText and DefineText2 (11, 33), DefineEditText (37) and CSMTextSettings (74).
void define_text_loader(swf_stream* in, int tag_type, movie_definition_sub* m);
void define_edit_text_loader(swf_stream* in, int tag_type, movie_definition_sub* m);
void csm_text_settings_loader(swf_stream* in, int tag_type, movie_definition_sub* m);

}  // namespace flash
