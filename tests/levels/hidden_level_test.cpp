// The hidden-object level on the demo room: its element groups, the start state of its clips,
// what a press and a roll-over mean per element kind, the use target's proximity, completion,
// the hint, the skip, the debug labels and its script functions.
#include <cmath>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/mouse_cursor.h"
#include "core/cvar_catalogue.h"
#include "flash/movie/edit_text_character.h"
#include "input/input_event.h"
#include "levels/fly_elements.h"
#include "levels/hidden_level.h"
#include "particles/effect_mgr.h"
#include "screens/main_panel.h"
#include "screens/main_panel_notice.h"
#include "tests/levels/level_fixture.h"

namespace leveltest {
namespace {

constexpr int kPress = 1;
constexpr int kRollOver = 4;
constexpr int kRollOut = 5;

class TestHidden : public HiddenLevel {
public:
    using HiddenLevel::HiddenLevel;
    using BaseLevel::setFlag;
};

// The demo room as a hidden-object level and the current level, its task list built and its
// clips started, as the level manager enters it. No modal screen holds the wrong clicks.
class Hidden : public LevelTest {
protected:
    void SetUp() override {
        LevelTest::SetUp();
        Application& app = LevelGame::instance()->game().app();
        if (BaseRender* entry = app::screen(app::Screen::EnterName)) entry->hide();
        app.setActivePanel(nullptr);
        d_DebugMode->value.b = false;
        if (FlyElementsManager* flights = FlyElementsManager::instance()) flights->clear();
        // The demo's flight moves the clip into the panel for good; here the call is recorded.
        runLua("hidden_test_flown = ''; element_fly_to_main_panel = function(e) hidden_test_flown = "
               "hidden_test_flown .. e:getName() .. ' ' end");
        room = hidden("room");
        enter(room);
    }
    void TearDown() override {
        if (MouseCursor* cursor = MouseCursor::instance()) cursor->reset();
        d_DebugMode->value.b = false;
        LevelTest::TearDown();
    }

    TestHidden* hidden(const std::string& name, const Attr::AttributePtr& tree = Attr::AttributePtr()) {
        auto* level = new TestHidden(nullptr);
        owned.push_back(level);
        EXPECT_TRUE(level->initElements(tree ? tree : Attr::loadDocument(name + ".xml"))) << name;
        return level;
    }
    void enter(TestHidden* level) {
        current.level = level;
        if (MainPanel* panel = MainPanel::instance()) panel->reset();
        level->restart();
        app().resetTimer();
    }
    static Application& app() { return LevelGame::instance()->game().app(); }
    flash::character* at(const std::string& name) { return clip(room, name); }
    bool press(const std::string& name) { return room->handleEvent(at(name), kPress); }
    BaseElement* element(const std::string& name) { return room->getElementByName(name); }
    static MainPanel* panel() { return MainPanel::instance(); }

    TestHidden* room = nullptr;
};

// ---- Groups ------------------------------------------------------------------------------

TEST_F(Hidden, TheRoomsGroupsMakeTheirKindsAndCounts) {
    const std::vector<std::pair<std::string, int>> kinds = {
        {"curtain", 2}, {"drawer", 1}, {"key", 7}, {"vase_1", 7}, {"door", 10}, {"cup_1", 0}, {"cup_2", 0},
        {"book", 0},    {"clock", 0},  {"candle", 0}, {"bird", 6}, {"lock", 13}};
    for (const auto& [name, kind] : kinds) {
        BaseElement* e = element(name);
        ASSERT_NE(e, nullptr) << name;
        EXPECT_EQ(e->getKind(), kind) << name;
        EXPECT_EQ(dynamic_cast<HiddenElement*>(e) != nullptr, kind == 0) << name;
    }
    EXPECT_EQ(room->objectCount(), 6);  // five hidden, one staying
    EXPECT_EQ(room->useTargetCount(), 1);
    EXPECT_EQ(room->foundCount(), 0);
    EXPECT_EQ(room->getLevelKind(), BaseLevel::kKindHidden);
    EXPECT_EQ(element("lock")->getTargetName(), "key");
    const std::string log = LevelGame::instance()->game().log();
    EXPECT_NE(log.find("\tMESSAGE\tcreate hidden element: cup_1\n"), std::string::npos);
    EXPECT_NE(log.find("\tMESSAGE\tcreate hidden_and_staying element: bird\n"), std::string::npos);
    EXPECT_NE(log.find("\tMESSAGE\tcreate script element: lock\n"), std::string::npos);
}

TEST_F(Hidden, MissingGroupsAreLoggedAndOddNamesSkipped) {
    struct Case {
        std::string inner;
        int objects, targets;
        size_t missingLines;  // "not find node with hidden objects!!!"
        size_t skipped;       // ERROR lines of skipped entries
    };
    const std::string file = stringKey("FileName", "room.swf");
    const std::string longName(300, 'x');
    const std::vector<Case> cases = {
        {file, 0, 0, 2, 0},
        {file + list("hidden", {{"cup_1", ""}}), 1, 0, 1, 0},
        {file + list("script_objects", {{"book", ""}}), 1, 0, 1, 0},
        {file + list("hidden", {{"cup_1", ""}}) + list("script_objects", {{"book", ""}}) +
             list("hidden_and_staying", {{"bird", ""}}) + list("invisible", {{"lock", "key"}, {"clock", "x"}}),
         3, 2, 0, 0},
        {file + list("hidden", {{"cup_1", ""}, {longName, ""}}), 1, 0, 1, 1},
        // The tree keeps the first of two entries of one name.
        {file + list("hidden", {{"cup_1", "a"}, {"cup_1", "b"}}), 1, 0, 1, 0},
        {file + "<object name=\"hidden\">\n<string name=\"\" value=\"\" />\n<string name=\"book\" value=\"\" />\n</object>\n",
         1, 0, 1, 1},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const size_t mark = LevelGame::instance()->game().log().size();
        TestHidden* level = hidden("odd", description("odd", cases[i].inner));
        const std::string log = LevelGame::instance()->game().log().substr(mark);
        EXPECT_EQ(level->objectCount(), cases[i].objects) << i;
        EXPECT_EQ(level->useTargetCount(), cases[i].targets) << i;
        EXPECT_EQ(count(log, "\tMESSAGE\tnot find node with hidden objects!!!\n"), cases[i].missingLines) << i << log;
        EXPECT_EQ(count(log, "\tERROR\tHiddenLevel::initInternal"), cases[i].skipped) << i << log;
        enter(level);
        release(level);
    }
    // The surviving entry of a duplicate keeps its first value.
    TestHidden* level = hidden("dup", description("dup", file + list("hidden", {{"cup_1", "a"}, {"cup_1", "b"}})));
    EXPECT_EQ(level->getElementByName("cup_1")->getTargetName(), "a");
}

// ---- Start state -------------------------------------------------------------------------

TEST_F(Hidden, RestartPutsEveryClipInItsStartState) {
    struct Case {
        const char* name;
        bool callback;
        float alpha;
        bool pressSound;
    };
    const Case cases[] = {{"cup_1", true, 1.0f, true}, {"bird", true, 1.0f, false},   {"key", true, 1.0f, false},
                          {"drawer", true, 1.0f, false}, {"door", true, 1.0f, false}, {"lock", true, 0.0f, false},
                          {"curtain", false, 1.0f, false}};
    for (const Case& c : cases) {
        flash::character* ch = at(c.name);
        ASSERT_NE(ch, nullptr) << c.name;
        EXPECT_EQ(element(c.name)->getCharacter(), ch) << c.name;
        EXPECT_EQ(levels::ClipOwner::elementOf(ch), element(c.name)) << c.name;
        EXPECT_EQ(ch->get_event_callback() != nullptr, c.callback) << c.name;
        EXPECT_TRUE(ch->get_visible()) << c.name;
        EXPECT_FLOAT_EQ(ch->get_cxform().m_[3][0], c.alpha) << c.name;
        EXPECT_STREQ(ch->m_play_name.c_str(), (std::string(c.name) + "_sndstart").c_str()) << c.name;
        EXPECT_STREQ(ch->m_sound_names[flash::SOUND_PRESS].c_str(), c.pressSound ? "right_object" : "") << c.name;
    }
    auto* cup = static_cast<flash::sprite_instance*>(at("cup_1"));
    EXPECT_EQ(cup->get_current_frame(), 0);
    EXPECT_EQ(cup->get_play_state(), 1);
    auto* curtain = static_cast<flash::sprite_instance*>(at("curtain"));
    EXPECT_EQ(curtain->get_play_state(), 0);
    EXPECT_EQ(curtain->m_loop_count, -1);
    EXPECT_EQ(element("curtain")->getExtra(), "curtain_sndstart");
    // The background takes the level's callback; the found count and the forced win are cleared.
    EXPECT_NE(at("clickarea")->get_event_callback(), nullptr);
    ASSERT_TRUE(press("cup_1"));
    room->forceWin();
    room->restart();
    EXPECT_EQ(room->foundCount(), 0);
    EXPECT_FALSE(room->isForcedWin());
}

TEST_F(Hidden, MissingClipsAreLoggedAtEachRestartAndNeverUsed) {
    TestHidden* level = hidden("gaps", description("gaps", stringKey("FileName", "room.swf") +
                                                               list("hidden", {{"cup_1", ""}, {"ghost", ""}}) +
                                                               list("invisible", {{"shade", "key"}})));
    enter(level);
    level->restart();
    const std::string log = logSince();
    EXPECT_EQ(count(log, "\tWARNING\tin flash file not found element ghost\n"), 2u) << log;
    EXPECT_EQ(count(log, "\tWARNING\tin flash file not found element shade\n"), 2u) << log;
    EXPECT_EQ(level->getElementByName("ghost")->getCharacter(), nullptr);
    // None of the paths that walk the elements reaches for the missing clips.
    EXPECT_TRUE(level->hint());
    level->update(0.1f);
    level->forceWin();
    EXPECT_EQ(level->foundCount(), 2);

    // A level without a movie says so and stops.
    TestHidden bare(nullptr);
    bare.restart();
    EXPECT_EQ(count(logSince(), "\tERROR\tmRoot == NULL in HiddenLevel::restart\n"), 1u);
}

TEST_F(Hidden, AddElementBindsItsClipOrSaysItIsMissing) {
    auto* added = new BaseElement(HiddenLevel::kKindScriptObject, "fireplace", "");
    room->addElement(added);
    EXPECT_EQ(added->getCharacter(), at("fireplace"));
    EXPECT_EQ(levels::ClipOwner::elementOf(at("fireplace")), added);
    EXPECT_NE(at("fireplace")->get_event_callback(), nullptr);
    room->addElement(new BaseElement(HiddenLevel::kKindScriptObject, "nowhere", ""));
    EXPECT_EQ(count(logSince(), "\tERROR\tHiddenLevel::addElement character nowhere not found\n"), 1u);
    EXPECT_NE(room->getElementByName("nowhere"), nullptr);
}

// ---- Presses -----------------------------------------------------------------------------

TEST_F(Hidden, APressMeansWhatTheElementsKindSays) {
    struct Case {
        const char* name;
        bool taken;
        int found;          // found count after the press
        int wrongClicks;    // the wrong-click series after the press
        bool callbackLeft;  // the clip can be pressed again
        int frame;          // the clip's frame after the press (-1: not checked)
    };
    const Case cases[] = {
        {"cup_1", true, 1, 0, false, 1}, {"bird", true, 0, 1, true, 0},  // bird's row is below the list
        {"drawer", true, 0, 0, false, -1}, {"door", true, 0, 0, true, -1},
        {"key", true, 0, 0, false, 1},     {"lock", true, 0, 0, true, -1},  // nothing carried
        {"curtain", false, 0, 0, false, -1}, {"clickarea", true, 0, 1, true, -1},
    };
    for (const Case& c : cases) {
        room->restart();
        app().resetTimer();
        flash::character* ch = at(c.name);
        EXPECT_EQ(room->handleEvent(ch, kPress), c.taken) << c.name;
        EXPECT_EQ(room->foundCount(), c.found) << c.name;
        EXPECT_EQ(app().wrongClicks(), c.wrongClicks) << c.name;
        EXPECT_EQ(ch->get_event_callback() != nullptr, c.callbackLeft) << c.name;
        if (c.frame >= 0) {
            EXPECT_EQ(ch->get_current_frame(), c.frame) << c.name;
        }
    }
    // A found object's callback is gone: the engine no longer offers it, and the level's answer
    // for a press handed to it all the same changes nothing.
    room->restart();
    ASSERT_TRUE(press("cup_1"));
    EXPECT_EQ(room->foundCount(), 1);
    EXPECT_EQ(at("cup_1")->get_event_callback(), nullptr);
    // Each served press of a kind-0 object hands it to the script's flight once.
    EXPECT_EQ(luaString("hidden_test_flown"), "cup_1 cup_1 ");
}

TEST_F(Hidden, ScriptObjectsNeedAClickScriptAndPickUpsWithOneRunOnlyIt) {
    auto* script5 = new BaseElement(HiddenLevel::kKindScriptObject, "fireplace", "");
    room->addElement(script5);
    EXPECT_TRUE(press("fireplace"));
    EXPECT_EQ(app().wrongClicks(), 1);
    script5->setScriptCallback(eiLeftClick, "hidden_test_clicks = (hidden_test_clicks or 0) + 1");
    EXPECT_TRUE(press("fireplace"));
    EXPECT_EQ(app().wrongClicks(), 0);
    EXPECT_EQ(luaString("hidden_test_clicks"), "1");
    script5->setKind(HiddenLevel::kKindCountedScript);
    EXPECT_TRUE(press("fireplace"));
    EXPECT_EQ(luaString("hidden_test_clicks"), "2");
    EXPECT_EQ(room->foundCount(), 0);

    // A pick-up with a click script: only the script, the clip stays pressable.
    element("key")->setScriptCallback(eiLeftClick, "hidden_test_key = 'script'");
    EXPECT_TRUE(press("key"));
    EXPECT_EQ(luaString("hidden_test_key"), "script");
    EXPECT_NE(at("key")->get_event_callback(), nullptr);
    EXPECT_EQ(at("key")->get_current_frame(), 0);
}

TEST_F(Hidden, OnlyElementsOfThisLevelAnswer) {
    // A level-owned clip, an ownerless clip, a clip of another level's element, null.
    levels::ClipOwner::setOwnerOf(at("fireplace"), room);
    EXPECT_FALSE(room->handleEvent(at("fireplace"), kPress));
    EXPECT_FALSE(room->handleEvent(at("LevelArea"), kPress));
    EXPECT_FALSE(room->handleEvent(nullptr, kPress));
    TestHidden* other = hidden("room");
    levels::ClipOwner::setOwnerOf(at("cup_1"), other->getElementByName("cup_1"));
    EXPECT_FALSE(room->handleEvent(at("cup_1"), kPress));
    EXPECT_FALSE(room->handleEvent(at("cup_1"), kRollOver));
    EXPECT_EQ(room->foundCount(), 0);
    release(other);
    EXPECT_EQ(app().wrongClicks(), 0);
}

TEST_F(Hidden, AHiddenRowIsAWrongClickUnlessDebugMode) {
    ASSERT_FALSE(panel()->isEntryVisible(panel()->findEntry("bird")));
    EXPECT_TRUE(press("bird"));
    EXPECT_EQ(room->foundCount(), 0);
    EXPECT_EQ(app().wrongClicks(), 1);
    d_DebugMode->value.b = true;
    EXPECT_TRUE(press("bird"));
    EXPECT_EQ(room->foundCount(), 1);
    EXPECT_EQ(app().wrongClicks(), 0);
}

TEST_F(Hidden, AClickAreaPressIsWrongEvenWithAMinilevelOpen) {
    BaseLevel* closeup = room->getMinilevel(0);
    ASSERT_NE(closeup, nullptr);
    closeup->enterMinilevel();
    ASSERT_TRUE(closeup->anyFlag(BaseLevel::kFlagOpen));
    EXPECT_TRUE(press("clickarea"));
    EXPECT_EQ(app().wrongClicks(), 1);
    // A minilevel that takes the event ends it there.
    static_cast<TestLevel*>(closeup)->takesEvents = true;
    EXPECT_TRUE(press("clickarea"));
    EXPECT_EQ(app().wrongClicks(), 1);
}

TEST_F(Hidden, TheDoorOpensItsMinilevelOnlyWhenNeitherOpenNorComplete) {
    auto* closeup = static_cast<TestLevel*>(room->getMinilevel(0));
    ASSERT_NE(closeup, nullptr);
    ASSERT_EQ(closeup->getName(), "closeup");
    closeup->complete = true;
    EXPECT_TRUE(press("door"));
    EXPECT_FALSE(closeup->anyFlag(BaseLevel::kFlagOpen));
    closeup->complete = false;
    EXPECT_TRUE(press("door"));
    EXPECT_TRUE(closeup->anyFlag(BaseLevel::kFlagOpen));
    EXPECT_TRUE(closeup->isVisible());
}

TEST_F(Hidden, AnObjectIsNotTakenWhileTheCursorShowsAClipOfAnotherMovie) {
    MouseCursor* cursor = MouseCursor::instance();
    ASSERT_NE(cursor, nullptr);
    cursor->setConnectedElement(element("vase_1"), true);
    ASSERT_EQ(cursor->clipMode(), MouseCursor::kModeCarried);
    EXPECT_TRUE(press("cup_1"));
    EXPECT_EQ(room->foundCount(), 0);
    EXPECT_NE(at("cup_1")->get_event_callback(), nullptr);
}

// ---- Use target --------------------------------------------------------------------------

TEST_F(Hidden, TheUseTargetShowsNearTheCarriedKeyAndTakesOnlyIt) {
    MouseCursor* cursor = MouseCursor::instance();
    flash::character* lock = at("lock");
    // Nothing carried: the press is taken silently, the target stays.
    EXPECT_TRUE(press("lock"));
    EXPECT_EQ(app().wrongClicks(), 0);
    room->update(0.01f);
    EXPECT_FALSE(lock->get_visible());

    // The wrong item.
    cursor->setConnectedElement(element("vase_1"), true);
    room->update(0.01f);
    EXPECT_FALSE(lock->get_visible());
    EXPECT_TRUE(press("lock"));
    EXPECT_EQ(room->useTargetCount(), 1);
    EXPECT_NE(lock->get_event_callback(), nullptr);

    cursor->setConnectedElement(element("key"), true);
    flash::character* key = element("key")->getCharacter();
    ASSERT_EQ(key->get_parent() != nullptr, true);
    const float half = key->get_width() * 0.5f;
    ASSERT_GT(half, 100.0f);
    // The key placed `d` twips right of the lock, in world space.
    auto place = [&](float d) {
        const flash::matrix target = lock->get_world_matrix();
        const flash::matrix now = key->get_world_matrix();
        flash::matrix local = key->get_matrix();
        local.m_[0][2] += target.m_[0][2] + d - now.m_[0][2];
        local.m_[1][2] += target.m_[1][2] - now.m_[1][2];
        key->set_matrix(local);
    };
    struct Case {
        float d;
        bool visible;
        float alpha;
    };
    const Case cases[] = {{0.0f, true, 40.0f}, {100.0f, true, 8.0f}, {half, true, 40.0f / (half * 0.05f)},
                          {half + 1.0f, false, 40.0f / ((half + 1.0f) * 0.05f)}};
    for (const Case& c : cases) {
        place(c.d);
        room->update(0.01f);
        EXPECT_EQ(lock->get_visible(), c.visible) << c.d;
        EXPECT_NEAR(lock->get_cxform().m_[3][0], c.alpha, 1e-3f) << c.d;
        EXPECT_TRUE(std::isfinite(lock->get_cxform().m_[3][0])) << c.d;
    }
    EXPECT_TRUE(press("lock"));
    EXPECT_EQ(room->useTargetCount(), 0);
    EXPECT_EQ(lock->get_event_callback(), nullptr);
}

// ---- Roll-over and roll-out --------------------------------------------------------------

TEST_F(Hidden, RollOverAndOutPerKind) {
    MouseCursor* cursor = MouseCursor::instance();
    struct Case {
        const char* name;
        int event;
        bool debug;
        bool taken;
        bool overBlocked;  // the cursor shows "over_blocked" afterwards
        int frame;         // -1: not checked
    };
    const Case cases[] = {
        {"door", kRollOver, false, true, true, -1},    {"door", kRollOut, false, true, false, -1},
        {"drawer", kRollOver, false, true, true, -1},  {"drawer", kRollOut, false, true, false, -1},
        {"cup_1", kRollOver, false, true, false, 0},   {"cup_1", kRollOver, true, true, false, 1},
        {"cup_1", kRollOut, true, true, false, 0},     {"key", kRollOver, false, false, false, -1},
        {"cup_1", 8, false, false, false, -1},
    };
    for (const Case& c : cases) {
        d_DebugMode->value.b = c.debug;
        cursor->setOverBlocked(false);
        EXPECT_EQ(room->handleEvent(at(c.name), c.event), c.taken) << c.name << " " << c.event;
        EXPECT_EQ(cursor->cursorClip() && cursor->cursorClip()->get_current_frame() == 1, c.overBlocked)
            << c.name << " " << c.event;
        if (c.frame >= 0) {
            EXPECT_EQ(at(c.name)->get_current_frame(), c.frame) << c.name;
        }
    }
    // Element scripts for events 2 and 3.
    d_DebugMode->value.b = false;
    element("key")->setScriptCallback(eiRollOver, "hidden_test_roll = 'over'");
    element("key")->setScriptCallback(eiRollOut, "hidden_test_roll = 'out'");
    room->handleEvent(at("key"), kRollOver);
    EXPECT_EQ(luaString("hidden_test_roll"), "over");
    room->handleEvent(at("key"), kRollOut);
    EXPECT_EQ(luaString("hidden_test_roll"), "out");
}

// ---- Completion --------------------------------------------------------------------------

TEST_F(Hidden, IsCompleteTable) {
    auto* closeup = static_cast<TestLevel*>(room->getMinilevel(0));
    ASSERT_NE(closeup, nullptr);
    struct Case {
        const char* what;
        unsigned flags;      // level flags set
        bool allFound;       // every object served
        bool forced;         // forceWin
        bool minilevelDone;  // the close-up reports complete
        bool minilevelShown;
        bool expected;
    };
    const unsigned script = BaseLevel::kFlagScriptUpdate, answered = BaseLevel::kFlagScriptResult,
                   byCount = BaseLevel::kFlagNoScriptWin, animating = BaseLevel::kFlagAnimating;
    const Case cases[] = {
        {"nothing found", byCount, false, false, true, false, false},
        {"all found by count", byCount, true, false, true, false, true},
        {"all found, close-up not complete", byCount, true, false, false, false, false},
        {"all found, close-up still shown", byCount, true, false, true, true, false},
        {"all found, an animation running", byCount | animating, true, false, true, false, false},
        {"no script: by count", 0, true, false, true, false, true},
        {"script answering 0", script, true, false, true, false, false},
        {"script answering 1", script | answered, false, false, true, false, true},
        {"script answering 1, close-up open", script | answered, false, false, true, true, false},
        {"script, forced", script, false, true, false, false, true},
        {"script with the count rule, answering 1", script | answered | byCount, false, false, true, false, false},
    };
    for (const Case& c : cases) {
        room->restart();
        room->setFlag(~0u, false);
        room->setFlag(c.flags, true);
        closeup->complete = c.minilevelDone;
        closeup->setVisible(c.minilevelShown);
        if (c.allFound) {
            d_DebugMode->value.b = true;
            for (const char* name : {"cup_1", "cup_2", "book", "clock", "candle", "bird"}) press(name);
            d_DebugMode->value.b = false;
            ASSERT_EQ(room->foundCount(), room->objectCount()) << c.what;
        }
        if (c.forced) room->forceWin();
        // The staying object's own flight is queued until its animation ends.
        if (c.allFound && c.expected) {
            EXPECT_FALSE(room->isComplete()) << c.what << ": a flight queued";
            FlyElementsManager::instance()->clear();
        }
        EXPECT_EQ(room->isComplete(), c.expected) << c.what;
        FlyElementsManager::instance()->clear();
    }
}

TEST_F(Hidden, ForcedWinWithoutObjectsAndScriptObjectsThatBlockTheCount) {
    const std::string file = stringKey("FileName", "room.swf");
    // No objects: complete by count at once; a scripted one only once forced.
    TestHidden* empty = hidden("empty", description("empty", file));
    enter(empty);
    EXPECT_TRUE(empty->isComplete());
    empty->setFlag(BaseLevel::kFlagScriptUpdate, true);
    EXPECT_FALSE(empty->isComplete());
    empty->forceWin();
    EXPECT_TRUE(empty->isComplete());

    // A script object counts: the served presses of the found objects never reach the count.
    TestHidden* scripted =
        hidden("scripted", description("scripted", file + list("hidden", {{"cup_1", ""}}) +
                                                       list("script_objects", {{"book", ""}})));
    enter(scripted);
    scripted->getElementByName("book")->setScriptCallback(eiLeftClick, "hidden_test_book = 1");
    EXPECT_TRUE(scripted->handleEvent(clip(scripted, "cup_1"), kPress));
    EXPECT_TRUE(scripted->handleEvent(clip(scripted, "book"), kPress));
    EXPECT_EQ(scripted->foundCount(), 1);
    EXPECT_FALSE(scripted->isComplete());
    scripted->forceWin();
    EXPECT_EQ(scripted->foundCount(), 2);
    EXPECT_TRUE(scripted->isComplete());
}

TEST_F(Hidden, ForceWinShowsFoundFramesAndClearsCallbacks) {
    room->forceWin();
    EXPECT_EQ(at("cup_1")->get_current_frame(), 1);
    EXPECT_EQ(at("cup_1")->get_event_callback(), nullptr);
    EXPECT_EQ(static_cast<flash::sprite_instance*>(at("drawer"))->get_play_state(), 0);
    EXPECT_EQ(at("drawer")->get_event_callback(), nullptr);
    // Other kinds keep theirs.
    EXPECT_NE(at("key")->get_event_callback(), nullptr);
    EXPECT_EQ(room->foundCount(), room->objectCount());
    EXPECT_TRUE(room->isForcedWin());
}

TEST_F(Hidden, DebugCountsAndPlayTime) {
    d_DebugMode->value.b = true;
    room->update(0.5f);
    EXPECT_EQ(app().debugText(HiddenLevel::kRemainedLine), "remained objects: 6");
    EXPECT_EQ(app().debugText(HiddenLevel::kTimeLine), "time: 0.50");
    press("cup_1");
    room->update(0.25f);
    EXPECT_EQ(app().debugText(HiddenLevel::kRemainedLine), "remained objects: 5");
    EXPECT_EQ(app().debugText(HiddenLevel::kTimeLine), "time: 0.75");
    // Found beyond the groups' count (an object a script added): never below 0.
    room->forceWin();
    auto* extra = new HiddenElement("fireplace", "");
    room->addElement(extra);
    ASSERT_TRUE(press("fireplace"));
    room->update(0.25f);
    EXPECT_EQ(room->foundCount(), room->objectCount() + 1);
    EXPECT_EQ(app().debugText(HiddenLevel::kRemainedLine), "remained objects: 0");
    // Complete by count: the clock stands.
    room->restart();
    room->forceWin();
    room->update(1.0f);
    EXPECT_EQ(app().debugText(HiddenLevel::kTimeLine), "time: 1.00");
    {
        TestHidden level(nullptr);
    }
    EXPECT_EQ(app().debugText(HiddenLevel::kRemainedLine), "");
    EXPECT_EQ(app().debugText(HiddenLevel::kTimeLine), "");
}

// ---- Hint and skip -----------------------------------------------------------------------

TEST_F(Hidden, HintTable) {
    auto* closeup = static_cast<TestLevel*>(room->getMinilevel(0));
    particle::fxParticleEffectMgr* effects = particle::fxParticleEffectMgr::instance();
    ASSERT_NE(effects, nullptr);
    struct Case {
        const char* what;
        bool script;          // flag 0x001
        const char* onHint;   // room_on_hint's answer; null: no function
        const char* common;   // common_hint's answer
        bool expected;
        bool firework;
    };
    const Case cases[] = {
        {"no script: the first free object", false, "1", "1", true, true},
        {"room_on_hint 1", true, "1", "0", true, false},
        {"common_hint 1", true, "0", "1", true, false},
        {"common_hint 1, no room_on_hint", true, nullptr, "1", true, false},
        {"both 0", true, "0", "0", true, true},
        {"room_on_hint 2 is no answer", true, "2", "0", true, true},
    };
    for (const Case& c : cases) {
        room->restart();
        room->setFlag(BaseLevel::kFlagScriptUpdate, c.script);
        runLua(std::string("room_on_hint = ") + (c.onHint ? std::string("function() return ") + c.onHint + " end" : "nil"));
        runLua(std::string("common_hint = function() return ") + c.common + " end");
        effects->clearEffects();
        EXPECT_EQ(room->hint(), c.expected) << c.what;
        EXPECT_EQ(effects->getEffectCount() > 0, c.firework) << c.what;
    }
    runLua("room_on_hint = nil; common_hint = function() return 0 end");
    room->setFlag(BaseLevel::kFlagScriptUpdate, false);

    // The first unfound object of kind 0, 6 or 7 whose row is absent or visible; then nothing.
    room->restart();
    std::vector<std::string> order;
    for (BaseElement* e : room->getElements())
        if ((e->getKind() == 0 || e->getKind() == 7) && e->getName() != "bird") order.push_back(e->getName());
    ASSERT_EQ(order.size(), 7u);
    for (const std::string& name : order) {
        effects->clearEffects();
        ASSERT_TRUE(room->hint()) << name;
        const flash::matrix world = at(name)->get_world_matrix();
        particle::fxParticleEffect2D* fx = effects->getLastEffect();
        ASSERT_NE(fx, nullptr) << name;
        EXPECT_EQ(fx->name(), "firework");
        EXPECT_NEAR(fx->position().x, world.m_[0][2] * 0.05f, 1e-3f) << name;
        EXPECT_NEAR(fx->position().y, world.m_[1][2] * 0.05f, 1e-3f) << name;
        at(name)->set_event_callback(nullptr);
    }
    // The bird's row is below the list.
    EXPECT_FALSE(room->hint());

    // A visible minilevel that gives a hint takes it.
    closeup->setVisible(true);
    EXPECT_FALSE(room->hint());
}

TEST_F(Hidden, SkipWithAndWithoutTheScriptsHandler) {
    struct Case {
        const char* handler;  // null: none
        bool expected;
        size_t errors;
    };
    const Case cases[] = {{"function() return 1 end", true, 0}, {"function() return 0 end", false, 0}, {nullptr, false, 1}};
    for (const Case& c : cases) {
        const size_t mark = LevelGame::instance()->game().log().size();
        runLua(std::string("room_ON_SKIP = ") + (c.handler ? c.handler : "nil"));
        EXPECT_EQ(room->skip(), c.expected) << (c.handler ? c.handler : "none");
        EXPECT_EQ(count(LevelGame::instance()->game().log().substr(mark), "\tERROR\tNo ON_SKIP handler in room\n"),
                  c.errors);
    }
    runLua("room_ON_SKIP = nil");
}

// ---- Keys and labels ---------------------------------------------------------------------

TEST_F(Hidden, LabelsShowInDebugModeAndHTogglesThem) {
    auto* cup = dynamic_cast<HiddenElement*>(element("cup_1"));
    ASSERT_NE(cup, nullptr);
    flash::edit_text_character* label = cup->label();
    ASSERT_NE(label, nullptr);
    EXPECT_STREQ(label->get_name().c_str(), "cup_1_text");
    EXPECT_EQ(label->get_parent(), at("cup_1"));
    EXPECT_FALSE(label->get_visible());
    EXPECT_EQ(label->m_color.m_r, 255);
    EXPECT_EQ(label->m_color.m_a, 255);
    EXPECT_FLOAT_EQ(label->m_text_height, 600.0f);
    EXPECT_STREQ(label->m_text.c_str(), "IDS_cup_1");  // no text of its own in the table
    // The tests' string table is empty: the key stands for its text.
    EXPECT_STREQ(dynamic_cast<HiddenElement*>(element("book"))->label()->m_text.c_str(), "IDS_book");
    EXPECT_EQ(dynamic_cast<HiddenElement*>(element("bird")), nullptr);

    KeyEvent h;
    h.type = KEY_CLICKED;
    h.scanCode = HiddenLevel::kLabelsScanCode;
    KeyEvent other = h;
    other.scanCode = 36;
    EXPECT_FALSE(room->onKey(&other));
    const bool expected[] = {false, false};
    for (bool shown : expected) {
        EXPECT_TRUE(room->onKey(&h));
        EXPECT_EQ(label->get_visible(), shown);
    }
    d_DebugMode->value.b = true;
    EXPECT_TRUE(room->onKey(&h));
    EXPECT_TRUE(label->get_visible());
    EXPECT_TRUE(room->onKey(&h));
    EXPECT_FALSE(label->get_visible());
    // A second restart makes no second label.
    room->restart();
    EXPECT_EQ(cup->label(), label);
}

// ---- Script functions --------------------------------------------------------------------

TEST_F(Hidden, ScriptFunctionsOnTheRoom) {
    runLua("hidden_test_cup = level_manager and nil");
    lua_State* L = currentScriptState();
    ScriptBinding::push(L, element("book"));
    lua_setglobal(L, "hidden_test_book");

    // The row of "book": entry position plus "TextPlace"'s translation, in pixels.
    const MainPanel::NotificationElement* row = panel()->findEntry("book");
    ASSERT_NE(row, nullptr);
    flash::character* place = panel()->findClip("TextPlace");
    const float x = row->x() + place->get_matrix().m_[0][2] * 0.05f;
    const float y = row->y() + place->get_matrix().m_[1][2] * 0.05f;
    EXPECT_EQ(luaString("get_target_pos_main_panel(hidden_test_book).x"), std::to_string(static_cast<int>(x)));
    EXPECT_EQ(luaString("get_target_pos_main_panel(hidden_test_book).y"), std::to_string(static_cast<int>(y)));
    ScriptBinding::push(L, element("key"));  // not listed
    lua_setglobal(L, "hidden_test_key");
    EXPECT_EQ(luaString("get_target_pos_main_panel(hidden_test_key).x"), "0");
    EXPECT_EQ(luaString("get_target_pos_main_panel(nil).y"), "0");

    // Into the panel's movie, where it stood on the screen.
    flash::character* book = at("book");
    const flash::matrix before = book->get_world_matrix();
    runLua("set_parent_to_main_panel(hidden_test_book, 'TextPlace')");
    flash::character* panelMovie = flash::as_character(panel()->findClip("TextPlace")->get_root_movie());
    EXPECT_EQ(book->get_parent(), panelMovie);
    EXPECT_EQ(room->findCharacter("book", false), nullptr);
    EXPECT_FLOAT_EQ(book->get_world_matrix().m_[0][2], before.m_[0][2]);
    EXPECT_FLOAT_EQ(book->get_world_matrix().m_[1][2], before.m_[1][2]);
    EXPECT_TRUE(element("book")->ownsCharacter());
    // A nested or missing clip name moves nothing.
    runLua("set_parent_to_main_panel(hidden_test_key, 'nothing')");
    EXPECT_EQ(element("key")->getCharacter()->get_parent(), at("LevelArea")->get_parent());

    runLua("set_clip_depth('book', 20000, 'TextPlace')");
    EXPECT_EQ(book->get_depth(), 20000);
    runLua("set_clip_depth('book', 20001, 'nothing')");
    EXPECT_EQ(book->get_depth(), 20000);

    EXPECT_EQ(luaString("get_ho_founded_count()"), "0");
    press("cup_1");
    EXPECT_EQ(luaString("get_ho_founded_count()"), "1");
    current.level = nullptr;
    EXPECT_EQ(luaString("get_ho_founded_count()"), "0");
    current.level = room;
}

TEST_F(Hidden, StartMinigameOpensTheMinilevelAndStartsItsScriptOnce) {
    auto* closeup = static_cast<TestLevel*>(room->getMinilevel(0));
    ASSERT_NE(closeup, nullptr);
    runLua("start_minigame('nothing', 'x = 1')");
    EXPECT_FALSE(closeup->isVisible());
    runLua("start_minigame('closeup', 'hidden_test_end = 1')");
    EXPECT_EQ(closeup->getEndScript(), "hidden_test_end = 1");
    EXPECT_TRUE(closeup->anyFlag(BaseLevel::kFlagOpen));
    EXPECT_EQ(count(logSince(), "\tMESSAGE\tScript inited for minigame: closeup\n"), 1u);
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), SoundCall{"close_up_ph", false}), 1);
    // Open: nothing more.
    runLua("start_minigame('closeup', 'again')");
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), SoundCall{"close_up_ph", false}), 1);
    // Closed again, not complete: opened, its script not started a second time.
    closeup->setVisible(false);
    closeup->setFlag(BaseLevel::kFlagInited, true);
    runLua("start_minigame('closeup', 'again')");
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), SoundCall{"close_up_ph", false}), 2);
    EXPECT_EQ(count(logSince(), "\tMESSAGE\tScript inited for minigame: closeup\n"), 1u);
    // Complete and started: nothing.
    closeup->setVisible(false);
    closeup->complete = true;
    room->initMinigameScript("closeup");
    EXPECT_FALSE(closeup->isVisible());
    // The level complete: nothing.
    closeup->complete = true;
    room->forceWin();
    room->setFlag(BaseLevel::kFlagNoScriptWin, true);
    runLua("start_minigame('closeup', 'late')");
    EXPECT_EQ(closeup->getEndScript(), "again");
}

}  // namespace
}  // namespace leveltest
