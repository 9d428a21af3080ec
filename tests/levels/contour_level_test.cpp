// The contour level on the demo's close-up ("vase_sz" at 462, 254 pixels, "WorkArea" over the
// scene): an item clip "vase_1" carried from the room and dropped on the work area.
#include <string>
#include <vector>

#include "app/application.h"
#include "app/game_timers.h"
#include "app/mouse_cursor.h"
#include "flash/movie/sprite_instance.h"
#include "levels/contour_level.h"
#include "levels/fly_elements.h"
#include "tests/levels/level_fixture.h"

namespace leveltest {
namespace {

constexpr int kHomeX = 462, kHomeY = 254;

class RecordingBox : public app::MessageBox {
public:
    void show(int type, const std::string& textId, AnswerCallback) override { shown.push_back({type, textId}); }
    void showWithScript(int type, const std::string& textId, const std::string&) override {
        shown.push_back({type, textId});
    }
    std::vector<std::pair<int, std::string>> shown;
};

class Contour : public LevelTest {
protected:
    void SetUp() override {
        LevelTest::SetUp();
        // The first start's name entry would hold the game.
        if (BaseRender* entry = app::screen(app::Screen::EnterName)) entry->hide();
        Application::instance()->setActivePanel(nullptr);
        room = topLevel("room");
        contour = new ContourLevel(room);
        ASSERT_TRUE(contour->initElements(Attr::loadDocument("closeup.xml")));
        contour->restart();
        current.level = contour;
        item = new BaseElement(BaseElement::kKindInventoryOnCursor, "vase", "");
        item->setCharacter(clip(room, "vase_1"));
        room->addElement(item);
        ASSERT_NE(item->getCharacter(), nullptr);
        item->getCharacter()->set_event_callback(&BaseLevel::levelEventCallback);
        cursor = MouseCursor::instance();
        ASSERT_NE(cursor, nullptr);
        flights = FlyElementsManager::instance();
        flights->clear();
        savedBox = app::messageBox();
        app::setMessageBox(&box);
    }
    void TearDown() override {
        app::setMessageBox(savedBox);
        cursor->setConnectedElement(nullptr, true);
        flights->clear();
        delete contour;
        LevelTest::TearDown();
    }
    flash::sprite_instance* piece() {
        return flash::cast_to<flash::sprite_instance>(contour->findCharacter("vase_sz", true));
    }
    // Carries the item to (x, y) and presses the work area.
    bool dropAt(int x, int y) {
        cursor->setConnectedElement(item, true);
        cursor->setPosition(x, y);
        return contour->handleEvent(contour->workArea(), ContourLevel::kPressEvent);
    }

    TestLevel* room = nullptr;
    ContourLevel* contour = nullptr;
    BaseElement* item = nullptr;
    MouseCursor* cursor = nullptr;
    FlyElementsManager* flights = nullptr;
    RecordingBox box;
    app::MessageBox* savedBox = nullptr;
};

TEST_F(Contour, SizedNamesAndTheLevelsSetUp) {
    struct Case {
        const char* name;
        const char* sized;
    };
    for (const Case& c : {Case{"cup_3", "cup_sz"}, Case{"ring_1_b", "ring_sz"}, Case{"ring", ""}, Case{"_x", "_sz"}})
        EXPECT_EQ(ContourLevel::sizedName(c.name), c.sized) << c.name;
    EXPECT_EQ(contour->getLevelKind(), BaseLevel::kKindContour);
    EXPECT_EQ(contour->partCount(), 1);
    EXPECT_EQ(contour->placedCount(), 0);
    EXPECT_FALSE(contour->isComplete());
    ASSERT_NE(contour->workArea(), nullptr);
    EXPECT_EQ(contour->workArea()->get_event_callback(), &BaseLevel::levelEventCallback);
    ASSERT_NE(piece(), nullptr);
    EXPECT_FALSE(piece()->get_visible()) << "pieces are hidden until placed";
    EXPECT_EQ(piece()->get_current_frame(), 0);
    auto* part = dynamic_cast<ContourPart*>(contour->getElementByName("vase_sz"));
    ASSERT_NE(part, nullptr);
    EXPECT_FLOAT_EQ(part->home()[0], kHomeX);
    EXPECT_FLOAT_EQ(part->home()[1], kHomeY);
    EXPECT_EQ(count(logSince(), "create sized element: vase_sz"), 1u);
}

TEST_F(Contour, ADropCloserThan30PixelsPlacesThePieceAnd30Misses) {
    struct Case {
        int dx, dy;
        bool placed;
    };
    const Case cases[] = {{29, 0, true}, {30, 0, false}, {0, -29, true}, {21, 21, true}, {22, 22, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dx) + ", " + std::to_string(c.dy));
        contour->restart();
        item->getCharacter()->set_visible(true);
        item->getCharacter()->set_event_callback(&BaseLevel::levelEventCallback);
        EXPECT_TRUE(dropAt(kHomeX + c.dx, kHomeY + c.dy));
        EXPECT_EQ(cursor->connectedElement(), nullptr) << "hit or miss, the item leaves the cursor";
        EXPECT_EQ(contour->placedCount(), c.placed ? 1 : 0);
        EXPECT_EQ(contour->isComplete(), c.placed);
        EXPECT_EQ(flights->count(), c.placed ? 1u : 0u);
        EXPECT_EQ(piece()->get_visible(), c.placed) << "shown at the cursor";
        if (c.placed) {
            EXPECT_FALSE(item->getCharacter()->get_visible());
            EXPECT_EQ(item->getCharacter()->get_event_callback(), nullptr);
            for (int i = 0; i < 30 && flights->count(); ++i) flights->update(1.0f / 30.0f);
            EXPECT_EQ(flights->count(), 0u);
            EXPECT_EQ(piece()->get_current_frame(), 1);
            const flash::matrix world = piece()->get_world_matrix();
            EXPECT_FLOAT_EQ(world.m_[0][2] / 20.0f, kHomeX);
            EXPECT_FLOAT_EQ(world.m_[1][2] / 20.0f, kHomeY);
        }
    }
}

TEST_F(Contour, APlacedPartIsNoTargetTwiceAndRestartClearsTheCount) {
    ASSERT_TRUE(dropAt(kHomeX, kHomeY));
    EXPECT_EQ(contour->placedCount(), 1);
    ASSERT_TRUE(dropAt(kHomeX, kHomeY));
    EXPECT_EQ(contour->placedCount(), 1) << "the same piece counted twice would complete early";
    contour->restart();
    EXPECT_EQ(contour->placedCount(), 0);
    EXPECT_FALSE(contour->isComplete());
    EXPECT_FALSE(piece()->get_visible());
    ASSERT_TRUE(dropAt(kHomeX + 5, kHomeY + 5));
    EXPECT_TRUE(contour->isComplete()) << "a full solve after the restart";
}

TEST_F(Contour, AModalPanelRefusesTheDropAndTheItemStaysOnTheCursor) {
    BaseRender panel;
    Application::instance()->setActivePanel(&panel);
    EXPECT_FALSE(dropAt(kHomeX, kHomeY));
    Application::instance()->setActivePanel(nullptr);
    EXPECT_EQ(cursor->connectedElement(), item);
    EXPECT_EQ(contour->placedCount(), 0);
}

TEST_F(Contour, OtherEventsAreConsumedAndAHostsObjectsAreLeftToTheHost) {
    flash::character* host = clip(room, "cup_1");
    BaseElement cup(BaseElement::kKindHidden, "cup", "");
    cup.setLevel(room);
    levels::ClipOwner::setOwnerOf(host, &cup);
    EXPECT_FALSE(contour->handleEvent(host, ContourLevel::kPressEvent)) << "the host's own object";
    levels::ClipOwner::setOwnerOf(host, nullptr);
    EXPECT_TRUE(contour->handleEvent(contour->workArea(), 4)) << "a roll-over is consumed";
    EXPECT_TRUE(contour->handleEvent(piece(), ContourLevel::kPressEvent));
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(Contour, APressWithNothingCarriedInACloseUpExplainsTheWorkArea) {
    ASSERT_NE(contour->getZoomOutButton(), nullptr);
    EXPECT_TRUE(contour->handleEvent(contour->workArea(), ContourLevel::kPressEvent));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].first, app::MessageBox::kTypeOk);
    EXPECT_EQ(box.shown[0].second, "ids_closeup_workarea_descr");
}

TEST_F(Contour, APressWithNothingCarriedOnAStandaloneLevelSaysNothing) {
    // The puzzle's movie has a work area and no zoom-out button: a level of its own.
    ContourLevel standalone(nullptr);
    ASSERT_TRUE(standalone.initElements(Attr::parseDocument(
        "<root><object name=\"alone\"><string name=\"FileName\" value=\"puzzle.swf\" /></object></root>")));
    standalone.restart();
    ASSERT_EQ(standalone.getZoomOutButton(), nullptr);
    ASSERT_NE(standalone.workArea(), nullptr);
    EXPECT_TRUE(standalone.handleEvent(standalone.workArea(), ContourLevel::kPressEvent));
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(Contour, AForcedWinPlacesEveryPieceAtOnceAndResetsTheInventory) {
    runLua("inventory_reset_calls = 0; inventory = inventory or {}; "
           "local earlier = inventory.reset; inventory.reset = function() inventory_reset_calls = inventory_reset_calls + 1 end; "
           "saved_inventory_reset = earlier");
    contour->forceWin();
    EXPECT_TRUE(contour->isComplete());
    EXPECT_TRUE(piece()->get_visible());
    EXPECT_EQ(piece()->get_current_frame(), 1);
    EXPECT_EQ(flights->count(), 0u) << "no flight: at once";
    EXPECT_EQ(luaString("inventory_reset_calls"), "1");
    runLua("inventory.reset = saved_inventory_reset");
}

TEST_F(Contour, APartWithoutItsClipIsSkippedWithAWarningAndTheLevelStaysWinnable) {
    const Attr::AttributePtr tree = description(
        "closeup", stringKey("FileName", "closeup.swf") + list("contour", {{"vase_sz", ""}, {"lamp_sz", ""}}));
    ContourLevel level(room);
    ASSERT_TRUE(level.initElements(tree));
    EXPECT_EQ(level.partCount(), 2);
    level.restart();
    EXPECT_EQ(level.partCount(), 1);
    EXPECT_EQ(count(logSince(), "WARNING"), 1u) << logSince();
    EXPECT_NE(logSince().find("lamp_sz"), std::string::npos);
    cursor->setConnectedElement(item, true);
    cursor->setPosition(kHomeX, kHomeY);
    EXPECT_TRUE(level.handleEvent(level.workArea(), ContourLevel::kPressEvent));
    EXPECT_TRUE(level.isComplete());
    flights->clear();
}

TEST_F(Contour, AnItemNameWithoutUnderscoreIsAMiss) {
    flash::character* clipWithoutSize = clip(room, "key");
    ASSERT_NE(clipWithoutSize, nullptr);
    BaseElement key(BaseElement::kKindInventoryOnCursor, "key", "");
    key.setCharacter(clipWithoutSize);
    cursor->setConnectedElement(&key, true);
    cursor->setPosition(kHomeX, kHomeY);
    EXPECT_TRUE(contour->handleEvent(contour->workArea(), ContourLevel::kPressEvent));
    EXPECT_EQ(contour->placedCount(), 0);
    EXPECT_EQ(cursor->connectedElement(), nullptr);
}


// The demo's contour level as the close-up of the room (a level of the test kind): opened from the
// door, the item put on the cursor natively, dropped home, then the win sequence and the fade-out
// back to the room.
class ContourCloseUp : public LevelTest {
protected:
    void SetUp() override {
        LevelTest::SetUp();
        if (BaseRender* entry = app::screen(app::Screen::EnterName)) entry->hide();
        Application::instance()->setActivePanel(nullptr);
        levels::setLevelFactory({[this](const std::string& name, BaseLevel* parent) -> BaseLevel* {
                                     if (name != "closeup") return make(name, parent);
                                     auto* level = new ContourLevel(parent);
                                     if (!level->initElements(Attr::loadDocument(name + ".xml"))) {
                                         delete level;
                                         return nullptr;
                                     }
                                     return level;
                                 },
                                 [](BaseLevel* level) { delete level; }});
        runLua("test_calls = {} log_message = function(text) test_calls[text] = (test_calls[text] or 0) + 1 end");
    }
    void TearDown() override {
        if (MouseCursor* cursor = MouseCursor::instance()) cursor->setConnectedElement(nullptr, true);
        FlyElementsManager::instance()->clear();
        LevelTest::TearDown();
    }
    static int calls(const std::string& text) { return std::stoi(luaString("test_calls['" + text + "'] or 0")); }
};

TEST_F(ContourCloseUp, TheDropCompletesTheCloseUpWhichWinsAndFadesBackToTheRoom) {
    constexpr float kStep = 0.0625f;
    TestLevel* room = topLevel("room");
    current.level = room;
    room->startChapter();
    auto* closeup = dynamic_cast<ContourLevel*>(room->getMinilevel(0));
    ASSERT_NE(closeup, nullptr) << "the close-up is made by its kind";
    closeup->restart();
    MouseCursor* cursor = MouseCursor::instance();
    FlyElementsManager* flights = FlyElementsManager::instance();
    cursor->setPosition(512, 334);
    closeup->enterMinilevel();
    for (int frame = 0; frame < 6; ++frame) room->update(kStep);
    ASSERT_TRUE(closeup->anyFlag(BaseLevel::kFlagOpen));
    ASSERT_FALSE(closeup->anyFlag(BaseLevel::kFlagZoomingIn));

    BaseElement* vase = room->getElementByName("vase_1");
    ASSERT_NE(vase, nullptr);
    vase->setCharacter(clip(room, "vase_1"));
    cursor->setConnectedElement(vase, true);
    ASSERT_EQ(cursor->connectedElement(), vase);
    cursor->setPosition(kHomeX + 10, kHomeY - 10);
    // The room offers the press to its open close-up first.
    EXPECT_TRUE(room->handleEvent(closeup->workArea(), ContourLevel::kPressEvent));
    EXPECT_EQ(cursor->connectedElement(), nullptr);
    EXPECT_EQ(closeup->placedCount(), 1);
    EXPECT_EQ(flights->count(), 1u);
    EXPECT_FALSE(closeup->isWinStarted());
    int frames = 0;
    while (flights->count() && frames++ < 40) {
        flights->update(kStep);
        room->update(kStep);
    }
    EXPECT_EQ(flights->count(), 0u);
    EXPECT_EQ(closeup->findCharacter("vase_sz", true)->get_current_frame(), 1);
    EXPECT_TRUE(closeup->isWinStarted());
    for (int i = 0; i < 100 && !closeup->anyFlag(BaseLevel::kFlagFadingOut); ++i) {
        GameTimerManager::instance()->update(kStep);
        room->update(kStep);
    }
    EXPECT_EQ(calls("closeup_ON_LEAVE"), 1);
    for (int i = 0; i < 20 && closeup->isVisible(); ++i) room->update(kStep);
    EXPECT_FALSE(closeup->isVisible()) << "faded out, back to the room";
    EXPECT_FALSE(closeup->anyFlag(BaseLevel::kFlagOpen));
}

}  // namespace
}  // namespace leveltest
