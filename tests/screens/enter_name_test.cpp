// The name entry on the demo chapter: what the first start shows, typed names with their limit
// of ten characters (multi-byte ones too), the key repeat by the fixed clock, Enter creating the
// profile, bad names refused with the screen open and no file written; and the whole first start
// in the game program, typed through its input file.
#include <gtest/gtest.h>

#include "app/profiles.h"
#include "core/string_utils.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "input/input_event.h"
#include "platform/clock.h"
#include "screens/choose_profile.h"
#include "screens/enter_name.h"
#include "screens/msg_box.h"
#include "tests/screens/screen_test_support.h"
#include "tests/support/game_run.h"

namespace {

using screentest::click;
using screentest::find;
using screentest::keyEvent;
namespace fs = std::filesystem;

constexpr int kAScanCode = 0x1E;

void press(EnterName* entry, char16_t c) {
    KeyEvent down = keyEvent(KEY_PRESSED, 0, c);
    entry->onInput(&down);
}
void release(EnterName* entry) {
    KeyEvent up = keyEvent(KEY_RELEASED, 0, kNoKeyChar);
    entry->onInput(&up);
}
void typeText(EnterName* entry, const std::u16string& text) {
    for (char16_t c : text) {
        press(entry, c);
        release(entry);
    }
}
void enter(EnterName* entry, int scanCode = EnterName::kEnterScanCode, int modifiers = 0) {
    KeyEvent clicked = keyEvent(KEY_CLICKED, scanCode, kNoKeyChar, modifiers);
    entry->onInput(&clicked);
}
std::string fieldText() { return EnterName::instance()->editField()->m_text.c_str(); }

size_t profileFiles(const fs::path& folder) {
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".prof") ++files;
    return files;
}

TEST(EnterName, TheFirstStartAsksForANameWithoutACancel) {
    screentest::ScreenGame game;
    ASSERT_TRUE(game.start());
    EnterName* entry = EnterName::instance();
    EXPECT_TRUE(entry->isVisible());
    EXPECT_EQ(game.app().modalPanel(), entry);
    EXPECT_FALSE(ChooseProfile::instance()->isVisible());
    EXPECT_EQ(find(entry, "command_buttons")->get_current_frame(), 0);
    // The cancel button's form is not shown, and its button would do nothing.
    if (flash::character* cancel = find(entry, "en_btn_cancel")) {
        EXPECT_EQ(cancel->get_event_callback(), nullptr);
    }
    entry->onEvent(find(entry, "en_btn_ok"), 1);
    EXPECT_TRUE(entry->isVisible());
    EXPECT_TRUE(entry->editField()->m_has_focus);
}

TEST(EnterName, WithAProfileTheCancelFormShowsAndCancels) {
    screentest::ScreenGame game(screentest::withProfiles({"Ann"}, "Ann"));
    ASSERT_TRUE(game.start());
    EnterName* entry = EnterName::instance();
    EXPECT_FALSE(entry->isVisible());
    entry->show();
    EXPECT_EQ(find(entry, "command_buttons")->get_current_frame(), 1);
    ASSERT_TRUE(click(entry, "en_btn_cancel"));
    EXPECT_FALSE(entry->isVisible());
    EXPECT_EQ(game.app().modalPanel(), nullptr);
}

TEST(EnterName, TypedNameAndEnterMakeTheProfileAndTheEleventhCharacterIsRefused) {
    screentest::ScreenGame game;
    ASSERT_TRUE(game.start());
    EnterName* entry = EnterName::instance();
    // Enter on an empty name does nothing.
    enter(entry);
    EXPECT_TRUE(entry->isVisible());
    EXPECT_EQ(profileFiles(game.profilesFolder()), 0u);

    struct Case {
        std::u16string typed;
        std::u16string kept;
    };
    for (const Case& c : std::vector<Case>{{u"abcdefghijk", u"abcdefghij"},
                                           {u"\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9",
                                            u"\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9"},
                                           {u"\u0416\u4e16\u0416\u4e16\u0416\u4e16\u0416\u4e16\u0416\u4e16z",
                                            u"\u0416\u4e16\u0416\u4e16\u0416\u4e16\u0416\u4e16\u0416\u4e16"}}) {
        entry->show();
        typeText(entry, c.typed);
        EXPECT_EQ(fieldText(), wstringToUtf8(c.kept));
        EXPECT_EQ(static_cast<size_t>(entry->editField()->m_cursor), fieldText().size());
    }
    // The editing keys work in characters too: backspace takes a whole one.
    KeyEvent backspace = keyEvent(KEY_PRESSED, 0x0E, kNoKeyChar);
    entry->onInput(&backspace);
    release(entry);
    EXPECT_EQ(fieldText(), wstringToUtf8(u"\u0416\u4e16\u0416\u4e16\u0416\u4e16\u0416\u4e16\u0416"));

    entry->show();
    EXPECT_EQ(fieldText(), "");
    typeText(entry, u"Ann");
    // Shift+Enter is no Enter.
    enter(entry, EnterName::kEnterScanCode, MODIFIER_SHIFT);
    EXPECT_TRUE(entry->isVisible());
    enter(entry, EnterName::kPadEnterScanCode);
    EXPECT_FALSE(entry->isVisible());
    EXPECT_EQ(Profiles::instance()->name, "Ann");
    EXPECT_EQ(testsupport::readFile(game.profilesFolder() / "Ann.prof"), screentest::newProfileFile("Ann"));
    EXPECT_NE(testsupport::readFile(game.profilesFolder() / "config.sta").find("s_LastProfileName\t\"Ann\""),
              std::string::npos);
}

TEST(EnterName, AHeldKeyTypesAtOnceAgainJustAfter300MsThenEvery100Ms) {
    screentest::ScreenGame game;
    ASSERT_TRUE(game.start());
    EnterName* entry = EnterName::instance();
    struct Step {
        unsigned atMs;
        size_t typed;
    };
    // The key's events come each poll while it is held; the layout gives 'a' for its scan code.
    const std::vector<Step> steps = {{0, 1},   {100, 1}, {250, 1}, {300, 1}, {301, 2}, {350, 2},
                                     {400, 2}, {401, 3}, {450, 3}, {500, 3}, {501, 4}};
    unsigned now = 0;
    for (const Step& s : steps) {
        platform::advanceVirtualClockMs(s.atMs - now);
        now = s.atMs;
        KeyEvent held = keyEvent(KEY_PRESSED, kAScanCode, kNoKeyChar);
        EXPECT_TRUE(entry->onInput(&held));
        EXPECT_EQ(fieldText(), std::string(s.typed, 'a')) << s.atMs << " ms";
    }
    // Released, the next press types at once.
    release(entry);
    press(entry, u'b');
    EXPECT_EQ(fieldText(), "aaaab");
}

TEST(EnterName, BadNamesAreRefusedWithTheScreenOpenAndNoFileWritten) {
    screentest::ScreenGame game(screentest::withProfiles({"Ann"}, "Ann"));
    ASSERT_TRUE(game.start());
    EnterName* entry = EnterName::instance();
    const std::vector<std::u16string> names = {u"../x", u"a/b", u"a\\b", u"..", u"   ", u"a\"b", u"a\u0001b", u"ann"};
    size_t warnings = game.logLines("WARNING", "Profiles::createProfile").size();
    for (const std::u16string& name : names) {
        const std::string utf8 = wstringToUtf8(name);
        entry->show();
        typeText(entry, name);
        ASSERT_EQ(fieldText(), utf8);
        enter(entry);
        EXPECT_TRUE(entry->isVisible()) << utf8;
        EXPECT_EQ(fieldText(), utf8);
        EXPECT_EQ(game.logLines("WARNING", "Profiles::createProfile").size(), ++warnings) << utf8;
        EXPECT_EQ(profileFiles(game.profilesFolder()), 1u) << utf8;
        EXPECT_EQ(Profiles::instance()->name, "Ann");
    }
    EXPECT_EQ(profileFiles(game.profilesFolder().parent_path()), 0u);
    // The same name again is told with the box, and the entry stays open.
    entry->show();
    typeText(entry, u"Ann");
    enter(entry);
    EXPECT_TRUE(entry->isVisible());
    EXPECT_TRUE(MsgBox::instance()->isVisible());
    EXPECT_STREQ(MsgBox::instance()->textField()->m_text.c_str(), "ids_changename");
    ASSERT_TRUE(click(MsgBox::instance(), "msg_button_ok"));
    EXPECT_EQ(game.app().modalPanel(), entry);
}

}  // namespace
