// The script functions of the inventory (placing, enabling, dropping and counting items), and the
// two that hand items between the level, the cursor and the inventory module.
#include <climits>
#include <cstdlib>
#include <string>

#include "app/game_layers.h"
#include "app/mouse_cursor.h"
#include "core/cvar_catalogue.h"
#include "flash/movie/display_list.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/sprite_instance.h"
#include "flash/shape/geometry.h"
#include "levels/base_element.h"
#include "levels/base_level.h"
#include "levels/clip_owner.h"
#include "levels/inventory.h"
#include "levels/script_function_support.h"
#include "screens/main_panel.h"
#include "script/script_call.h"
#include "script/script_registry.h"
#include "script/value_types.h"

namespace {

constexpr int kFoundFrame = 1;  // element clips show frame 1 once picked
constexpr int kCounterDepthAbove = 1000;
constexpr int kCounterWidth = 200;
// The cursor's mode for a cursor picture that is an item: dropping the item drops the picture too.
constexpr int kItemCursorMode = 3;

using script_functions::findClipOrElementClip;

// An item: a clip of the level, or an element's clip moved into the panel.
flash::character* levelClip(const std::string& name) { return findClipOrElementClip(name); }

flash::character* panelClip(const char* name) {
    MainPanel* panel = MainPanel::instance();
    return panel && *name ? panel->findClip(name, true) : nullptr;
}

// The counter's text as a number: an empty or non-numeric text is 0; one past the int range is
// held at its end, so adding 1 never overflows.
int counterValue(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text) return 0;
    if (value >= INT_MAX) return INT_MAX - 1;
    if (value <= INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

void invBtnEnable(const std::string& name, bool enable) {
    if (flash::character* clip = panelClip(name.c_str())) clip->m_disabled = !enable;
}

Vec2 getInventoryFirstCellPos() {
    flash::character* cell = panelClip(Inventory::kFirstCell);
    if (!cell) return Vec2{};
    const flash::matrix& m = cell->get_matrix();
    return Vec2{m.m_[0][2] * flash::pixels_per_twip, m.m_[1][2] * flash::pixels_per_twip};
}

void dropInventoryElement(BaseElement* element) {
    if (!element) return;
    flash::character* clip = element->getCharacter();
    if (!clip) return;
    // A carried item goes back to its own parent first: the cursor must not keep a clip that
    // left every display list.
    if (MouseCursor* cursor = MouseCursor::instance()) cursor->forgetElement(element);
    auto* parent = flash::cast_to<flash::sprite_instance>(clip->get_parent());
    if (!parent) return;
    // The element lets go of the clip before the list may free it.
    flash::smart_ptr<flash::character> keep(clip);
    element->setCharacter(nullptr);
    levels::ClipOwner::setOwnerOf(clip, nullptr);
    parent->get_display_list()->remove_character(clip);
}

void activateInventoryElement(const std::string& name, bool activate) {
    if (flash::character* clip = levelClip(name)) clip->set_event_callback(activate ? &Inventory::clipCallback : nullptr);
}

void incElementsCount(const std::string& name) {
    auto* item = flash::cast_to<flash::sprite_instance>(levelClip(name));
    if (!item) return;
    auto* field = flash::cast_to<flash::edit_text_character>(
        item->get_character_by_name(flash::bx_string(Inventory::kCounterField), true));
    if (!field) {
        const int next = item->get_next_highest_depth();
        const int depth = next > INT_MAX - kCounterDepthAbove ? next : next + kCounterDepthAbove;
        field = item->create_text_field(Inventory::kCounterField, depth, 0, 0, kCounterWidth, 0);
        if (!field) return;
        field->m_font_name = d_InventoryCounterFont->text.c_str();
        field->m_color = flash::rgba(0xff, 0xff, 0xff, 0xff);
    }
    field->set_text(std::to_string(counterValue(field->m_text.c_str()) + 1).c_str());
}

void activateInvArrows(bool enable) {
    for (const char* name : {Inventory::kRightArrow, Inventory::kLeftArrow})
        if (flash::character* arrow = panelClip(name)) arrow->set_visible(enable);
}

void addElementToInventory(const std::string& path, bool /*flag: read, not used*/) {
    flash::character* clip = levelClip(path);
    if (!clip) return;
    if (BaseElement* element = levels::ClipOwner::elementOf(clip))
        if (Inventory* inventory = Inventory::instance()) inventory->onItemAdded(element, true);
    // The handler may have dropped the clip: look it up again.
    clip = levelClip(path);
    if (!clip) return;
    clip->goto_frame(kFoundFrame);
    clip->set_event_callback(nullptr);
}

void dropMouseElement() {
    MouseCursor* cursor = MouseCursor::instance();
    if (!cursor) return;
    if (app::CarriedElement* held = cursor->connectedElement()) {
        const std::string name = held->carriedName();
        if (flash::character* clip = held->carriedClip()) clip->set_visible(false);
        cursor->setConnectedElement(nullptr, true);
        if (Inventory* inventory = Inventory::instance()) inventory->deleteElem(name);
        cursor->reset();
    }
    if (cursor->clipMode() == kItemCursorMode) {
        if (flash::character* picture = cursor->cursorClip()) picture->set_visible(false);
        cursor->reset();
    }
}

const ScriptFunctionRegistration kFunctions[] = {
    {"inv_btn_enable", ScriptBinding::scriptCall<&invBtnEnable>},
    {"getInventoryFirstCellPos", ScriptBinding::scriptCall<&getInventoryFirstCellPos>},
    {"drop_inventory_element", ScriptBinding::scriptCall<&dropInventoryElement>},
    {"activateInventoryElement", ScriptBinding::scriptCall<&activateInventoryElement>},
    {"inc_elements_count", ScriptBinding::scriptCall<&incElementsCount>},
    {"activate_inv_arrows", ScriptBinding::scriptCall<&activateInvArrows>},
    {"add_element_to_inventory", ScriptBinding::scriptCall<&addElementToInventory>},
    {"drop_mouse_element", ScriptBinding::scriptCall<&dropMouseElement>},
};

}  // namespace
