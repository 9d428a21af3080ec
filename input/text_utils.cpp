#include "input/text_utils.h"

#include <new>
#include <vector>

#include "core/string_table.h"
#include "core/string_utils.h"
#include "flash/movie/display_list.h"
#include "flash/movie/edit_text_character.h"

namespace TextUtils {

namespace {

constexpr float twipsPerPixel = 20.0f;
// Fields are made at twice the resolution they show at.
constexpr float fieldScale = 0.5f;
// The text mode of a screen text: centred.
constexpr int screenTextAlignment = flash::ALIGN_CENTER;

void setWideText(flash::edit_text_character* field, const std::u16string& text) {
    std::vector<uint16_t> units(text.begin(), text.end());
    units.push_back(0);
    flash::bx_string utf8;
    flash::bx_string::encode_utf8_from_wchar(&utf8, units.data());
    field->set_text(utf8);
}

}  // namespace

flash::edit_text_character* createTextField(flash::character* clip, const char* name, const TextFieldStyle& style) {
    flash::display_list* list = clip ? clip->get_display_list() : nullptr;
    if (!list) return nullptr;
    flash::smart_ptr<flash::edit_text_character_def> def(
        new (std::nothrow) flash::edit_text_character_def(style.width, style.height));
    if (!def) return nullptr;
    flash::smart_ptr<flash::character> made(def->create_character_instance(clip->get_player(), clip, 0));
    auto* field = flash::cast_to<flash::edit_text_character>(made.get_ptr());
    if (!field) return nullptr;
    field->set_name(name ? name : "");
    field->m_text_height = static_cast<float>(style.fontHeight) * twipsPerPixel;
    field->m_alignment = screenTextAlignment;
    field->m_font_name = style.font.c_str();
    field->m_line_feeds_only = style.lineFeedsOnly;
    field->m_typing_locked = style.typingLocked;
    field->m_color = flash::rgba(static_cast<uint8_t>(style.colour >> 16), static_cast<uint8_t>(style.colour >> 8),
                                 static_cast<uint8_t>(style.colour), static_cast<uint8_t>(style.colour >> 24));
    flash::matrix m;
    m.set_scale_rotation(fieldScale, fieldScale, 0.0f);
    m.m_[0][2] = style.x * twipsPerPixel;
    m.m_[1][2] = style.y * twipsPerPixel;
    list->add_display_object(field, list->get_next_highest_depth(), true, flash::cxform(), m, 0.0f, 0);
    return field;
}

void setLocalizedText(flash::edit_text_character* field, const std::string& key, const std::string& replacements) {
    if (!field) return;
    std::u16string text = StringTable::translate(key);
    if (!replacements.empty()) {
        std::u16string replaced;
        replaceKeys(replaced, text, replacements);
        text = replaced;
    }
    setWideText(field, text);
}

void utf8ToWide(flash::edit_text_character* field, const std::string& key, const std::u16string& suffix) {
    if (!field) return;
    std::u16string text = StringTable::translate(key);
    if (!suffix.empty()) text += suffix;
    setWideText(field, text);
}

}  // namespace TextUtils
