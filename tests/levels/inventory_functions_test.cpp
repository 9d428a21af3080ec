// The inventory's script functions called from Lua on the demo room and the demo panel, the two
// that hand items between the level, the cursor and the module, and the demo's own module.
#include <gtest/gtest.h>

#include "core/cvar_catalogue.h"
#include "flash/movie/edit_text_character.h"
#include "script/script_binding.h"
#include "tests/levels/inventory_fixture.h"

namespace {

class InventoryFunctionsTest : public inventorytest::RecordingTest {
protected:
    flash::edit_text_character* counter(const char* item) {
        flash::character* ch = clip(room, item);
        auto* sprite = flash::cast_to<flash::sprite_instance>(ch);
        if (!sprite) return nullptr;
        return flash::cast_to<flash::edit_text_character>(sprite->get_character_by_name("ElemCount", true));
    }

    // The room's "key" clip as an element of the level.
    BaseElement* keyElement() {
        auto* key = new BaseElement(BaseElement::kKindInventoryOnCursor, "key", "");
        key->setCharacter(clip(room, "key"));
        room->addElement(key);
        EXPECT_NE(key->getCharacter(), nullptr);
        return key;
    }

};

TEST_F(InventoryFunctionsTest, ButtonsAndArrowsOfThePanel) {
    flash::character* left = panel->findClip("btn_left");
    flash::character* right = panel->findClip("btn_right");
    ASSERT_EQ(runLua("inv_btn_enable('btn_left', false)"), 0);
    EXPECT_TRUE(left->m_disabled);
    EXPECT_FALSE(right->m_disabled);
    runLua("inv_btn_enable('btn_left', true) inv_btn_enable('no_such_clip', false) inv_btn_enable()");
    EXPECT_FALSE(left->m_disabled);
    runLua("activate_inv_arrows(false)");
    EXPECT_FALSE(left->get_visible());
    EXPECT_FALSE(right->get_visible());
    EXPECT_TRUE(panel->findClip("mainpanel")->get_visible());
    runLua("activate_inv_arrows(true)");
    EXPECT_TRUE(left->get_visible());
    EXPECT_TRUE(right->get_visible());
}

TEST_F(InventoryFunctionsTest, TheFirstCellIsThePanelFlagsLocalPlaceInPixels) {
    // The demo's "Inv_flag" is placed at (840, 658) on the panel's root.
    EXPECT_EQ(luaString("getInventoryFirstCellPos().x .. ',' .. getInventoryFirstCellPos().y"), "840,658");
    // Only its own translation counts, in twentieths of a pixel.
    flash::character* flag = panel->findClip("Inv_flag");
    const flash::matrix saved = flag->get_matrix();
    flash::matrix moved = saved;
    moved.m_[0][2] = 30;  // 1.5 pixels
    moved.m_[1][2] = -400;
    flag->set_matrix(moved);
    EXPECT_EQ(luaString("getInventoryFirstCellPos().x .. ',' .. getInventoryFirstCellPos().y"), "1.5,-20");
    flag->set_matrix(saved);
}

TEST_F(InventoryFunctionsTest, ActivatedItemsTakePressesThroughTheInventory) {
    flash::character* cupClip = cup->getCharacter();
    cupClip->set_event_callback(nullptr);
    runLua("activateInventoryElement('cup_1', true)");
    EXPECT_EQ(cupClip->get_event_callback(), &Inventory::clipCallback);
    // Nothing held: the press runs the cup's click script.
    cup->setScriptCallback(eiLeftClick, "calls[#calls + 1] = 'cup clicked'");
    Inventory::clipCallback(cupClip, 1);
    EXPECT_EQ(calls(), "cup clicked");
    runLua("activateInventoryElement('cup_1', false) activateInventoryElement('nothing', true)");
    EXPECT_EQ(cupClip->get_event_callback(), nullptr);
    // Without a current level nothing is found.
    current.level = nullptr;
    runLua("activateInventoryElement('cup_1', true)");
    EXPECT_EQ(cupClip->get_event_callback(), nullptr);
}

TEST_F(InventoryFunctionsTest, TheCounterIsMadeOnTheFirstCallAndCountsUp) {
    ASSERT_EQ(counter("cup_1"), nullptr);
    d_InventoryCounterFont->setString("tahoma_b_13");
    runLua("inc_elements_count('cup_1')");
    flash::edit_text_character* field = counter("cup_1");
    ASSERT_NE(field, nullptr);
    EXPECT_STREQ(field->m_text.c_str(), "1");
    EXPECT_STREQ(field->m_font_name.c_str(), "tahoma_b_13");
    EXPECT_EQ(field->m_color, flash::rgba(255, 255, 255, 255));
    EXPECT_GE(field->get_depth(), 1000);
    d_InventoryCounterFont->setString("Vernada_BOLD_16");
    runLua("inc_elements_count('cup_1')");
    EXPECT_EQ(counter("cup_1"), field);  // the same field
    EXPECT_STREQ(field->m_text.c_str(), "2");
    struct Case {
        const char* text;
        const char* after;
    };
    const Case cases[] = {{"41", "42"}, {"", "1"}, {"x7", "1"}, {"-3", "-2"}, {"2147483647", "2147483647"},
                          {"99999999999", "2147483647"}};
    for (const Case& c : cases) {
        field->set_text(c.text);
        runLua("inc_elements_count('cup_1')");
        EXPECT_STREQ(field->m_text.c_str(), c.after) << c.text;
    }
    runLua("inc_elements_count('no_such_clip') inc_elements_count()");
}

TEST_F(InventoryFunctionsTest, AddingAnItemTellsTheModuleShowsFrameOneAndStopsItsPresses) {
    flash::character* cupClip = cup->getCharacter();
    cupClip->set_event_callback(&BaseLevel::levelEventCallback);
    runLua("add_element_to_inventory('cup_1', false)");
    EXPECT_EQ(calls(), "added:cup,true");
    EXPECT_EQ(cupClip->get_current_frame(), 1);
    EXPECT_EQ(cupClip->get_event_callback(), nullptr);
    runLua("add_element_to_inventory('no_such_clip', true)");
    EXPECT_EQ(calls(), "added:cup,true");
}

TEST_F(InventoryFunctionsTest, DroppingAnItemLeavesNoElementOnItsClip) {
    BaseElement* key = keyElement();
    flash::weak_ptr<flash::character> keyClip(key->getCharacter());
    ASSERT_NE(keyClip.get_ptr(), nullptr);
    flash::character* parent = keyClip->get_parent();
    // Carried, so the cursor must let go of it too.
    cursor->setConnectedElement(key, true);
    lua_State* L = currentScriptState();
    lua_getglobal(L, "drop_inventory_element");
    ScriptBinding::push(L, key);
    ASSERT_EQ(lua_pcall(L, 1, 0, 0), 0);
    EXPECT_EQ(key->getCharacter(), nullptr);
    EXPECT_EQ(cursor->connectedElement(), nullptr);
    // Whoever still holds the clip finds no element behind it.
    if (keyClip.get_ptr()) {
        EXPECT_EQ(levels::ClipOwner::elementOf(keyClip.get_ptr()), nullptr);
    }
    EXPECT_EQ(flash::cast_to<flash::sprite_instance>(parent)->get_character_by_name("key"), nullptr);
    // Again, and with no element, nothing happens.
    lua_getglobal(L, "drop_inventory_element");
    ScriptBinding::push(L, key);
    ASSERT_EQ(lua_pcall(L, 1, 0, 0), 0);
    runLua("drop_inventory_element(nil) drop_inventory_element()");
    // The level goes and another comes: nothing reads the dropped clip.
    release(room);
    room = topLevel("room");
    current.level = room;
    runLua("drop_inventory_element(nil)");
    EXPECT_NE(clip(room, "key"), nullptr);
}

TEST_F(InventoryFunctionsTest, DroppingTheCarriedItemGivesItBackHiddenAndTellsTheModule) {
    BaseElement* key = keyElement();
    flash::character* keyClip = key->getCharacter();
    flash::character* parent = keyClip->get_parent();
    cursor->setConnectedElement(key, true);
    ASSERT_NE(keyClip->get_parent(), parent);
    runLua("drop_mouse_element()");
    EXPECT_EQ(cursor->connectedElement(), nullptr);
    EXPECT_EQ(keyClip->get_parent(), parent);
    EXPECT_FALSE(keyClip->get_visible());
    EXPECT_EQ(calls(), "delete:key");
    // Nothing carried: nothing to tell.
    runLua("drop_mouse_element()");
    EXPECT_EQ(calls(), "delete:key");
}

}  // namespace

namespace {

// The demo's own module, driven by the game: items added, the row laid out by the level's
// periodic update, scrolling, a second pick-up counted on the item, and a delete.
class DemoModuleTest : public inventorytest::RecordingTest {
protected:
    void SetUp() override {
        RecordingTest::SetUp();
        // The demo's own module and handler, emptied.
        runLua("inventory = test_saved.inventory on_inventory_item_added = test_saved.added inventory.reset()");
    }
    void TearDown() override {
        runLua("inventory.reset()");
        RecordingTest::TearDown();
    }
    // The room's own element of that name when it has one (the module finds items by name, and a
    // second element of one name would stay hidden behind the first), given its clip.
    BaseElement* element(const std::string& name) {
        BaseElement* made = room->getElementByName(name);
        if (!made) {
            made = new BaseElement(BaseElement::kKindInventoryOnCursor, name, "");
            room->addElement(made);
        }
        made->setCharacter(clip(room, name));
        return made;
    }
    void update() { runLua("inventory.update()"); }
};

TEST_F(DemoModuleTest, TheRowScrollsCountsAndForgets) {
    flash::character* left = panel->findClip("btn_left");
    flash::character* right = panel->findClip("btn_right");
    const char* names[] = {"key", "vase_1", "book", "candle", "clock"};
    std::vector<BaseElement*> items;
    for (const char* name : names) items.push_back(element(name));
    // Three items fit the row: no arrows.
    for (int i = 0; i < 3; ++i) inventory->onItemAdded(items[i], true);
    update();
    EXPECT_EQ(luaString("#inventory.items"), "3");
    EXPECT_FALSE(left->get_visible());
    EXPECT_FALSE(right->get_visible());
    // An added item takes presses through the inventory.
    EXPECT_EQ(items[0]->getCharacter()->get_event_callback(), &Inventory::clipCallback);
    // Five do not: the arrows show, only the right one can be used.
    inventory->onItemAdded(items[3], true);
    inventory->onItemAdded(items[4], true);
    update();
    EXPECT_TRUE(left->get_visible());
    EXPECT_TRUE(right->get_visible());
    EXPECT_TRUE(left->m_disabled);
    EXPECT_FALSE(right->m_disabled);
    // Scrolled to the end by presses on the right arrow; a third press changes nothing.
    for (int i = 0; i < 3; ++i) Inventory::clipCallback(right, 1);
    update();
    EXPECT_EQ(luaString("inventory.first"), "2");
    EXPECT_FALSE(left->m_disabled);
    EXPECT_TRUE(right->m_disabled);
    Inventory::clipCallback(left, 1);
    EXPECT_EQ(luaString("inventory.first"), "1");
    // The key picked up again is counted on its clip.
    inventory->onItemAdded(items[0], true);
    EXPECT_EQ(luaString("#inventory.items"), "5");
    auto* keyClip = flash::cast_to<flash::sprite_instance>(items[0]->getCharacter());
    auto* count = flash::cast_to<flash::edit_text_character>(keyClip->get_character_by_name("ElemCount", true));
    ASSERT_NE(count, nullptr);
    EXPECT_STREQ(count->m_text.c_str(), "1");
    // Carried and pressed on the row, the item goes back to the level.
    flash::character* parent = keyClip->get_parent();
    cursor->setConnectedElement(items[0], true);
    Inventory::clipCallback(panel->findClip("Inv_flag"), 1);
    EXPECT_EQ(cursor->connectedElement(), nullptr);
    EXPECT_EQ(keyClip->get_parent(), parent);
    // Deleted, it leaves the row and the arrows go.
    inventory->deleteElem("key");
    inventory->deleteElem("vase_1");
    update();
    EXPECT_EQ(luaString("table.concat(inventory.items, ',')"), "book,candle,clock");
    EXPECT_FALSE(right->get_visible());
    EXPECT_EQ(logSince().find("\tERROR\t"), std::string::npos) << logSince();
}

}  // namespace
