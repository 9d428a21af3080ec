#pragma once
// DefineEditText: a text field with every optional field the record can carry.
#include <cstdint>
#include <optional>
#include <string>

#include "tools/swfwriter/bit_writer.h"
#include "tools/swfwriter/records.h"

namespace swf {

enum TextAlign : uint8_t { align_left = 0, align_right = 1, align_center = 2, align_justify = 3 };

struct TextLayout {
    uint8_t align = align_left;
    uint16_t left_margin = 0, right_margin = 0;
    int16_t indent = 0, leading = 0;
};

struct EditText {
    Rect bounds;
    bool word_wrap = false, multiline = false, password = false, read_only = false;
    bool auto_size = false, no_select = false, border = false, was_static = false;
    bool html = false, use_outlines = false;
    std::optional<uint16_t> font_id;  // with it, the font height follows
    uint16_t font_height = 240;
    std::optional<std::string> font_class;
    std::optional<Rgba> color;
    std::optional<uint16_t> max_length;
    std::optional<TextLayout> layout;
    std::string variable_name;
    std::optional<std::string> initial_text;
};

// After the id: bounds, two flag bytes, then font, class, height, colour, length, layout,
// variable name and text, each when present.
Bytes define_edit_text_body(uint16_t id, const EditText& t);

}  // namespace swf
