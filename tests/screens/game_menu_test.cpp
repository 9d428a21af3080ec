// The pause menu's settings on the demo chapter (sliders of 11 frames): the slider frames a show
// puts for the saved volumes, the minus and plus buttons at and inside the ends, the knobs'
// drags by the engine's drag code and by a pressed mouse moving, "config.sta" written with every
// change, the full-screen switch; the options form of the main menu; a movie without its parts.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/application.h"
#include "app/game_layers.h"
#include "app/mouse_cursor.h"
#include "core/cvar_catalogue.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "graphics/d3d_application.h"
#include "screens/game_menu.h"
#include "screens/main_menu.h"
#include "screens/msg_box.h"
#include "screens/screen_wiring.h"
#include "tests/screens/screen_test_support.h"

namespace {

using screentest::click;
using screentest::find;

constexpr int kSliderFrames = 11;

class GameMenuTest : public ::testing::Test {
protected:
    void startGame(const screentest::GameOptions& options = screentest::withProfiles({"Ann"}, "Ann")) {
        game = std::make_unique<screentest::ScreenGame>(options);
        ASSERT_TRUE(game->start());
        menu = GameMenu::instance();
        ASSERT_NE(menu, nullptr);
    }
    flash::sprite_instance* sprite(const char* name) { return flash::cast_to<flash::sprite_instance>(find(menu, name)); }
    std::string settings() {
        std::ifstream in(game->profilesFolder() / "config.sta");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Whether "config.sta" holds the volume as the settings store writes it.
    bool savedVolume(const char* var, int volume) {
        return settings().find(std::string(var) + "\t" + std::to_string(volume) + ".000") != std::string::npos;
    }
    // The engine's drag of a knob with the cursor at x.
    void drag(const char* knob, int x) {
        MouseCursor::instance()->setPosition(x, 470);
        flash::character* ch = find(menu, knob);
        ASSERT_NE(ch, nullptr);
        ASSERT_NE(ch->get_event_callback(), nullptr);
        ch->get_event_callback()(ch, GameMenu::kDragEvent);
    }
    void setVolumes(int music, int sound) {
        s_musicVol->setFromString(std::to_string(music).c_str());
        s_soundVol->setFromString(std::to_string(sound).c_str());
    }

    std::unique_ptr<screentest::ScreenGame> game;
    GameMenu* menu = nullptr;
};

TEST_F(GameMenuTest, AShowPutsEachSliderAtTheFrameOfItsSavedVolume) {
    startGame();
    ASSERT_EQ(menu->musicSlider()->get_frame_count(), kSliderFrames);
    ASSERT_EQ(menu->soundSlider()->get_frame_count(), kSliderFrames);
    // (n - 1) x volume / 100, cut: 10 x 50 / 100 = 5.
    const struct {
        const char* music;
        const char* sound;
        int musicFrame, soundFrame;
    } cases[] = {{"50", "100", 5, 10}, {"0", "9", 0, 0}, {"99.9", "10", 9, 1}, {"1e30", "-5", 0, 0}};
    for (const auto& c : cases) {
        s_musicVol->setFromString(c.music);
        s_soundVol->setFromString(c.sound);
        menu->show(false);
        EXPECT_EQ(menu->musicSlider()->get_current_frame(), c.musicFrame) << c.music;
        EXPECT_EQ(menu->soundSlider()->get_current_frame(), c.soundFrame) << c.sound;
        // The sliders stand still on their frames.
        EXPECT_EQ(menu->musicSlider()->get_play_state(), flash::character::STOP);
        menu->hide();
    }
    EXPECT_EQ(GameMenu::volumeAt(10, kSliderFrames), 90);
    EXPECT_EQ(GameMenu::volumeAt(kSliderFrames, kSliderFrames), 100);
}

TEST_F(GameMenuTest, MinusAndPlusStepWithinTheSliderAndAlwaysSetAndSaveTheVolume) {
    startGame();
    const struct {
        const char* button;
        int startVolume;  // shows the slider at (10 x volume / 100)
        int frameAfter;
        int volumeAfter;  // frame x 100 / 11, cut
        bool music;
    } cases[] = {
        {"music_minus_btn", 0, 0, 0, true},     // at frame 0: stays, volume 0 set again
        {"music_plus_btn", 90, 10, 90, true},   // 9 to 10: 10 / 11 x 100 = 90
        {"music_plus_btn", 100, 10, 90, true},  // at the last frame: stays
        {"music_minus_btn", 50, 4, 36, true},
        {"snd_plus_btn", 0, 1, 9, false},
        {"snd_minus_btn", 100, 9, 81, false},
        {"snd_minus_btn", 0, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " from " + std::to_string(c.startVolume));
        setVolumes(c.startVolume, c.startVolume);
        menu->show(false);
        std::filesystem::remove(game->profilesFolder() / "config.sta");
        game->app().setInputLocked(false);
        ASSERT_TRUE(click(menu, c.button));
        flash::sprite_instance* slider = c.music ? menu->musicSlider() : menu->soundSlider();
        EXPECT_EQ(slider->get_current_frame(), c.frameAfter);
        EXPECT_EQ((c.music ? s_musicVol : s_soundVol)->value.f[0], static_cast<float>(c.volumeAfter));
        EXPECT_TRUE(savedVolume(c.music ? "s_musicVol" : "s_soundVol", c.volumeAfter)) << settings();
        // The other slider is left alone, and the menu stays open with the click not taken.
        EXPECT_EQ((c.music ? s_soundVol : s_musicVol)->value.f[0], static_cast<float>(c.startVolume));
        EXPECT_TRUE(menu->isVisible());
        EXPECT_FALSE(game->app().inputLocked());
        menu->hide();
    }
}

TEST_F(GameMenuTest, AKnobDragFollowsTheCursorWithinItsTravelAndSetsItsVolume) {
    startGame();
    const struct {
        int x;
        int knobX;     // where the knob goes (pixels)
        int frame;     // the slider's frame after the drag (started at 5)
        int volume;
    } cases[] = {
        {400, 428, 0, 0},    // left of the travel: its left end
        {428, 428, 0, 0},
        {518, 518, 5, 45},   // 11 x 90 / 180 = 5; 5 / 11 x 100 = 45
        {608, 608, 5, 100},  // position 11, past the last frame: the slider keeps its frame
        {700, 608, 5, 100},
    };
    for (const char* knob : {"MusicSliderCtrl", "SoundSliderCtrl"}) {
        const bool music = std::string(knob) == "MusicSliderCtrl";
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(knob) + " at " + std::to_string(c.x));
            setVolumes(50, 50);
            menu->show(false);
            std::filesystem::remove(game->profilesFolder() / "config.sta");
            drag(knob, c.x);
            EXPECT_FLOAT_EQ(find(menu, knob)->get_matrix().m_[0][2], c.knobX * 20.0f);
            EXPECT_EQ((music ? menu->musicSlider() : menu->soundSlider())->get_current_frame(), c.frame);
            EXPECT_EQ((music ? s_musicVol : s_soundVol)->value.f[0], static_cast<float>(c.volume));
            EXPECT_EQ((music ? s_soundVol : s_musicVol)->value.f[0], 50.0f);
            EXPECT_TRUE(savedVolume(music ? "s_musicVol" : "s_soundVol", c.volume)) << settings();
            menu->hide();
        }
    }
    EXPECT_FALSE(game->logLines("MESSAGE", "drag :MusicSliderCtrl").empty());
    EXPECT_FALSE(game->logLines("MESSAGE", "drag :SoundSliderCtrl").empty());
    // Another clip's drag is only logged.
    setVolumes(50, 50);
    menu->show(false);
    flash::character* slider = find(menu, "MusicSlider");
    slider->set_event_callback(&screens::forwardEvent<GameMenu>);
    slider->get_event_callback()(slider, GameMenu::kDragEvent);
    EXPECT_EQ(menu->musicSlider()->get_current_frame(), 5);
    EXPECT_EQ(s_musicVol->value.f[0], 50.0f);
    EXPECT_EQ(game->logLines("MESSAGE", "drag :MusicSlider").size(),
              game->logLines("MESSAGE", "drag :MusicSliderCtrl").size() + 1);
}

TEST_F(GameMenuTest, AKnobHeldUnderThePressedMouseFollowsItAsItMoves) {
    startGame();
    setVolumes(50, 50);
    menu->show(false);
    // Pressed on its centre, moved right in steps the knob keeps up with, then left past the
    // travel's end, then released.
    std::string script = "press 518 470\n";
    for (int x = 522; x <= 562; x += 4) script += "+1 move " + std::to_string(x) + " 470\n";
    script += "+2 move 562 470\n";
    ASSERT_TRUE(game->fixture().runInput(script));
    // 11 x (562 - 428) / 180 = 8; 8 / 11 x 100 = 72.
    EXPECT_FLOAT_EQ(find(menu, "MusicSliderCtrl")->get_matrix().m_[0][2], 562 * 20.0f);
    EXPECT_EQ(menu->musicSlider()->get_current_frame(), 8);
    EXPECT_EQ(s_musicVol->value.f[0], 72.0f);
    script.clear();
    for (int x = 558; x >= 420; x -= 4) script += "+1 move " + std::to_string(x) + " 470\n";
    script += "+2 release 420 470\n+2 move 300 300\n";
    ASSERT_TRUE(game->fixture().runInput(script));
    EXPECT_FLOAT_EQ(find(menu, "MusicSliderCtrl")->get_matrix().m_[0][2], 428 * 20.0f);
    EXPECT_EQ(menu->musicSlider()->get_current_frame(), 0);
    EXPECT_EQ(s_musicVol->value.f[0], 0.0f);
    EXPECT_EQ(s_soundVol->value.f[0], 50.0f);
    EXPECT_TRUE(savedVolume("s_musicVol", 0)) << settings();
}

TEST_F(GameMenuTest, TheFullScreenSwitchTurnsTheModeOverAtTheNextDrawAndTwiceComesBack) {
    startGame();
    CMyD3DApplication* frame = CMyD3DApplication::instance();
    ASSERT_NE(frame, nullptr);
    const bool firstMode = s_fullScreenMode->value.b;
    ASSERT_EQ(frame->isWindowed(), !firstMode);
    menu->show(false);
    flash::character* button = find(menu, "FullScreen");
    auto alpha = [&] { return button->get_cxform().m_[3][0]; };
    EXPECT_FLOAT_EQ(alpha(), firstMode ? 1.0f : 0.0f);
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        const bool mode = round == 1 ? !firstMode : firstMode;
        game->app().setInputLocked(false);
        ASSERT_TRUE(click(button));
        EXPECT_FALSE(game->app().inputLocked());
        EXPECT_EQ(s_fullScreenMode->value.b, mode);
        EXPECT_FLOAT_EQ(alpha(), mode ? 1.0f : 0.0f);
        // The other seven values of the colour transform stay.
        EXPECT_FLOAT_EQ(button->get_cxform().m_[0][0], 1.0f);
        EXPECT_FLOAT_EQ(button->get_cxform().m_[3][1], 0.0f);
        EXPECT_EQ(frame->isWindowed(), mode);  // not yet
        game->frames(1);
        EXPECT_EQ(frame->isWindowed(), !mode);
        EXPECT_TRUE(menu->isVisible());
    }
    // Two clicks before a draw cancel out.
    ASSERT_TRUE(click(button));
    ASSERT_TRUE(click(button));
    game->frames(1);
    EXPECT_EQ(frame->isWindowed(), !firstMode);
    EXPECT_EQ(s_fullScreenMode->value.b, firstMode);
    EXPECT_FLOAT_EQ(alpha(), firstMode ? 1.0f : 0.0f);
}

TEST_F(GameMenuTest, FromTheMainMenuItOpensAsOptionsAndItsReturnButtonOnlyClosesIt) {
    startGame();
    MainMenu* mainMenu = MainMenu::instance();
    mainMenu->playAmbient();
    ASSERT_TRUE(game->fixture().runInput("click @mm_options_btn\n+3 move 1 1\n"));
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(game->app().modalPanel(), menu);
    EXPECT_EQ(sprite("comand_buttons")->get_current_frame(), GameMenu::kOptionsCommands);
    EXPECT_EQ(find(menu, "continue_btn"), nullptr);
    // No question: the menu closes at once and the main menu goes on as it was.
    ASSERT_TRUE(game->fixture().runInput("click @mainmenu_btn\n+3 move 1 1\n"));
    EXPECT_FALSE(menu->isVisible());
    EXPECT_FALSE(MsgBox::instance()->isVisible());
    EXPECT_EQ(game->app().modalPanel(), nullptr);
    EXPECT_TRUE(mainMenu->isVisible());
    EXPECT_EQ(screentest::playingSlots(MainMenu::kAmbientSound), 1);
    EXPECT_FALSE(game->app().quitRequested());

    // Opened over the game afterwards, the play form's buttons are wired again.
    mainMenu->hide();
    menu->show(false);
    EXPECT_EQ(sprite("comand_buttons")->get_current_frame(), GameMenu::kPlayCommands);
    for (const char* name : {"continue_btn", "restart_btn", "mainmenu_btn", "quit_btn"}) {
        ASSERT_NE(find(menu, name), nullptr) << name;
        EXPECT_NE(find(menu, name)->get_event_callback(), nullptr) << name;
    }
    ASSERT_TRUE(click(menu, "continue_btn"));
    EXPECT_FALSE(menu->isVisible());
}

TEST_F(GameMenuTest, AMovieWithoutItsPartsSaysWhatIsMissingAndTheRestWorks) {
    struct Case {
        const char* what;
        std::vector<std::string> dropped;
        std::vector<std::string> errors;
        bool opens;
    };
    const Case cases[] = {
        {"no movie",
         {},
         {"failed to open 'pausemenu.swf'; can't create movie.", "pausemenu.swf not found in GameMenu::init"},
         false},
        {"no sliders",
         {"MusicSlider", "SoundSlider"},
         {"MusicSlider not found in pausemenu.swf: GameMenu::init",
          "SoundSlider not found in pausemenu.swf: GameMenu::init"},
         true},
        {"no commands clip and no switch", {"comand_buttons", "FullScreen"}, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        screentest::GameOptions options = screentest::withProfiles({"Ann"}, "Ann");
        if (c.dropped.empty()) options.removed.push_back(screentest::moviePath(GameMenu::kMovie));
        else options.files[screentest::moviePath(GameMenu::kMovie)] = screentest::movieWithout(GameMenu::kMovie, c.dropped);
        startGame(options);
        EXPECT_EQ(game->logLines("ERROR", ""), c.errors);
        setVolumes(50, 50);
        menu->show(false);
        EXPECT_EQ(menu->isVisible(), c.opens);
        EXPECT_EQ(game->app().modalPanel() == menu, c.opens);
        if (c.opens) {
            // The volume controls do nothing without their slider; the commands still answer.
            click(menu, "music_plus_btn");
            drag("MusicSliderCtrl", 600);
            // Plus from 5 gives 54, the drag at 600 then 90 (11 x 172 / 180 = 10).
            EXPECT_EQ(s_musicVol->value.f[0], c.dropped[0] == "MusicSlider" ? 50.0f : 90.0f);
            if (flash::character* cont = find(menu, "continue_btn")) ASSERT_TRUE(click(cont));
            else menu->hide();
            EXPECT_FALSE(menu->isVisible());
        }
        game.reset();
    }
}

}  // namespace
