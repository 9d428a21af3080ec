// The inventory on the demo's heads-up panel: the wiring of its clips, presses turned into calls
// of the script module (with and without an item carried), the armed rule as a press sequence,
// the item-added handler and names that no chunk text could carry.
#include <gtest/gtest.h>

#include <lua.hpp>

#include "app/application.h"
#include "flash/movie/movie_root.h"
#include "tests/levels/inventory_fixture.h"

namespace {

constexpr int kPress = 1;
constexpr int kRollOver = 4;

class InventoryTest : public inventorytest::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        inventory->initSlots();
    }
    void press(const char* clipName, int event = kPress) {
        flash::character* ch = panel->findClip(clipName);
        ASSERT_NE(ch, nullptr) << clipName;
        Inventory::clipCallback(ch, event);
    }
    void hold(BaseElement* element) { cursor->setConnectedElement(element, true); }
    // "cup" answers a press on its clip with its click script.
    void giveCupAClickScript() {
        cup->setScriptCallback(eiLeftClick, "calls[#calls + 1] = 'cup clicked'");
        cup->getCharacter()->set_event_callback(&Inventory::clipCallback);
    }
};

TEST_F(InventoryTest, ThePanelsFourClipsAreWiredAndAMissingOneIsSkipped) {
    for (const char* name : {"btn_right", "btn_left", "mainpanel", "Inv_flag"}) {
        flash::character* ch = panel->findClip(name);
        ASSERT_NE(ch, nullptr) << name;
        EXPECT_EQ(ch->get_event_callback(), &Inventory::clipCallback) << name;
    }
    EXPECT_TRUE(inventory->isArmed());
    // Without "btn_left" the other three are wired again and the missing one is named.
    flash::character* left = panel->findClip("btn_left");
    left->set_name("btn_left_gone");
    for (const char* name : {"btn_right", "mainpanel", "Inv_flag"}) panel->findClip(name)->set_event_callback(nullptr);
    left->set_event_callback(nullptr);
    inventory->initSlots();
    left->set_name("btn_left");
    EXPECT_EQ(left->get_event_callback(), nullptr);
    for (const char* name : {"btn_right", "mainpanel", "Inv_flag"})
        EXPECT_EQ(panel->findClip(name)->get_event_callback(), &Inventory::clipCallback) << name;
    EXPECT_EQ(count(logSince(), "\tWARNING\tInventory::initSlots: no clip btn_left in the panel"), 1u) << logSince();
    inventory->initSlots();
}

TEST_F(InventoryTest, PressesBecomeTheModulesCalls) {
    struct Case {
        const char* what;
        const char* clip;
        int event;
        bool held;
        bool armed;
        const char* calls;
        bool armedAfter;
    };
    const Case cases[] = {
        {"right arrow", "btn_right", kPress, false, true, "right:", true},
        {"left arrow", "btn_left", kPress, false, true, "left:", true},
        {"roll-over on an arrow", "btn_right", kRollOver, false, true, "", true},
        {"panel, nothing held", "mainpanel", kPress, false, true, "", false},
        {"first cell, nothing held", "Inv_flag", kPress, false, true, "", false},
        {"right arrow, item held", "btn_right", kPress, true, true, "rclick:cup", true},
        {"left arrow, item held", "btn_left", kPress, true, false, "rclick:cup", false},
        {"first cell, item held", "Inv_flag", kPress, true, true, "rclick:cup", true},
        {"panel, item held, armed", "mainpanel", kPress, true, true, "rclick:cup", true},
        {"panel, item held, disarmed", "mainpanel", kPress, true, false, "", true},
        {"panel roll-over, item held, disarmed", "mainpanel", kRollOver, true, false, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Arming goes through its own presses: a press with nothing held disarms.
        cursor->setConnectedElement(nullptr, true);
        inventory->initSlots();
        if (!c.armed) press("Inv_flag");
        ASSERT_EQ(inventory->isArmed(), c.armed);
        if (c.held) hold(cup);
        clearCalls();
        press(c.clip, c.event);
        EXPECT_EQ(calls(), c.calls);
        EXPECT_EQ(inventory->isArmed(), c.armedAfter);
    }
}

TEST_F(InventoryTest, PressesInThePanelMovieReachTheInventory) {
    // The demo's right arrow at (980, 658), 30 by 60; the left at (800, 658); the panel's ground
    // under the buttons' row.
    struct Case {
        int x, y;
        const char* calls;
    };
    const Case cases[] = {{995, 688, "right:"}, {815, 688, "right:|left:"}, {600, 740, "right:|left:"}};
    const bool wasVisible = panel->isVisible();
    panel->setVisible(true);
    flash::root* root = panel->getRoot();
    ASSERT_NE(root, nullptr);
    for (const Case& c : cases) {
        for (int buttons : {0, 1, 0}) {
            root->notify_mouse_state(c.x, c.y, buttons);
            panel->render(0.0f);
        }
        EXPECT_EQ(calls(), c.calls) << c.x << "," << c.y;
    }
    // The ground was pressed with nothing held.
    EXPECT_FALSE(inventory->isArmed());
    panel->setVisible(wasVisible);
}

TEST_F(InventoryTest, APressThatRanAnItemsClickScriptSwallowsTheNextPanelPressOnce) {
    giveCupAClickScript();
    flash::character* cupClip = cup->getCharacter();
    BaseElement key(BaseElement::kKindInventoryOnCursor, "key", "");
    key.setCharacter(clip(room, "key"));
    ASSERT_NE(key.getCharacter(), nullptr);
    // Right after the wiring a panel press with an item held is a right-click at once.
    hold(&key);
    press("mainpanel");
    EXPECT_EQ(calls(), "rclick:key");
    cursor->setConnectedElement(nullptr, true);
    // The cup's click script runs and disarms.
    Inventory::clipCallback(cupClip, kPress);
    EXPECT_EQ(calls(), "rclick:key|cup clicked");
    EXPECT_FALSE(inventory->isArmed());
    hold(&key);
    press("mainpanel");  // swallowed
    EXPECT_EQ(calls(), "rclick:key|cup clicked");
    press("mainpanel");
    EXPECT_EQ(calls(), "rclick:key|cup clicked|rclick:key");
    // With an item held, the cup's clip is a right-click on the held item, not the cup's script.
    Inventory::clipCallback(cupClip, kPress);
    EXPECT_EQ(calls(), "rclick:key|cup clicked|rclick:key|rclick:key");
    cursor->setConnectedElement(nullptr, true);
}

TEST_F(InventoryTest, APressRestartsTheWrongClickSeries) {
    Application& application = leveltest::LevelGame::instance()->game().app();
    // A screen holding the input would refuse the wrong click.
    BaseRender* modal = application.modalPanel();
    if (modal) application.forgetPanel(modal);
    application.applyOverclickPenalty();
    ASSERT_EQ(application.wrongClicks(), 1);
    press("btn_right", kRollOver);
    EXPECT_EQ(application.wrongClicks(), 1);
    press("btn_right");
    EXPECT_EQ(application.wrongClicks(), 0);
    if (modal) application.setActivePanel(modal);
}

TEST_F(InventoryTest, AnItemAddedReachesTheHandlerWithTheElementAndTheFlag) {
    inventory->onItemAdded(cup, true);
    inventory->onItemAdded(cup, false);
    EXPECT_EQ(calls(), "added:cup,true|added:cup,false");
    // Without a handler nothing runs and nothing is reported.
    runLua("on_inventory_item_added = nil");
    inventory->onItemAdded(cup, true);
    EXPECT_EQ(calls(), "added:cup,true|added:cup,false");
    EXPECT_EQ(logSince().find("\tERROR\t"), std::string::npos) << logSince();
}

TEST_F(InventoryTest, NamesReachTheModuleUnchanged) {
    const std::string names[] = {"plain", "a\"quote", "back\\slash", "end]]bracket", "line\nbreak", "\")..os.exit()--",
                                 ""};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        clearCalls();
        inventory->deleteElem(name);
        EXPECT_EQ(luaString("calls[1]"), "delete:" + name);
        BaseElement held(BaseElement::kKindInventoryOnCursor, name, "");
        held.setCharacter(clip(room, "key"));
        hold(&held);
        clearCalls();
        press("btn_left");
        EXPECT_EQ(luaString("calls[1]"), "rclick:" + name);
        cursor->setConnectedElement(nullptr, true);
    }
    EXPECT_EQ(logSince().find("\tERROR\t"), std::string::npos) << logSince();
}

TEST_F(InventoryTest, AMissingModuleIsAScriptErrorNotACrash) {
    runLua("inventory = nil");
    inventory->deleteElem("cup");
    press("btn_right");
    EXPECT_EQ(count(logSince(), "\tERROR\t"), 2u) << logSince();
}

}  // namespace
