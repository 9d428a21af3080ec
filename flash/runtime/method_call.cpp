#include "flash/runtime/method_call.h"

#include <cstdarg>
#include <cwchar>

#include "flash/base/log.h"
#include "flash/runtime/as_environment.h"

namespace flash {

const char* call_method_parsed(as_environment* env, as_object* this_ptr, const char* method_name,
                               const char* method_arg_fmt, ...) {
    static bx_string s_result_text;
    bx_string* s_result = &s_result_text;
    if (!env || !method_name) {
        *s_result = "undefined";
        return s_result->c_str();
    }
    const char* fmt = method_arg_fmt ? method_arg_fmt : "";
    const int start_size = env->get_stack_size();

    va_list args;
    va_start(args, method_arg_fmt);
    for (const char* p = fmt; *p; ++p) {
        const char c = *p;
        if (c == '%') {
            const char letter = p[1];
            if (letter == 0) {
                log_error("call_method_parsed('%s','%s') -- invalid fmt '%%%c'\n", method_name,
                          fmt, letter);
                break;
            }
            ++p;
            if (letter == 'd') {
                env->push(as_value(va_arg(args, int)));
            } else if (letter == 'f') {
                env->push(as_value(va_arg(args, double)));
            } else if (letter == 's') {
                env->push(as_value(va_arg(args, const char*)));
            } else if (letter == 'l') {
                const char next = p[1];
                if (next == 's') {
                    ++p;
                    env->push(as_value(va_arg(args, const wchar_t*)));
                } else {
                    log_error("call_method_parsed('%s','%s') -- invalid fmt '%%l%c'\n",
                              method_name, fmt, next);
                    if (next) ++p;
                }
            } else {
                log_error("call_method_parsed('%s','%s') -- invalid fmt '%%%c'\n", method_name, fmt,
                          letter);
            }
        } else if (c != ' ' && c != '\t' && c != ',') {
            log_error("call_method_parsed('%s','%s') -- invalid char '%c'\n", method_name, fmt, c);
        }
    }
    va_end(args);

    // The first format argument becomes argument 0, on top of the stack.
    const int nargs = env->get_stack_size() - start_size;
    for (int i = 0; i < nargs / 2; ++i) {
        as_value& a = env->bottom(start_size + i);
        as_value& b = env->bottom(start_size + nargs - 1 - i);
        const as_value t(a);
        a = b;
        b = t;
    }

    const as_value method = env->get_variable(method_name);
    const as_value result =
        call_method(method, env, as_value(this_ptr), nargs, env->get_top_index());
    env->set_stack_size(start_size);
    *s_result = result.to_bx_string();
    return s_result->c_str();
}

bx_string call_method(as_environment* env, as_object* this_ptr, const char* method_name,
                      const as_value* args, int nargs) {
    return call_method_value(env, this_ptr, method_name, args, nargs).to_bx_string();
}

as_value call_method_value(as_environment* env, as_object* this_ptr, const char* method_name,
                           const as_value* args, int nargs) {
    if (!env || !method_name) return as_value();
    if (!args || nargs < 0) nargs = 0;
    const int start_size = env->get_stack_size();
    for (int i = nargs - 1; i >= 0; --i) env->push(args[i]);
    const as_value method = env->get_variable(method_name);
    const as_value result =
        call_method(method, env, as_value(this_ptr), nargs, env->get_top_index());
    env->set_stack_size(start_size);
    return result;
}

as_value call_with_args(engine_instance* owner, const as_value& function, const as_value& this_value,
                        const as_value* args, int nargs) {
    if (!args || nargs < 0) nargs = 0;
    as_environment env(owner);
    // Argument 0 ends on top of the stack.
    for (int i = nargs - 1; i >= 0; --i) env.push(args[i]);
    return call_method(function, &env, this_value, nargs, env.get_top_index());
}

}  // namespace flash
