// The demo room played through the game's input, as a player presses it: rows counting down and
// fading, the wrong-click series on the background, the hidden fifth row, the pick-up, and the
// win once everything is found.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "app/application.h"
#include "app/game_layers.h"
#include "app/mouse_cursor.h"
#include "app/profiles.h"
#include "core/cvar_catalogue.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "levels/hidden_level.h"
#include "levels/hidden_services.h"
#include "levels/level_manager.h"
#include "particles/effect_mgr.h"
#include "particles/particle_effect.h"
#include "screens/main_panel.h"
#include "screens/main_panel_notice.h"
#include "script/script_core.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class Room : public ::testing::Test {
protected:
    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;
    HiddenLevel* room = nullptr;

    void SetUp() override {
        fs::copy(fs::path(TOV_TEST_SOURCE_DIR) / "demo", dir.path(), fs::copy_options::recursive);
        game = std::make_unique<testsupport::GameFixture>(dir.path(), 100);
        ASSERT_TRUE(game->startWithProfile());
        game->skipLogos();
        LevelManager* manager = LevelManager::instance();
        // The room's own dialogs wait for presses: these tests are about the scene.
        manager->setFlag(LevelManager::kSkipStartDialog | LevelManager::kSkipFinishDialog, true);
        ASSERT_TRUE(manager->startLevel("room"));
        room = dynamic_cast<HiddenLevel*>(manager->currentLevel());
        ASSERT_NE(room, nullptr);
        // The count rule, as the room's script asks for it.
        room->setFlag(BaseLevel::kFlagNoScriptWin, true);
        game->app().setActivePanel(nullptr);
        // As Play does: the main menu's buttons would otherwise take the presses under them.
        if (BaseRender* menu = app::screen(app::Screen::MainMenu)) menu->setVisible(false);
        game->runFrames(30);
    }
    void TearDown() override { game.reset(); }

    MainPanel::NotificationElement* row(const char* name) { return MainPanel::instance()->findEntry(name); }
    // Frames until the row has faded out and left the list (at most `frames`).
    int framesUntilGone(const char* name, int frames) {
        for (int i = 0; i < frames; ++i) {
            if (!row(name)) return i;
            game->runFrames(1);
        }
        return -1;
    }
};

TEST_F(Room, ObjectsPressedThroughTheInputCountTheirRowsDownAndFade) {
    ASSERT_NE(row("cup"), nullptr);
    EXPECT_EQ(row("cup")->count(), 2);
    ASSERT_TRUE(game->runInput("+2 click @cup_1\n+2 click @cup_2\n+2 click @book\n"));
    EXPECT_EQ(room->foundCount(), 3);
    for (const char* name : {"cup_1", "cup_2", "book"})
        EXPECT_EQ(room->findCharacter(name, true) ? room->findCharacter(name, true)->get_event_callback() : nullptr,
                  nullptr)
            << name;
    // Both rows fade out (51 frames at 5 a frame) and leave; the rows below slide up.
    EXPECT_GE(framesUntilGone("cup", 80), 0);
    EXPECT_GE(framesUntilGone("book", 80), 0);
    EXPECT_NE(row("clock"), nullptr);
}

TEST_F(Room, ThreeQuickPressesOnTheBackgroundShowTheMessageOnce) {
    Profiles* profiles = Profiles::instance();
    ASSERT_NE(profiles, nullptr);
    ASSERT_FALSE(profiles->anyFlag(Profiles::kWrongMsgShown));
    // The free point of "clickarea", twice; then a press there is the third.
    ASSERT_TRUE(game->runInput("+2 click 480 350\n+2 click 480 350\n"));
    EXPECT_EQ(game->app().wrongClicks(), 2);
    EXPECT_FALSE(profiles->anyFlag(Profiles::kWrongMsgShown));
    ASSERT_TRUE(game->runInput("+2 click 480 350\n+2 move 480 350\n"));
    EXPECT_TRUE(profiles->anyFlag(Profiles::kWrongMsgShown));
    EXPECT_EQ(game->app().wrongClicks(), 0);
    BaseRender* box = app::screen(app::Screen::MsgBox);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
}

TEST_F(Room, TheHiddenFifthRowsObjectIsWrongUntilItsRowSlidesIntoView) {
    ASSERT_FALSE(MainPanel::instance()->isEntryVisible(row("bird")));
    ASSERT_TRUE(game->runInput("+2 click @bird\n"));
    EXPECT_EQ(room->foundCount(), 0);
    EXPECT_EQ(game->app().wrongClicks(), 1);
    // The cups' row above it goes; the bird's row slides up into the list.
    ASSERT_TRUE(game->runInput("+4 click @cup_1\n+4 click @cup_2\n"));
    ASSERT_GE(framesUntilGone("cup", 80), 0);
    game->runFrames(30);
    ASSERT_TRUE(MainPanel::instance()->isEntryVisible(row("bird")));
    ASSERT_TRUE(game->runInput("+2 click @bird\n"));
    EXPECT_EQ(room->foundCount(), 3);
}

TEST_F(Room, TheKeyIsTakenIntoTheRowCarriedFromThereAndUsedOnTheLock) {
    BaseElement* key = room->getElementByName("key");
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(game->runInput("+2 click @key\n"));
    // The demo's module keeps what on_inventory_item_added handed it and moves it into the row.
    const char* check = "assert(inventory.counts.key == 1 and inventory.items[#inventory.items] == 'key')";
    EXPECT_EQ(runScriptBuffer(check, 0, "test"), kScriptOk) << game->log();
    flash::character* clip = key->getCharacter();
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->get_event_callback(), nullptr) << "a taken item takes no more presses in the room";
    EXPECT_EQ(clip->get_parent(), static_cast<flash::character*>(MainPanel::instance()->getRoot()->get_root_sprite()));
    // Laid out in the row by the module's update, a press there puts it on the cursor.
    game->runFrames(10);
    ASSERT_TRUE(game->runInput("+2 click @key\n"));
    MouseCursor* cursor = MouseCursor::instance();
    ASSERT_NE(cursor->connectedElement(), nullptr);
    EXPECT_EQ(cursor->connectedName(), "key");
    // Over the lock (carried by its corner), the hidden lock shows; a press there uses the key:
    // the lock's script drops it from the cursor and the inventory.
    flash::character* lock = room->findCharacter("lock", true);
    ASSERT_NE(lock, nullptr);
    EXPECT_FALSE(lock->get_visible());
    ASSERT_TRUE(game->runInput("+2 move 762 422\n+3 move 762 422\n"));
    EXPECT_TRUE(lock->get_visible());
    ASSERT_TRUE(game->runInput("+1 click 762 422\n+20 move 762 422\n"));
    EXPECT_EQ(room->useTargetCount(), 0);
    EXPECT_EQ(cursor->connectedElement(), nullptr);
    EXPECT_EQ(key->getCharacter(), nullptr) << "the used key left the panel";
    EXPECT_EQ(runScriptBuffer("assert(inventory.counts.key == nil and #inventory.items == 0)", 0, "test"), kScriptOk);
}

TEST_F(Room, TheDoorOpensTheCloseUpWhereTheVaseFromTheRowIsPlaced) {
    BaseLevel* closeup = room->getMinilevel(0);
    ASSERT_NE(closeup, nullptr);
    ASSERT_FALSE(closeup->isVisible());
    // The door opens the close-up, whose _ON_ENTER brings the vase on the cursor.
    ASSERT_TRUE(game->runInput("+2 click @vase_1\n+20 click @door\n+20 move 462 254\n"));
    ASSERT_TRUE(closeup->isVisible()) << game->log();
    MouseCursor* cursor = MouseCursor::instance();
    ASSERT_NE(cursor->connectedElement(), nullptr);
    EXPECT_EQ(cursor->connectedName(), "vase_1");
    // Dropped on its place the vase is placed; the close-up is solved and fades back to the room.
    ASSERT_TRUE(game->runInput("+2 click 462 254\n"));
    EXPECT_EQ(cursor->connectedElement(), nullptr);
    EXPECT_TRUE(closeup->isComplete());
    int frames = 0;
    for (; frames < 100 && closeup->isVisible(); ++frames) game->runFrames(1);
    EXPECT_LT(frames, 100);
    EXPECT_NE(game->log().find("\tMESSAGE\tinventory delete: vase_1\n"), std::string::npos);
}

TEST_F(Room, EverythingFoundRunsTheWinAndTheManagerMovesOn) {
    ASSERT_TRUE(game->runInput("+2 click @cup_1\n+2 click @cup_2\n+2 click @book\n+2 click @clock\n+2 click @candle\n"));
    EXPECT_EQ(room->foundCount(), 5);
    EXPECT_FALSE(room->isComplete());
    // The close-up done too, the last object makes the scene complete: the win sequence runs
    // and the level manager moves on.
    for (int slot = 0; slot < BaseLevel::kMaxMinilevels; ++slot)
        if (BaseLevel* minilevel = room->getMinilevel(slot)) minilevel->forceWin();
    d_DebugMode->value.b = true;
    ASSERT_TRUE(game->runInput("+2 click @bird\n"));
    d_DebugMode->value.b = false;
    // The bird stays and plays where it stands: the scene waits for that flight.
    EXPECT_EQ(room->foundCount(), 6);
    EXPECT_GT(levels::flightsQueued(), 0);
    EXPECT_FALSE(room->isComplete());
    // The manager ends the scene (the pointer is only compared: the room is gone then).
    int frames = 0;
    for (; frames < 300 && LevelManager::instance()->currentLevel() == room; ++frames) game->runFrames(1);
    EXPECT_LT(frames, 300);
    const std::string log = game->log();
    EXPECT_NE(log.find("\tMESSAGE\tStart level win effect: room\n"), std::string::npos);
}

}  // namespace
