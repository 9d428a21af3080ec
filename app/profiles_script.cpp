// The script class "Profiles" (the current profile's free-form keys) and the function "profile".
#include <lua.hpp>

#include "app/profiles.h"
#include "script/script_args.h"
#include "script/script_binding.h"
#include "script/script_registry.h"

namespace {

using ScriptBinding::ClassDescriptor;

// get(key): the key's value, or nil when the current profile has no file.
int profileGet(lua_State* L) {
    Profiles* profiles = ScriptBinding::getArg<Profiles>(L, 1);
    const char* key = ScriptBinding::getStringArg(L, 2);
    if (!profiles || !key) return lua_pushnil(L), 1;
    const std::optional<std::string> value = profiles->getKey(key);
    if (!value) return lua_pushnil(L), 1;
    lua_pushlstring(L, value->data(), value->size());
    return 1;
}

// set(key, value): writes the key into the current profile's file.
int profileSet(lua_State* L) {
    Profiles* profiles = ScriptBinding::getArg<Profiles>(L, 1);
    const char* key = ScriptBinding::getStringArg(L, 2);
    const char* value = ScriptBinding::getStringArg(L, 3);
    if (profiles && key) profiles->setKey(key, value ? value : "");
    return 0;
}

// profile(): the one Profiles object, by reference.
int profileObject(lua_State* L) {
    ScriptBinding::push(L, Profiles::instance());
    return 1;
}

void describeProfiles(ClassDescriptor* cls) {
    ScriptBinding::addMethod(cls, "get", profileGet);
    ScriptBinding::addMethod(cls, "set", profileSet);
}

const ScriptFunctionRegistration kFunctions[] = {{"profile", profileObject}};

}  // namespace

ClassDescriptor* Profiles::scriptClass() {
    static ClassDescriptor cls;
    static ClassDescriptor* registered = [] {
        registerClass(&cls, "Profiles", nullptr, 0, sizeof(Profiles), nullptr);
        describeProfiles(&cls);
        return &cls;
    }();
    return registered;
}
