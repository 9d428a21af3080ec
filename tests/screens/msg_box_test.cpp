// The message box on the demo chapter: the root frame of each type, the animation clip stopping
// at "stop" and, once answered, at its end; answers delivered once to the callback or the script;
// a new show replacing the old; the task-complete sound, effect and music dip with the volume
// back where the show found it; the log lines of stray answers.
#include <gtest/gtest.h>

#include <lua.hpp>
#include <vector>

#include "app/game_layers.h"
#include "audio/media_center.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "particles/particle_effect.h"
#include "screens/msg_box.h"
#include "script/script_core.h"
#include "script/script_timers.h"
#include "tests/screens/screen_test_support.h"

namespace {

using screentest::click;
using screentest::find;

class MsgBoxTest : public ::testing::Test {
protected:
    void startGame(unsigned stepMs = 100) {
        screentest::GameOptions options = screentest::withProfiles({"Ann"}, "Ann");
        options.stepMs = stepMs;
        game = std::make_unique<screentest::ScreenGame>(options);
        ASSERT_TRUE(game->start());
        box = MsgBox::instance();
        ASSERT_NE(box, nullptr);
    }
    app::MessageBox::AnswerCallback record() {
        return [this](int answer) { answers.push_back(answer); };
    }
    flash::sprite_instance* clip(const char* name) {
        return flash::cast_to<flash::sprite_instance>(find(box, name));
    }
    double luaNumber(const char* name) {
        lua_State* L = currentScriptState();
        lua_getglobal(L, name);
        const double value = lua_tonumber(L, -1);
        lua_pop(L, 1);
        return value;
    }

    std::unique_ptr<screentest::ScreenGame> game;
    MsgBox* box = nullptr;
    std::vector<int> answers;
};

TEST_F(MsgBoxTest, EachTypeShowsItsRootFrameModallyAndTheButtonsOfItsForm) {
    startGame();
    struct Case {
        int type;
        const char* button;
        int answer;
    };
    for (const Case& c : std::vector<Case>{{0, "msg_button_ok", 0}, {1, "msg_button_yes", 1}, {1, "msg_button_no", 2},
                                           {4, "msg_button_ok", 0}, {5, "msg_button_ok", 0}}) {
        answers.clear();
        box->show(c.type, "ids_yesno", record());
        EXPECT_TRUE(box->isVisible()) << c.type;
        EXPECT_EQ(box->getRoot()->get_current_frame(), c.type);
        EXPECT_EQ(game->app().modalPanel(), box) << c.type;
        ASSERT_TRUE(click(box, c.button)) << c.type << " " << c.button;
        // A second click of the same button brings no second answer.
        click(box, c.button);
        EXPECT_EQ(answers, std::vector<int>{c.answer}) << c.type << " " << c.button;
        game->frames(30);
        EXPECT_FALSE(box->isVisible()) << c.type;
        EXPECT_NE(game->app().modalPanel(), box) << c.type;
    }
}

TEST_F(MsgBoxTest, TheTaskClipStopsAtItsStopLabelAndAfterTheAnswerAtItsEnd) {
    startGame();
    box->show(app::MessageBox::kTypeTask, "ids_yesno", record());
    flash::sprite_instance* anim = clip("msg_anim");
    ASSERT_NE(anim, nullptr);
    const int stop = anim->getLabeledFrame("stop");
    ASSERT_GT(stop, 0);
    game->frames(40);
    EXPECT_EQ(anim->get_current_frame(), stop);
    EXPECT_EQ(anim->get_play_state(), flash::character::STOP);
    EXPECT_TRUE(box->isVisible());
    ASSERT_TRUE(click(box, "msg_button_ok"));
    EXPECT_EQ(answers, std::vector<int>{0});
    // Open until the clip has played to its end.
    EXPECT_TRUE(box->isVisible());
    game->frames(2);
    EXPECT_TRUE(box->isVisible());
    game->frames(40);
    EXPECT_EQ(anim->get_current_frame(), anim->get_frame_count() - 1);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(answers, std::vector<int>{0});
}

TEST_F(MsgBoxTest, AScriptRunsOnceWithEitherAnswer) {
    startGame();
    for (const char* button : {"msg_button_yes", "msg_button_no"}) {
        ASSERT_EQ(runScriptBuffer("answered = 0", 0, "test"), kScriptOk);
        box->showWithScript(app::MessageBox::kTypeYesNo, "ids_yesno", "answered = answered + 1");
        EXPECT_FALSE(box->hasCallback());
        ASSERT_TRUE(click(box, button));
        click(box, button);
        box->answer(0);
        EXPECT_EQ(luaNumber("answered"), 1.0) << button;
        EXPECT_TRUE(box->script().empty());
    }
}

TEST_F(MsgBoxTest, ANewShowReplacesTheCallbackAndTheText) {
    startGame();
    std::vector<int> first;
    box->show(app::MessageBox::kTypeYesNo, "ids_yesno", [&first](int a) { first.push_back(a); });
    box->show(app::MessageBox::kTypeOk, "ids_maxprofile", record());
    EXPECT_EQ(box->getRoot()->get_current_frame(), app::MessageBox::kTypeOk);
    EXPECT_STREQ(box->textField()->m_text.c_str(), "ids_maxprofile");
    ASSERT_TRUE(click(box, "msg_button_ok"));
    EXPECT_TRUE(first.empty());
    EXPECT_EQ(answers, std::vector<int>{0});
}

TEST_F(MsgBoxTest, AnEmptyIdShowsNothingAndAMissingKeyShowsItself) {
    startGame();
    box->show(app::MessageBox::kTypeOk, "", record());
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(game->app().modalPanel(), nullptr);
    box->show(app::MessageBox::kTypeOk, "ids_no_such_text", record());
    EXPECT_TRUE(box->isVisible());
    EXPECT_STREQ(box->textField()->m_text.c_str(), "ids_no_such_text");
    // White, in the box's font, drawn in text mode 2.
    EXPECT_EQ(box->textField()->m_color.m_r, 255);
    EXPECT_EQ(box->textField()->m_color.m_a, 255);
    EXPECT_STREQ(box->textField()->m_font_name.c_str(), "Vernada_BOLD_16");
    EXPECT_EQ(box->textField()->m_vertical_alignment, 2);
}

TEST_F(MsgBoxTest, AStrayAnswerIndexIsLoggedAndChangesNothing) {
    startGame();
    box->show(app::MessageBox::kTypeOk, "ids_yesno", record());
    find(box, "msg_button_ok")->m_event_index = 3;
    ASSERT_TRUE(click(box, "msg_button_ok"));
    EXPECT_EQ(game->logLines("WARNING", "WTF?!"), std::vector<std::string>{"WTF?! MsgBox::onEvent"});
    EXPECT_TRUE(answers.empty());
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(box->hasCallback());
}

TEST_F(MsgBoxTest, TaskCompletePlaysItsSoundAndEffectAndStaysUpAfterTheFirstClick) {
    startGame();
    box->show(app::MessageBox::kTypeTaskComplete, "ids_yesno", record());
    EXPECT_TRUE(box->taskComplete());
    EXPECT_EQ(screentest::playingSlots("task_complete"), 1);
    ASSERT_EQ(box->effectCount(), 1u);
    EXPECT_EQ(box->effectAt(0)->name(), "task_complete");
    flash::sprite_instance* anim = clip("task_msg_anim");
    ASSERT_NE(anim, nullptr);
    const flash::matrix world = anim->get_world_matrix();
    EXPECT_FLOAT_EQ(box->effectAt(0)->position().x, world.m_[0][2] * 0.05f + 0.0f);
    EXPECT_FLOAT_EQ(box->effectAt(0)->position().y, world.m_[1][2] * 0.05f - 90.0f);
    // The demo's task-complete form has no "msg_anim": the first click answers and leaves the
    // box up, the second closes it.
    ASSERT_TRUE(click(box, "msg_button_ok"));
    EXPECT_EQ(answers, std::vector<int>{0});
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->taskComplete());
    ASSERT_TRUE(click(box, "msg_button_ok"));
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(answers, std::vector<int>{0});
}

// The volume functions of the scripts, on the music channel's own scale.
int standInGetVolume(lua_State* L) {
    lua_pushnumber(L, MediaSystem::MediaCenter::instance()->getMusicVolume());
    return 1;
}
int standInSetVolume(lua_State* L) {
    MediaSystem::MediaCenter::instance()->setMusicVolume(static_cast<float>(lua_tonumber(L, 2)));
    return 0;
}

TEST_F(MsgBoxTest, AfterTheTaskCompleteDipTheMusicIsBackAtItsVolumeBeforeTheShow) {
    // 50 ms frames: the dip's steps fall on frames.
    startGame(50);
    lua_register(currentScriptState(), "get_volume", standInGetVolume);
    lua_register(currentScriptState(), "set_volume", standInSetVolume);
    MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance();
    const float before = 0.8f;
    for (int frames : {1, 2, 10}) {
        media->setMusicVolume(before);
        box->show(app::MessageBox::kTypeTaskComplete, "ids_yesno", record());
        EXPECT_FLOAT_EQ(MsgBox::savedMusicVolume(), before);
        ASSERT_NE(ScriptTimerManager::instance()->find(MsgBox::kDipStep), nullptr);
        game->frames(frames);
        if (frames == 10) {
            EXPECT_NEAR(media->getMusicVolume(), before * 8.0f / 27.0f, 1e-4f);
        } else if (frames == 2) {
            EXPECT_LT(media->getMusicVolume(), before);
        }
        // A box shown over the open one keeps the volume from before the dip.
        box->show(app::MessageBox::kTypeTaskComplete, "ids_yesno", record());
        EXPECT_FLOAT_EQ(MsgBox::savedMusicVolume(), before) << frames;
        ASSERT_TRUE(click(box, "msg_button_ok"));
        ASSERT_TRUE(click(box, "msg_button_ok"));
        EXPECT_FALSE(box->isVisible());
        EXPECT_FLOAT_EQ(media->getMusicVolume(), before) << frames;
        EXPECT_EQ(ScriptTimerManager::instance()->find(MsgBox::kDipStep), nullptr) << frames;
        game->frames(10);
        EXPECT_FLOAT_EQ(media->getMusicVolume(), before) << frames;
    }
    // The next box saves the volume as it is, not a dipped one.
    box->show(app::MessageBox::kTypeOk, "ids_yesno", record());
    EXPECT_FLOAT_EQ(MsgBox::savedMusicVolume(), before);
}

TEST_F(MsgBoxTest, TheScriptClassShowsTheBoxWithAScript) {
    startGame();
    ASSERT_EQ(runScriptBuffer("said = 0; msgbox():show(1, 'ids_yesno', 'said = said + 1')", 0, "test"), kScriptOk);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->getRoot()->get_current_frame(), 1);
    EXPECT_EQ(box->script(), "said = said + 1");
    ASSERT_TRUE(click(box, "msg_button_no"));
    EXPECT_EQ(luaNumber("said"), 1.0);
    // The box is a drawable to scripts too.
    ASSERT_EQ(runScriptBuffer("msgbox():setVisible(true)", 0, "test"), kScriptOk);
    EXPECT_TRUE(box->isVisible());
}

}  // namespace
