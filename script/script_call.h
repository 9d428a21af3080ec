#pragma once
// The one adapter that turns a native function into a script global: it reads arguments 1 to n
// with the reader of each parameter's type, calls the function and pushes its result (when it
// has one), answering the number of results pushed. Every game function is then written as a
// plain C++ function and registered as
//   const ScriptFunctionRegistration s_reg("set_clip_pos", ScriptBinding::scriptCall<&setClipPos>);
//
// Parameter types: bool, int, float, double, std::string (const reference or value; an absent
// text reads as ""), Vec2 (absent: (0, 0)), and pointers to bound classes (rgba*, BaseLevel*, ...;
// absent: null). Numbers that are not finite read as 0, so no NaN or infinity from a script
// reaches a matrix, a colour transform or a volume.
// Result types: void (nothing pushed), bool, int, float, double, std::string,
// std::optional<std::string> (nil when empty), Vec2 (an owned copy) and pointers to bound
// classes (nil for null).
//
// Every argument is read before anything with a destructor is made: with the strict readers a
// wrong type raises a script error, which leaves the native frame without unwinding it.
#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "script/script_args.h"
#include "script/script_binding.h"
#include "script/value_types.h"

namespace ScriptBinding {

// A number from a script as the game may use it: non-finite values become 0.
inline double finiteOrZero(double value) { return std::isfinite(value) ? value : 0.0; }
inline float finiteOrZero(float value) { return std::isfinite(value) ? value : 0.0f; }

namespace call_detail {

// A text argument held as the script's own string until the call: converts to std::string then.
struct TextArg {
    const char* text;
    operator std::string() const { return text ? std::string(text) : std::string(); }
};

template <class T, class = void>
struct HasScriptClass : std::false_type {};
template <class T>
struct HasScriptClass<T, std::void_t<decltype(T::scriptClass())>> : std::true_type {};

template <class T>
struct Arg {
    static_assert(sizeof(T) == 0, "no script reader for this parameter type");
};
template <>
struct Arg<bool> {
    using Held = bool;
    static Held read(lua_State* L, int index) { return getBoolArg(L, index); }
};
template <>
struct Arg<int> {
    using Held = int;
    static Held read(lua_State* L, int index) { return getIntArg(L, index); }
};
template <>
struct Arg<float> {
    using Held = float;
    static Held read(lua_State* L, int index) { return finiteOrZero(getFloatArg(L, index)); }
};
template <>
struct Arg<double> {
    using Held = double;
    static Held read(lua_State* L, int index) { return finiteOrZero(getNumberArg(L, index)); }
};
template <>
struct Arg<std::string> {
    using Held = TextArg;
    static Held read(lua_State* L, int index) { return TextArg{getStringArg(L, index)}; }
};
template <>
struct Arg<Vec2> {
    using Held = Vec2;
    static Held read(lua_State* L, int index) {
        const Vec2* v = getArg<Vec2>(L, index);
        if (!v) return Vec2{};
        return Vec2{finiteOrZero(v->x), finiteOrZero(v->y)};
    }
};
template <class T>
struct Arg<T*> {
    static_assert(HasScriptClass<T>::value, "pointer parameters must be bound classes");
    using Held = T*;
    static Held read(lua_State* L, int index) { return getArg<T>(L, index); }
};

template <class R>
struct Result {
    static_assert(sizeof(R) == 0, "no script pusher for this result type");
};
template <>
struct Result<bool> {
    static void push(lua_State* L, bool value) { pushBool(L, value); }
};
template <>
struct Result<int> {
    static void push(lua_State* L, int value) { pushInt(L, value); }
};
template <>
struct Result<float> {
    static void push(lua_State* L, float value) { pushNumber(L, value); }
};
template <>
struct Result<double> {
    static void push(lua_State* L, double value) { pushNumber(L, value); }
};
template <>
struct Result<std::string> {
    static void push(lua_State* L, const std::string& value) { lua_pushlstring(L, value.data(), value.size()); }
};
template <>
struct Result<std::optional<std::string>> {
    static void push(lua_State* L, const std::optional<std::string>& value) {
        if (value)
            lua_pushlstring(L, value->data(), value->size());
        else
            lua_pushnil(L);
    }
};
template <>
struct Result<Vec2> {
    static void push(lua_State* L, const Vec2& value) { pushCopy(L, value); }
};
template <class T>
struct Result<T*> {
    static_assert(HasScriptClass<T>::value, "pointer results must be bound classes");
    static void push(lua_State* L, T* value) { ScriptBinding::push<T>(L, value); }
};

template <class P>
using ArgOf = Arg<std::remove_cv_t<std::remove_reference_t<P>>>;

template <class R, class... P, std::size_t... I>
int invoke(lua_State* L, R (*function)(P...), std::index_sequence<I...>) {
    // Braced initialisation reads the arguments in order, 1 to n.
    std::tuple<typename ArgOf<P>::Held...> held{ArgOf<P>::read(L, static_cast<int>(I) + 1)...};
    (void)held;
    if constexpr (std::is_void_v<R>) {
        function(std::get<I>(held)...);
        return 0;
    } else {
        Result<std::remove_cv_t<R>>::push(L, function(std::get<I>(held)...));
        return 1;
    }
}

template <class R, class... P>
int invoke(lua_State* L, R (*function)(P...)) {
    return invoke(L, function, std::index_sequence_for<P...>{});
}

}  // namespace call_detail

// The script entry of `Function` (a plain function).
template <auto Function>
int scriptCall(lua_State* L) {
    return call_detail::invoke(L, Function);
}

}  // namespace ScriptBinding
