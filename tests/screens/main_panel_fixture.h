#pragma once
// The heads-up panel's tests run the game's start-up on a copy of the demo chapter, with a test
// level as the current level: its elements are named and kinded as the demo room's description
// makes them, and it counts the hints and skips it is asked for.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/game_layers.h"
#include "audio/media_center.h"
#include "core/string_table.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/sprite_instance.h"
#include "particles/effect_mgr.h"
#include "particles/particle_effect.h"
#include "platform/clock.h"
#include "screens/main_panel.h"
#include "screens/main_panel_notice.h"
#include "tests/support/game_fixture.h"
#include "tests/support/temp_dir.h"
#include "tools/demo/demo_layout.h"

namespace paneltest {

namespace fs = std::filesystem;

class TestLevel : public app::GameLevel {
public:
    std::vector<std::pair<std::string, int>> elements;
    std::vector<std::pair<std::string, flash::character*>> clips;
    bool hintAnswer = true;
    int hints = 0;
    int skips = 0;

    void onEvent(flash::character*, int) override {}
    bool onInputEvent(InputEvent*) override { return false; }
    bool onKey(KeyEvent*) override { return false; }
    bool hint() override {
        ++hints;
        return hintAnswer;
    }
    bool skip() override {
        ++skips;
        return true;
    }
    void scale(float) override {}
    bool isMovieReady() const override { return true; }
    void visitElements(ElementVisitor& visitor) const override {
        for (const auto& [name, kind] : elements) visitor.visit(name, kind);
    }
    flash::character* elementClip(const std::string& name) const override {
        for (const auto& [clipName, clip] : clips)
            if (clipName == name) return clip;
        return nullptr;
    }
};

class TestLevelControl : public app::LevelControl {
public:
    app::GameLevel* level = nullptr;
    app::GameLevel* getCurrentLevel(bool) override { return level; }
};

// The demo room's listed kinds: hidden objects 0, the staying one 6, inventory pick-ups 7.
inline std::vector<std::pair<std::string, int>> roomElements() {
    std::vector<std::pair<std::string, int>> out;
    const demo::Level* room = demo::findLevel("room");
    if (!room) return out;
    for (const auto& [group, entries] : room->groups) {
        int kind = -1;
        if (group == "hidden") kind = 0;
        if (group == "hidden_and_staying") kind = 6;
        if (group == "invent_on_cursor") kind = 7;
        if (group == "not_game") kind = 2;
        if (kind < 0) continue;
        for (const auto& entry : entries) out.emplace_back(entry.first, kind);
    }
    return out;
}

class PanelTest : public ::testing::Test {
protected:
    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;
    TestLevel level;
    TestLevelControl control;
    app::LevelControl* previousControl = nullptr;
    MainPanel* panel = nullptr;

    void SetUp() override {
        fs::copy(fs::path(TOV_TEST_SOURCE_DIR) / "demo", dir.path(), fs::copy_options::recursive);
        game = std::make_unique<testsupport::GameFixture>(dir.path(), 100);
        ASSERT_TRUE(game->startWithProfile());
        // The game reads its texts before its entry, in its own folder: here the demo's.
        StringTable::instance().load(StringTable::kDefaultFile);
        panel = MainPanel::instance();
        ASSERT_NE(panel, nullptr);
        previousControl = app::levelControl();
        control.level = &level;
        app::setLevelControl(&control);
        // Well past the bubble's guard time.
        platform::advanceVirtualClockMs(10000);
    }
    void TearDown() override {
        app::setLevelControl(previousControl);
        if (game) game->shutdown();
    }

    static flash::sprite_instance* sprite(const char* name) {
        return flash::cast_to<flash::sprite_instance>(MainPanel::instance()->findClip(name));
    }
    static flash::edit_text_character* dialogText() {
        return flash::cast_to<flash::edit_text_character>(MainPanel::instance()->findClip("DialogText"));
    }
    // How many effects of that name the effect manager runs.
    static int effects(const std::string& name) {
        int n = 0;
        particle::fxParticleEffectMgr* mgr = particle::fxParticleEffectMgr::instance();
        for (uint32_t i = 0; mgr && i < mgr->getEffectCount(); ++i)
            if (mgr->effectAt(i)->name() == name) ++n;
        return n;
    }
    static bool playing(const std::string& sound) {
        MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance();
        return media && media->sndfxSystem() && media->sndfxSystem()->findSlot(sound) >= 0;
    }
    static void stopSounds() {
        MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance();
        if (media && media->sndfxSystem()) media->sndfxSystem()->stopSlot(-1);
    }
    static void clearEffects() {
        if (particle::fxParticleEffectMgr* mgr = particle::fxParticleEffectMgr::instance()) mgr->clearEffects();
    }
    int logCount(const std::string& text) const {
        const std::string log = game->log();
        int n = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
        return n;
    }
};

}  // namespace paneltest
