// The profile chooser on the demo chapter: its notices (no profile, four or more, the last one),
// deleting the current profile with another loaded first, done and back refused while they would
// leave the game without a profile, slot clicks moving the selector, the arrows, and what the
// start-up opens for the profiles it finds.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/profiles.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_root.h"
#include "screens/choose_profile.h"
#include "screens/enter_name.h"
#include "screens/msg_box.h"
#include "tests/screens/screen_test_support.h"

namespace {

using screentest::click;
using screentest::find;
namespace fs = std::filesystem;

std::string slotText(unsigned i) { return ChooseProfile::instance()->slot(i)->m_text.c_str(); }
std::string boxText() { return MsgBox::instance()->textField()->m_text.c_str(); }

TEST(ChooseProfile, ItsNoticesForNoProfileFourOrMoreAndTheLastOne) {
    struct Case {
        std::vector<std::string> profiles;
        const char* button;
        const char* notice;
        bool chooserStaysOpen;
    };
    const std::vector<Case> cases = {
        {{}, nullptr, "ids_firstprofile", true},
        {{"A", "B", "C", "D"}, "cn_Btnnew", "ids_maxprofile", true},
        {{"A", "B", "C", "D", "E"}, "cn_Btnnew", "ids_maxprofile", true},
        {{"A"}, "cn_Btndelete", "ids_lastprofile", true},
    };
    for (const Case& c : cases) {
        screentest::ScreenGame game(screentest::withProfiles(c.profiles, c.profiles.empty() ? "" : "A"));
        ASSERT_TRUE(game.start());
        if (EnterName::instance()->isVisible()) EnterName::instance()->hide();
        ChooseProfile* chooser = ChooseProfile::instance();
        chooser->show();
        if (c.button) {
            EXPECT_FALSE(MsgBox::instance()->isVisible()) << c.notice;
            ASSERT_TRUE(click(chooser, c.button)) << c.button;
        }
        EXPECT_TRUE(MsgBox::instance()->isVisible()) << c.notice;
        EXPECT_EQ(boxText(), c.notice);
        EXPECT_EQ(MsgBox::instance()->getRoot()->get_current_frame(), app::MessageBox::kTypeOk);
        EXPECT_EQ(chooser->isVisible(), c.chooserStaysOpen) << c.notice;
        EXPECT_FALSE(EnterName::instance()->isVisible()) << c.notice;
        // The notice closes back onto the chooser.
        ASSERT_TRUE(click(MsgBox::instance(), "msg_button_ok"));
        EXPECT_EQ(game.app().modalPanel(), chooser) << c.notice;
        for (const std::string& name : c.profiles)
            EXPECT_TRUE(fs::exists(game.profilesFolder() / (name + ".prof"))) << name;
    }
}

TEST(ChooseProfile, NewUnderFourOpensTheNameEntry) {
    screentest::ScreenGame game(screentest::withProfiles({"A", "B", "C"}, "A"));
    ASSERT_TRUE(game.start());
    ChooseProfile::instance()->show();
    ASSERT_TRUE(click(ChooseProfile::instance(), "cn_Btnnew"));
    EXPECT_FALSE(ChooseProfile::instance()->isVisible());
    EXPECT_TRUE(EnterName::instance()->isVisible());
    EXPECT_EQ(game.app().modalPanel(), EnterName::instance());
}

TEST(ChooseProfile, YesOnDeletingTheCurrentProfileLoadsAnotherFirstThenRemovesTheFile) {
    screentest::ScreenGame game(screentest::withProfiles({"Ann", "Bob"}, "Ann"));
    ASSERT_TRUE(game.start());
    Profiles* profiles = Profiles::instance();
    ASSERT_EQ(profiles->name, "Ann");
    ChooseProfile* chooser = ChooseProfile::instance();
    chooser->show();
    EXPECT_EQ(chooser->selectedName(), "Ann");
    ASSERT_TRUE(click(chooser, "cn_Btndelete"));
    EXPECT_EQ(boxText(), "ids_deleteprofile");
    EXPECT_EQ(MsgBox::instance()->getRoot()->get_current_frame(), app::MessageBox::kTypeYesNo);
    // No keeps everything.
    ASSERT_TRUE(click(MsgBox::instance(), "msg_button_no"));
    EXPECT_TRUE(fs::exists(game.profilesFolder() / "Ann.prof"));
    EXPECT_EQ(profiles->names.size(), 2u);
    ASSERT_TRUE(click(chooser, "cn_Btndelete"));
    ASSERT_TRUE(click(MsgBox::instance(), "msg_button_yes"));
    EXPECT_EQ(profiles->name, "Bob");
    EXPECT_EQ(profiles->names, std::vector<std::string>{"Bob"});
    EXPECT_FALSE(fs::exists(game.profilesFolder() / "Ann.prof"));
    EXPECT_TRUE(fs::exists(game.profilesFolder() / "Bob.prof"));
    EXPECT_EQ(slotText(0), "Bob");
    EXPECT_EQ(slotText(1), "");
    EXPECT_EQ(chooser->selectedName(), "Bob");
    EXPECT_TRUE(chooser->isVisible());
}

TEST(ChooseProfile, DoneWithAProfileThatDoesNotLoadStaysOpenAndBackWithoutAProfileIsRefused) {
    // The last name's file is gone: the start-up cannot load it and opens the chooser.
    screentest::ScreenGame game(screentest::withProfiles({"Ann", "Bob"}, "Zed"));
    ASSERT_TRUE(game.start());
    ChooseProfile* chooser = ChooseProfile::instance();
    Profiles* profiles = Profiles::instance();
    ASSERT_TRUE(chooser->isVisible());
    EXPECT_FALSE(EnterName::instance()->isVisible());
    EXPECT_EQ(profiles->name, "");
    EXPECT_EQ(game.app().modalPanel(), chooser);
    ASSERT_TRUE(click(chooser, "cn_Btnback"));
    EXPECT_TRUE(chooser->isVisible());
    // A slot whose name left the list (gone since the refresh) does not load.
    const std::string listed = slotText(1);
    ASSERT_TRUE(click(chooser, "profileName2"));
    EXPECT_EQ(chooser->selectedName(), listed);
    profiles->names.erase(std::find(profiles->names.begin(), profiles->names.end(), listed));
    ASSERT_TRUE(click(chooser, "cn_Btndone"));
    EXPECT_TRUE(chooser->isVisible());
    EXPECT_EQ(profiles->name, "");
    ASSERT_TRUE(click(chooser, "profileName1"));
    ASSERT_TRUE(click(chooser, "cn_Btndone"));
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_EQ(profiles->name, slotText(0));
    EXPECT_EQ(game.app().modalPanel(), nullptr);
    // With a profile active, back closes.
    chooser->show();
    ASSERT_TRUE(click(chooser, "cn_Btnback"));
    EXPECT_FALSE(chooser->isVisible());
}

TEST(ChooseProfile, SlotClicksMoveTheSelectorAndTheArrowsWrapThroughTheNames) {
    screentest::ScreenGame game(screentest::withProfiles({"Ann", "Bob", "Cid"}, "Bob"));
    ASSERT_TRUE(game.start());
    ChooseProfile* chooser = ChooseProfile::instance();
    EXPECT_FALSE(chooser->selector()->get_visible());
    chooser->show();
    const std::vector<std::string>& names = Profiles::instance()->names;
    ASSERT_EQ(names.size(), 3u);
    for (unsigned i = 0; i < 4; ++i) EXPECT_EQ(slotText(i), i < 3 ? names[i] : "") << i;
    // The last played one is selected.
    EXPECT_EQ(chooser->selectedName(), "Bob");
    const auto bob = static_cast<unsigned>(std::find(names.begin(), names.end(), "Bob") - names.begin());
    EXPECT_EQ(chooser->arrowIndex(), bob);
    for (unsigned i : {2u, 0u, 1u}) {
        ASSERT_TRUE(click(chooser, ("profileName" + std::to_string(i + 1)).c_str()));
        EXPECT_EQ(chooser->selectedName(), names[i]);
        flash::character* selector = chooser->selector();
        EXPECT_TRUE(selector->get_visible());
        EXPECT_FLOAT_EQ(selector->get_matrix().m_[1][2], chooser->slot(i)->get_matrix().m_[1][2]) << i;
        EXPECT_FLOAT_EQ(selector->get_matrix().m_[0][2], chooser->slot(i)->get_matrix().m_[0][2]) << i;
    }
    EXPECT_NE(find(chooser, "profileName4")->get_event_callback(), nullptr);
    // An empty slot selects nothing.
    ASSERT_TRUE(click(chooser, "profileName4"));
    EXPECT_EQ(chooser->selectedName(), names[1]);

    chooser->refresh();
    const std::string selected = chooser->selectedName();
    std::vector<std::string> shown;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(click(chooser, "cn_Btnarrowdown"));
        shown.emplace_back(chooser->nameText()->m_text.c_str());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{names[(bob + 1) % 3], names[(bob + 2) % 3], names[bob],
                                               names[(bob + 1) % 3]}));
    shown.clear();
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(click(chooser, "cn_Btnarrowup"));
        shown.emplace_back(chooser->nameText()->m_text.c_str());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{names[bob], names[(bob + 2) % 3], names[(bob + 1) % 3]}));
    // The arrows change neither the selection nor the selector.
    EXPECT_EQ(chooser->selectedName(), selected);
}

TEST(ChooseProfile, WithoutProfilesTheArrowsDoNothing) {
    screentest::ScreenGame game;
    ASSERT_TRUE(game.start());
    EnterName::instance()->hide();
    ChooseProfile* chooser = ChooseProfile::instance();
    chooser->show();
    click(MsgBox::instance(), "msg_button_ok");
    EXPECT_EQ(chooser->count(), 0u);
    ASSERT_TRUE(click(chooser, "cn_Btnarrowup"));
    ASSERT_TRUE(click(chooser, "cn_Btnarrowdown"));
    EXPECT_EQ(chooser->arrowIndex(), 0u);
    EXPECT_STREQ(chooser->nameText()->m_text.c_str(), "");
    ASSERT_TRUE(click(chooser, "cn_Btndelete"));
    ASSERT_TRUE(click(chooser, "cn_Btndone"));
    EXPECT_TRUE(chooser->isVisible());
    EXPECT_FALSE(MsgBox::instance()->isVisible());
}

TEST(ChooseProfile, AtStartAnEmptyLastNameLoadsTheFirstListedProfileWithoutAsking) {
    screentest::ScreenGame game(screentest::withProfiles({"Ann", "Bob"}));
    ASSERT_TRUE(game.start());
    Profiles* profiles = Profiles::instance();
    ASSERT_EQ(profiles->names.size(), 2u);
    EXPECT_EQ(profiles->name, profiles->names[0]);
    EXPECT_FALSE(ChooseProfile::instance()->isVisible());
    EXPECT_FALSE(EnterName::instance()->isVisible());
    EXPECT_EQ(game.app().modalPanel(), nullptr);
}

}  // namespace
