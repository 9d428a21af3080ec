// Printing a table's fields to the console (printTable).
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>

#include "script/console_sink.h"
#include "script/script_core.h"

namespace {

// Key texts are cut to this many characters.
constexpr size_t kMaxKeyText = 255;
// Nesting deeper than this prints the key alone; it bounds the native recursion.
constexpr int kMaxDepth = 32;
// Each level keeps a key, a value and a copy on the stack.
constexpr int kStackPerLevel = 4;

const char* const kSkippedKeys[] = {"package", "string", "wstring", "io",        "os",
                                    "debug",   "math",   "table",   "coroutine", "_G"};

bool skipped(const std::string& key) {
    for (const char* name : kSkippedKeys) {
        if (key == name) return true;
    }
    return false;
}

// False for keys that are neither numbers nor strings.
bool keyText(lua_State* L, int index, std::string& text) {
    if (lua_type(L, index) == LUA_TNUMBER) {
        char buffer[kMaxKeyText + 1];
        std::snprintf(buffer, sizeof buffer, "%.4f", lua_tonumber(L, index));
        text = buffer;
        return true;
    }
    if (lua_type(L, index) != LUA_TSTRING) return false;
    size_t length = 0;
    const char* bytes = lua_tolstring(L, index, &length);
    text.assign(bytes, length < kMaxKeyText ? length : kMaxKeyText);
    return true;
}

void dumpLevel(lua_State* L, int table, int depth, std::unordered_set<const void*>& seen) {
    if (!lua_checkstack(L, kStackPerLevel)) return;
    lua_pushnil(L);
    while (lua_next(L, table)) {
        std::string key;
        if (keyText(L, -2, key) && !skipped(key)) {
            std::string line = key;
            switch (lua_type(L, -1)) {
                case LUA_TBOOLEAN:
                    line += lua_toboolean(L, -1) ? "=true;" : "=false;";
                    break;
                case LUA_TNUMBER: {
                    lua_pushvalue(L, -1);
                    line += "=";
                    line += lua_tostring(L, -1);
                    line += ";";
                    lua_pop(L, 1);
                    break;
                }
                case LUA_TSTRING: {
                    size_t length = 0;
                    const char* text = lua_tolstring(L, -1, &length);
                    line += "=\"";
                    line.append(text, length);
                    line += "\";";
                    break;
                }
                default:
                    break;
            }
            bool nested = lua_type(L, -1) == LUA_TTABLE && depth < kMaxDepth &&
                          seen.insert(lua_topointer(L, -1)).second;
            if (nested) {
                line += "={";
                script::consolePrint(line.c_str());
                dumpLevel(L, lua_gettop(L), depth + 1, seen);
                script::consolePrint("}");
                script::consolePrint("");
            } else {
                script::consolePrint(line.c_str());
            }
        }
        lua_pop(L, 1);
    }
}

}  // namespace

void dumpScriptTable(lua_State* L, int index) {
    if (!L || lua_type(L, index) != LUA_TTABLE) return;
    if (index < 0 && index > LUA_REGISTRYINDEX) index = lua_gettop(L) + index + 1;
    std::unordered_set<const void*> seen{lua_topointer(L, index)};
    dumpLevel(L, index, 0, seen);
}
