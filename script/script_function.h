#pragma once
// A handle on a named global script function, called from native code only when the function
// exists: bind by name, push the arguments, call protected, read the result, release.
//   script::Function<void> hook;
//   hook.bind("level1_ON_ENTER");
//   hook(level);            // nothing happens when the script has no such function
#include <string>
#include <type_traits>

#include "script/script_args.h"
#include "script/script_binding.h"
#include "script/script_core.h"

namespace script {

class FunctionHandle {
public:
    FunctionHandle() = default;
    FunctionHandle(const FunctionHandle&) = delete;
    FunctionHandle& operator=(const FunctionHandle&) = delete;
    virtual ~FunctionHandle();

    // Takes a reference to the global of that name; stays unbound for null or a nil global.
    virtual void bind(const char* name);
    virtual void release();

    bool isBound() const;
    int ref() const { return m_ref; }

protected:
    // Pushes the function and the arguments onto the current state; false when unbound.
    template <class... Args>
    bool pushCall(Args&&... args) const {
        if (!isBound()) return false;
        lua_State* L = currentScriptState();
        if (!lua_checkstack(L, static_cast<int>(sizeof...(Args)) + 1)) return false;
        ScriptBinding::pushRef(m_ref);
        (pushArgument(L, std::forward<Args>(args)), ...);
        return true;
    }

    static void pushArgument(lua_State* L, bool value) { ScriptBinding::pushBool(L, value); }
    static void pushArgument(lua_State* L, int value) { ScriptBinding::pushInt(L, value); }
    static void pushArgument(lua_State* L, double value) { ScriptBinding::pushNumber(L, value); }
    static void pushArgument(lua_State* L, float value) { ScriptBinding::pushNumber(L, value); }
    static void pushArgument(lua_State* L, const char* value) { ScriptBinding::pushString(L, value); }
    static void pushArgument(lua_State* L, const std::string& value) {
        lua_pushlstring(L, value.data(), value.size());
    }
    // A bound class's object goes as a handle (nil for null).
    template <class T>
    static void pushArgument(lua_State* L, T* object) {
        ScriptBinding::push(L, object);
    }

private:
    int m_ref = -1;
    unsigned m_generation = 0;
};

template <class R>
class Function;

template <>
class Function<void> : public FunctionHandle {
public:
    // Status 0 on success, also when the function is not bound (nothing runs then).
    template <class... Args>
    int operator()(Args&&... args) const {
        if (!pushCall(std::forward<Args>(args)...)) return 0;
        return ScriptBinding::callAndClear(static_cast<int>(sizeof...(Args)));
    }
};

template <>
class Function<int> : public FunctionHandle {
public:
    // True when the function ran; `result` is its result as an integer (0 when not a number).
    template <class... Args>
    bool call(int& result, Args&&... args) const {
        result = 0;
        if (!pushCall(std::forward<Args>(args)...)) return false;
        lua_State* L = currentScriptState();
        int base = lua_gettop(L) - static_cast<int>(sizeof...(Args)) - 1;
        bool ran = ScriptBinding::callFunction(static_cast<int>(sizeof...(Args))) == 0;
        if (ran) result = static_cast<int>(ScriptBinding::truncateNumber(lua_tonumber(L, -1)));
        lua_settop(L, base);
        return ran;
    }
};

}  // namespace script
