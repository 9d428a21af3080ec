#pragma once
// The inventory's tests: the demo room as the current level, the heads-up panel and the cursor of
// the running game, and the script module replaced by recorders (every call appends
// "what:argument" to `calls`) until the test ends.
#include <string>

#include "app/mouse_cursor.h"
#include "levels/inventory.h"
#include "screens/main_panel.h"
#include "tests/levels/level_fixture.h"

namespace inventorytest {

constexpr const char* kRecorders = R"(
test_saved = {inventory = inventory, added = on_inventory_item_added}
calls = {}
local function record(what, value) calls[#calls + 1] = what .. ":" .. tostring(value) end
inventory = {}
function inventory.scroll_right() record("right", "") end
function inventory.scroll_left() record("left", "") end
function inventory.right_click_callback(name) record("rclick", name) end
function inventory.delete_elem(name) record("delete", name) end
function on_inventory_item_added(element, flag) record("added", element:getName() .. "," .. tostring(flag)) end
)";

class RecordingTest : public leveltest::CupTest {
protected:
    void SetUp() override {
        CupTest::SetUp();
        inventory = Inventory::instance();
        panel = MainPanel::instance();
        cursor = MouseCursor::instance();
        ASSERT_NE(inventory, nullptr);
        ASSERT_NE(panel, nullptr);
        ASSERT_NE(cursor, nullptr);
        ASSERT_EQ(runLua(kRecorders), 0);
    }
    void TearDown() override {
        cursor->setConnectedElement(nullptr, true);
        runLua("inventory = test_saved.inventory on_inventory_item_added = test_saved.added");
        for (const char* name : {Inventory::kLeftArrow, Inventory::kRightArrow}) {
            panel->findClip(name)->m_disabled = false;
            panel->findClip(name)->set_visible(true);
        }
        inventory->initSlots();
        CupTest::TearDown();
    }

    std::string calls() { return luaString("table.concat(calls, '|')"); }
    void clearCalls() { runLua("calls = {}"); }

    Inventory* inventory = nullptr;
    MainPanel* panel = nullptr;
    MouseCursor* cursor = nullptr;
};

}  // namespace inventorytest
