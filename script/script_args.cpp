#include "script/script_args.h"

#include <cmath>
#include <limits>

namespace ScriptBinding {

namespace {

struct Readers {
    bool (*boolean)(lua_State*, int);
    double (*number)(lua_State*, int);
    const char* (*string)(lua_State*, int);
    void* (*userdata)(lua_State*, int);
};

bool lenientBool(lua_State* L, int index) { return lua_toboolean(L, index) != 0; }
double lenientNumber(lua_State* L, int index) { return lua_tonumber(L, index); }
const char* lenientString(lua_State* L, int index) { return lua_tostring(L, index); }
void* lenientUserdata(lua_State* L, int index) { return lua_touserdata(L, index); }

bool strictBool(lua_State* L, int index) {
    if (!lua_isnoneornil(L, index) && !lua_isboolean(L, index)) luaL_typerror(L, index, "boolean");
    return lua_toboolean(L, index) != 0;
}
double strictNumber(lua_State* L, int index) { return luaL_checknumber(L, index); }
const char* strictString(lua_State* L, int index) { return luaL_checkstring(L, index); }
void* strictUserdata(lua_State* L, int index) {
    if (!lua_isnoneornil(L, index) && !lua_isuserdata(L, index)) luaL_typerror(L, index, "userdata");
    return lua_touserdata(L, index);
}

constexpr Readers kLenient{lenientBool, lenientNumber, lenientString, lenientUserdata};
constexpr Readers kStrict{strictBool, strictNumber, strictString, strictUserdata};

const Readers* g_readers = &kLenient;

}  // namespace

void setStrictArguments(bool strict) { g_readers = strict ? &kStrict : &kLenient; }
bool strictArguments() { return g_readers == &kStrict; }

int64_t truncateNumber(double value) {
    constexpr double kLimit = 9223372036854775808.0;  // 2^63
    if (std::isnan(value)) return 0;
    if (value >= kLimit) return std::numeric_limits<int64_t>::max();
    if (value <= -kLimit) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

bool getBoolArg(lua_State* L, int index) { return g_readers->boolean(L, index); }
double getNumberArg(lua_State* L, int index) { return g_readers->number(L, index); }

int getIntArg(lua_State* L, int index) {
    int64_t value = truncateNumber(getNumberArg(L, index));
    if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

char getCharArg(lua_State* L, int index) {
    return static_cast<char>(static_cast<uint8_t>(truncateNumber(getNumberArg(L, index))));
}
short getShortArg(lua_State* L, int index) {
    return static_cast<short>(static_cast<uint16_t>(truncateNumber(getNumberArg(L, index))));
}
uint32_t getUIntArg(lua_State* L, int index) {
    return static_cast<uint32_t>(truncateNumber(getNumberArg(L, index)));
}
float getFloatArg(lua_State* L, int index) {
    double value = getNumberArg(L, index);
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max())
        return value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}
const char* getStringArg(lua_State* L, int index) { return g_readers->string(L, index); }
void* getUserdataArg(lua_State* L, int index) { return g_readers->userdata(L, index); }

}  // namespace ScriptBinding
