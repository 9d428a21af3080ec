#pragma once
// The script fuzz programs (script_fuzz.cpp) as a host runs them on a live state of its own.
#include <cstddef>
#include <cstdint>
#include <lua.hpp>

class ScriptTimerManager;

namespace scriptfuzz {

// The programs' value pool has slots 1 to this.
constexpr int kPoolSize = 32;

// A step of the host's own, chosen by a byte of the program.
using HostStep = void (*)(lua_State* L, uint8_t choice);

// Pops the value on top of the stack into a pool slot (1 to kPoolSize).
void setPoolSlot(lua_State* L, int slot);

// Runs the program on L, with the host's steps among the others (none when null); the timers are
// emptied and the pool dropped at its end.
void runProgram(lua_State* L, ScriptTimerManager& timers, const uint8_t* data, size_t size, HostStep host);

}  // namespace scriptfuzz
