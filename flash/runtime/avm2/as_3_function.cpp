#include "flash/runtime/avm2/as_3_function.h"

#include "flash/base/log.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/avm2/avm2_interpreter.h"
#include "flash/runtime/interpreter.h"
#include "flash/runtime/script_limits.h"

namespace flash {

as_3_function::as_3_function(abc_def* abc, int method_index, engine_instance* owner)
    : as_function(owner), m_abc(abc), m_method_index(method_index) {
    builtin_member("prototype", as_value(new as_object(owner)));
}

as_3_function::~as_3_function() = default;

bool as_3_function::is(int class_id) const {
    return class_id == AS3_FUNCTION || class_id == FUNCTION || class_id == OBJECT;
}

void as_3_function::operator()(const fn_call& fn) {
    as_environment* env = fn.env;
    if (fn.this_object) {
        if (as_environment* own = fn.this_object->get_environment()) env = own;
    }
    if (!env) return;

    as_object* this_object = fn.this_object;
    if (this_object && this_object->get_inherited()) this_object = this_object->get_inherited();
    if (!this_object) this_object = env->character_target();
    const smart_ptr<as_object> keep_this(this_object);
    const smart_ptr<as_object> keep_self(this);

    nesting_level level;
    if (level.too_deep()) {
        log_error("error: ActionScript 3 calls nested deeper than %d, the call gives undefined\n",
                  max_action_nesting);
        return;
    }
    const bool outermost = detail::t_action_nesting == 1;
    if (!enter_script_run(env, outermost, 0)) return;

    // Register 0 is this, then the parameters; a parameter the caller did not pass is undefined.
    const int params = m_param_types.size();
    const int64_t wanted = static_cast<int64_t>(m_local_count > params ? m_local_count : params) + 1;
    const int register_count = wanted > max_registers ? max_registers : static_cast<int>(wanted);
    array<as_value> registers;
    if (!registers.resize(register_count)) return;
    registers[0].set_as_object(this_object);
    for (int i = 0; i < params && i < fn.arg_count && i + 1 < register_count; ++i) registers[i + 1] = fn.arg(i);

    if (get_verbose_action()) log_msg("\nEX: call method #%d\n", m_method_index);
    const int depth = env->get_stack_size();
    const int scope_depth = env->get_scope_size();
    avm2_execute(this, registers, env, fn.result);
    if (outermost) leave_outermost_run();
    if (get_verbose_action()) log_msg("EX: ended #%d.\n\n", m_method_index);

    if (env->get_stack_size() != depth) {
        log_error("error: stack size on exit must be same as on entry, %d:%d \n", depth, env->get_stack_size());
        env->set_stack_size(depth);
    }
    // Scopes the method pushed end with it, so they never leak into a later call on this
    // environment.
    while (env->get_scope_size() > scope_depth) env->pop_scope();
}

as_class::~as_class() = default;

bool as_class::find_property(const bx_stringi& name, as_value* value) {
    as_value member;
    if (get_member(name, &member)) {
        if (value) *value = member;
        return true;
    }
    const abc_def* abc = m_class ? m_class->abc.get_ptr() : nullptr;
    if (abc) {
        for (const smart_ptr<traits_info>& trait : m_class->traits) {
            const bx_string* trait_name = abc->get_multiname_name(trait->name);
            if (!trait_name || !(*trait_name == name.to_bx_string())) continue;
            if (trait->kind != traits_info::SLOT) return false;
            as_value slot(new as_object(get_player()));
            slot.to_object()->alive();
            set_member(name, slot);
            if (value) *value = slot;
            return true;
        }
    }
    return as_object::find_property(name, value);
}

}  // namespace flash
