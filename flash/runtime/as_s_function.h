#pragma once
// Functions defined by action code (DefineFunction and DefineFunction2): the body's place in an
// action buffer, the with stack in force where it was defined, its argument specs and, for
// DefineFunction2, the local register count and the preload and suppress flags.
#include <cstdint>

#include "flash/base/array.h"
#include "flash/base/bx_string.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/action_buffer.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/as_function.h"

namespace flash {

class as_s_function : public as_function {
public:
    static constexpr int cast_class_id = S_FUNCTION;

    // DefineFunction2 flag bits; registers are assigned in this order, from register 1.
    enum function2_flag {
        PRELOAD_THIS = 0x0001,
        SUPPRESS_THIS = 0x0002,
        PRELOAD_ARGUMENTS = 0x0004,
        SUPPRESS_ARGUMENTS = 0x0008,
        PRELOAD_SUPER = 0x0010,
        SUPPRESS_SUPER = 0x0020,
        PRELOAD_ROOT = 0x0040,
        PRELOAD_PARENT = 0x0080,
        PRELOAD_GLOBAL = 0x0100,
    };

    struct arg_spec {
        int m_register = 0;  // 0: the argument is a named local
        bx_string m_name;
    };

    as_s_function(engine_instance* owner, const action_buffer& buffer, int start_pc,
                  const array<with_scope>& with_stack);
    ~as_s_function() override;

    bool is(int class_id) const override;
    void operator()(const fn_call& fn) override;
    // The with stack of its definition holds its objects.
    void mark_references() override;
    int get_held_count() const override { return m_with_stack.size(); }
    as_object* get_held(int i) const override { return m_with_stack[i].object.get_ptr(); }
    void drop_held(int i) override { m_with_stack[i].object = nullptr; }
    // The call operator for a record without a this object whose arguments lie on caller's
    // stack from index first_arg down, the body a plain one (not DefineFunction2): what
    // CallFunction asks, without a record made.
    void call_without_this(as_environment* caller, int arg_count, int first_arg,
                           as_value* result);

    // The definition code fills these.
    void set_length(int length) { m_length = length; }
    void add_arg(int reg, const bx_string& name);
    void set_is_function2(bool on) { m_is_function2 = on; }
    void set_local_register_count(uint8_t count) { m_local_register_count = count; }
    void set_function2_flags(uint16_t flags) { m_function2_flags = flags; }
    void set_target(as_object* target) { m_target = target; }

    const action_buffer& get_action_buffer() const { return m_action_buffer; }
    int get_start_pc() const { return m_start_pc; }
    int get_length() const { return m_length; }
    const array<arg_spec>& get_args() const { return m_args; }
    bool is_function2() const { return m_is_function2; }

private:
    // The locals a call declares itself, as bits of the argument names that match them.
    enum own_local { DECLARES_THIS = 1, DECLARES_SUPER = 2, DECLARES_ARGUMENTS = 4 };
    // Whether an argument (a local one, for DefineFunction2) has the name of the own local
    // declares stands for.
    bool has_argument_named_like(int declares) const {
        return ((m_is_function2 ? m_local_args_named_like_locals : m_args_named_like_locals) &
                declares) != 0;
    }
    void set_own_local(as_environment* env, const bx_string& name, int declares,
                       as_value&& value) const;
    void set_own_local(as_environment* env, const bx_string& name, int declares,
                       as_object* object) const;
    as_environment* environment_for(as_environment* env) const;
    int named_argument_count(int arg_count) const;
    template <class arg_reader>
    void add_plain_locals(as_environment* env, as_object* this_ptr, int count,
                          const arg_reader& arg) const;

    action_buffer m_action_buffer;
    array<with_scope> m_with_stack;
    int m_start_pc;
    int m_length = 0;
    array<arg_spec> m_args;
    bool m_is_function2 = false;
    uint8_t m_local_register_count = 0;
    uint16_t m_function2_flags = 0;
    // own_local bits of every argument's name, and of those of arguments without a register.
    uint8_t m_args_named_like_locals = 0;
    uint8_t m_local_args_named_like_locals = 0;
    weak_ptr<as_object> m_target;
};

// The native "call" method of script functions: f.call(this, argument).
void as_s_function_call(const fn_call& fn);

}  // namespace flash
