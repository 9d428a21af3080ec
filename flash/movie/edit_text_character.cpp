#include "flash/movie/edit_text_character.h"

#include <cstdint>
#include <new>

#include "flash/base/numeric.h"
#include "flash/movie/movie_root.h"
#include "flash/render/bitmap_info.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/event_id.h"
#include "flash/movie/host_callbacks.h"
#include "flash/runtime/name_tables.h"

namespace flash {

namespace {

// Key codes a focused field acts on.
constexpr int key_backspace = 8;
constexpr int key_delete = 46;
constexpr int key_page_up = 33;
constexpr int key_page_down = 34;
constexpr int key_end = 35;
constexpr int key_home = 36;
constexpr int key_left = 37;
constexpr int key_up = 38;
constexpr int key_right = 39;
constexpr int key_down = 40;

// Host event codes of the pointer events.

const char* const set_focus_handler = "onSetFocus";
const char* const kill_focus_handler = "onKillFocus";
const char* const set_text_format_name = "setTextFormat";

bool is_continuation_byte(char c) { return (static_cast<uint8_t>(c) & 0xC0) == 0x80; }

// The nearest character boundary at or before index.
int boundary_before(const bx_string& text, int index) {
    if (index >= text.length()) return text.length();
    while (index > 0 && is_continuation_byte(text.c_str()[index])) --index;
    return index;
}

// The boundary after the character that starts at index.
int next_boundary(const bx_string& text, int index) {
    if (index >= text.length()) return text.length();
    ++index;
    while (index < text.length() && is_continuation_byte(text.c_str()[index])) ++index;
    return index;
}

// The boundary before the character that ends at index.
int previous_boundary(const bx_string& text, int index) {
    if (index <= 0) return 0;
    return boundary_before(text, index - 1);
}

bool is_typed_character(int code) {
    return (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z');
}

int color_to_integer(const rgba& c) { return c.m_r * 65536 + c.m_g * 256 + c.m_b; }

// Calls a handler member of the field with one undefined argument, when it has one.
void call_focus_handler(edit_text_character* field, const char* name) {
    as_value handler;
    if (!field->get_member(bx_stringi(name), &handler)) return;
    as_environment env(field->get_player());
    env.push(as_value());
    call_method(handler, &env, as_value(static_cast<as_object*>(field)), 1, env.get_top_index());
    env.drop(1);
}

}  // namespace

edit_text_character::edit_text_character(engine_instance* player, character* parent, edit_text_character_def* def,
                                         int id)
    : character(player, parent, id), m_def(def ? def : new edit_text_character_def) {
    m_color = m_def->m_color;
    m_text_height = m_def->m_text_height;
    m_alignment = m_def->m_alignment;
    m_left_margin = m_def->m_left_margin;
    m_right_margin = m_def->m_right_margin;
    m_indent = m_def->m_indent;
    m_leading = m_def->m_leading;
    builtin_member(bx_stringi(set_text_format_name), as_value(edit_text_set_text_format));
    set_text_value(m_def->m_default_text);
    bx_string bound;
    if (read_bound_variable(&bound)) set_text_value(bound);
}

edit_text_character::~edit_text_character() = default;

void edit_text_character::set_text_value(const bx_string& text) {
    if (text == m_text) return;
    m_text = text;
    const int max_length = m_def->m_max_length;
    if (max_length > 0 && m_text.length() > max_length) {
        // Cut on a character boundary, so no sequence is left half.
        if (!m_text.resize(boundary_before(m_text, max_length))) m_text.clear();
    }
    if (m_cursor > m_text.length()) m_cursor = m_text.length();
}

bool edit_text_character::read_bound_variable(bx_string* out) {
    const bx_string& name = m_def->m_default_name;
    character* parent = get_parent();
    if (name.length() == 0 || !parent || m_reading_binding) return false;
    bx_string path;
    bx_string variable;
    as_object* target = parent;
    if (as_environment::parse_path(name, &path, &variable)) {
        target = parent->find_target(as_value(path));
    } else {
        variable = name;
    }
    if (!target) return false;
    // A value that is a field reads that field's binding in turn: the flag ends a ring of them.
    m_reading_binding = true;
    as_value value;
    bool found = target->get_member(bx_stringi(variable.c_str()), &value);
    if (found && value.is_object() && value.to_object() == this) found = false;
    if (found) *out = value.to_bx_string();
    m_reading_binding = false;
    return found;
}

const char* edit_text_character::to_string() {
    bx_string bound;
    if (read_bound_variable(&bound) && bound != m_text) set_text_value(bound);
    return m_text.c_str();
}

void edit_text_character::advance(float) { to_string(); }

void edit_text_character::draw_border() {
    render_handler* handler = get_render_handler();
    if (!handler) return;
    const rect& r = m_def->m_rect;
    const int32_t x0 = ftrunc(r.m_x_min);
    const int32_t x1 = ftrunc(r.m_x_max);
    const int32_t y0 = ftrunc(r.m_y_min);
    const int32_t y1 = ftrunc(r.m_y_max);
    handler->set_matrix(get_world_matrix());
    handler->fill_style_color(0, m_background_color);
    const int32_t box[] = {x0, y0, x1, y0, x0, y1, x1, y1};
    handler->draw_mesh_strip(box, 4);
    handler->line_style_color(rgba(0, 0, 0, 255));
    handler->line_style_width(0.0f);
    const int32_t outline[] = {x0, y0, x1, y0, x1, y1, x0, y1, x0, y0};
    handler->draw_line_strip(outline, 5);
}

void edit_text_character::display() {
    if (!get_visible() || !get_display_enabled()) return;
    if (m_def->m_border) draw_border();
    if (drawtext_callback draw = get_drawtext_callback()) draw(this);
    do_display_callback();
}

character* edit_text_character::get_topmost_mouse_entity(float x, float y) {
    if (!get_visible()) return nullptr;
    point local;
    get_matrix().transform_by_inverse(&local, point(x, y));
    const rect& r = m_def->m_rect;
    const bool inside = local.m_x >= r.m_x_min && local.m_x <= r.m_x_max && local.m_y >= r.m_y_min &&
                        local.m_y <= r.m_y_max;
    return inside ? this : nullptr;
}

bool edit_text_character::can_handle_mouse_event() {
    if (m_named_clips && get_name().length() > 0) return true;
    return !(m_def->m_readonly && !m_event_callback);
}

void edit_text_character::set_focus(bool on) {
    // The root that shows the field, held: the focus handlers may drop it.
    character* parent = get_parent();
    smart_ptr<root> owner_root(parent ? parent->get_root() : get_root());
    if (on == m_has_focus) return;
    call_focus_handler(this, on ? set_focus_handler : kill_focus_handler);
    m_has_focus = on;
    if (on) {
        m_cursor = m_text.length();
        if (owner_root) owner_root->get_keypress_listeners().add(this);
    } else if (owner_root) {
        owner_root->get_keypress_listeners().remove(this);
    }
}

bool edit_text_character::key_press(int key_code) {
    // The host may have set any cursor: bring it into the text and onto a character boundary.
    if (m_cursor < 0) m_cursor = 0;
    if (m_cursor > m_text.length()) m_cursor = m_text.length();
    m_cursor = boundary_before(m_text, m_cursor);
    bx_string text = m_text;
    switch (key_code) {
        case key_backspace:
            if (m_cursor > 0) {
                const int from = previous_boundary(text, m_cursor);
                text.erase(from, m_cursor - from);
                m_cursor = from;
                set_text_value(text);
            }
            break;
        case key_delete:
            if (m_cursor < text.length()) {
                text.erase(m_cursor, next_boundary(text, m_cursor) - m_cursor);
                set_text_value(text);
            }
            break;
        case key_page_up:
        case key_end:
        case key_down: m_cursor = m_text.length(); break;
        case key_page_down:
        case key_home:
        case key_up: m_cursor = 0; break;
        case key_left: m_cursor = previous_boundary(m_text, m_cursor); break;
        case key_right: m_cursor = next_boundary(m_text, m_cursor); break;
        default:
            if (m_max_chars > 0 && m_text.length() >= m_max_chars) break;
            if (m_typing_locked || !is_typed_character(key_code)) break;
            text.insert(m_cursor, static_cast<char>(key_code));
            ++m_cursor;
            set_text_value(text);
            break;
    }
    return false;
}

bool edit_text_character::on_event(const event_id& event) {
    notify_event_callback(this, button_host_event(event.m_id));
    if (m_def->m_readonly) return false;
    switch (event.m_id) {
        case event_id::SETFOCUS:
            set_focus(true);
            return true;
        case event_id::KILLFOCUS:
            if (!m_has_focus) return false;
            set_focus(false);
            return true;
        case event_id::KEY_PRESS: return key_press(event.m_key_code);
        default: return false;
    }
}

bool edit_text_character::set_member(const bx_stringi& name, const as_value& value) {
    switch (::flash::get_standard_member(name)) {
        case M_TEXT: set_text_value(value.to_bx_string()); break;
        case M_TEXTCOLOR: m_color.set(value.to_number()); break;
        case M_BORDER: m_def->m_border = value.to_bool(); break;
        case M_MULTILINE: m_def->m_multiline = value.to_bool(); break;
        case M_WORDWRAP: m_def->m_word_wrap = value.to_bool(); break;
        case M_TYPE: {
            const bx_string& type = value.to_bx_string();
            if (type == "input") m_def->m_readonly = false;
            if (type == "dynamic") m_def->m_readonly = true;
            break;
        }
        case M_BACKGROUNDCOLOR: m_background_color.set(value.to_number()); break;
        default: break;
    }
    // Watches on these names still fire.
    return character::set_member(name, value);
}

bool edit_text_character::get_member(const bx_stringi& name, as_value* value) {
    as_value scratch;
    as_value* out = value ? value : &scratch;
    switch (::flash::get_standard_member(name)) {
        case M_TEXT: out->set_string(m_text.c_str()); return true;
        case M_TEXTWIDTH: out->set_double((m_text_bounds_x_max - m_text_bounds_x_min) / twips_per_pixel); return true;
        case M_TEXTCOLOR: out->set_int(color_to_integer(m_color)); return true;
        case M_BACKGROUNDCOLOR: out->set_int(color_to_integer(m_background_color)); return true;
        case M_BORDER: out->set_bool(m_def->m_border); return true;
        case M_MULTILINE: out->set_bool(m_def->m_multiline); return true;
        case M_WORDWRAP: out->set_bool(m_def->m_word_wrap); return true;
        case M_TYPE: out->set_string(m_def->m_readonly ? "dynamic" : "input"); return true;
        default: return character::get_member(name, value);
    }
}

void edit_text_set_text_format(const fn_call& fn) {
    edit_text_character* field = cast_to<edit_text_character>(fn.this_object);
    if (!field || fn.arg_count != 1) return;
    as_object* format = fn.arg(0).is_object() ? fn.arg(0).to_object() : nullptr;
    if (!format || !format->is(as_object::TEXT_FORMAT)) return;
    as_value v;
    if (format->get_member(bx_stringi("leftMargin"), &v)) finite_assign(field->m_left_margin, v.to_number() * twips_per_pixel);
    if (format->get_member(bx_stringi("indent"), &v)) finite_assign(field->m_indent, v.to_number() * twips_per_pixel);
    if (format->get_member(bx_stringi("rightMargin"), &v)) finite_assign(field->m_right_margin, v.to_number() * twips_per_pixel);
    if (format->get_member(bx_stringi("leading"), &v)) finite_assign(field->m_leading, v.to_number() * twips_per_pixel);
    if (format->get_member(bx_stringi("color"), &v)) field->m_color.set(v.to_number());
    if (format->get_member(bx_stringi("size"), &v)) finite_assign(field->m_text_height, v.to_number() * twips_per_pixel);
    if (format->get_member(bx_stringi("align"), &v)) {
        const bx_string& align = v.to_bx_string();
        if (align == "left") field->m_alignment = ALIGN_LEFT;
        else if (align == "center") field->m_alignment = ALIGN_CENTER;
        else if (align == "right") field->m_alignment = ALIGN_RIGHT;
        else if (align == "justify") field->m_alignment = ALIGN_JUSTIFY;
    }
}

void edit_text_ctor(const fn_call& fn) {
    smart_ptr<edit_text_character_def> def(new (std::nothrow) edit_text_character_def(0, 0));
    if (!def || !fn.result) return;
    smart_ptr<edit_text_character> field(new (std::nothrow) edit_text_character(fn.get_player(), nullptr, def.get_ptr(), 0));
    if (field) fn.result->set_as_object(field.get_ptr());
}

}  // namespace flash
