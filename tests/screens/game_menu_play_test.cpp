// The pause menu over a running level: the demo's room played as a level of a plain test kind
// (a movie level would take Escape itself), opened by Escape and by the heads-up panel's button,
// and its commands: continue with the carried element brought back, quit with its question,
// restart of the level in place, and the return to the main menu.
#include <gtest/gtest.h>

#include <lua.hpp>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/application.h"
#include "core/cvar_catalogue.h"
#include "app/game_layers.h"
#include "app/mouse_cursor.h"
#include "audio/media_center.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "input/input_event.h"
#include "levels/base_level.h"
#include "levels/level_manager.h"
#include "particles/effect_mgr.h"
#include "screens/game_menu.h"
#include "screens/main_menu.h"
#include "screens/main_panel.h"
#include "screens/main_panel_notice.h"
#include "screens/msg_box.h"
#include "script/script_core.h"
#include "script/script_timers.h"
#include "tests/screens/screen_test_support.h"
#include "tests/support/game_run.h"
#include "tests/support/temp_dir.h"

namespace {

using screentest::find;

// The test kind: never complete, counts its restarts.
class PlayLevel : public BaseLevel {
public:
    explicit PlayLevel(BaseLevel* parent) : BaseLevel(parent) {}
    bool isComplete() override { return false; }
    void restart() override { ++restarts; }
    int restarts = 0;
};
BaseLevel* makePlayLevel(BaseLevel* parent) { return new PlayLevel(parent); }

// An element the cursor carries: one clip of the level.
class CarriedClip : public app::CarriedElement {
public:
    explicit CarriedClip(flash::character* clip) : m_clip(clip) {}
    flash::character* carriedClip() const override { return m_clip; }
    std::string carriedName() const override { return m_clip->get_name().c_str(); }
    void fadeCarried(bool) override {}
    void pushScriptObject(lua_State* L) override { lua_pushnil(L); }

private:
    flash::character* m_clip;
};

// A screen in the dialog panel's place, shown or not.
class StandInDialog : public BaseRender {
public:
    bool isVisible() const override { return visible; }
    void setVisible(bool on) override { visible = on; }
    bool visible = false;
};

struct Entry {
    std::string name;
    int count;
    bool operator==(const Entry& o) const { return name == o.name && count == o.count; }
};

class PauseMenuPlay : public ::testing::Test {
protected:
    void SetUp() override {
        m_earlierHidden = levels::setLevelMaker("hidden", &makePlayLevel);
        m_earlierContour = levels::setLevelMaker("contour", &makePlayLevel);
        // The room's pick-ups are listed in the panel's tasks, so that the restart has a list to
        // rebuild (its close-up, set up after it, says so too).
        screentest::GameOptions options = screentest::withProfiles({"Ann"}, "Ann");
        for (const char* name : {"room", "closeup"}) {
            const std::string path = std::string("data/levels/") + name + ".xml";
            std::string text = testsupport::readFile(testsupport::demoFolder() / path);
            const size_t at = text.find("<string name=\"FileName\"");
            ASSERT_NE(at, std::string::npos) << path;
            text.insert(at, "<boolean name=\"NoAutoAddIOC\" value=\"false\" />\n    ");
            options.files[path] = text;
        }
        game = std::make_unique<screentest::ScreenGame>(options);
        ASSERT_TRUE(game->start());
        menu = GameMenu::instance();
        ASSERT_NE(menu, nullptr);
        // The chapter's announcements, counted.
        ASSERT_EQ(lua("announced = {} function announce(text) announced[#announced + 1] = text end"), 0);
        // The room's dialogs would hold the game over the menu: these tests are about the menu.
        d_DisableDialogs->value.b = true;
        ASSERT_EQ(lua("start_level_no_fade('room')"), 0);
        for (int i = 0; i < 60 && game->app().anyFlag(Application::kFadeIn); ++i) game->frames(1);
        level = LevelManager::instance()->currentLevel();
        ASSERT_NE(level, nullptr);
        ASSERT_EQ(level->getName(), "room");
        ASSERT_FALSE(MainMenu::instance()->isVisible());
        ASSERT_EQ(game->app().modalPanel(), nullptr);
    }
    void TearDown() override {
        game.reset();
        d_DisableDialogs->value.b = false;
        levels::setLevelMaker("hidden", m_earlierHidden);
        levels::setLevelMaker("contour", m_earlierContour);
    }

    int lua(const std::string& text) { return runScriptBuffer(text.c_str(), 0, "test"); }
    int announced(const std::string& text) {
        lua("announced_count = 0 for _, t in ipairs(announced) do if t == '" + text +
            "' then announced_count = announced_count + 1 end end");
        lua_State* L = currentScriptState();
        lua_getglobal(L, "announced_count");
        const int count = static_cast<int>(lua_tonumber(L, -1));
        lua_pop(L, 1);
        return count;
    }
    bool input(const std::string& script) { return game->fixture().runInput(script + "+3 move 1 1\n"); }
    bool escape() { return input("key 1\n"); }
    std::vector<Entry> entries() {
        std::vector<Entry> out;
        for (const MainPanel::NotificationElement* entry : MainPanel::instance()->entries())
            out.push_back({entry->name(), entry->count()});
        return out;
    }
    std::string profileFile() {
        std::ifstream in(game->profilesFolder() / "Ann.prof");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::unique_ptr<screentest::ScreenGame> game;
    GameMenu* menu = nullptr;
    BaseLevel* level = nullptr;

private:
    levels::LevelMaker m_earlierHidden = nullptr;
    levels::LevelMaker m_earlierContour = nullptr;
};

TEST_F(PauseMenuPlay, EscapeOpensItDuringPlayButNotOverAnotherScreen) {
    StandInDialog dialog;
    BaseRender* realDialog = app::screen(app::Screen::DialogPanel);
    MsgBox* box = MsgBox::instance();
    MainMenu* mainMenu = MainMenu::instance();
    struct Case {
        const char* what;
        std::function<void()> cover, uncover;
        bool opens;
    };
    const Case cases[] = {
        {"during play", [] {}, [] {}, true},
        {"the message box", [&] { box->show(app::MessageBox::kTypeOk, "ids_maxprofile", nullptr); },
         [&] { ASSERT_TRUE(input("click @msg_button_ok\n")); }, false},
        {"a dialog",
         [&] {
             app::setScreen(app::Screen::DialogPanel, &dialog);
             dialog.visible = true;
         },
         [&] { app::setScreen(app::Screen::DialogPanel, realDialog); }, false},
        {"the main menu", [&] { mainMenu->setVisible(true); }, [&] { mainMenu->setVisible(false); }, false},
        {"the pause menu itself", [&] { menu->show(false); }, [&] { menu->hide(); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.cover();
        BaseRender* modalBefore = game->app().modalPanel();
        ASSERT_TRUE(escape());
        EXPECT_EQ(menu->isVisible(), c.opens);
        if (c.opens) {
            EXPECT_EQ(game->app().modalPanel(), menu);
            EXPECT_TRUE(game->app().isBusy());
            auto* commands = flash::cast_to<flash::sprite_instance>(find(menu, "comand_buttons"));
            ASSERT_NE(commands, nullptr);
            EXPECT_EQ(commands->get_current_frame(), GameMenu::kPlayCommands);
            menu->hide();
        } else {
            EXPECT_EQ(game->app().modalPanel(), modalBefore);
        }
        c.uncover();
        EXPECT_EQ(game->app().modalPanel(), nullptr);
    }
    // The heads-up panel's menu button opens it too, and takes the click.
    ASSERT_TRUE(input("click @mp_menu_btn\n"));
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(game->app().modalPanel(), menu);
}

TEST_F(PauseMenuPlay, ContinueClosesItAndBringsBackTheCarriedElement) {
    MouseCursor* cursor = MouseCursor::instance();
    flash::character* key = level->findCharacter("key", true);
    ASSERT_NE(key, nullptr);
    CarriedClip carried(key);
    cursor->setConnectedElement(&carried, false);
    ASSERT_EQ(cursor->connectedElement(), &carried);
    ASSERT_TRUE(key->get_visible());
    ASSERT_TRUE(escape());
    ASSERT_TRUE(menu->isVisible());
    EXPECT_FALSE(key->get_visible());
    ASSERT_TRUE(input("click @continue_btn\n"));
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(game->app().modalPanel(), nullptr);
    EXPECT_TRUE(key->get_visible());
    EXPECT_EQ(cursor->connectedElement(), &carried);
    EXPECT_EQ(cursor->clipMode(), MouseCursor::kModeCarried);
    EXPECT_EQ(LevelManager::instance()->currentLevel(), level);
    cursor->setConnectedElement(nullptr, true);
}

TEST_F(PauseMenuPlay, QuitAsksAndOnlyYesEndsTheGameWithTheProfileSaved) {
    ASSERT_TRUE(escape());
    MsgBox* box = MsgBox::instance();
    ASSERT_TRUE(input("click @quit_btn\n"));
    ASSERT_TRUE(box->isVisible());
    EXPECT_EQ(box->getRoot()->get_current_frame(), app::MessageBox::kTypeYesNo);
    EXPECT_STREQ(box->textField()->m_text.c_str(), "ids_surequit");
    ASSERT_TRUE(input("click @msg_button_no\n"));
    EXPECT_FALSE(box->isVisible());
    EXPECT_FALSE(game->app().quitRequested());
    // The menu is modal again and the game plays on under it.
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(game->app().modalPanel(), menu);
    game->frames(3);
    EXPECT_FALSE(game->app().quitRequested());
    EXPECT_EQ(LevelManager::instance()->currentLevel(), level);

    std::filesystem::remove(game->profilesFolder() / "Ann.prof");
    ASSERT_TRUE(input("click @quit_btn\n+3 click @msg_button_yes\n"));
    EXPECT_TRUE(game->app().quitRequested());
    EXPECT_EQ(game->app().run(), 0);
    game->fixture().shutdown();
    EXPECT_NE(profileFile().find("<string name=\"CurrentLevel\" value=\"room\" />"), std::string::npos)
        << profileFile();
}

TEST_F(PauseMenuPlay, RestartPutsTheRunningLevelBackInPlace) {
    auto* play = static_cast<PlayLevel*>(level);
    BaseLevel* closeup = level->getMinilevel(0);
    ASSERT_NE(closeup, nullptr);
    EXPECT_EQ(closeup->getName(), "closeup");
    const std::vector<BaseLevel*> loaded = LevelManager::instance()->levels();
    const int restarts = play->restarts;
    ASSERT_EQ(announced("room_ON_ENTER"), 1);
    const std::vector<Entry> tasks = entries();
    ASSERT_FALSE(tasks.empty());
    MainPanel::instance()->releaseEntry(tasks.front().name);
    ASSERT_NE(entries(), tasks);

    ASSERT_TRUE(escape());
    ASSERT_TRUE(input("click @restart_btn\n"));
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(game->app().modalPanel(), nullptr);
    // The same level, not ended, its minilevel still in its slot; its entry ran again.
    EXPECT_EQ(LevelManager::instance()->currentLevel(), level);
    EXPECT_EQ(level->getMinilevel(0), closeup);
    EXPECT_EQ(LevelManager::instance()->levels(), loaded);
    EXPECT_EQ(play->restarts, restarts + 1);
    EXPECT_EQ(announced("room_ON_ENTER"), 2);
    EXPECT_EQ(announced("room_ON_LEAVE"), 0);
    EXPECT_EQ(entries(), tasks);
    EXPECT_FALSE(game->logLines("MESSAGE", "LevelManager::restartCurrentLevel room").empty());
    EXPECT_TRUE(game->logLines("MESSAGE", "LevelManager::onEndCurrentLevel").empty());
}

TEST_F(PauseMenuPlay, TheReturnToTheMainMenuAsksAndYesClearsTheGameForTheMenu) {
    MsgBox* box = MsgBox::instance();
    const int clears = announced("clear level");
    ASSERT_EQ(lua("add_timer('timer_ran = true', 100, 1)"), 0);
    particle::fxParticleEffectMgr* effects = particle::fxParticleEffectMgr::instance();
    ASSERT_NE(effects->startEffect(512, 384, "firework", true, true), nullptr);
    MainPanel* panel = MainPanel::instance();

    ASSERT_TRUE(escape());
    panel->showMsg("ids_maxprofile", 0);
    ASSERT_TRUE(input("click @mainmenu_btn\n"));
    EXPECT_FALSE(panel->isMsgBoxVisible());
    ASSERT_TRUE(box->isVisible());
    EXPECT_STREQ(box->textField()->m_text.c_str(), "ids_surequit");
    ASSERT_TRUE(input("click @msg_button_no\n"));
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(LevelManager::instance()->currentLevel(), level);
    EXPECT_EQ(announced("clear level"), clears);

    ASSERT_TRUE(input("click @mainmenu_btn\n+3 click @msg_button_yes\n"));
    EXPECT_EQ(announced("clear level"), clears + 1);
    EXPECT_EQ(LevelManager::instance()->currentLevel(), nullptr);
    EXPECT_TRUE(LevelManager::instance()->levels().empty());
    EXPECT_EQ(LevelManager::instance()->busy(), 0);
    EXPECT_EQ(ScriptTimerManager::instance()->count(), 0u);
    EXPECT_EQ(effects->getEffectCount(), 0u);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(game->app().modalPanel(), nullptr);
    EXPECT_TRUE(MainMenu::instance()->isVisible());
    EXPECT_EQ(MediaSystem::MediaCenter::instance()->getMusicIndex(), 0);
    EXPECT_EQ(screentest::playingSlots(MainMenu::kAmbientSound), 1);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(game->app().quitRequested());
    EXPECT_TRUE(game->logLines("WARNING", "LevelManager::waitLoader").empty());
}

}  // namespace
