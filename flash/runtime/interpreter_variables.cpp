// GetVariable and SetVariable. A plain read or write of a variable of the target remembers where
// the variable lies in the target's member table, per action, so that a loop over timeline
// variables does not go through every step of the lookup on each turn.
#include "flash/base/log.h"
#include "flash/runtime/interpreter_impl.h"

namespace flash {

namespace {

// Failed attempts to remember a variable at one action before it stops trying (code run for
// many targets in turn, or names that are not own members)...
constexpr int remember_attempts = 8;
// ... after which it tries again once in this many runs.
constexpr int remember_retry_period = 256;

uint32_t member_key_hash(const bx_stringi& key) { return stringi_hash<as_value>::key_hash(key); }

}  // namespace

bool interpreter::remember_variable(int pc, const bx_string& name, bool for_write) {
    as_object* target = m_env->get_target();
    if (!target) return false;
    variable_cache* cache = m_buffer.find_variable_cache(pc);
    if (cache && cache->misses >= remember_attempts) {
        if (++cache->misses < remember_attempts + remember_retry_period) return false;
        cache->misses = remember_attempts;
    }
    // Nothing here runs script: the name stays valid, and so does the target.
    const bx_stringi& key = name.to_bx_stringi();
    const bool own = for_write ? target->writes_own_member(key) : target->reads_own_member(key);
    const stringi_hash<as_value>& members = target->get_members();
    const int index = own ? members.find_index(key, member_key_hash(key)) : -1;
    const bool usable = index >= 0 && !members.entry_at(index).value().is_property();
    if (!cache) cache = m_buffer.make_variable_cache(pc);
    if (!cache) return false;
    as_object* before = cache->object.get_ptr();
    if ((!usable || (before && before != target)) && cache->misses < remember_attempts) {
        ++cache->misses;
    }
    cache->object = target;
    cache->lookup_version = member_lookup_version();
    cache->index = usable ? index : -1;
    return usable;
}

const as_value* interpreter::cached_variable(int pc, const bx_string& name, bool for_write) {
    const variable_cache* cache = m_buffer.find_variable_cache(pc);
    if (!cache || cache->index < 0) return nullptr;
    as_object* target = m_env->get_target();
    if (!target || cache->object.get_ptr() != target) return nullptr;
    // A write does not ask builtins or children; a read does.
    if (!for_write && cache->lookup_version != member_lookup_version()) return nullptr;
    if (for_write && target->has_watches()) return nullptr;
    const bx_stringi& key = name.to_bx_stringi();
    const stringi_hash<as_value>& members = target->get_members();
    if (!members.holds_key_at(cache->index, key, member_key_hash(key))) return nullptr;
    const as_value& member = members.entry_at(cache->index).value();
    return member.is_property() ? nullptr : &member;
}

void interpreter::push_variable(int pc, const bx_string& name) {
    if (variables_are_plain() && !name.has_path_separator()) {
        const as_value* member = cached_variable(pc, name, false);
        if (!member && remember_variable(pc, name, false)) member = cached_variable(pc, name, false);
        if (member) {
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

bool interpreter::set_cached_variable() {
    const as_value& name_value = top(1);
    as_value& value = top(0);
    if (!name_value.is_string() || value.is_property() || !variables_are_plain()) return false;
    const bx_string& name = name_value.to_bx_string();
    if (name.has_path_separator()) return false;
    const as_value* member = cached_variable(m_pc, name, true);
    if (!member && remember_variable(m_pc, name, true)) member = cached_variable(m_pc, name, true);
    if (!member) return false;
    as_value& slot = const_cast<as_value&>(*member);
    const int flags = slot.get_flags();
    // A read-only member keeps its value, as set_member leaves it.
    if (flags & AS_READ_ONLY) {
        drop(2);
        return true;
    }
    if (slot.get_type() == as_value::OBJECT) {
        // The stack is settled before the old value goes: releasing it may free objects.
        as_value taken(static_cast<as_value&&>(value));
        drop(2);
        slot = static_cast<as_value&&>(taken);
    } else {
        slot = static_cast<as_value&&>(value);
        drop(2);
    }
    slot.set_flags(flags);
    return true;
}

void interpreter::do_get_variable() {
    const bx_string name(top(0).to_bx_string());
    if (!get_verbose_action()) {
        // Read into a new slot above, then moved down over the name.
        drop(1);
        push_variable(m_pc, name);
        return;
    }
    as_value value;
    m_env->get_variable(name, m_with_stack, &value);
    top(0) = static_cast<as_value&&>(value);
    const as_value& v = top(0);
    if (v.is_object()) {
        log_msg("-------------- get var: %s=%s at %p\n", name.c_str(), v.to_string(),
                static_cast<void*>(v.to_object()));
    } else {
        log_msg("-------------- get var: %s=%s\n", name.c_str(), v.to_string());
    }
}

void interpreter::do_set_variable() {
    const bool verbose = get_verbose_action();
    if (!verbose && set_cached_variable()) return;
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
