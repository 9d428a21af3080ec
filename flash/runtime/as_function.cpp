#include "flash/runtime/as_function.h"

#include <cstdio>

#include "flash/base/log.h"
#include "flash/runtime/engine_instance.h"
#include "flash/runtime/as_environment.h"

namespace flash {

const as_value g_no_this_value;

as_value& fn_call::arg(int i) const {
    static thread_local as_value outside;
    if (!env) {
        outside.set_undefined();
        return outside;
    }
    return env->bottom(first_arg_index - i);
}

engine_instance* fn_call::get_player() const { return env ? env->get_player() : nullptr; }

root* fn_call::get_root() const { return env ? env->get_root() : nullptr; }

bool as_function::is(int class_id) const { return class_id == FUNCTION || class_id == OBJECT; }

const char* as_function::to_string() {
    static char buffer[50];
    std::snprintf(buffer, sizeof buffer, "<function 0x%s>", address_text(this).c_str());
    return buffer;
}

as_c_function::as_c_function(engine_instance* owner, as_c_function_ptr func)
    : as_function(owner), m_func(func) {
    m_members.set("prototype", as_value(new as_object(owner)));
}

bool as_c_function::is(int class_id) const {
    return class_id == C_FUNCTION || as_function::is(class_id);
}

void as_c_function::operator()(const fn_call& fn) {
    if (m_func) m_func(fn);
}

as_value call_method(const as_value& method, as_environment* env, const as_value& this_value,
                     int nargs, int first_arg_index) {
    as_function* func = method.to_function();
    if (!func) {
        if (get_verbose_action()) log_error("error in call_method(): method is not a function\n");
        return as_value();
    }
    // method may be a member slot the call overwrites.
    smart_ptr<as_object> keep(func);
    // The this value may be a stack slot, which pushes of the callee can move.
    const as_value this_copy(this_value);
    return call_function(func, env, this_copy, nargs, first_arg_index);
}

as_value call_function(as_function* func, as_environment* env, const as_value& this_value,
                       int nargs, int first_arg_index) {
    as_value result;
    fn_call fn(&result, this_value.to_object(), env, nargs, first_arg_index, &this_value);
    (*func)(fn);
    return result;
}

}  // namespace flash
