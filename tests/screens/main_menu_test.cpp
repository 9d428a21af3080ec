// The main menu on the demo chapter: the player's name shown at once on load and on create, the
// change-profile text made inside its sized clip, the quit question, credits doing nothing, the
// press sound of every button, and the ambient loop.
#include <gtest/gtest.h>

#include "app/game_layers.h"
#include "app/profiles.h"
#include "audio/media_center.h"
#include "core/string_table.h"
#include "core/string_utils.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_root.h"
#include "screens/choose_profile.h"
#include "screens/main_menu.h"
#include "screens/msg_box.h"
#include "tests/screens/screen_test_support.h"

namespace {

using screentest::click;
using screentest::find;

TEST(MainMenu, TheProfileNameChangesAtOnceOnLoadAndOnCreate) {
    screentest::ScreenGame game(screentest::withProfiles({"Ann", "Bob"}, "Ann"));
    ASSERT_TRUE(game.start());
    MainMenu* menu = MainMenu::instance();
    ASSERT_NE(menu->profileNameField(), nullptr);
    EXPECT_STREQ(menu->profileNameField()->m_text.c_str(), "Ann");
    menu->playAmbient();
    ASSERT_TRUE(Profiles::instance()->load("Bob"));
    EXPECT_STREQ(menu->profileNameField()->m_text.c_str(), "Bob");
    ASSERT_TRUE(Profiles::instance()->createProfile("Cid"));
    EXPECT_STREQ(menu->profileNameField()->m_text.c_str(), "Cid");
    // The label beside it is only looked up.
    EXPECT_STREQ(static_cast<flash::edit_text_character*>(find(menu, "profile_name_text"))->m_text.c_str(), "");
}

TEST(MainMenu, TheChangeProfileTextIsMadeInsideItsSizedClipAndOpensTheChooser) {
    screentest::ScreenGame game(screentest::withProfiles({"Ann", "Bob"}, "Ann"));
    ASSERT_TRUE(game.start());
    MainMenu* menu = MainMenu::instance();
    flash::edit_text_character* text = menu->changeProfileText();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(find(menu, "change_profile_text_t"), text);
    ASSERT_NE(text->get_parent(), nullptr);
    EXPECT_STREQ(text->get_parent()->get_name().c_str(), "change_profile_text");
    EXPECT_EQ(text->m_text.c_str(), wstringToUtf8(StringTable::translate("ids_changeuser")));
    EXPECT_NE(std::string(text->m_text.c_str()), "ids_changeuser");
    // The demo's clip is 200 by 30 pixels: the field is twice as wide, as high, in twips.
    const flash::rect& r = text->get_definition()->m_rect;
    EXPECT_FLOAT_EQ(r.m_x_max - r.m_x_min, 400 * 20.0f);
    EXPECT_FLOAT_EQ(r.m_y_max - r.m_y_min, 30 * 20.0f);
    EXPECT_EQ(text->m_color.m_r, 0);
    EXPECT_EQ(text->m_color.m_g, 0);
    EXPECT_EQ(text->m_color.m_b, 255);
    EXPECT_EQ(text->m_color.m_a, 255);
    EXPECT_FLOAT_EQ(text->m_text_height, 40 * 20.0f);
    EXPECT_TRUE(text->m_line_feeds_only);
    EXPECT_TRUE(text->m_typing_locked);
    menu->playAmbient();
    ASSERT_TRUE(click(text));
    EXPECT_TRUE(ChooseProfile::instance()->isVisible());
    EXPECT_EQ(game.app().modalPanel(), ChooseProfile::instance());
}

TEST(MainMenu, WithoutTheChangeProfileClipItSaysSoAndMakesNoText) {
    screentest::GameOptions options = screentest::withProfiles({"Ann"}, "Ann");
    options.files[screentest::moviePath("mainmenu.swf")] = screentest::movieWithout("mainmenu.swf", {"change_profile_text"});
    screentest::ScreenGame game(options);
    ASSERT_TRUE(game.start());
    EXPECT_EQ(game.logLines("ERROR", ""), (std::vector<std::string>{"not find element change_profile_text in mainmenu!!!"}));
    EXPECT_EQ(MainMenu::instance()->changeProfileText(), nullptr);
    EXPECT_EQ(find(MainMenu::instance(), "change_profile_text_t"), nullptr);
    // The rest of the menu works.
    EXPECT_STREQ(MainMenu::instance()->profileNameField()->m_text.c_str(), "Ann");
    EXPECT_NE(find(MainMenu::instance(), "mm_quit_btn")->get_event_callback(), nullptr);
}

TEST(MainMenu, QuitAsksYesOrNoAndOnlyYesEndsTheMainLoop) {
    screentest::ScreenGame game(screentest::withProfiles({"Ann"}, "Ann"));
    ASSERT_TRUE(game.start());
    MainMenu* menu = MainMenu::instance();
    MsgBox* box = MsgBox::instance();
    menu->playAmbient();
    ASSERT_TRUE(click(menu, "mm_quit_btn"));
    EXPECT_TRUE(game.app().inputLocked());
    ASSERT_TRUE(box->isVisible());
    EXPECT_EQ(box->getRoot()->get_current_frame(), app::MessageBox::kTypeYesNo);
    EXPECT_STREQ(box->textField()->m_text.c_str(), "ids_yesno");
    EXPECT_EQ(game.app().modalPanel(), box);
    ASSERT_TRUE(click(box, "msg_button_no"));
    EXPECT_FALSE(box->isVisible());
    EXPECT_FALSE(game.app().quitRequested());
    game.frames(3);
    EXPECT_FALSE(game.app().quitRequested());
    ASSERT_TRUE(click(menu, "mm_quit_btn"));
    ASSERT_TRUE(click(box, "msg_button_yes"));
    EXPECT_TRUE(game.app().quitRequested());
}

TEST(MainMenu, ClickedAtItsPlaceQuitAsksAndWhileTheBoxIsOpenTheMenuUnderItGetsNoClick) {
    screentest::ScreenGame game(screentest::withProfiles({"Ann"}, "Ann"));
    ASSERT_TRUE(game.start());
    MsgBox* box = MsgBox::instance();
    MainMenu::instance()->playAmbient();
    ASSERT_TRUE(game.fixture().runInput("click @mm_quit_btn\n+3 move 1 1\n"));
    ASSERT_TRUE(box->isVisible());
    EXPECT_STREQ(box->textField()->m_text.c_str(), "ids_yesno");
    ASSERT_TRUE(game.fixture().runInput("click @msg_button_no\n+3 move 1 1\n"));
    EXPECT_FALSE(box->isVisible());
    EXPECT_FALSE(game.app().quitRequested());

    // A notice over the menu: the quit button under it does nothing.
    box->show(app::MessageBox::kTypeOk, "ids_maxprofile", nullptr);
    ASSERT_TRUE(game.fixture().runInput("click @mm_quit_btn\n+3 move 1 1\n"));
    EXPECT_TRUE(box->isVisible());
    EXPECT_STREQ(box->textField()->m_text.c_str(), "ids_maxprofile");
    EXPECT_EQ(box->getRoot()->get_current_frame(), app::MessageBox::kTypeOk);

    ASSERT_TRUE(game.fixture().runInput("click @msg_button_ok\n+3 click @mm_quit_btn\n+3 click @msg_button_yes\n+3 move 1 1\n"));
    EXPECT_TRUE(game.app().quitRequested());
}

TEST(MainMenu, CreditsDoNothingAndEveryButtonClicksWithTheMenuSound) {
    screentest::ScreenGame game(screentest::withProfiles({"Ann"}, "Ann"));
    ASSERT_TRUE(game.start());
    MainMenu* menu = MainMenu::instance();
    menu->playAmbient();
    ASSERT_TRUE(click(menu, "mm_credits_btn"));
    // The click stays with the receivers after the menu.
    EXPECT_FALSE(game.app().inputLocked());
    EXPECT_TRUE(menu->isVisible());
    EXPECT_FALSE(MsgBox::instance()->isVisible());
    EXPECT_EQ(game.app().modalPanel(), nullptr);
    // The buttons whose targets come later still take the click.
    for (const char* name : {"mm_play_btn", "mm_options_btn"}) {
        game.app().setInputLocked(false);
        ASSERT_TRUE(click(menu, name));
        EXPECT_TRUE(game.app().inputLocked()) << name;
    }
    for (const char* name : {"mm_quit_btn", "change_profile_text_t", "mm_play_btn", "mm_options_btn", "mm_credits_btn"})
        EXPECT_STREQ(find(menu, name)->m_sound_names[flash::SOUND_PRESS].c_str(), "mm_arrow_click") << name;
}

TEST(MainMenu, TheAmbientLoopPlaysOnceHoweverOftenTheMenuShowsAndStopsWithIt) {
    screentest::ScreenGame game(screentest::withProfiles({"Ann"}, "Ann"));
    ASSERT_TRUE(game.start());
    MainMenu* menu = MainMenu::instance();
    // The level manager's start showed it with its loop; the test begins from a hidden menu.
    EXPECT_TRUE(menu->isVisible());
    EXPECT_NE(menu->ambientChannel(), MainMenu::kNoChannel);
    menu->hide();
    EXPECT_FALSE(menu->isVisible());
    // The sounds of what played before stop.
    MediaSystem::MediaCenter::instance()->playSound("room_ambient", true, false, true);
    EXPECT_EQ(screentest::playingSlots("room_ambient"), 1);
    menu->playAmbient();
    EXPECT_EQ(screentest::playingSlots("room_ambient"), 0);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_NE(menu->ambientChannel(), MainMenu::kNoChannel);
    EXPECT_EQ(screentest::playingSlots("mm_ambient"), 1);
    menu->playAmbient();
    game.frames(2);
    EXPECT_EQ(screentest::playingSlots("mm_ambient"), 1);
    menu->hide();
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(screentest::playingSlots("mm_ambient"), 0);
    menu->playAmbient();
    EXPECT_EQ(screentest::playingSlots("mm_ambient"), 1);
}

}  // namespace
