#include "levels/inventory.h"

#include "app/application.h"
#include "app/game_layers.h"
#include "app/mouse_cursor.h"
#include "core/log_stream.h"
#include "flash/runtime/character.h"
#include "levels/base_element.h"
#include "levels/clip_owner.h"
#include "screens/main_panel.h"
#include "screens/screen_wiring.h"
#include "script/script_core.h"
#include "script/script_function.h"

namespace {

constexpr int kPressEvent = 1;
constexpr const char* kItemAddedHook = "on_inventory_item_added";

// The module's calls. The ones taking a name get it as the chunk's argument, so a name with
// quotes, backslashes or "]]" arrives unchanged and never breaks the chunk.
constexpr const char kScrollRight[] = "inventory.scroll_right()";
constexpr const char kScrollLeft[] = "inventory.scroll_left()";
constexpr const char kRightClick[] = "inventory.right_click_callback(...)";
constexpr const char kDeleteElem[] = "inventory.delete_elem(...)";

void runText(const char* text, size_t length, const char* chunk) {
    if (currentScriptState()) runScriptBuffer(text, length, chunk);
}
void runTextWith(const char* text, size_t length, const char* chunk, const std::string& argument) {
    if (currentScriptState()) runScriptBufferWithText(text, length, chunk, argument);
}

// The element the cursor carries, or null.
app::CarriedElement* heldElement() {
    MouseCursor* cursor = MouseCursor::instance();
    return cursor ? cursor->connectedElement() : nullptr;
}

bool named(const flash::character* ch, const char* name) { return ch->get_name() == name; }

// Made at start-up step 16 right after the heads-up panel; not drawn, so not on the render list.
bool createInventory() {
    new Inventory();
    return true;
}
const app::PartRegistration kRegistration(screens::kScreensStep, app::kStartupInventory, &createInventory,
                                          app::kShutdownInventory, "Inventory", &screens::destroyScreen<Inventory>);

}  // namespace

Inventory::Inventory() { initSlots(); }

Inventory::~Inventory() = default;

void Inventory::initSlots() {
    MainPanel* panel = MainPanel::instance();
    for (const char* const* name = kSlotNames; **name; ++name) {
        flash::character* clip = panel ? panel->findClip(*name, true) : nullptr;
        if (!clip) {
            Tov::LogLine("WARNING") << "Inventory::initSlots" << ": no clip " << *name << " in the panel";
            continue;
        }
        clip->set_event_callback(&Inventory::clipCallback);
    }
    m_armed = true;
}

void Inventory::clipCallback(flash::character* ch, int event) {
    if (event == kPressEvent)
        if (Application* application = Application::instance()) application->resetTimer();
    if (Inventory* inventory = instance()) inventory->onEvent(ch, event);
}

void Inventory::onEvent(flash::character* ch, int event) {
    if (event != kPressEvent || !ch) return;
    if (app::CarriedElement* held = heldElement()) {
        // After an item's click script the first press on the panel only re-arms it.
        if (named(ch, kPanelClip) && !m_armed) {
            m_armed = true;
            return;
        }
        // Any other clip, the arrows included, is a right-click on the carried item.
        return rightClick(held->carriedName());
    }
    if (named(ch, kRightArrow)) return runText(kScrollRight, sizeof kScrollRight - 1, "inventory.scroll_right");
    if (named(ch, kLeftArrow)) return runText(kScrollLeft, sizeof kScrollLeft - 1, "inventory.scroll_left");
    m_armed = false;
    if (BaseElement* element = levels::ClipOwner::elementOf(ch)) element->runScript(eiLeftClick);
}

void Inventory::rightClick(const std::string& heldName) {
    runTextWith(kRightClick, sizeof kRightClick - 1, "inventory.right_click_callback", heldName);
}

void Inventory::onItemAdded(BaseElement* element, bool flag) {
    if (!currentScriptState()) return;
    script::Function<void> hook;
    hook.bind(kItemAddedHook);
    hook(element, flag);
}

void Inventory::deleteElem(const std::string& name) {
    runTextWith(kDeleteElem, sizeof kDeleteElem - 1, "inventory.delete_elem", name);
}
