// Variables, members, objects, constructors, function definitions and calls.
#include "flash/base/log.h"
#include "flash/runtime/name_tables.h"
#include "flash/runtime/engine_instance.h"
#include "flash/runtime/as_array.h"
#include "flash/runtime/as_s_function.h"
#include "flash/runtime/extension_loader.h"
#include "flash/runtime/interpreter_impl.h"

namespace flash {

namespace {

// The own member "__constructor__" of an object, when it has one. Every function call asks, so
// the name is hashed once.
const as_value* own_constructor(as_object* obj) {
    if (!obj) return nullptr;
    static const bx_stringi& name = get_constructor_name();
    static const uint32_t name_hash = stringi_hash<as_value>::key_hash(name);
    const stringi_hash<as_value>& members = obj->get_members();
    const int index = members.find_index(name, name_hash);
    if (index < 0) return nullptr;
    return &members.entry_at(index).value();
}

bool own_constructor(as_object* obj, as_value* out) {
    const as_value* ctor = own_constructor(obj);
    if (!ctor) return false;
    if (out) *out = *ctor;
    return true;
}

}  // namespace

void setup_prototype(as_object* obj, const as_value& ctor) {
    if (!obj) return;
    as_object* proto = obj->create_proto(ctor);
    as_object* c = ctor.to_object();
    if (!proto || !c) return;
    as_value prototype_value;
    if (!c->get_member("prototype", &prototype_value)) return;
    as_object* source = prototype_value.to_object();
    if (!source || source == proto) return;
    stringi_hash<as_value>& members = proto->get_members();
    for (auto it = source->get_members().begin(); it != source->get_members().end(); ++it) {
        members.set(it.get_key(), it.get_value());
    }
    proto->set_proto(source->get_proto());
}

void construct_instance(as_object* obj, as_function* ctor) {
    if (!obj || !ctor) return;
    as_keep_alive keep(obj);
    const as_value ctor_value(ctor);
    setup_prototype(obj, ctor_value);
    as_environment env(obj->get_player());
    call_method(ctor_value, &env, as_value(obj), 0, env.get_top_index());
    obj->add_fixed_builtin(get_constructor_name(), ctor_value);
}

// The handlers of the table, beside the actions they run, which are inlined into them.
void interpreter::on_get_variable(int) {
    need(1);
    do_get_variable();
}
void interpreter::on_get_member(int) {
    need(2);
    do_get_member();
}
void interpreter::on_set_member(int) { do_set_member(); }
void interpreter::on_call_function(int) { do_call_function(); }
void interpreter::on_call_method(int) { do_call_method(); }

void interpreter::do_delete() {
    const bx_string name(top(0).to_bx_string());
    as_object* obj = top(1).is_object() ? top(1).to_object() : nullptr;
    as_keep_alive keep(obj);
    drop(1);
    bool existed = false;
    if (obj && obj->get_member(name, nullptr)) {
        obj->set_member(name, as_value());
        existed = true;
    }
    top(0).set_bool(existed);
}

void interpreter::do_delete2() {
    const bx_string name(top(0).to_bx_string());
    bool result = false;
    if (!m_env->get_variable(name, m_with_stack).is_undefined()) {
        if (m_env->find_local(name, false) >= 0) {
            m_env->set_local(name, as_value());
            result = true;
        } else if (as_object* target = m_env->get_target()) {
            if (target->get_member(name, nullptr)) {
                target->set_member(name, as_value());
                result = true;
            }
        }
    }
    top(0).set_bool(result);
}

void interpreter::do_get_member() {
    const as_value object_value(top(1));
    const bx_string name(top(0).to_bx_string());
    as_value result;
    read_member(object_value, name, &result);
    top(1) = result;
    drop(1);
}

void interpreter::read_member(const as_value& object_value, const bx_string& name,
                              as_value* result) {
    as_object* obj = object_value.to_object();
    if (obj) {
        if (!obj->get_member(name, result)) {
            as_value resolve;
            if (obj->get_member("__resolve", &resolve) && resolve.is_function()) {
                m_env->push(as_value(name));
                *result = call_method(resolve, m_env, object_value, 1, m_env->get_top_index());
                drop(1);
            }
        }
    } else {
        object_value.get_member(name, result);
    }
    if (get_verbose_action()) {
        if (result->is_object()) {
            log_msg("-------------- get_member %s=%s at %p\n", name.c_str(), result->to_string(),
                    static_cast<void*>(result->to_object()));
        } else {
            log_msg("-------------- get_member %s=%s\n", name.c_str(), result->to_string());
        }
    }
}

void interpreter::do_set_member() {
    if (!get_verbose_action() && set_cached_member()) return;
    set_member_generic();
}

void interpreter::on_set_member_plain(int) { set_member_generic(); }

void interpreter::set_member_generic() {
    as_object* obj = top(2).to_object();
    const bx_string name(top(1).to_bx_string());
    const as_value value(top(0));
    if (obj) {
        as_keep_alive keep(obj);
        obj->set_member(name, value);
        if (get_verbose_action()) {
            log_msg("-------------- set_member [%p].%s=%s\n", static_cast<void*>(obj),
                    name.c_str(), value.to_string());
        }
    } else if (get_verbose_action()) {
        log_msg("-------------- set_member %s.%s=%s on invalid object!\n", top(2).to_string(),
                name.c_str(), value.to_string());
    }
    drop(3);
}

void interpreter::do_enumerate(bool by_value) {
    as_value subject;
    if (by_value) {
        subject = m_env->pop();
    } else {
        const bx_string name(top(0).to_bx_string());
        drop(1);
        subject = m_env->get_variable(name, m_with_stack);
    }
    as_value marker;
    marker.set_null();
    m_env->push(marker);
    if (as_object* obj = subject.to_object()) obj->enumerate(m_env);
}

void interpreter::do_init_object() {
    int n = m_env->pop().to_int();
    if (n < 0) n = 0;
    // Pairs missing from the stack read undefined (a name "undefined"); a count past the bound
    // takes only the pairs the stack holds.
    if (n > as_array::max_construct_size && n > depth() / 2) {
        log_error("error: object literal of %d members, %d values on the stack\n", n, depth());
        n = depth() / 2;
    }
    as_value result(new as_object(player()));
    as_object* obj = result.to_object();
    // Literals enter the heap like constructed objects, so the garbage pass can cut cycles
    // among them once nothing reaches them.
    obj->alive();
    for (int i = 0; i < n; ++i) {
        const int before = depth();
        obj->builtin_member(top(1).to_bx_string(), top(0));
        drop(2);
        // Every pair after the stack ran dry writes the same undefined member again.
        if (before == 0) break;
    }
    m_env->push(result);
}

void interpreter::do_init_array() {
    as_value result;
    fn_call fn(&result, nullptr, m_env, -1, -1);
    as_global_array_ctor(fn);
    if (as_object* made = result.to_object()) made->alive();
    m_env->push(result);
}

as_value interpreter::construct(const as_value& ctor, const bx_string& class_name, int nargs) {
    as_value result;
    as_object* c = ctor.to_object();
    if (c && c->is(as_object::C_FUNCTION)) {
        result = call_method(ctor, m_env, as_value(), nargs, m_env->get_top_index());
    } else if (c && c->is(as_object::S_FUNCTION)) {
        result.set_as_object(new as_object(player()));
        as_object* obj = result.to_object();
        obj->set_inherited(obj);
        setup_prototype(obj, ctor);
        call_method(ctor, m_env, result, nargs, m_env->get_top_index());
        obj->add_fixed_builtin(get_constructor_name(), ctor);
    } else {
        array<as_value> args;
        for (int i = 0; i < nargs; ++i) args.push_back(top(i));
        as_object* made = load_extension(class_name, player(), args);
        if (made) {
            result.set_as_object(made);
        } else {
            log_error("can't create object with unknown class '%s'\n", class_name.c_str());
            result.set_null();
        }
    }
    if (as_object* obj = result.to_object()) {
        if (engine_instance* owner = player()) owner->mark_alive(obj);
    }
    return result;
}

void interpreter::do_new_object() {
    const bx_string class_name(m_env->pop().to_bx_string());
    if (get_verbose_action()) log_msg("-------------- new object: %s\n", class_name.c_str());
    int nargs = m_env->pop().to_int();
    if (nargs < 0) nargs = 0;
    if (nargs > depth()) nargs = depth();
    const as_value ctor = m_env->get_variable(class_name, m_with_stack);
    const as_value result = construct(ctor, class_name, nargs);
    if (script_run_stopped()) [[unlikely]] finish(STOP_REACHED);
    drop(nargs);
    m_env->push(result);
}

void interpreter::do_new_method() {
    const bx_string method_name(m_env->pop().to_bx_string());
    const as_value object_value = m_env->pop();
    int nargs = m_env->pop().to_int();
    if (nargs < 0) nargs = 0;
    if (nargs > depth()) nargs = depth();
    as_value ctor;
    if (method_name.size() == 0) {
        ctor = object_value;
    } else if (as_object* obj = object_value.to_object()) {
        obj->get_member(method_name, &ctor);
    }
    const as_value result = construct(ctor, method_name, nargs);
    if (script_run_stopped()) [[unlikely]] finish(STOP_REACHED);
    drop(nargs);
    m_env->push(result);
}

void interpreter::do_instance_of() {
    const as_function* ctor = top(0).to_function();
    const bool result = top(1).instance_of(ctor);
    top(1).set_bool(result);
    drop(1);
}

void interpreter::do_cast_op() {
    as_object* obj = top(0).is_object() ? top(0).to_object() : nullptr;
    const as_value ctor(top(1));
    as_keep_alive keep(obj);
    drop(1);
    if (obj && obj->instance_of(ctor.to_function())) {
        top(0).set_as_object(obj);
    } else {
        top(0).set_null();
    }
}

void interpreter::do_extends() {
    const as_value superclass(top(0));
    const as_value subclass(top(1));
    drop(2);
    as_object* sub = subclass.to_object();
    as_object* super = superclass.to_object();
    if (!sub || !super) return;
    as_value proto(new as_object(player()));
    // The new prototype links back to the superclass: in the heap, a cycle through it can be cut.
    proto.to_object()->alive();
    as_value super_prototype;
    super->get_member("prototype", &super_prototype);
    proto.to_object()->set_proto(super_prototype.to_object());
    proto.to_object()->add_fixed_builtin(get_constructor_name(), superclass);
    sub->set_member("prototype", proto);
}

// Inline into CallFunction and CallMethod, its only users.
[[gnu::always_inline]] inline int interpreter::count_at(int n) {
    const int count = top(n).to_int();
    const int available = depth() - n - 1;
    if (count < 0) return 0;
    if (available <= 0) return 0;
    return count > available ? available : count;
}

// CallFunction of the function value func (by_name: read for the name at the top, which may
// give its own constructor instead; record: the Push record of that name, which remembers the
// function it called). Nothing has run script since func was read: it holds the function until
// the keep-alive does.
[[gnu::always_inline]] inline void interpreter::call_function_value(const as_value* func,
                                                                    bool by_name,
                                                                    push_record* record) {
    as_object* object = func->to_object();
    as_function* callee;
    if (record && object && record->callee.get_ptr() == object &&
        object->get_members().layout_version() == record->callee_layout) {
        callee = static_cast<as_function*>(object);
    } else {
        if (by_name) {
            if (const as_value* ctor = own_constructor(object)) object = ctor->to_object();
        }
        // As to_function: an object that is a function.
        callee = object && object->is_function() ? static_cast<as_function*>(object) : nullptr;
        if (!callee && by_name) {
            log_error("error in call_function: '%s' is not a function\n",
                      top(0).to_bx_string().c_str());
        }
        // Records move when the buffer prepares more of them: it is written before the call.
        if (record && callee && callee == func->to_object()) {
            record->callee = callee;
            record->callee_layout = callee->get_members().layout_version();
        }
    }
    // The body may drop every other reference to the function.
    const as_keep_alive hold(callee);
    const int nargs = count_at(1);
    const int first_arg = m_env->get_top_index() - 2;
    as_value result;
    // A plain script function, the most called, runs without a call record made for it.
    if (callee && callee->is_script_function() &&
        !static_cast<as_s_function*>(callee)->is_function2()) {
        static_cast<as_s_function*>(callee)->call_without_this(m_env, nargs, first_arg, &result);
    } else if (callee) {
        result = call_function(callee, m_env, nargs, first_arg);
    }
    // A call whose run was stopped ends this run too.
    if (script_run_stopped()) [[unlikely]] finish(STOP_REACHED);
    const int used = nargs + 2;
    if (depth() >= used) {
        // The result takes the lowest slot of what the call used: the same stack as dropping
        // them all and pushing it.
        m_env->drop_held(used - 1);
        as_value& slot = m_env->top_unchecked(0);
        if (result.get_type() == as_value::NUMBER) {
            // A number is copied in three words; moving clears every field of the source.
            slot = result;
        } else {
            slot = static_cast<as_value&&>(result);
        }
        return;
    }
    drop(used);
    m_env->push(static_cast<as_value&&>(result));
}

void interpreter::call_looked_up_function(int key, const bx_string& name) {
    // Remembers the name for the next run; the full lookup may run a getter, which may grow the
    // stack: it reads a copy of the name.
    as_value looked_up;
    if (!read_cached_variable(key, name, &looked_up)) {
        const bx_string held(name);
        m_env->get_variable(held, m_with_stack, &looked_up);
    }
    call_function_value(&looked_up, true);
}

void interpreter::call_function_named_by(action_step& step, push_record& record,
                                         const bx_string& name) {
    // As do_call_function, with the name fixed: the step's cache needs no name compare.
    const as_value* func =
        record.reads_plain_name && m_env->get_local_frame_top() == 0
            ? remembered_slot(step.cache, m_env->get_target(), false)
            : nullptr;
    if (func && !func->is_property()) {
        call_function_value(func, true, &record);
    } else {
        call_looked_up_function(push_cache_key(step), name);
    }
}

void interpreter::do_call_function() {
    const as_value* func = &top(0);
    if (!func->is_string()) {
        call_function_value(func, false);
        return;
    }
    // A member the cache remembers is read in place.
    const bx_string& name = func->to_bx_string();
    func = variables_are_plain() && !name.has_path_separator() && !get_verbose_action()
               ? cached_member(m_pc, m_env->get_target(), name, false)
               : nullptr;
    if (func) {
        call_function_value(func, true);
    } else {
        call_looked_up_function(m_pc, name);
    }
}

void interpreter::call_function_generic() {
    const as_value* func = &top(0);
    if (!func->is_string()) {
        call_function_value(func, false);
        return;
    }
    // The lookup may run a getter, which may grow the stack: it reads a copy of the name.
    const bx_string name(func->to_bx_string());
    as_value looked_up;
    m_env->get_variable(name, m_with_stack, &looked_up);
    call_function_value(&looked_up, true);
}

void interpreter::on_call_function_plain(int) { call_function_generic(); }

void interpreter::do_call_method() {
    const int nargs = count_at(2);
    const bx_string name(top(0).to_bx_string());
    const as_value object_value(top(1));
    const int first_arg = m_env->get_top_index() - 3;
    as_value result;
    as_value method;
    if (object_value.get_member(name, &method)) {
        // method holds the function for the whole call; call_method logs a non-function.
        as_function* func = method.to_function();
        result = func ? call_function(func, m_env, object_value, nargs, first_arg)
                      : call_method(method, m_env, object_value, nargs, first_arg);
    } else if (name.size() == 0 || name == "undefined") {
        as_object* obj = object_value.to_object();
        as_value ctor;
        if (obj && obj->get_inherited() && own_constructor(obj, &ctor)) {
            as_keep_alive keep(obj);
            setup_prototype(obj, ctor);
            result = call_method(ctor, m_env, object_value, nargs, first_arg);
        } else {
            log_error("error: call_method can't call constructor 0x%p.%s\n",
                      static_cast<void*>(obj), name.c_str());
        }
    } else {
        log_error("error: can't find method %s\n", name.c_str());
    }
    if (script_run_stopped()) [[unlikely]] finish(STOP_REACHED);
    drop(nargs + 3);
    m_env->push(result);
}

void interpreter::do_define_function(bool function2) {
    payload_reader in = payload();
    const char* name = in.c_string();
    const int arg_count = in.u16();
    int register_count = 0;
    int flags = 0;
    if (function2) {
        register_count = in.u8();
        flags = in.u16();
    }
    array<as_s_function::arg_spec> args;
    for (int i = 0; i < arg_count && !in.failed(); ++i) {
        as_s_function::arg_spec spec;
        if (function2) spec.m_register = in.u8();
        spec.m_name = in.c_string();
        args.push_back(spec);
    }
    const int code_size = in.u16();
    if (payload_failed(in)) return;
    const int start = m_next_pc;
    if (code_size > m_stop - start) {
        log_error("error: function '%s' at %d: its %d code bytes run past the section end %d\n",
                  name, m_pc, code_size, m_stop);
        finish(END_ACTION);
        return;
    }
    m_next_pc = start + code_size;

    if (name[0] != 0) {
        const as_value existing = m_env->get_variable(name, m_with_stack);
        if (const as_s_function* old = cast_to<as_s_function>(existing.to_object())) {
            if (old->get_action_buffer().get_store() == m_buffer.get_store() &&
                old->get_start_pc() == start) {
                return;
            }
        }
    }

    as_value value(new as_s_function(player(), m_buffer, start, m_with_stack));
    as_s_function* func = static_cast<as_s_function*>(value.to_object());
    func->set_target(m_env->get_target());
    for (const as_s_function::arg_spec& spec : args) func->add_arg(spec.m_register, spec.m_name);
    if (function2) {
        func->set_is_function2(true);
        func->set_local_register_count(static_cast<uint8_t>(register_count));
        func->set_function2_flags(static_cast<uint16_t>(flags));
    }
    func->set_length(code_size);
    // Functions enter the heap like the objects scripts make: the garbage pass then cuts the
    // cycles through them (F.prototype = F, a prototype naming its constructor, a function that
    // its own with block's object holds), and the player's end frees what it did not get to.
    func->alive();
    as_value prototype;
    if (func->get_members().get("prototype", &prototype) && prototype.to_object()) {
        prototype.to_object()->alive();
    }

    if (name[0] == 0) {
        m_env->push(value);
    } else if (as_object* target = m_env->get_target()) {
        target->set_member(name, value);
    }
}

}  // namespace flash
