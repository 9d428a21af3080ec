// GetVariable, SetVariable and the member reads and writes of constant names. A plain read or
// write remembers, per action, where the name lies in the object's member table (the target's,
// for a variable), so that a loop over timeline variables or an object's members does not go
// through every step of the lookup on each turn.
#include "flash/base/log.h"
#include "flash/runtime/interpreter_impl.h"

namespace flash {

namespace {

// Failed attempts to remember a variable at one action before it stops trying (code run for
// many targets in turn, or names that are not own members)...
constexpr int remember_attempts = 8;
// ... after which it tries again once in this many runs.
constexpr int remember_retry_period = 256;

}  // namespace

bool interpreter::remember_member(int key, as_object* target, const bx_string& name,
                                  bool for_write) {
    if (!target) return false;
    member_cache* cache = m_buffer.find_member_cache(key);
    if (cache && cache->misses >= remember_attempts) {
        if (++cache->misses < remember_attempts + remember_retry_period) return false;
        cache->misses = remember_attempts;
    }
    // Nothing here runs script: the name stays valid, and so does the target.
    const bx_stringi& member_name = name.to_bx_stringi();
    const bool own = for_write ? target->writes_own_member(member_name)
                               : target->reads_own_member(member_name);
    const stringi_hash<as_value>& members = target->get_members();
    const int index = own ? members.find_index(member_name) : -1;
    const bool usable = index >= 0 && !members.entry_at(index).value().is_property();
    if (!cache) cache = m_buffer.make_member_cache(key);
    if (!cache) return false;
    as_object* before = cache->object.get_ptr();
    if ((!usable || (before && before != target)) && cache->misses < remember_attempts) {
        ++cache->misses;
    }
    cache->object = target;
    cache->lookup_version = member_lookup_version();
    cache->index = usable ? index : -1;
    cache->layout_version = members.layout_version();
    return usable;
}

const as_value* interpreter::remember_then_read(int key, as_object* object, const bx_string& name,
                                                bool for_write) {
    return remember_member(key, object, name, for_write)
               ? cached_member(key, object, name, for_write)
               : nullptr;
}

[[gnu::always_inline]] inline const as_value* interpreter::remembered_member(
    int key, as_object* object, const bx_string& name, bool for_write) {
    const as_value* member = cached_member(key, object, name, for_write);
    return member ? member : remember_then_read(key, object, name, for_write);
}

void interpreter::push_variable_remembered(int key, const bx_string& name) {
    // With locals, variables are not plain: a local answers first.
    if (m_with_stack.size() == 0 && !name.has_path_separator()) {
        if (const as_value* local = local_named(name)) {
            // Nothing runs script here: the slot stays where it is while it is copied.
            m_env->push(*local);
            return;
        }
    }
    if (variables_are_plain() && !name.has_path_separator()) {
        // The cache did not answer (push_variable asked it): the name is remembered anew.
        if (const as_value* member = remember_then_read(key, m_env->get_target(), name, false)) {
            m_env->push(*member);
            return;
        }
    }
    // The name may lie in the buffer's prepared records, which scripts run by the lookup (a
    // getter) may grow: the lookup keeps its own copy.
    const bx_string held(name);
    as_value value;
    m_env->get_variable(held, m_with_stack, &value);
    m_env->push(static_cast<as_value&&>(value));
}

bool interpreter::read_cached_variable(int key, const bx_string& name, as_value* out) {
    if (!variables_are_plain() || name.has_path_separator() || get_verbose_action()) return false;
    const as_value* member = remembered_member(key, m_env->get_target(), name, false);
    if (!member) return false;
    *out = *member;
    return true;
}

bool interpreter::store_remembering(as_object* object, const bx_string& name, int count) {
    const as_value* member = remember_then_read(m_pc, object, name, true);
    if (!member) return false;
    store_remembered(object, const_cast<as_value&>(*member), count);
    return true;
}

void interpreter::read_member_of_top(action_step& step, const bx_string& fixed_name) {
    as_value& object_slot = top(0);
    // The name is fixed: the remembered entry holds it while the cache holds.
    const as_value* member =
        object_slot.is_object() ? remembered_slot(step.cache, object_slot.to_object(), false)
                                : nullptr;
    if (!member || member->is_property()) {
        read_member_remembered(push_cache_key(step), fixed_name);
    } else if (member->get_type() == as_value::NUMBER) {
        // The number is read before the slot lets the object go.
        object_slot.set_double(member->to_number());
    } else {
        // The copy is taken before the slot lets the object go.
        object_slot = *member;
    }
}

void interpreter::read_member_remembered(int key, const bx_string& fixed_name) {
    as_value& object_slot = top(0);
    if (object_slot.is_object() && !get_verbose_action()) {
        as_object* object = object_slot.to_object();
        if (const as_value* member = remember_then_read(key, object, fixed_name, false)) {
            // The copy is taken before the slot lets the object go.
            object_slot = *member;
            return;
        }
    }
    const as_value object_value(object_slot);
    // A getter run by the read may prepare more records: the name is copied out of them.
    const bx_string name(fixed_name);
    as_value value;
    read_member(object_value, name, &value);
    top(0) = static_cast<as_value&&>(value);
}

bool interpreter::set_cached_member() {
    if (depth() < 3) return false;
    const as_value& object_value = m_env->top_unchecked(2);
    const as_value& name_value = m_env->top_unchecked(1);
    if (!object_value.is_object() || !name_value.is_string() ||
        m_env->top_unchecked(0).is_property()) {
        return false;
    }
    as_object* object = object_value.to_object();
    return object && store_to_member(object, name_value.to_bx_string(), 3);
}

void interpreter::do_get_variable() {
    if (!get_verbose_action()) {
        const bx_string name(top(0).to_bx_string());
        // Read into a new slot above, then moved down over the name.
        drop(1);
        push_variable(m_pc, name);
        return;
    }
    get_variable_generic();
}

void interpreter::get_variable_generic() {
    const bx_string name(top(0).to_bx_string());
    as_value value;
    m_env->get_variable(name, m_with_stack, &value);
    top(0) = static_cast<as_value&&>(value);
    if (!get_verbose_action()) return;
    const as_value& v = top(0);
    if (v.is_object()) {
        log_msg("-------------- get var: %s=%s at %p\n", name.c_str(), v.to_string(),
                static_cast<void*>(v.to_object()));
    } else {
        log_msg("-------------- get var: %s=%s\n", name.c_str(), v.to_string());
    }
}

void interpreter::on_get_variable_plain(int) {
    need(1);
    get_variable_generic();
}

void interpreter::on_set_variable_plain(int) { do_set_variable(); }

void interpreter::on_set_variable(int) {
    if (!set_cached_variable()) do_set_variable();
}

void interpreter::do_set_variable() {
    const bool verbose = get_verbose_action();
    const bx_string name(top(1).to_bx_string());
    const as_value value(static_cast<as_value&&>(top(0)));
    drop(2);
    if (verbose) {
        m_env->set_variable(name, value, m_with_stack);
        log_msg("-------------- set var: %s \n", name.c_str());
    } else if (!name.has_path_separator()) {
        // A plain name, without the log: straight to the lookup.
        m_env->set_variable_raw(name, value, m_with_stack);
    } else {
        m_env->set_variable(name, value, m_with_stack);
    }
}

}  // namespace flash
