#pragma once
// Internal to the script core: switching the current state while a coroutine runs.
#include <lua.hpp>

namespace script {

void setCurrentScriptState(lua_State* L);

}  // namespace script
