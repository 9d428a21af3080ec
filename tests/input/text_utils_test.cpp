#include "input/text_utils.h"

#include <gtest/gtest.h>

#include <string>

#include "core/string_table.h"
#include "flash/movie/display_list.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/player.h"
#include "tests/support/temp_dir.h"

namespace {

// A clip that shows its own display list.
class clip : public flash::character {
public:
    explicit clip(flash::player* owner) : flash::character(owner) {}
    flash::display_list* get_display_list() override { return &list; }
    flash::display_list list;
};

TEST(TextUtils, CreateTextFieldPutsAHalfScaleCentredFieldOnTopOfTheClip) {
    flash::smart_ptr<flash::player> owner(new flash::player);
    flash::smart_ptr<clip> parent(new clip(owner.get_ptr()));
    TextUtils::TextFieldStyle style;
    style.x = 3;
    style.y = 4;
    style.width = 200;
    style.height = 30;
    style.lineFeedsOnly = true;
    style.colour = 0xFF0000FF;
    style.font = "Verdana";
    style.fontHeight = 40;
    style.typingLocked = true;
    flash::edit_text_character* field = TextUtils::createTextField(parent.get_ptr(), "change_profile_text_t", style);
    ASSERT_NE(field, nullptr);
    ASSERT_EQ(parent->list.size(), 1);
    EXPECT_EQ(parent->list.get_character(0), field);
    EXPECT_EQ(field->get_parent(), parent.get_ptr());
    EXPECT_STREQ(field->get_name().c_str(), "change_profile_text_t");
    EXPECT_EQ(field->get_depth(), flash::lowest_dynamic_depth);
    EXPECT_FLOAT_EQ(field->m_text_height, 800.0f);
    EXPECT_EQ(field->m_alignment, flash::ALIGN_CENTER);
    EXPECT_FLOAT_EQ(field->get_matrix().get_x_scale(), 0.5f);
    EXPECT_FLOAT_EQ(field->get_matrix().get_y_scale(), 0.5f);
    EXPECT_FLOAT_EQ(field->get_matrix().m_[0][2], 60.0f);
    EXPECT_FLOAT_EQ(field->get_matrix().m_[1][2], 80.0f);
    EXPECT_FLOAT_EQ(field->get_definition()->m_rect.m_x_max, 4000.0f);
    EXPECT_FLOAT_EQ(field->get_definition()->m_rect.m_y_max, 600.0f);
    EXPECT_TRUE(field->m_color == flash::rgba(0, 0, 255, 255));
    EXPECT_STREQ(field->m_font_name.c_str(), "Verdana");
    EXPECT_TRUE(field->m_line_feeds_only);
    EXPECT_TRUE(field->m_typing_locked);

    flash::edit_text_character* second = TextUtils::createTextField(parent.get_ptr(), "b", {});
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->get_depth(), flash::lowest_dynamic_depth + 1);
    EXPECT_FALSE(second->m_typing_locked);
}

TEST(TextUtils, CreateTextFieldNeedsAClipWithADisplayList) {
    flash::smart_ptr<flash::player> owner(new flash::player);
    flash::smart_ptr<flash::character> plain(new flash::character(owner.get_ptr()));
    EXPECT_EQ(TextUtils::createTextField(nullptr, "a", {}), nullptr);
    EXPECT_EQ(TextUtils::createTextField(plain.get_ptr(), "a", {}), nullptr);
}

// UTF-16LE bytes of a string table file with the given lines after its header.
std::string tableFile(const std::u16string& lines) {
    const std::u16string text = u"\uFEFFheader\r\n" + lines;
    std::string out;
    for (char16_t u : text) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
    return out;
}

TEST(TextUtils, LocalisedTextsReachTheFieldAsUtf8) {
    testsupport::TempDir dir;
    testsupport::writeFile("strings.st", tableFile(u"ids_hello\r\nHallo %name%, \u00FC \u20AC!\r\nids_plain\r\nPlain"));
    ASSERT_TRUE(StringTable::instance().load("strings.st"));
    flash::smart_ptr<flash::player> owner(new flash::player);
    flash::smart_ptr<flash::edit_text_character_def> def(new flash::edit_text_character_def(10, 10));
    flash::smart_ptr<flash::edit_text_character> field(
        static_cast<flash::edit_text_character*>(def->create_character_instance(owner.get_ptr(), nullptr, 0)));

    struct row {
        std::string key;
        std::string replacements;
        const char* shown;
    };
    const row rows[] = {
        {"ids_hello", "name, \xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0", "Hallo \xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0, \xC3\xBC \xE2\x82\xAC!"},
        {"ids_hello", "", "Hallo %name%, \xC3\xBC \xE2\x82\xAC!"},
        {"IDS_PLAIN", "", "Plain"},
        {"ids_missing", "", "ids_missing"},
        {"ids_missing", "x, y", "ids_missing"},
    };
    for (const row& r : rows) {
        TextUtils::setLocalizedText(field.get_ptr(), r.key, r.replacements);
        EXPECT_STREQ(field->m_text.c_str(), r.shown) << r.key << " / " << r.replacements;
    }
    TextUtils::utf8ToWide(field.get_ptr(), "ids_plain", u" \u00E9");
    EXPECT_STREQ(field->m_text.c_str(), "Plain \xC3\xA9");
    TextUtils::utf8ToWide(field.get_ptr(), "ids_plain");
    EXPECT_STREQ(field->m_text.c_str(), "Plain");
    TextUtils::utf8ToWide(nullptr, "ids_plain");
    TextUtils::setLocalizedText(nullptr, "ids_plain");
    StringTable::instance().load("no-such-file.st");
}

}  // namespace
