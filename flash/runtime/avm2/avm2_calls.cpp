// The AVM2 instructions that call out: property calls, construction, class creation and the
// lookups through the scope stack that may run a script initialiser.
#include "flash/base/log.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/avm2/abc_def.h"
#include "flash/runtime/avm2/as_3_function.h"
#include "flash/runtime/avm2/avm2_machine.h"
#include "flash/runtime/engine_instance.h"

namespace flash {

namespace {

// The top n operands moved into a fresh environment, the first argument on top.
class call_arguments {
public:
    call_arguments(avm2_machine& machine, int n) : m_env(machine.player()), m_count(n) {
        as_environment* from = machine.env();
        for (int i = 0; i < n; ++i) m_env.push(from->top(i));
        from->drop(n);
    }
    ~call_arguments() { m_env.set_stack_size(0); }

    as_value call(const as_value& method, const as_value& this_value) {
        return call_method(method, &m_env, this_value, m_count, m_env.get_top_index());
    }

private:
    as_environment m_env;
    int m_count;
};

as_object* global_of(const avm2_machine& machine) {
    engine_instance* player = machine.player();
    return player ? player->get_global() : nullptr;
}

}  // namespace

void avm2_machine::log_name_namespace(int multiname_index) {
    const int kind = m_abc->get_multiname(multiname_index)->kind;
    if (kind != abc_multiname::QNAME && kind != abc_multiname::MULTINAME && kind != abc_multiname::MULTINAME_A) {
        log_msg("implement get_multiname_namespace for this kind %i\n", kind);
    }
}

void avm2_machine::call_property(bool keep_result) {
    int index;
    bx_string name;
    uint32_t count;
    if (!read_multiname(&index, &name) || !read_u30(&count)) return;
    const int n = clamp_count(count);
    call_arguments args(*this, n);
    const as_value receiver = pop();
    as_value result;
    if (as_object* object = receiver.to_object()) {
        const smart_ptr<as_object> keep(object);
        as_value member;
        if (object->get_member(name, &member)) {
            if (member.is_function()) {
                result = args.call(member, receiver);
            } else if (as_object* callable = member.to_object()) {
                as_value call;
                if (callable->get_member("__call__", &call)) result = args.call(call, receiver);
            }
        }
    } else if (!receiver.is_undefined() && !receiver.is_null()) {
        as_value member;
        if (receiver.get_member(name, &member)) result = args.call(member, receiver);
    }
    if (keep_result) {
        if (m_verbose) {
            log_msg("EX: callproperty\t 0x%p.%s(args:%d), result %s\n", static_cast<void*>(receiver.to_object()),
                    name.c_str(), n, result.to_xstring());
        }
        push(result);
    } else if (m_verbose) {
        log_msg("EX: callpropvoid\t 0x%p.%s(args:%d)\n", static_cast<void*>(receiver.to_object()), name.c_str(), n);
    }
}

void avm2_machine::construct_property() {
    int index;
    bx_string name;
    uint32_t count;
    if (!read_multiname(&index, &name) || !read_u30(&count)) return;
    log_name_namespace(index);
    const int n = clamp_count(count);
    call_arguments args(*this, n);
    const as_value receiver = pop();
    as_value result;
    result.set_null();
    as_object* object = receiver.to_object();
    if (object && object->get_member(name, nullptr)) {
        // Objects of ActionScript 3 enter the heap as those of ActionScript 2 do: the garbage
        // pass cuts their cycles (this.v = this), the player's end frees the rest.
        const smart_ptr<as_object> instance(new as_object(player()));
        instance->alive();
        if (instance_info* info = m_abc->resolve_qualified_name(name)) {
            instance->set_class(info);
            m_abc->bind_instance_traits(instance.get_ptr(), info);
            if (as_3_function* iinit = m_abc->get_method(info->iinit)) args.call(as_value(iinit), as_value(instance.get_ptr()));
        }
        result = as_value(instance.get_ptr());
    }
    if (m_verbose) log_msg("EX: constructprop\t 0x%p.%s(args:%d)\n", static_cast<void*>(object), name.c_str(), n);
    push(result);
}

void avm2_machine::construct_super() {
    uint32_t count;
    if (!read_u30(&count)) return;
    const int n = clamp_count(count);
    call_arguments args(*this, n);
    const as_value target = pop();
    if (m_verbose) log_msg("EX: constructsuper\t 0x%p(args:%d)\n", static_cast<void*>(target.to_object()), n);
    const instance_info* own = m_abc->get_instance(m_abc->find_class_of_iinit(m_function->get_method_index()));
    as_object* object = target.to_object();
    if (!own || !object) return;
    const bx_string* super_name = m_abc->get_multiname_name(own->super_name);
    if (!super_name) return;
    as_value ctor;
    if (const instance_info* base = m_abc->resolve_qualified_name(*super_name)) {
        ctor = as_value(m_abc->get_method(base->iinit));
    } else if (as_object* global = global_of(*this)) {
        global->get_member(*super_name, &ctor);
    }
    if (!ctor.to_object()) return;
    object->create_proto(ctor);
    args.call(ctor, target);
}

void avm2_machine::new_class() {
    int index;
    if (!read_index(m_abc->get_class_count(), "class index out of range", &index)) return;
    if (m_verbose) log_msg("EX: newclass\t class index:%i\n", index);
    const smart_ptr<as_class> cls(new as_class(player()));
    cls->alive();
    cls->set_class_info(m_abc->get_class(index));
    if (as_3_function* cinit = m_abc->get_class_cinit(index)) {
        as_environment env(player());
        call_method(as_value(cinit), &env, as_value(cls.get_ptr()), 0, env.get_top_index());
    }
    pop();  // the base class
    push(as_value(cls.get_ptr()));
}

as_object* avm2_machine::run_script_for(const bx_string& name) {
    as_object* global = global_of(*this);
    as_3_function* init = m_abc->get_class_constructor(name);
    if (!global || !init || name.size() == 0) return nullptr;
    as_object* declared = new as_object(player());
    declared->alive();
    global->set_member(name, as_value(declared));
    as_environment env(player());
    call_method(as_value(init), &env, as_value(global), 0, env.get_top_index());
    return global;
}

void avm2_machine::find_property(bool strict) {
    int index;
    bx_string name;
    if (!read_multiname(&index, &name)) return;
    if (!strict) log_name_namespace(index);
    as_object* found = nullptr;
    for (int i = m_env->get_scope_size() - 1; i >= 0 && !found; --i) {
        as_object* scope = m_env->get_scope(i).to_object();
        if (scope && scope->find_property(name, nullptr)) found = scope;
    }
    as_object* global = global_of(*this);
    if (strict) {
        // The global object is the outermost scope of every method: its members (the global
        // functions, classes already made) are found there before any script runs again.
        if (!found && global && global->get_member(name, nullptr)) found = global;
        if (!found) found = run_script_for(name);
        as_value pushed;
        pushed.set_as_object(found);
        if (m_verbose) log_msg("EX: findpropstrict\t %s, obj=0x%p\n", name.c_str(), static_cast<void*>(found));
        push(pushed);
        return;
    }
    if (m_verbose) {
        if (found) {
            log_msg("EX: findproperty\t '%s', obj=0x%p\n", name.c_str(), static_cast<void*>(found));
        } else {
            log_msg("EX: findproperty\t '%s', obj=global\n", name.c_str());
        }
    }
    push(as_value(found ? found : global));
}

void avm2_machine::get_lex() {
    int index;
    bx_string name;
    if (!read_multiname(&index, &name)) return;
    as_value v;
    if (!m_env->find_scope_member(name, &v)) {
        as_object* global = global_of(*this);
        if (!global || !global->get_member(name, &v)) {
            if (run_script_for(name)) global->get_member(name, &v);
        }
    }
    if (m_verbose) log_msg("EX: getlex\t %s, value=%s\n", name.c_str(), v.to_xstring());
    push(v);
}

}  // namespace flash
