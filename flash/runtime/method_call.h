#pragma once
// The game's and the sprites' ways to call a script method by name (the value form of
// call_method is declared with the call record).
#include <initializer_list>

#include "flash/base/bx_string.h"
#include "flash/runtime/as_function.h"

namespace flash {

class as_environment;
class as_object;

// printf-like call: %d pushes an int, %f a double, %s a narrow text and %ls a wide text; blanks,
// tabs and commas separate them. Returns the result's text, valid until the next call.
const char* call_method_parsed(as_environment* env, as_object* this_ptr, const char* method_name,
                               const char* method_arg_fmt, ...);

// Calls the method that method_name names (paths allowed) with args[0 .. nargs - 1] and returns
// the result's text.
bx_string call_method(as_environment* env, as_object* this_ptr, const char* method_name,
                      const as_value* args, int nargs);
// The same call, its value as it is (undefined without env or method).
as_value call_method_value(as_environment* env, as_object* this_ptr, const char* method_name,
                           const as_value* args, int nargs);

// Native code's call of a function value: this_value and the arguments in order, on a fresh
// environment of owner, so the caller builds no stack itself; the call's value (undefined for a
// value that is no function).
as_value call_with_args(engine_instance* owner, const as_value& function, const as_value& this_value,
                        const as_value* args, int nargs);
inline as_value call_with_args(engine_instance* owner, const as_value& function, const as_value& this_value,
                               std::initializer_list<as_value> args = {}) {
    return call_with_args(owner, function, this_value, args.begin(), static_cast<int>(args.size()));
}

}  // namespace flash
