#include "flash/runtime/as_s_function.h"

#include "flash/base/log.h"
#include "flash/runtime/engine_instance.h"
#include "flash/runtime/as_array.h"
#include "flash/runtime/character.h"
#include "flash/runtime/interpreter_impl.h"

namespace flash {

namespace {

// The names every call declares, made once rather than per call: objects of this file, not
// function statics, so that a call reads them without a guard (no call runs before main).
const bx_string g_this_name("this");
const bx_string g_super_name("super");
const bx_string g_arguments_name("arguments");
const bx_string& this_name() { return g_this_name; }
const bx_string& super_name() { return g_super_name; }
const bx_string& arguments_name() { return g_arguments_name; }

// A call's local frame in env: its barrier added when it opens; when it closes, the stack back
// at the size it had and the frame cut.
class call_frame {
public:
    explicit call_frame(as_environment* env)
        : m_env(env), m_stack_size(env->get_stack_size()), m_frame_top(env->get_local_frame_top()) {
        env->add_frame_barrier();
    }
    void close() const {
        // A body that returns leaves the stack as it found it: nothing to clear then.
        if (m_env->get_stack_size() != m_stack_size) m_env->set_stack_size(m_stack_size);
        m_env->set_local_frame_top(m_frame_top);
    }

private:
    as_environment* m_env;
    int m_stack_size;
    int m_frame_top;
};

}  // namespace

as_s_function::as_s_function(engine_instance* owner, const action_buffer& buffer, int start_pc,
                             const array<with_scope>& with_stack)
    : as_function(owner), m_action_buffer(buffer), m_with_stack(with_stack), m_start_pc(start_pc) {
    add_kind(KIND_SCRIPT_FUNCTION);
    m_members.set("prototype", as_value(new as_object(owner)));
    m_members.set("call", as_value(new as_c_function(owner, as_s_function_call)));
}

as_s_function::~as_s_function() = default;

void as_s_function::mark_references() {
    as_object::mark_references();
    for (int i = 0; i < m_with_stack.size(); ++i) {
        if (as_object* object = m_with_stack[i].object.get_ptr()) object->this_alive();
    }
}

bool as_s_function::is(int class_id) const {
    return class_id == S_FUNCTION || as_function::is(class_id);
}

void as_s_function::add_arg(int reg, const bx_string& name) {
    arg_spec spec;
    spec.m_register = reg;
    spec.m_name = name;
    m_args.push_back(spec);
    // Whether an argument may be a local of the same name as one the call declares itself
    // (a function2 argument with a register is none); with none, the call adds those locals to
    // its fresh frame without searching it first.
    const int named = name == this_name()        ? DECLARES_THIS
                      : name == super_name()     ? DECLARES_SUPER
                      : name == arguments_name() ? DECLARES_ARGUMENTS
                                                 : 0;
    m_args_named_like_locals |= named;
    if (reg == 0) m_local_args_named_like_locals |= named;
}

// Declares a local the call sets itself (this, super, arguments) in the frame just opened: only
// an argument of that name can already be there.
[[gnu::always_inline]] inline void as_s_function::set_own_local(as_environment* env,
                                                               const bx_string& name,
                                                               int declares,
                                                               as_value&& value) const {
    if (has_argument_named_like(declares)) {
        env->set_local(name, value);
    } else {
        env->add_local(name, static_cast<as_value&&>(value));
    }
}

// The same for an object, which a new slot takes without a value made first.
[[gnu::always_inline]] inline void as_s_function::set_own_local(as_environment* env,
                                                               const bx_string& name,
                                                               int declares,
                                                               as_object* object) const {
    if (has_argument_named_like(declares)) {
        env->set_local(name, as_value(object));
    } else {
        env->add_local_object(name, object);
    }
}

// The environment a call from env runs in: the own one of the function's target while that is a
// live character counting levels that has one; env otherwise.
[[gnu::always_inline]] inline as_environment* as_s_function::environment_for(
    as_environment* env) const {
    if (as_object* target = m_target.get_ptr()) {
        if (target->is_character() && static_cast<character*>(target)->get_level_count() > 0) {
            if (as_environment* own = target->get_environment()) return own;
        }
    }
    return env;
}

// The arguments of a call given arg_count that become named locals or registers.
[[gnu::always_inline]] inline int as_s_function::named_argument_count(int arg_count) const {
    return arg_count < m_args.size() ? (arg_count > 0 ? arg_count : 0) : m_args.size();
}

// A plain body's locals in the frame just opened in env: count arguments (argument i is arg(i)),
// then this.
template <class arg_reader>
[[gnu::always_inline]] inline void as_s_function::add_plain_locals(as_environment* env,
                                                                   as_object* this_ptr, int count,
                                                                   const arg_reader& arg) const {
    for (int i = 0; i < count; ++i) env->add_local(m_args[i].m_name, arg(i));
    set_own_local(env, this_name(), DECLARES_THIS, this_ptr);
}

void as_s_function::call_without_this(as_environment* caller, int arg_count, int first_arg,
                                      as_value* result) {
    // The call operator's steps for such a record, without its tests of the record.
    as_environment* env = environment_for(caller);
    const call_frame frame(env);
    add_plain_locals(env, env->character_target(), named_argument_count(arg_count),
                     [caller, first_arg](int i) -> const as_value& {
                         return caller->bottom(first_arg - i);
                     });
    execute_function_body(m_action_buffer, env, m_start_pc, m_length, result, m_with_stack, -1);
    frame.close();
}

void as_s_function::operator()(const fn_call& fn) {
    if (!fn.this_object && fn.env && !m_is_function2) {
        call_without_this(fn.env, fn.arg_count, fn.first_arg_index, fn.result);
        return;
    }
    as_environment* env = fn.env;
    if (fn.this_object) {
        if (as_environment* own = fn.this_object->get_environment()) env = own;
    }
    env = environment_for(env);
    if (!env) return;

    as_object* this_ptr = fn.this_object;
    if (this_ptr) {
        if (as_object* instance = this_ptr->get_inherited()) this_ptr = instance;
    } else {
        this_ptr = env->character_target();
    }
    // Nothing runs script until the frame holds the this object; nothing reads this_ptr after.

    const call_frame frame(env);
    const int nargs = named_argument_count(fn.arg_count);
    const int register_count = m_is_function2 ? m_local_register_count : 0;
    // Argument i, from the caller's stack.
    auto arg = [&fn](int i) -> const as_value& {
        return fn.env ? fn.env->bottom(fn.first_arg_index - i) : fn.arg(i);
    };
    if (!m_is_function2) {
        add_plain_locals(env, this_ptr, nargs, arg);
        if (fn.this_object) env->add_local_object(super_name(), fn.this_object->get_proto());
    } else {
        as_value this_value(this_ptr);
        env->add_local_registers(register_count);
        auto store = [&](int reg, const as_value& value) {
            if (reg < 0 || reg >= register_count) {
                log_error("store_register[%d] -- register out of bounds!\n", reg);
                return;
            }
            env->set_register(reg, value);
        };
        for (int i = 0; i < nargs; ++i) {
            if (m_args[i].m_register == 0) {
                env->add_local(m_args[i].m_name, arg(i));
            } else {
                store(m_args[i].m_register, arg(i));
            }
        }
        const int flags = m_function2_flags;
        const bool verbose = get_verbose_action();
        int reg = 1;
        if (flags & PRELOAD_THIS) {
            if (verbose) {
                log_msg("-------------- preload this=%p to register %d\n",
                        static_cast<void*>(this_ptr), reg);
            }
            store(reg++, this_value);
        }
        if (!(flags & SUPPRESS_THIS)) {
            set_own_local(env, this_name(), DECLARES_THIS, static_cast<as_value&&>(this_value));
        }
        if ((flags & PRELOAD_ARGUMENTS) || !(flags & SUPPRESS_ARGUMENTS)) {
            engine_instance* owner = env->get_player();
            as_value arguments(new as_array(owner));
            as_object* list = arguments.to_object();
            const int count = fn.arg_count > 0 ? fn.arg_count : 0;
            for (int i = 0; i < count; ++i) {
                list->set_member(as_value(i).to_bx_string(), fn.arg(i));
            }
            if (flags & PRELOAD_ARGUMENTS) store(reg++, arguments);
            if (!(flags & SUPPRESS_ARGUMENTS)) {
                set_own_local(env, arguments_name(), DECLARES_ARGUMENTS,
                              static_cast<as_value&&>(arguments));
            }
        }
        // Without a this object there is no super: it reads as undefined.
        as_value super_value;
        if (fn.this_object) super_value.set_as_object(fn.this_object->get_proto());
        if (flags & PRELOAD_SUPER) {
            if (verbose) {
                log_msg("-------------- preload super=%p to register %d\n",
                        static_cast<void*>(super_value.to_object()), reg);
            }
            store(reg++, super_value);
        }
        if (!(flags & SUPPRESS_SUPER)) {
            set_own_local(env, super_name(), DECLARES_SUPER, static_cast<as_value&&>(super_value));
        }
        if (flags & PRELOAD_ROOT) {
            engine_instance* owner = env->get_player();
            store(reg++, as_value(owner ? owner->get_root_movie() : nullptr));
        }
        if (flags & PRELOAD_PARENT) {
            const as_value parent = env->get_variable("_parent");
            if (verbose) {
                log_msg("-------------- preload _parent=%p to register %d\n",
                        static_cast<void*>(parent.to_object()), reg);
            }
            store(reg++, parent);
        }
        if (flags & PRELOAD_GLOBAL) {
            engine_instance* owner = env->get_player();
            as_object* global = owner ? owner->get_global() : nullptr;
            if (verbose) {
                log_msg("-------------- preload _global=%p to register %d\n",
                        static_cast<void*>(global), reg);
            }
            store(reg++, as_value(global));
        }
    }

    execute_function_body(m_action_buffer, env, m_start_pc, m_length, fn.result, m_with_stack,
                          m_is_function2 ? register_count : -1);

    frame.close();
    if (m_is_function2) env->drop_local_registers(register_count);
}

void as_s_function_call(const fn_call& fn) {
    if (fn.arg_count <= 0 || !fn.this_object || !fn.this_object->is_function()) return;
    as_object* func = fn.this_object;
    as_keep_alive keep(func);
    as_environment env(fn.get_player());
    int nargs = 0;
    if (fn.arg_count > 1) {
        env.push(fn.arg(1));
        nargs = 1;
    }
    const as_value& first = fn.arg(0);
    const as_value new_this(first.is_object() ? first.to_object() : nullptr);
    const as_value result = call_method(as_value(func), &env, new_this, nargs, env.get_top_index());
    if (fn.result) *fn.result = result;
}

}  // namespace flash
