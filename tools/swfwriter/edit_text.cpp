#include "tools/swfwriter/edit_text.h"

namespace swf {

Bytes define_edit_text_body(uint16_t id, const EditText& t) {
    BitWriter w;
    w.u16(id);
    write_rect(w, t.bounds);
    // Sixteen flags, most significant first.
    w.flag(t.initial_text.has_value());
    w.flag(t.word_wrap);
    w.flag(t.multiline);
    w.flag(t.password);
    w.flag(t.read_only);
    w.flag(t.color.has_value());
    w.flag(t.max_length.has_value());
    w.flag(t.font_id.has_value());
    w.flag(t.font_class.has_value());
    w.flag(t.auto_size);
    w.flag(t.layout.has_value());
    w.flag(t.no_select);
    w.flag(t.border);
    w.flag(t.was_static);
    w.flag(t.html);
    w.flag(t.use_outlines);
    if (t.font_id) w.u16(*t.font_id);
    if (t.font_class) w.string(*t.font_class);
    if (t.font_id) w.u16(t.font_height);
    if (t.color) write_rgba(w, *t.color);
    if (t.max_length) w.u16(*t.max_length);
    if (t.layout) {
        w.u8(t.layout->align);
        w.u16(t.layout->left_margin);
        w.u16(t.layout->right_margin);
        w.u16(static_cast<uint16_t>(t.layout->indent));
        w.u16(static_cast<uint16_t>(t.layout->leading));
    }
    w.string(t.variable_name);
    if (t.initial_text) w.string(*t.initial_text);
    return w.take();
}

}  // namespace swf
