#pragma once
// The screens' helpers that put texts into Flash text fields: a field made inside a clip for an
// on-screen text, and localised texts from the string table set as a field's UTF-8 text.
#include <cstdint>
#include <string>

namespace flash {
class character;
class edit_text_character;
}  // namespace flash

namespace TextUtils {

// Where and how a made field shows: position and size in the clip's pixels, the colour as ARGB,
// the font name and height the host's drawing reads.
struct TextFieldStyle {
    float x = 0.0f;
    float y = 0.0f;
    int width = 0;
    int height = 0;
    bool lineFeedsOnly = false;  // the host breaks lines only at line feeds
    uint32_t colour = 0xFF000000;
    std::string font;
    int fontHeight = 12;
    bool typingLocked = false;   // a label: typed keys are not inserted
};

// A new text field named name on top of the clip's display list: centred, the font height in
// twips, drawn at half scale so that the text is laid out at twice the resolution it shows at
// (callers pass sizes accordingly); null when the clip has no display list.
flash::edit_text_character* createTextField(flash::character* clip, const char* name, const TextFieldStyle& style);

// The string table's text of key ("ids_..."; the key itself when the table has none), with each
// "%name%" replaced from the list "name, value, ..." when one is given, set as the field's text.
void setLocalizedText(flash::edit_text_character* field, const std::string& key, const std::string& replacements = "");

// The string table's text of key followed by suffix, set as the field's text.
void utf8ToWide(flash::edit_text_character* field, const std::string& key, const std::u16string& suffix = u"");

}  // namespace TextUtils
