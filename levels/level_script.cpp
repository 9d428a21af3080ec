// The script class "BaseLevel".
#include <lua.hpp>

#include "levels/base_element.h"
#include "levels/base_level.h"
#include "script/script_args.h"
#include "script/script_binding.h"

namespace {

using ScriptBinding::ClassDescriptor;

BaseLevel* levelArg(lua_State* L) { return ScriptBinding::getArg<BaseLevel>(L, 1); }

std::string textArg(lua_State* L, int index) {
    const char* text = ScriptBinding::getStringArg(L, index);
    return text ? text : "";
}

void pushText(lua_State* L, const std::string& text) { lua_pushlstring(L, text.data(), text.size()); }

int levelGetElementByName(lua_State* L) {
    BaseLevel* level = levelArg(L);
    const char* name = ScriptBinding::getStringArg(L, 2);
    ScriptBinding::push(L, level && name ? level->getElementByName(name) : static_cast<BaseElement*>(nullptr));
    return 1;
}

// setScriptOnFade(level, text, id): ids other than 0 and 1 are refused.
int levelSetScriptOnFade(lua_State* L) {
    if (BaseLevel* level = levelArg(L)) level->setFadeScript(ScriptBinding::getIntArg(L, 3), textArg(L, 2));
    return 0;
}

int levelScale(lua_State* L) {
    if (BaseLevel* level = levelArg(L))
        level->scale(ScriptBinding::getFloatArg(L, 2), ScriptBinding::getFloatArg(L, 3),
                     ScriptBinding::getFloatArg(L, 4));
    return 0;
}

int levelScaleAtTime(lua_State* L) {
    if (BaseLevel* level = levelArg(L))
        level->scaleAtTime(ScriptBinding::getFloatArg(L, 2), ScriptBinding::getFloatArg(L, 3),
                           ScriptBinding::getFloatArg(L, 4), ScriptBinding::getFloatArg(L, 5));
    return 0;
}

// setWinEffect(level, name): nil or empty means a win without effect and timers.
int levelSetWinEffect(lua_State* L) {
    if (BaseLevel* level = levelArg(L)) level->setWinEffect(textArg(L, 2));
    return 0;
}

int levelGetWinEffect(lua_State* L) {
    BaseLevel* level = levelArg(L);
    if (!level) return lua_pushnil(L), 1;
    pushText(L, level->getWinEffect());
    return 1;
}

int levelGetName(lua_State* L) {
    BaseLevel* level = levelArg(L);
    if (!level) return lua_pushnil(L), 1;
    pushText(L, level->getName());
    return 1;
}

void describeLevel(ClassDescriptor* cls) {
    ScriptBinding::addMethod(cls, "getElementByName", levelGetElementByName);
    ScriptBinding::addMethod(cls, "setScriptOnFade", levelSetScriptOnFade);
    ScriptBinding::addMethod(cls, "scale", levelScale);
    ScriptBinding::addMethod(cls, "scaleAtTime", levelScaleAtTime);
    ScriptBinding::addMethod(cls, "setWinEffect", levelSetWinEffect);
    ScriptBinding::addMethod(cls, "getWinEffect", levelGetWinEffect);
    ScriptBinding::addMethod(cls, "getName", levelGetName);
}

// The class joins the registry before the state starts.
const ClassDescriptor* const kClasses[] = {BaseLevel::scriptClass()};

}  // namespace

ClassDescriptor* BaseLevel::scriptClass() {
    static ClassDescriptor cls;
    static ClassDescriptor* registered = [] {
        // The drawable base sits at the start of a level, so its methods take the same pointer.
        ScriptBinding::registerClass(&cls, "BaseLevel", BaseRender::scriptClass(), 0, sizeof(BaseLevel), nullptr);
        describeLevel(&cls);
        return &cls;
    }();
    return registered;
}
