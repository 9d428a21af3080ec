// The screens' common wiring on the demo chapter: every button of each table found deep and
// given its screen's callback, names missing from a movie skipped without a word, and each movie
// taken away in turn: its ERROR line, a screen without a movie, and a game that still starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/game_layers.h"
#include "app/profiles.h"
#include "flash/runtime/character.h"
#include "screens/choose_profile.h"
#include "screens/enter_name.h"
#include "screens/main_menu.h"
#include "screens/msg_box.h"
#include "tests/screens/screen_test_support.h"

namespace {

using screentest::find;

struct Wired {
    const char* screen;
    BaseRender* (*get)();
    std::vector<const char*> names;
};

const std::vector<Wired>& wiredTable() {
    static const std::vector<Wired> table = {
        {"main menu", [] { return static_cast<BaseRender*>(MainMenu::instance()); },
         {"mm_quit_btn", "change_profile_text_t", "mm_play_btn", "mm_options_btn", "mm_credits_btn"}},
        {"chooser", [] { return static_cast<BaseRender*>(ChooseProfile::instance()); },
         {"cn_Btnnew", "cn_Btndelete", "cn_Btndone", "cn_Btnarrowup", "cn_Btnarrowdown", "cn_Btnback", "profileName1",
          "profileName2", "profileName3", "profileName4", "cn_Nametext"}},
        {"name entry", [] { return static_cast<BaseRender*>(EnterName::instance()); }, {"en_btn_ok"}},
    };
    return table;
}

TEST(ScreenWiring, EveryTableButtonIsFoundDeepAndWiredToItsScreen) {
    screentest::ScreenGame game(screentest::withProfiles({"Ann"}, "Ann"));
    ASSERT_TRUE(game.start());
    for (const Wired& w : wiredTable()) {
        BaseRender* screen = w.get();
        ASSERT_NE(screen, nullptr) << w.screen;
        // The level manager's start shows the main menu; every other screen starts hidden.
        EXPECT_EQ(screen->isVisible(), screen == MainMenu::instance()) << w.screen;
        for (const char* name : w.names) {
            flash::character* ch = find(screen, name);
            ASSERT_NE(ch, nullptr) << w.screen << ": " << name;
            EXPECT_NE(ch->get_event_callback(), nullptr) << w.screen << ": " << name;
        }
    }
    // Clips the screens only read stay without a callback.
    EXPECT_EQ(find(EnterName::instance(), "edit_name")->get_event_callback(), nullptr);
    EXPECT_EQ(find(MainMenu::instance(), "profile_name_text_t")->get_event_callback(), nullptr);

    // Each role is registered, and the render list holds the screens in start-up order.
    EXPECT_EQ(app::screen(app::Screen::MainMenu), MainMenu::instance());
    EXPECT_EQ(app::screen(app::Screen::ChooseProfile), ChooseProfile::instance());
    EXPECT_EQ(app::screen(app::Screen::EnterName), EnterName::instance());
    EXPECT_EQ(app::screen(app::Screen::MsgBox), MsgBox::instance());
    EXPECT_EQ(app::messageBox(), MsgBox::instance());
    const std::vector<BaseRender*>& list = game.app().renderList();
    auto at = [&](BaseRender* r) { return std::find(list.begin(), list.end(), r) - list.begin(); };
    EXPECT_LT(at(MainMenu::instance()), at(ChooseProfile::instance()));
    EXPECT_LT(at(ChooseProfile::instance()), at(EnterName::instance()));
    EXPECT_LT(at(EnterName::instance()), at(MsgBox::instance()));
    EXPECT_LT(at(MsgBox::instance()), static_cast<long>(list.size()));

    // The box's answer buttons are wired at each show, with their answers.
    MsgBox* box = MsgBox::instance();
    EXPECT_EQ(find(box, "msg_button_ok")->get_event_callback(), nullptr);
    box->show(app::MessageBox::kTypeYesNo, "ids_yesno", nullptr);
    ASSERT_NE(find(box, "msg_button_yes"), nullptr);
    EXPECT_NE(find(box, "msg_button_yes")->get_event_callback(), nullptr);
    EXPECT_EQ(find(box, "msg_button_yes")->m_event_index, 1);
    EXPECT_EQ(find(box, "msg_button_no")->m_event_index, 2);
    EXPECT_TRUE(screentest::click(box, "msg_button_no"));
    box->show(app::MessageBox::kTypeOk, "ids_yesno", nullptr);
    EXPECT_EQ(find(box, "msg_button_ok")->m_event_index, 0);

    game.fixture().shutdown();
    const std::vector<std::string>& trace = game.app().shutdownTrace();
    auto pos = [&](const char* name) { return std::find(trace.begin(), trace.end(), name) - trace.begin(); };
    // The box goes first, then the menus, then the profile screens (enter-name before the chooser).
    EXPECT_LT(pos("MsgBox"), pos("MainMenu"));
    EXPECT_LT(pos("MainMenu"), pos("EnterName"));
    EXPECT_LT(pos("EnterName"), pos("ChooseProfile"));
    EXPECT_LT(pos("ChooseProfile"), static_cast<long>(trace.size()));
    EXPECT_EQ(MsgBox::instance(), nullptr);
    EXPECT_EQ(app::messageBox(), nullptr);
    EXPECT_EQ(app::screen(app::Screen::MainMenu), nullptr);
}

TEST(ScreenWiring, AButtonMissingFromItsMovieIsSkippedWithoutAWord) {
    screentest::GameOptions options = screentest::withProfiles({"Ann"}, "Ann");
    options.files[screentest::moviePath("mainmenu.swf")] = screentest::movieWithout("mainmenu.swf", {"mm_credits_btn"});
    options.files[screentest::moviePath("choosename.swf")] =
        screentest::movieWithout("choosename.swf", {"cn_Btnback", "profileName4"});
    screentest::ScreenGame game(options);
    ASSERT_TRUE(game.start());
    EXPECT_EQ(find(MainMenu::instance(), "mm_credits_btn"), nullptr);
    EXPECT_NE(find(MainMenu::instance(), "mm_quit_btn")->get_event_callback(), nullptr);
    EXPECT_NE(find(ChooseProfile::instance(), "cn_Btndone")->get_event_callback(), nullptr);
    EXPECT_EQ(ChooseProfile::instance()->slot(3), nullptr);
    EXPECT_NE(ChooseProfile::instance()->slot(2), nullptr);
    for (const char* name : {"mm_credits_btn", "cn_Btnback", "profileName4"}) {
        EXPECT_TRUE(game.logLines("ERROR", name).empty()) << name;
        EXPECT_TRUE(game.logLines("WARNING", name).empty()) << name;
    }
    EXPECT_TRUE(game.logLines("ERROR", "").empty()) << game.log();
}

struct MissingMovie {
    const char* file;
    const char* line;
    BaseRender* (*get)();
};

TEST(ScreenWiring, EachMovieTakenAwayGivesItsErrorAnInertScreenAndTheGameStillStarts) {
    const std::vector<MissingMovie> cases = {
        {"mainmenu.swf", "mainmenu.swf not found in MainMenu::init", [] { return static_cast<BaseRender*>(MainMenu::instance()); }},
        {"msgbox.swf", "msgbox.swf not found in MsgBox::init", [] { return static_cast<BaseRender*>(MsgBox::instance()); }},
        {"choosename.swf", "choosename.swf not found in ChooseProfile::init",
         [] { return static_cast<BaseRender*>(ChooseProfile::instance()); }},
        {"entername.swf", "entername.swf not found in EnterName::init",
         [] { return static_cast<BaseRender*>(EnterName::instance()); }},
    };
    for (const MissingMovie& c : cases) {
        // No profile: the start-up opens the name entry, which shows the box when a name is taken.
        screentest::GameOptions options;
        options.removed = {screentest::moviePath(c.file)};
        screentest::ScreenGame game(options);
        ASSERT_TRUE(game.start()) << c.file;
        EXPECT_EQ(game.app().initStep(), 24) << c.file;
        // The screen's line, beside the engine's own about the file, and nothing else.
        EXPECT_EQ(game.logLines("ERROR", " not found in "), std::vector<std::string>{c.line}) << game.log();
        EXPECT_EQ(game.logLines("ERROR", "").size(), game.logLines("ERROR", c.file).size()) << game.log();
        BaseRender* screen = c.get();
        ASSERT_NE(screen, nullptr) << c.file;
        EXPECT_EQ(screen->getRoot(), nullptr) << c.file;
        // The screen without a movie does nothing, whatever it is asked.
        MainMenu::instance()->playAmbient();
        MsgBox::instance()->show(app::MessageBox::kTypeYesNo, "ids_yesno", [](int) { FAIL(); });
        ChooseProfile::instance()->show();
        EnterName::instance()->show();
        EXPECT_FALSE(screen->isVisible()) << c.file;
        if (screen == MsgBox::instance()) {
            EXPECT_NE(game.app().modalPanel(), screen);
        }
        game.frames(5);
    }
}

}  // namespace
