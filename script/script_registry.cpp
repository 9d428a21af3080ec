#include "script/script_registry.h"

namespace {

std::vector<ScriptFunctionEntry>& functions() {
    static std::vector<ScriptFunctionEntry> table;
    return table;
}

std::vector<ScriptConstantEntry>& constants() {
    static std::vector<ScriptConstantEntry> table;
    return table;
}

}  // namespace

void addScriptFunction(const char* name, lua_CFunction function) {
    if (name && function) functions().push_back({name, function});
}

void addScriptConstant(const char* name, double value) {
    if (name) constants().push_back({name, value});
}

const std::vector<ScriptFunctionEntry>& scriptFunctions() { return functions(); }
const std::vector<ScriptConstantEntry>& scriptConstants() { return constants(); }

void registerScriptFunctions(lua_State* L) {
    for (const ScriptFunctionEntry& entry : functions()) {
        lua_pushcfunction(L, entry.function);
        lua_setfield(L, LUA_GLOBALSINDEX, entry.name);
    }
}

void registerScriptConstants(lua_State* L) {
    for (const ScriptConstantEntry& entry : constants()) {
        lua_pushnumber(L, entry.value);
        lua_setfield(L, LUA_GLOBALSINDEX, entry.name);
    }
}
