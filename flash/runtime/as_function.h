#pragma once
// Callable script objects and the call record every native and script function receives.
#include "flash/runtime/as_object.h"
#include "flash/runtime/as_value.h"

namespace flash {

class as_environment;
class engine_instance;
class root;

// The call record: the result slot, the this object and value, the environment whose stack holds
// the arguments, the argument count and the stack index of argument 0 (argument i sits at
// first_arg_index - i).
struct fn_call {
    as_value* result;
    as_object* this_object;
    const as_value* this_value;
    as_environment* env;
    int arg_count;
    int first_arg_index;

    fn_call(as_value* result_slot, as_object* this_obj, as_environment* environment, int nargs,
            int first_arg, const as_value* this_val = nullptr)
        : result(result_slot),
          this_object(this_obj),
          this_value(this_val),
          env(environment),
          arg_count(nargs),
          first_arg_index(first_arg) {}

    // Argument i; a position outside the environment's stack reads as a fresh undefined value.
    as_value& arg(int i) const;
    engine_instance* get_player() const;
    root* get_root() const;
};

class as_function : public as_object {
public:
    explicit as_function(engine_instance* owner) : as_object(owner) { add_kind(KIND_FUNCTION); }

    bool is(int class_id) const override;
    const char* type_of() override { return "function"; }
    const char* to_string() override;

    // Runs the function. The caller holds a reference to it for the whole call: the body may
    // drop every other one.
    virtual void operator()(const fn_call& fn) = 0;
};

// A native function of the engine or the game.
class as_c_function : public as_function {
public:
    static constexpr int cast_class_id = C_FUNCTION;

    as_c_function(engine_instance* owner, as_c_function_ptr func);

    bool is(int class_id) const override;
    void operator()(const fn_call& fn) override;

    as_c_function_ptr get_function() const { return m_func; }

private:
    as_c_function_ptr m_func;
};

// Makes obj an instance of the class ctor, as "new" does: its prototype copied from the
// constructor's, "__constructor__" set, and the constructor called on it without arguments.
void construct_instance(as_object* obj, as_function* ctor);

// Calls a function value with arguments the caller has already pushed; the caller owns the
// stack. A value that is not a function gives undefined.
as_value call_method(const as_value& method, as_environment* env, const as_value& this_value,
                     int nargs, int first_arg_index);
// The same for a function the caller already holds a reference to for the whole call, with a
// this value of the caller's own that the call cannot move or change (never a stack slot).
as_value call_function(as_function* func, as_environment* env, const as_value& this_value,
                       int nargs, int first_arg_index);
// The undefined this value of plain calls.
extern const as_value g_no_this_value;
// A plain call: no this object, the this value undefined. Inline: CallFunction makes it.
inline as_value call_function(as_function* func, as_environment* env, int nargs,
                              int first_arg_index) {
    as_value result;
    const fn_call fn(&result, nullptr, env, nargs, first_arg_index, &g_no_this_value);
    (*func)(fn);
    return result;
}

}  // namespace flash
