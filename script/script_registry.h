#pragma once
// The tables of native functions and numeric constants that become script globals when the state
// starts. Every area of the game fills them from static initialisers:
//   static const ScriptFunctionRegistration s_reg("add_timer", &addTimerEntry);
#include <lua.hpp>
#include <string>
#include <vector>

struct ScriptFunctionEntry {
    const char* name;
    lua_CFunction function;
};

struct ScriptConstantEntry {
    const char* name;
    double value;
};

void addScriptFunction(const char* name, lua_CFunction function);
void addScriptConstant(const char* name, double value);

// In registration order.
const std::vector<ScriptFunctionEntry>& scriptFunctions();
const std::vector<ScriptConstantEntry>& scriptConstants();

// Sets each entry as a global; a later entry of a name replaces an earlier one.
void registerScriptFunctions(lua_State* L);
void registerScriptConstants(lua_State* L);

struct ScriptFunctionRegistration {
    ScriptFunctionRegistration(const char* name, lua_CFunction function) {
        addScriptFunction(name, function);
    }
};

struct ScriptConstantRegistration {
    ScriptConstantRegistration(const char* name, double value) { addScriptConstant(name, value); }
};
