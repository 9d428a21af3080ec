// The script class "MouseCursor" (base "BaseRender") and the functions "getMouse" and "mouse".
#include <lua.hpp>

#include "app/mouse_cursor.h"
#include "core/log_stream.h"
#include "flash/runtime/character.h"
#include "script/script_args.h"
#include "script/script_binding.h"
#include "script/script_registry.h"
#include "script/value_types.h"

namespace {

using ScriptBinding::ClassDescriptor;

MouseCursor* cursorArg(lua_State* L) { return ScriptBinding::getArg<MouseCursor>(L, 1); }

// setConnElem(element, force): nil gives the carried element back; anything else that is no
// element (another class, a handle whose element is gone) is refused.
int cursorSetConnElem(lua_State* L) {
    MouseCursor* cursor = cursorArg(L);
    if (!cursor) return 0;
    const bool force = lua_toboolean(L, 3) != 0;
    if (lua_isnoneornil(L, 2)) {
        cursor->setConnectedElement(nullptr, force);
        return 0;
    }
    app::CarriedElementReader reader = app::carriedElementReader();
    app::CarriedElement* element = reader ? reader(L, 2) : nullptr;
    if (!element) {
        Tov::LogLine("ERROR") << "MouseCursor::setConnElem"
                              << (ScriptBinding::isStaleHandle(L, 2) ? ": the element is gone" : ": no element given");
        return 0;
    }
    cursor->setConnectedElement(element, force);
    return 0;
}

int cursorGetConnElem(lua_State* L) {
    MouseCursor* cursor = cursorArg(L);
    app::CarriedElement* element = cursor ? cursor->connectedElement() : nullptr;
    if (element)
        element->pushScriptObject(L);
    else
        lua_pushnil(L);
    return 1;
}

int cursorShowConnElem(lua_State* L) {
    if (MouseCursor* cursor = cursorArg(L)) cursor->showConnected(lua_toboolean(L, 2) != 0);
    return 0;
}

int cursorGetPos(lua_State* L) {
    MouseCursor* cursor = cursorArg(L);
    Vec2 position;
    if (cursor) position = Vec2{static_cast<float>(cursor->x()), static_cast<float>(cursor->y())};
    ScriptBinding::pushCopy(L, position);
    return 1;
}

int cursorGetConnectedName(lua_State* L) {
    MouseCursor* cursor = cursorArg(L);
    const std::string name = cursor ? cursor->connectedName() : std::string();
    lua_pushlstring(L, name.data(), name.size());
    return 1;
}

int cursorSetCursorVisible(lua_State* L) {
    MouseCursor* cursor = cursorArg(L);
    if (flash::character* clip = cursor ? cursor->cursorClip() : nullptr) clip->set_visible(lua_toboolean(L, 2) != 0);
    return 0;
}

int cursorOnOverItem(lua_State* L) {
    if (MouseCursor* cursor = cursorArg(L)) cursor->setOverBlocked(lua_toboolean(L, 2) != 0);
    return 0;
}

int cursorOverElement(lua_State* L) {
    MouseCursor* cursor = cursorArg(L);
    const char* label = ScriptBinding::getStringArg(L, 2);
    if (cursor && label) cursor->gotoLabel(label);
    return 0;
}

// getMouse() and mouse(): the one cursor, by reference (nil while there is none).
int cursorObject(lua_State* L) {
    ScriptBinding::push(L, MouseCursor::instance());
    return 1;
}

void describeMouseCursor(ClassDescriptor* cls) {
    ScriptBinding::addMethod(cls, "setConnElem", cursorSetConnElem);
    ScriptBinding::addMethod(cls, "getConnElem", cursorGetConnElem);
    ScriptBinding::addMethod(cls, "showConnElem", cursorShowConnElem);
    ScriptBinding::addMethod(cls, "getPos", cursorGetPos);
    ScriptBinding::addMethod(cls, "getConnectedName", cursorGetConnectedName);
    ScriptBinding::addMethod(cls, "setCursorVisible", cursorSetCursorVisible);
    ScriptBinding::addMethod(cls, "onOverItem", cursorOnOverItem);
    ScriptBinding::addMethod(cls, "overElement", cursorOverElement);
}

const ScriptFunctionRegistration kGetMouse("getMouse", cursorObject);
const ScriptFunctionRegistration kMouse("mouse", cursorObject);

// The object size scripts see for a cursor handle.
constexpr uint32_t kScriptObjectSize = 180;

}  // namespace

ClassDescriptor* MouseCursor::scriptClass() {
    static ClassDescriptor cls;
    static ClassDescriptor* registered = [] {
        ScriptBinding::registerClass(&cls, "MouseCursor", BaseRender::scriptClass(), 0, kScriptObjectSize,
                                     &ScriptBinding::allocateCopy);
        describeMouseCursor(&cls);
        return &cls;
    }();
    return registered;
}
