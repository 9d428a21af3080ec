// The script functions of the mouse cursor and the element it carries. Each is a thin entry over
// a native function.
#include <cmath>
#include <memory>
#include <string>

#include "app/mouse_cursor.h"
#include "flash/runtime/character.h"
#include "flash/shape/geometry.h"
#include "levels/base_element.h"
#include "levels/clip_owner.h"
#include "levels/base_level.h"
#include "levels/script_function_support.h"
#include "platform/graphics/window.h"
#include "script/console_sink.h"
#include "script/script_call.h"
#include "script/script_registry.h"

namespace {

using script_functions::currentLevel;
using script_functions::findClip;
using script_functions::findClipOrElementClip;

constexpr float kFlyBackSeconds = 0.3f;
constexpr const char* kNoElement = "No element";

// The clip's owning element carried (none when the clip is missing: the carried one goes back).
void addMouseElement(const std::string& path) {
    BaseLevel* level = currentLevel();
    MouseCursor* cursor = MouseCursor::instance();
    if (!level || !cursor) return;
    flash::character* clip = findClipOrElementClip(path);
    cursor->setConnectedElement(clip ? levels::ClipOwner::elementOf(clip) : nullptr, false);
}

// With nothing carried, only the empty name matches.
bool isConnElemName(const std::string& name) {
    MouseCursor* cursor = MouseCursor::instance();
    app::CarriedElement* carried = cursor ? cursor->connectedElement() : nullptr;
    return carried ? carried->carriedName() == name : name.empty();
}

void setMouseElement(const std::string& path) {
    MouseCursor* cursor = MouseCursor::instance();
    if (!cursor) return;
    if (flash::character* clip = findClip(path))
        cursor->setCursorClip(clip, MouseCursor::kModeNormal);
    else
        cursor->setCursor(path, MouseCursor::kModeNormal);
}

// The carried clip goes back to its parent, placed where the clip of the path is.
void setMouseConnectedCharacterPos(const std::string& path) {
    MouseCursor* cursor = MouseCursor::instance();
    app::CarriedElement* carried = cursor ? cursor->connectedElement() : nullptr;
    flash::character* clip = carried ? carried->carriedClip() : nullptr;
    if (!clip) return;
    flash::smart_ptr<flash::character> held(clip);
    cursor->setConnectedElement(nullptr, false);
    flash::character* place = findClip(path);
    if (!place) return;
    flash::matrix m = clip->get_matrix();
    m.m_[0][2] = place->get_matrix().m_[0][2];
    m.m_[1][2] = place->get_matrix().m_[1][2];
    clip->set_matrix(m);
}

float wholeOrZero(float value) { return std::isfinite(value) ? std::trunc(value) : 0.0f; }

// The element jumps to the cursor and flies back to its place in 0.3 seconds.
void flyFromMouseToElement(const std::string& name) {
    BaseLevel* level = currentLevel();
    BaseElement* element = level ? level->getElementByName(name) : nullptr;
    flash::character* ch = element ? element->getCharacter() : nullptr;
    MouseCursor* cursor = MouseCursor::instance();
    if (!ch || !cursor) return;
    auto animation = std::make_unique<ElementAnimation>();
    animation->duration = kFlyBackSeconds;
    animation->deltasFromTarget = true;
    animation->targetMatrix = ch->get_matrix();
    animation->startMatrix = ch->get_matrix();
    const flash::matrix world = ch->get_world_matrix();
    animation->startMatrix.m_[0][2] += wholeOrZero(world.m_[0][2] - static_cast<float>(cursor->x()) * flash::twips_per_pixel);
    animation->startMatrix.m_[1][2] += wholeOrZero(world.m_[1][2] - static_cast<float>(cursor->y()) * flash::twips_per_pixel);
    ch->set_matrix(animation->startMatrix);
    element->addAnimation(animation.release());
}

// Mouse input stays blocked until the cursor picture changes again.
void switchCursorFrame(const std::string& label) {
    MouseCursor* cursor = MouseCursor::instance();
    flash::character* clip = cursor ? cursor->cursorClip() : nullptr;
    if (!clip) return;
    clip->goto_labeled_frame(label.c_str());
    cursor->setBlocked(true);
}

int getCursorPosY() {
    MouseCursor* cursor = MouseCursor::instance();
    return cursor ? cursor->y() : 0;
}

void printConnectedEl() {
    MouseCursor* cursor = MouseCursor::instance();
    app::CarriedElement* carried = cursor ? cursor->connectedElement() : nullptr;
    script::consolePrint(carried ? carried->carriedName().c_str() : kNoElement);
}

// Moves the system pointer's display count, as the window system's call does.
void showCursorW(bool show) { ShowCursor(show ? TRUE : FALSE); }

using ScriptBinding::scriptCall;
const ScriptFunctionRegistration s_registrations[] = {
    {"add_mouse_element", scriptCall<&addMouseElement>},
    {"is_conn_elem_name", scriptCall<&isConnElemName>},
    {"set_mouse_element", scriptCall<&setMouseElement>},
    {"set_mouse_connected_character_pos", scriptCall<&setMouseConnectedCharacterPos>},
    {"fly_from_mouse_to_element", scriptCall<&flyFromMouseToElement>},
    {"switch_cursor_frame", scriptCall<&switchCursorFrame>},
    {"get_cursor_pos_y", scriptCall<&getCursorPosY>},
    {"print_connected_el", scriptCall<&printConnectedEl>},
    {"show_cursor_w", scriptCall<&showCursorW>},
};

}  // namespace
