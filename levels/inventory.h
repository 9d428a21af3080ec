#pragma once
// The row of collected items in the heads-up panel. What it holds, its order, its scrolling and
// its item animations are the script module `inventory`'s; the native side wires the panel's
// inventory clips to one event callback, turns presses on them (and on item clips the module
// activates) into calls of that module, and reports items added and removed by the levels.
//
// Made at start-up right after the heads-up panel, whose movie holds the clips; it never wires
// them again.
#include <string>

#include "core/singleton.h"

namespace flash {
class character;
}

class BaseElement;

class Inventory : public Tov::Singleton<Inventory> {
public:
    // The panel's inventory clips, in wiring order, ended by an empty name. "Inv_flag" marks the
    // first cell.
    static constexpr const char* kSlotNames[] = {"btn_right", "btn_left", "mainpanel", "Inv_flag", ""};
    static constexpr const char* kRightArrow = "btn_right";
    static constexpr const char* kLeftArrow = "btn_left";
    static constexpr const char* kPanelClip = "mainpanel";
    static constexpr const char* kFirstCell = "Inv_flag";
    // The counter text field inside an item clip.
    static constexpr const char* kCounterField = "ElemCount";

    // Registers the singleton and wires the panel's clips.
    Inventory();
    ~Inventory() override;

    // Stores the callback in each of the panel's inventory clips that exists (a missing one is
    // logged and skipped), then arms the panel press.
    void initSlots();
    // The native callback of inventory clips: a press restarts the wrong-click series first.
    static void clipCallback(flash::character* ch, int event);
    // Presses only: scrolls, the carried item's right-click, or the pressed item's click script.
    void onEvent(flash::character* ch, int event);
    // Tells the module's "on_inventory_item_added" of a new item.
    void onItemAdded(BaseElement* element, bool flag);
    // Asks the module to remove the item of that name.
    void deleteElem(const std::string& name);

    // While false, the next press on the panel with an item carried is swallowed (and re-arms).
    bool isArmed() const { return m_armed; }

private:
    void rightClick(const std::string& heldName);

    bool m_armed = false;
};
