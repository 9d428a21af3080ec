// The element functions of the level scripts: thin script entries over the native functions of
// script_functions_elements.h.
#include "levels/script_functions_elements.h"

#include "app/mouse_cursor.h"
#include "core/log_stream.h"
#include "flash/movie/sprite_instance.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/event_id.h"
#include "flash/shape/geometry.h"
#include "levels/base_element.h"
#include "levels/base_level.h"
#include "levels/script_functions_clips.h"
#include "script/console_sink.h"
#include "script/script_call.h"
#include "script/script_registry.h"

namespace script_functions {

namespace {

void setScript(const std::string& name, int eventId, const std::string& script) {
    if (BaseElement* element = findElement(name)) element->setScriptCallback(eventId, script);
}

// The current level's minilevels of that name, in slot order; `visit` answers whether to go on.
template <class Visit>
void forMinilevelsNamed(const std::string& minilevel, Visit visit) {
    BaseLevel* level = currentLevel();
    if (!level) return;
    for (int slot = 0; slot < BaseLevel::kMaxMinilevels; ++slot) {
        BaseLevel* child = level->getMinilevel(slot);
        if (child && child->getName() == minilevel && !visit(child)) return;
    }
}

BaseElement* addScriptElement(BaseLevel* level, const std::string& name) {
    auto* element = new BaseElement(kScriptElementKind, name, "");
    level->addElement(element);
    return element;
}

// A clip missing from a level that exists is reported; without a level the call is silent.
flash::character* findReported(const std::string& path, const char* function) {
    if (!currentLevel()) return nullptr;
    flash::character* ch = findClip(path);
    if (!ch) Tov::LogLine("ERROR") << function << " " << path << " not found";
    return ch;
}

}  // namespace

void setCallbackForElement(const std::string& element, const std::string& script) {
    setScript(element, eiLeftClick, script);
}

void setCallbackForElementRClick(const std::string& element, const std::string& script) {
    setScript(element, eiRightClick, script);
}

void setCallbackForElementEx(const std::string& element, const std::string& script, const std::string& minilevel) {
    forMinilevelsNamed(minilevel, [&](BaseLevel* child) {
        if (BaseElement* found = child->getElementByName(element)) found->setScriptCallback(eiLeftClick, script);
        return true;
    });
}

void setElementVisible(const std::string& path, bool visible) {
    if (flash::character* ch = findReported(path, "set_element_visible")) ch->set_visible(visible);
}

void activateElement(const std::string& path, bool active) {
    if (!currentLevel()) return;
    flash::character* found = findClip(path);
    if (!found) {
        script::consolePrint(("activate_element: not found " + path).c_str());
        return;
    }
    if (!active) {
        found->set_event_callback(nullptr);
        return;
    }
    // The roll-over reaches the level, whose handling may drop the clip.
    flash::smart_ptr<flash::character> ch(found);
    ch->set_event_callback(&BaseLevel::levelEventCallback);
    if (ch->is_mouse_over()) ch->on_event(flash::event_id(flash::event_id::ROLL_OVER));
}

bool canBeHinted(const std::string& path) {
    flash::character* ch = findClip(path);
    if (!ch || !ch->get_visible()) return false;
    const flash::character* root = flash::as_character(ch->get_root_movie());
    return root && root->get_visible();
}

BaseElement* createScriptElement(const std::string& name) {
    BaseLevel* level = currentLevel();
    return level ? addScriptElement(level, name) : nullptr;
}

BaseElement* createScriptElementEx(const std::string& name, const std::string& minilevel) {
    BaseElement* made = nullptr;
    forMinilevelsNamed(minilevel, [&](BaseLevel* child) {
        made = addScriptElement(child, name);
        return false;
    });
    return made;
}

void setElementEffect(const std::string& element, const std::string& effect) {
    if (BaseElement* found = findElement(element)) found->setEffect(effect);
}

void setElementAtCursor(const std::string& path) {
    flash::character* ch = findReported(path, "set_element_at_cursor");
    MouseCursor* cursor = MouseCursor::instance();
    if (ch && cursor) setTranslation(ch, cursor->x() * flash::twips_per_pixel, cursor->y() * flash::twips_per_pixel);
}

namespace {

using ScriptBinding::scriptCall;

const ScriptFunctionRegistration kFunctions[] = {
    {"set_callback_for_element", scriptCall<&setCallbackForElement>},
    {"set_callback_for_element_r_click", scriptCall<&setCallbackForElementRClick>},
    {"set_callback_for_element_ex", scriptCall<&setCallbackForElementEx>},
    {"set_element_visible", scriptCall<&setElementVisible>},
    {"activate_element", scriptCall<&activateElement>},
    {"can_be_hinted", scriptCall<&canBeHinted>},
    {"create_script_element", scriptCall<&createScriptElement>},
    {"create_script_element_ex", scriptCall<&createScriptElementEx>},
    {"set_element_effect", scriptCall<&setElementEffect>},
    {"set_element_at_cursor", scriptCall<&setElementAtCursor>},
};

}  // namespace

}  // namespace script_functions
