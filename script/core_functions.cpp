// The general-purpose script functions of the script core.
#include <lua.hpp>

#include "script/internal/object_header.h"
#include "script/script_args.h"
#include "script/script_core.h"
#include "script/script_registry.h"

namespace {

// The file compileScriptFile runs when it is given none.
constexpr const char* kDefaultScriptFile = "SomeFile";

int isNull(lua_State* L) {
    ScriptBinding::pushBool(L, lua_type(L, 1) != LUA_TUSERDATA);
    return 1;
}

// No script-class types are registered, so nothing can be imported.
int importClass(lua_State* L) {
    ScriptBinding::getStringArg(L, 1);
    ScriptBinding::getStringArg(L, 2);
    ScriptBinding::pushBool(L, false);
    return 1;
}

int enableScriptTypeCheck(lua_State* L) {
    ScriptBinding::setStrictArguments(ScriptBinding::getBoolArg(L, 1));
    return 0;
}

int alert(lua_State* L) {
    const char* text = ScriptBinding::getStringArg(L, 1);
    reportScriptError(text ? text : "");
    return 0;
}

// Deliberately unchecked: an undefined name is reported as Lua's call of nil.
int callFuncByName(lua_State* L) {
    const char* name = ScriptBinding::getStringArg(L, 1);
    int top = lua_gettop(L);
    if (name) {
        lua_pushstring(L, name);
        lua_rawget(L, LUA_GLOBALSINDEX);
    } else {
        lua_pushnil(L);
    }
    if (lua_pcall(L, 0, 1, 0) != 0) {
        const char* text = lua_tostring(L, -1);
        reportScriptError(text ? text : "(error object is not a string)");
    }
    lua_settop(L, top);
    return 0;
}

int compileScriptFile(lua_State* L) {
    const char* name = ScriptBinding::getStringArg(L, 1);
    int result = script::runFile(L, name ? name : kDefaultScriptFile);
    ScriptBinding::pushInt(L, result == kScriptOk ? 1 : 0);
    return 1;
}

int recompileScriptFiles(lua_State* L) {
    ScriptBinding::pushInt(L, recompileAllScriptFiles() ? 1 : 0);
    return 1;
}

int execString(lua_State* L) {
    size_t length = 0;
    const char* text = ScriptBinding::getStringArg(L, 1);
    if (text) lua_tolstring(L, 1, &length);
    // An empty text is an empty chunk (length 0 would mean NUL-terminated).
    int result = text && length == 0 ? kScriptOk : script::runBuffer(L, text, length, text);
    ScriptBinding::pushInt(L, result);
    return 1;
}

int printTable(lua_State* L) {
    if (lua_type(L, 1) == LUA_TTABLE) dumpScriptTable(L, 1);
    return 0;
}

const ScriptFunctionRegistration kFunctions[] = {
    {"isNull", isNull},
    {"import_class", importClass},
    {"enableScriptTypeCheck", enableScriptTypeCheck},
    {"_ALERT", alert},
    {"callFuncByName", callFuncByName},
    {"compileScriptFile", compileScriptFile},
    {"recompileScriptFiles", recompileScriptFiles},
    {"exec_string", execString},
    {"printTable", printTable},
};

}  // namespace
