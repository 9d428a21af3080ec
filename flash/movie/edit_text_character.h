#pragma once
// A text field on the stage: its text (UTF-8), the format values copied from its definition, its
// binding to a script variable, focus and typing. It draws only its optional border box; the host's
// text-drawing callback draws the text from the public fields below.
#include "flash/base/bx_string.h"
#include "flash/base/smart_ptr.h"
#include "flash/movie/text.h"
#include "flash/runtime/character.h"
#include "flash/shape/geometry.h"

namespace flash {

class edit_text_character : public character {
public:
    static constexpr int cast_class_id = EDIT_TEXT;

    // The field takes the definition's format and default text, then its bound variable's value.
    edit_text_character(engine_instance* player, character* parent, edit_text_character_def* def, int id);
    ~edit_text_character() override;

    bool is(int class_id) const override { return class_id == EDIT_TEXT || character::is(class_id); }

    edit_text_character_def* get_definition() const { return m_def.get_ptr(); }

    // What the host calls to show a text.
    void set_text(const bx_string& text) { set_text_value(text); }
    // Sets the text, cut to the definition's maximum length on a character boundary; the
    // cursor stays within it.
    void set_text_value(const bx_string& text);
    // The bound variable's name (the host's fallback font name).
    const bx_string& get_def_text() const { return m_def->m_default_name; }

    // Refreshes the text from the bound variable and returns it.
    const char* to_string() override;
    void advance(float dt) override;
    void display() override;
    character* get_topmost_mouse_entity(float x, float y) override;
    bool can_handle_mouse_event() override;
    bool on_event(const event_id& event) override;
    bool get_member(const bx_stringi& name, as_value* value) override;
    bool set_member(const bx_stringi& name, const as_value& value) override;

    // Fields the host reads (and partly sets); positions and sizes in twips.
    float m_text_bounds_x_min = 0.0f;
    float m_text_bounds_x_max = 0.0f;
    float m_text_bounds_y_min = 0.0f;
    float m_text_bounds_y_max = 0.0f;
    bx_string m_text;
    bool m_has_focus = false;
    bool m_line_feeds_only = false;  // the host splits the text only at line feeds
    bool m_typing_locked = false;    // typed characters are not inserted
    int m_cursor = 0;                // a byte index into the text, on a character boundary
    int m_max_chars = 0;             // 0: no limit; typing stops at this many bytes
    bx_string m_font_name;
    rgba m_color;
    float m_text_height = 0.0f;
    int m_alignment = ALIGN_LEFT;
    int m_vertical_alignment = default_vertical_alignment;
    float m_left_margin = 0.0f;
    float m_right_margin = 0.0f;
    float m_indent = 0.0f;
    float m_leading = 0.0f;
    rgba m_background_color{255, 255, 255, 255};
    float m_outline_width = 0.0f;
    rgba m_outline_color{0, 0, 0, 255};

    static constexpr int default_vertical_alignment = 2;

private:
    // The bound variable's value as text; false when there is none to show.
    bool read_bound_variable(bx_string* out);
    void draw_border();
    bool key_press(int key_code);
    void set_focus(bool on);

    smart_ptr<edit_text_character_def> m_def;
    // Set while the binding is read: fields bound to each other end there.
    bool m_reading_binding = false;
};

// "setTextFormat" of a field: copies a TextFormat's margins, indent, leading, colour, size and
// alignment into the field (not the definition).
void edit_text_set_text_format(const fn_call& fn);

// The global "TextField": a new field of a 0 by 0 pixel definition, with no parent and id 0.
void edit_text_ctor(const fn_call& fn);

}  // namespace flash
