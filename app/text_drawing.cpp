// The engine's text-drawing callback: the shown text of a field (translated, with a count after
// "|", with the caret), broken into at most 20 lines and drawn with the game's bitmap fonts.
#include <array>
#include <cmath>

#include "app/application.h"
#include "app/engine_hooks.h"
#include "core/cvar_catalogue.h"
#include "core/log_stream.h"
#include "core/string_table.h"
#include "core/string_utils.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/text.h"
#include "flash/shape/geometry.h"
#include "graphics/font.h"
#include "graphics/font_manager.h"

namespace {

constexpr int kMaxLines = 20;
constexpr int kAlignCentre = 2;

// The font manager's fonts as the callback uses them.
class ManagedFont : public app::TextFont {
public:
    Font* font = nullptr;
    int lineHeight() const override { return font->getHeight(); }
    int textWidth(const std::u16string& text) const override { return font->getTextWidth(text); }
    void draw(float x, float y, uint32_t argb, const std::u16string& text, float outlineWidth,
              uint32_t outlineArgb) override {
        font->drawText(x, y, argb, text, nullptr, outlineWidth, outlineArgb);
    }
};

app::TextFontLookup g_lookup;

app::TextFont* findFont(const std::string& name) {
    if (g_lookup) return g_lookup(name);
    static ManagedFont managed;
    managed.font = getFontByName(name);
    return managed.font ? &managed : nullptr;
}

struct LineRecord {
    float x = 0;
    float y = 0;
    std::u16string text;
};
// The line table, made once.
std::array<LineRecord, kMaxLines> g_lines;

uint32_t packArgb(const flash::rgba& c) {
    return (static_cast<uint32_t>(c.m_a) << 24) | (static_cast<uint32_t>(c.m_r) << 16) |
           (static_cast<uint32_t>(c.m_g) << 8) | c.m_b;
}

// Splits at every separator, keeping empty parts ("a||b" has three).
std::vector<std::string> splitKeepingEmpty(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

std::u16string shownText(const std::string& source) {
    std::u16string shown;
    if (source.find('|') != std::string::npos) {
        const std::vector<std::string> parts = splitKeepingEmpty(source, '|');
        if (parts.size() == 2)
            shown = StringTable::translate(parts[0]) + u" x" + utf8ToWString(parts[1]);
        else
            shown = StringTable::translate(source);
    } else {
        shown = StringTable::translate(source);
    }
    if (shown.empty()) shown = utf8ToWString(source);
    return shown;
}

}  // namespace

namespace app {

void setTextFontLookup(TextFontLookup lookup) { g_lookup = std::move(lookup); }

}  // namespace app

void Application::drawText(flash::edit_text_character* field) {
    if (!field) return;
    flash::edit_text_character_def* def = field->get_definition();
    if (!def) return;
    const std::string source = field->m_text.c_str();
    std::u16string text = shownText(source);

    if (field->m_has_focus) {
        // The cursor is a byte index into the UTF-8 text; the caret goes before the same character.
        const size_t bytes = std::min(static_cast<size_t>(std::max(field->m_cursor, 0)), source.size());
        const size_t at = std::min(utf8ToWString(source.substr(0, bytes)).size(), text.size());
        text.insert(at, 1, u'|');
    }

    std::string fontName = field->m_font_name.c_str();
    if (fontName.empty()) fontName = field->get_def_text().c_str();
    app::TextFont* font = findFont(fontName);
    if (!font) {
        if (!fontName.empty()) Tov::LogLine("MESSAGE") << "not found font: " << fontName;
        font = findFont(v_DefaultFont->text);
        if (!font) return;
    }

    // The field's placement on the stage: its top-left corner and scale (an identity placement
    // leaves the definition's own edges).
    const flash::matrix world = field->get_world_matrix();
    const flash::rect& bounds = def->m_rect;
    flash::point origin;
    world.transform(&origin, flash::point(bounds.m_x_min, bounds.m_y_min));
    const float width = (bounds.m_x_max - bounds.m_x_min) * flash::pixels_per_twip * std::fabs(world.get_x_scale());
    const float height = (bounds.m_y_max - bounds.m_y_min) * flash::pixels_per_twip * std::fabs(world.get_y_scale());
    const int lineHeight = font->lineHeight();

    int lineCount = 0;
    auto closeLine = [&](std::u16string&& line, float lineWidth, bool centre) {
        if (lineCount >= kMaxLines) return;  // the table holds 20 lines; the rest is dropped
        LineRecord& record = g_lines[static_cast<size_t>(lineCount)];
        record.x = centre ? (width - lineWidth) * 0.5f : 0.0f;
        record.y = static_cast<float>(lineCount * lineHeight);
        record.text = std::move(line);
        ++lineCount;
    };
    if (field->m_line_feeds_only) {
        size_t start = 0;
        while (lineCount < kMaxLines) {
            const size_t at = text.find(u'\n', start);
            closeLine(text.substr(start, at == std::u16string::npos ? std::u16string::npos : at - start), 0, false);
            if (at == std::u16string::npos) break;
            start = at + 1;
        }
    } else {
        const bool centre = field->m_alignment == kAlignCentre;
        const bool noWrap = !def->m_word_wrap;
        std::u16string line;
        float lineWidth = 0;
        size_t start = 0;
        while (lineCount < kMaxLines) {
            const size_t at = text.find(u' ', start);
            std::u16string word = text.substr(start, at == std::u16string::npos ? std::u16string::npos : at - start);
            word += u' ';
            const float wordWidth = static_cast<float>(font->textWidth(word));
            if (!line.empty() && lineWidth + wordWidth > width && !noWrap) {
                closeLine(std::move(line), lineWidth, centre);
                line.clear();
                lineWidth = 0;
            }
            line += word;
            lineWidth += wordWidth;
            if (at == std::u16string::npos) break;
            start = at + 1;
        }
        if (!line.empty()) closeLine(std::move(line), lineWidth, centre);
    }

    float offset;
    switch (field->m_vertical_alignment) {
        case 0: offset = height - static_cast<float>(lineHeight); break;
        case 1: offset = 0; break;
        case 2: offset = std::trunc((height - static_cast<float>(lineCount * lineHeight) + 1.0f) * 0.5f); break;
        default: offset = height; break;
    }

    const uint32_t colour = packArgb(field->get_cxform().transform(field->m_color));
    const uint32_t outline = packArgb(field->m_outline_color);
    const float left = origin.m_x * flash::pixels_per_twip, top = origin.m_y * flash::pixels_per_twip;
    for (int i = 0; i < lineCount; ++i) {
        const LineRecord& record = g_lines[static_cast<size_t>(i)];
        font->draw(record.x + left, record.y + top + offset, colour, record.text, field->m_outline_width, outline);
    }
}
