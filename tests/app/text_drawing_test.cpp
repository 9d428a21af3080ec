// The engine's text callback with a recording font: the shown text, the caret, line breaking,
// alignment, vertical placement, the 20-line table and the font fallback.
#include <gtest/gtest.h>

#include <map>

#include "app/application.h"
#include "app/engine_hooks.h"
#include "core/cvar_catalogue.h"
#include "core/string_table.h"
#include "core/string_utils.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/player.h"
#include "flash/movie/text.h"
#include "core/log_stream.h"
#include "tests/support/temp_dir.h"

namespace {

struct Drawn {
    float x, y;
    uint32_t argb;
    std::string text;
    float outline;
    uint32_t outlineArgb;
};

// Every character is 10 pixels wide; lines are 12 pixels high.
class RecordingFont : public app::TextFont {
public:
    std::vector<Drawn>* out;
    explicit RecordingFont(std::vector<Drawn>* sink) : out(sink) {}
    int lineHeight() const override { return 12; }
    int textWidth(const std::u16string& text) const override { return static_cast<int>(text.size()) * 10; }
    void draw(float x, float y, uint32_t argb, const std::u16string& text, float outline,
              uint32_t outlineArgb) override {
        out->push_back({x, y, argb, wstringToUtf8(text), outline, outlineArgb});
    }
};

class TextDrawing : public ::testing::Test {
protected:
    testsupport::TempDir dir;
    std::vector<Drawn> drawn;
    RecordingFont font{&drawn};
    std::map<std::string, app::TextFont*> fonts{{"body", &font}};
    flash::smart_ptr<flash::player> owner{new flash::player};
    flash::smart_ptr<flash::character> parent{new flash::character(owner.get_ptr())};
    flash::smart_ptr<flash::edit_text_character_def> def{new flash::edit_text_character_def(100, 61)};
    flash::smart_ptr<flash::edit_text_character> field;

    void SetUp() override {
        Tov::LogStream::setFile((dir.path() / "text.log").string(), false);
        app::setTextFontLookup([this](const std::string& name) -> app::TextFont* {
            auto it = fonts.find(name);
            return it == fonts.end() ? nullptr : it->second;
        });
        def->m_word_wrap = true;
        field = flash::smart_ptr<flash::edit_text_character>(static_cast<flash::edit_text_character*>(
            def->create_character_instance(owner.get_ptr(), parent.get_ptr(), 1)));
        field->m_font_name = "body";
        field->m_vertical_alignment = 1;
    }
    void TearDown() override {
        app::setTextFontLookup(nullptr);
        field = nullptr;
        parent = nullptr;
        owner = nullptr;
    }
    std::vector<Drawn> draw(const std::string& text) {
        drawn.clear();
        field->m_text = text.c_str();
        Application::drawText(field.get_ptr());
        return drawn;
    }
    std::string log() const { return testsupport::readFile(dir.path() / "text.log"); }
};

TEST_F(TextDrawing, TheShownTextTable) {
    field->m_line_feeds_only = true;
    // No string table is loaded: a key shows itself.
    struct Case {
        const char* source;
        const char* shown;
    };
    const Case cases[] = {
        {"key|3", "key x3"},          // a key and a count
        {"a|b|c", "a|b|c"},           // two bars: the whole text as one key
        {"|7", " x7"},                // an empty key
        {"ids_missing", "ids_missing"},
        {"Grüße", "Grüße"},
    };
    for (const Case& c : cases) {
        auto lines = draw(c.source);
        ASSERT_EQ(lines.size(), 1u) << c.source;
        EXPECT_EQ(lines[0].text, c.shown) << c.source;
    }
}

TEST_F(TextDrawing, TheCaretStandsBeforeTheCursorsCharacterAlsoAfterNonAsciiText) {
    field->m_line_feeds_only = true;
    field->m_has_focus = true;
    struct Case {
        const char* text;
        int cursor;  // bytes
        const char* shown;
    };
    const Case cases[] = {
        {"abc", 0, "|abc"}, {"abc", 3, "abc|"}, {"äbc", 2, "ä|bc"}, {"日本", 3, "日|本"}, {"ab", 99, "ab|"},
    };
    for (const Case& c : cases) {
        field->m_cursor = c.cursor;
        auto lines = draw(c.text);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].text, c.shown) << c.text << " " << c.cursor;
    }
}

TEST_F(TextDrawing, WordsWrapAtTheFieldWidthAndCentreWhenAligned) {
    // 100 pixels wide: "aaaa " is 50, so two words fit a line.
    auto lines = draw("aaaa bbbb cccc");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "aaaa bbbb ");
    EXPECT_EQ(lines[1].text, "cccc ");
    EXPECT_EQ(lines[0].x, 0.0f);
    EXPECT_EQ(lines[1].y, 12.0f);

    field->m_alignment = 2;
    lines = draw("aaaa bbbb cccc");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].x, 0.0f);
    EXPECT_EQ(lines[1].x, 25.0f);  // (100 - 50) / 2

    // Without word wrap everything stays on one line.
    def->m_word_wrap = false;
    lines = draw("aaaa bbbb cccc");
    ASSERT_EQ(lines.size(), 1u);

    // Line mode splits at line feeds only and stays left-aligned.
    field->m_line_feeds_only = true;
    lines = draw("a b\nc");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "a b");
    EXPECT_EQ(lines[1].x, 0.0f);
}

TEST_F(TextDrawing, VerticalCodesPlaceTheLines) {
    field->m_line_feeds_only = true;
    struct Case {
        int code;
        float y;
    };
    // Height 61, two lines of 12: the centred block rounds its odd pixel down after adding one.
    const Case cases[] = {{0, 49.0f}, {1, 0.0f}, {2, 19.0f}, {3, 61.0f}, {-1, 61.0f}};
    for (const Case& c : cases) {
        field->m_vertical_alignment = c.code;
        auto lines = draw("a\nb");
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0].y, c.y) << c.code;
        EXPECT_EQ(lines[1].y, c.y + 12.0f) << c.code;
    }
}

TEST_F(TextDrawing, PlacementColourAndOutlineOfTheField) {
    field->m_line_feeds_only = true;
    flash::matrix at;
    at.m_[0][2] = 200;  // 10 pixels
    at.m_[1][2] = 400;  // 20 pixels
    field->set_matrix(at);
    field->m_color = flash::rgba(0x11, 0x22, 0x33, 0xFF);
    flash::cxform half;
    half.m_[3][0] = 0.5f;  // alpha multiplier
    field->set_cxform(half);
    field->m_outline_width = 1.5f;
    field->m_outline_color = flash::rgba(1, 2, 3, 4);
    auto lines = draw("x");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].x, 10.0f);
    EXPECT_EQ(lines[0].y, 20.0f);
    EXPECT_EQ(lines[0].argb, 0x7F112233u);
    EXPECT_EQ(lines[0].outline, 1.5f);
    EXPECT_EQ(lines[0].outlineArgb, 0x04010203u);
}

TEST_F(TextDrawing, FiftyLinesAreCutToTwenty) {
    field->m_line_feeds_only = true;
    std::string text;
    for (int i = 0; i < 50; ++i) text += "line\n";
    EXPECT_EQ(draw(text).size(), 20u);
    field->m_line_feeds_only = false;
    def->m_rect.m_x_max = 20;  // one pixel: every word on its own line
    std::string words;
    for (int i = 0; i < 50; ++i) words += "w ";
    EXPECT_EQ(draw(words).size(), 20u);
}

TEST_F(TextDrawing, AMissingFontFallsBackToTheDefaultFontAndBothMissingDrawNothing) {
    const std::string kept = v_DefaultFont->text;
    field->m_font_name = "nosuch";
    v_DefaultFont->setString("body");
    EXPECT_EQ(draw("x").size(), 1u);
    EXPECT_NE(log().find("MESSAGE\tnot found font: nosuch"), std::string::npos) << log();
    v_DefaultFont->setString("alsomissing");
    EXPECT_TRUE(draw("x").empty());
    // An empty name takes the definition's bound-variable name, and logs nothing when empty.
    field->m_font_name = "";
    def->m_default_name = "body";
    EXPECT_EQ(draw("x").size(), 1u);
    v_DefaultFont->setString(kept.c_str());
}

}  // namespace
