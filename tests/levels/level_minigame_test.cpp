// Minigames loaded into a level's free slots, at once or read ahead on the loader thread and made
// on the main thread; and the end of a level.
#include <chrono>
#include <thread>

#include "flash/movie/player.h"
#include "levels/minigame_loader.h"
#include "particles/effect_mgr.h"
#include "tests/levels/level_fixture.h"

namespace leveltest {
namespace {

using Minigames = LevelTest;

// Updates the level until its loader is done (at most about five seconds).
void updateUntilLoaded(BaseLevel* level) {
    for (int i = 0; i < 500 && level->isLoadingMinigames(); ++i) {
        level->update(0.01f);
        if (level->isLoadingMinigames()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::vector<std::string> slotNames(const BaseLevel* level) {
    std::vector<std::string> names;
    for (int slot = 0; slot < BaseLevel::kMaxMinilevels; ++slot)
        names.push_back(level->getMinilevel(slot) ? level->getMinilevel(slot)->getName() : "");
    return names;
}

TEST_F(Minigames, ThreeNamesLoadOnTheLoaderIntoTheFirstFreeSlotsAllMadeOnTheMainThread) {
    TestLevel* level = topLevel("host", description("host", stringKey("FileName", "room.swf")));
    level->loadMinigame("letters|puzzle|rotator", true);
    EXPECT_TRUE(level->isLoadingMinigames());
    updateUntilLoaded(level);
    ASSERT_FALSE(level->isLoadingMinigames());
    const std::vector<std::string> expected = {"letters", "puzzle", "rotator", "", "", "", "", "", "", ""};
    EXPECT_EQ(slotNames(level), expected);
    for (int slot = 0; slot < 3; ++slot) {
        auto* minigame = static_cast<TestLevel*>(level->getMinilevel(slot));
        EXPECT_EQ(minigame->madeOn, std::this_thread::get_id()) << slot;
        EXPECT_EQ(minigame->getParent(), level) << slot;
        EXPECT_FALSE(minigame->isVisible()) << slot;
    }
    const std::string log = logSince();
    for (const char* name : {"letters", "puzzle", "rotator"}) {
        EXPECT_EQ(count(log, std::string("BaseLevel::loadMinigame::MiniGameLoader::run, loading minigame ") + name + "\n"),
                  1u)
            << log;
        EXPECT_EQ(count(log, std::string("\tLoading minigame: ") + name + "\n"), 2u) << log;
    }
    EXPECT_EQ(count(log, "\tDeleting minigameloader\n"), 1u) << log;
    // The host has no script: its one line says so.
    EXPECT_EQ(count(log, "\tERROR\t") - count(log, "\tERROR\tBaseLevel::update level not inited: host\n"), 0u) << log;
}

TEST_F(Minigames, OneNameLoadsAtOnceAndTenUsedSlotsLoadNothingMore) {
    TestLevel* level = topLevel("host", description("host", stringKey("FileName", "room.swf")));
    level->loadMinigame("letters", false);
    EXPECT_EQ(slotNames(level)[0], "letters");
    for (int i = 1; i < BaseLevel::kMaxMinilevels; ++i) level->loadMinigame("puzzle", false);
    EXPECT_EQ(level->minilevelCount(), BaseLevel::kMaxMinilevels);
    made.clear();
    level->loadMinigame("rotator", false);
    level->loadMinigame("rotator|letters", true);
    updateUntilLoaded(level);
    EXPECT_TRUE(made.empty());
    EXPECT_EQ(slotNames(level)[9], "puzzle");
    // A name that makes no level leaves the slot free.
    TestLevel* other = topLevel("other", description("other", stringKey("FileName", "room.swf")));
    other->loadMinigame("no_such_level", false);
    EXPECT_EQ(other->minilevelCount(), 0);
}

TEST_F(Minigames, DeletingTheLevelWhileItsLoaderRunsWaitsForItAndMakesNothing) {
    for (int round = 0; round < 3; ++round) {
        TestLevel* level = topLevel("host", description("host", stringKey("FileName", "room.swf")));
        level->loadMinigame("letters|puzzle|rotator|letters|puzzle", true);
        if (round == 1) level->update(0.01f);
        release(level);
    }
    // Whatever the loader had read was never made into a level.
    EXPECT_TRUE(made.size() <= 5u);
    EXPECT_EQ(MiniGameLoader::runningCount(), 0);
}

class EndLevel : public LevelTest {
protected:
    void SetUp() override {
        LevelTest::SetUp();
        runLua("test_calls = {} log_message = function(text) test_calls[text] = (test_calls[text] or 0) + 1 end");
        runLua("inventory_resets = 0 inventory.reset = function() inventory_resets = inventory_resets + 1 end");
    }
};

TEST_F(EndLevel, TheEndRunsTheLeaveHookFreesClipsOfTheGivenKindsDropsEffectsAndMinilevels) {
    TestLevel* room = topLevel("room");
    room->startChapter();
    // Elements of kinds 0 and 13 keep their clips' callbacks; the others let them go.
    const std::pair<const char*, int> kinds[] = {{"cup_1", 0}, {"cup_2", 13}, {"book", 1}, {"candle", 7}};
    for (const auto& [clipName, kind] : kinds) {
        auto* element = new BaseElement(kind, clipName, "");
        element->setCharacter(clip(room, clipName));
        element->getCharacter()->set_event_callback(&BaseLevel::levelEventCallback);
        room->addElement(element);
    }
    ASSERT_GE(room->effectCount(), 1u);
    room->onEndLevel();
    EXPECT_NE(logSince().find("\tMESSAGE\tBaseLevel::onEndLevel\n"), std::string::npos);
    EXPECT_EQ(luaString("test_calls['room_ON_LEAVE']"), "1");
    EXPECT_EQ(luaString("inventory_resets"), "1");
    for (const auto& [clipName, kind] : kinds) {
        flash::character* ch = clip(room, clipName);
        const bool kept = kind == 0 || kind == 13;
        EXPECT_EQ(ch->get_event_callback() != nullptr, kept) << clipName;
        EXPECT_EQ(levels::ClipOwner::elementOf(ch) != nullptr, kept) << clipName;
    }
    EXPECT_EQ(room->effectCount(), 0u);
    EXPECT_EQ(room->minilevelCount(), 0);
    EXPECT_EQ(destroyed, 1);
}

class FakeBox : public app::MessageBox {
public:
    void show(int, const std::string&, AnswerCallback) override {}
    void showWithScript(int type, const std::string& textId, const std::string& script) override {
        shown.push_back({type, textId + "|" + script});
    }
    std::vector<std::pair<int, std::string>> shown;
};

TEST_F(EndLevel, TheTaskShowsInTheMessageBoxUnlessTheLevelIsComplete) {
    FakeBox box;
    app::setMessageBox(&box);
    TestLevel* room = topLevel("room");
    room->showTask("after()");
    room->complete = true;
    room->showTask("again()");
    app::setMessageBox(nullptr);
    EXPECT_EQ(box.shown, (std::vector<std::pair<int, std::string>>{{app::MessageBox::kTypeTask, "ids_room_objectives|after()"}}));
}

TEST_F(EndLevel, ClipEventsGoToTheCurrentLevelAndItsOpenMinilevelsFirst) {
    TestLevel* room = topLevel("room");
    auto* closeup = static_cast<TestLevel*>(room->getMinilevel(0));
    flash::character* cup = clip(room, "cup_1");
    BaseLevel::levelEventCallback(cup, 1);  // no current level
    EXPECT_TRUE(room->events.empty());
    current.level = room;
    BaseLevel::levelEventCallback(cup, 1);
    EXPECT_EQ(room->events.size(), 1u);
    EXPECT_TRUE(closeup->events.empty());  // closed
    closeup->setFlag(BaseLevel::kFlagOpen, true);
    closeup->takesEvents = true;
    BaseLevel::levelEventCallback(cup, 4);
    ASSERT_EQ(closeup->events.size(), 1u);
    EXPECT_EQ(closeup->events[0].second, 4);
    EXPECT_TRUE(room->handleEvent(cup, 5));
}

}  // namespace
}  // namespace leveltest
