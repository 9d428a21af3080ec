#pragma once
// Argument readers and pushers shared by every native function the scripts call. All typed
// readers go through four replaceable readers (boolean, number, string, userdata), so one switch
// changes the checking of every native function: the lenient set (at start) reads a wrong type as
// false, 0 or null, the strict set raises Lua's argument error instead. Functions read the state
// they are called with, so calls inside coroutines read their own stack.
#include <cstdint>
#include <lua.hpp>

namespace ScriptBinding {

// Installs the strict readers (true) or the lenient ones (false).
void setStrictArguments(bool strict);
bool strictArguments();

bool getBoolArg(lua_State* L, int index);
double getNumberArg(lua_State* L, int index);
// Truncated toward zero; beyond the int range the nearest int, NaN gives 0.
int getIntArg(lua_State* L, int index);
// Truncated toward zero, then the low 8, 16 or 32 bits.
char getCharArg(lua_State* L, int index);
short getShortArg(lua_State* L, int index);
uint32_t getUIntArg(lua_State* L, int index);
// The number in single precision; beyond the float range it becomes an infinity.
float getFloatArg(lua_State* L, int index);
const char* getStringArg(lua_State* L, int index);
void* getUserdataArg(lua_State* L, int index);

// A number truncated toward zero into 64 bits without undefined behaviour: NaN gives 0, values
// beyond the range the nearest end.
int64_t truncateNumber(double value);

inline void pushBool(lua_State* L, bool value) { lua_pushboolean(L, value ? 1 : 0); }
inline void pushNumber(lua_State* L, double value) { lua_pushnumber(L, value); }
inline void pushInt(lua_State* L, int value) { lua_pushnumber(L, value); }
inline void pushUInt(lua_State* L, uint32_t value) { lua_pushnumber(L, value); }
// Null pushes nil.
inline void pushString(lua_State* L, const char* text) {
    if (text)
        lua_pushstring(L, text);
    else
        lua_pushnil(L);
}
inline void pushLightUserdata(lua_State* L, void* pointer) { lua_pushlightuserdata(L, pointer); }
inline void pushThread(lua_State* L) { lua_pushthread(L); }

}  // namespace ScriptBinding
