#include "flash/runtime/as_environment.h"

#include <cstring>

#include "flash/base/log.h"
#include "flash/base/utf8.h"
#include "flash/runtime/name_tables.h"
#include "flash/runtime/engine_instance.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/script_limits.h"

namespace flash {

namespace {

const array<with_scope>& empty_with_stack() {
    static const array<with_scope> empty;
    return empty;
}

}  // namespace

as_environment::as_environment(engine_instance* owner) : m_player(owner) {}

as_environment::~as_environment() {
    if (m_locals_account) m_locals_account->credit(m_locals_charged);
}

root* as_environment::get_root() const {
    engine_instance* owner = get_player();
    return owner ? owner->get_root() : nullptr;
}

as_value& as_environment::scratch() const {
    m_scratch.set_undefined();
    return m_scratch;
}

bool as_environment::stack_may_grow() {
    if (m_stack_top < get_stack_limit()) return true;
    stop_script_run(this, bx_string::format("grew its stack past %d values", get_stack_limit()).c_str());
    return false;
}

void as_environment::push_grown(const as_value& value) {
    if (!stack_may_grow()) return;
    const int before = m_stack.size();
    m_stack.push_back(value);
    if (m_stack.size() == before) return;  // refused and logged by the array
    ++m_stack_top;
}

void as_environment::push_grown(as_value&& value) {
    if (!stack_may_grow()) return;
    const int before = m_stack.size();
    m_stack.push_back(static_cast<as_value&&>(value));
    if (m_stack.size() == before) return;  // refused and logged by the array
    ++m_stack_top;
}

void as_environment::push(int value) { push(as_value(value)); }
void as_environment::push(bool value) { push(as_value(value)); }
void as_environment::push(const wchar_t* text) { push(as_value(text)); }

void as_environment::push(const uint16_t* text) {
    bx_string utf8;
    if (text) bx_string::encode_utf8_from_wchar(&utf8, text);
    push(as_value(utf8));
}

void as_environment::push(as_object* object) { push(as_value(object)); }

as_value as_environment::pop() {
    if (m_stack_top <= 0) return as_value();
    --m_stack_top;
    as_value result(m_stack[m_stack_top]);
    m_stack[m_stack_top].set_undefined();
    return result;
}

void as_environment::set_stack_size(int size) {
    if (size < 0) size = 0;
    if (size > m_stack.size()) size = m_stack.size();
    for (int i = size; i < m_stack_top; ++i) m_stack[i].set_undefined();
    m_stack_top = size;
}

void as_environment::cut_stack(int size) {
    set_stack_size(size);
    if (m_stack.size() > m_stack_top) m_stack.resize(m_stack_top);
}

void start_target_hold::take() {
    m_taken_target = get();
    m_taken = true;
}

void as_environment::take_target_holds() {
    // An outer hold took its target no later than an inner one: the first taken one ends it.
    for (start_target_hold* hold = m_target_holds; hold && !hold->m_taken; hold = hold->m_outer) {
        hold->take();
    }
}

void as_environment::set_target(as_object* target) {
    take_target_holds();
    m_target_is_owner = target && target == m_owner.get_ptr();
    m_target = m_target_is_owner ? nullptr : target;
}

void as_environment::set_owner(as_object* owner) {
    m_owner = owner;
    set_target(owner);
}

as_value& as_environment::global_register(int n) {
    if (n < 0 || n > 3) return scratch();
    return m_global_register[n];
}

as_value& as_environment::get_register(int n) {
    const int index = m_local_register_count - n - 1;
    as_value& slot = (index >= 0 && index < m_local_register_count) ? m_local_register[index]
                                                                      : scratch();
    if (get_verbose_action()) {
        log_msg("-------------- get_register(%d): %s at %p\n", n, slot.to_string(),
                static_cast<void*>(&slot));
    }
    return slot;
}

void as_environment::set_register(int n, const as_value& value) {
    const int index = m_local_register_count - n - 1;
    if (index < 0 || index >= m_local_register_count) {
        log_error("error: set_register(%d): no such local register\n", n);
        return;
    }
    as_value& slot = m_local_register[index];
    slot = value;
    if (get_verbose_action()) {
        log_msg("-------------- set_register(%d): %s at %p\n", n, slot.to_string(),
                static_cast<void*>(&slot));
    }
}

void as_environment::add_local_registers(int count) {
    if (count <= 0) return;
    const int wanted = m_local_register_count + count;
    if (wanted > m_local_register.size() && !m_local_register.resize(wanted)) return;
    m_local_register_count = wanted;
}

void as_environment::drop_local_registers(int count) {
    if (count <= 0) return;
    const int size = m_local_register_count - count < 0 ? 0 : m_local_register_count - count;
    for (int i = size; i < m_local_register_count; ++i) m_local_register[i].set_undefined();
    m_local_register_count = size;
}

void as_environment::set_local(const bx_string& name, const as_value& value) {
    const int index = find_local(name, false);
    if (index >= 0) {
        m_local_frames[index].value = value;
    } else {
        add_local(name, value);
    }
}

void as_environment::declare_local(const bx_string& name) {
    if (find_local(name, false) < 0) add_local(name, as_value());
}

bool as_environment::charge_local_slot(const bx_string& name) {
    // Locals are found by a walk down their frames: their count bounds each lookup's time.
    if (m_local_frames.size() >= max_local_slots) {
        stop_script_run(this, bx_string::format("made more than %d local variables", max_local_slots).c_str());
        return false;
    }
    script_account* account = m_locals_account ? m_locals_account.get_ptr() : current_script_account();
    if (!account) return true;
    // A slot is counted as a member is.
    const int64_t bytes = script_member_bytes + name.size();
    if (!account->charge(bytes)) return false;
    m_locals_account = account;
    m_locals_charged += bytes;
    return true;
}

void as_environment::add_local_grown(const bx_string& name, const as_value& value) {
    if (!charge_local_slot(name)) return;
    const int before = m_local_frames.size();
    m_local_frames.push_back(frame_slot(name, value));
    if (m_local_frames.size() == before) return;  // refused and logged by the array
    if (name.capacity() > max_kept_local_name) m_long_local_names = true;
    ++m_local_frame_count;
}

void as_environment::add_local_grown(const bx_string& name, as_value&& value) {
    if (!charge_local_slot(name)) return;
    const int before = m_local_frames.size();
    m_local_frames.push_back(frame_slot(name, static_cast<as_value&&>(value)));
    if (m_local_frames.size() == before) return;  // refused and logged by the array
    if (name.capacity() > max_kept_local_name) m_long_local_names = true;
    ++m_local_frame_count;
}

void as_environment::forget_long_local_names(int first, int end) {
    frame_slot* slots = m_local_frames.data();
    for (int i = first; i < end; ++i) {
        if (slots[i].name.capacity() > max_kept_local_name) slots[i].name.clear();
    }
    // Slots above end were cut before, and lost their long names then.
    if (first == 0) m_long_local_names = false;
}

bool as_environment::parse_path(const bx_string& var_path, bx_string* path, bx_string* var) {
    const char* text = var_path.c_str();
    const char* colon = std::strrchr(text, ':');
    if (colon) {
        if (var) *var = colon + 1;
        int length = static_cast<int>(colon - text);
        // A slash right before the colon goes, unless it is the whole path ("/:x").
        if (length > 1 && text[length - 1] == '/') --length;
        if (path) *path = bx_string(text, length);
        return true;
    }
    const char* dot = std::strrchr(text, '.');
    if (dot) {
        if (path) *path = bx_string(text, static_cast<int>(dot - text));
        if (var) *var = dot + 1;
        return true;
    }
    return false;
}

as_object* as_environment::find_target(const as_value& path) const {
    as_object* found = nullptr;
    if (as_object* target = get_target()) found = target->find_target(path);
    if (!found) {
        engine_instance* owner = get_player();
        as_object* global = owner ? owner->get_global() : nullptr;
        if (global) found = global->find_target(path);
    }
    return found;
}

as_value as_environment::get_variable(const bx_string& var_path) const {
    return get_variable(var_path, empty_with_stack());
}

as_value as_environment::get_variable_by_path(const bx_string& var_path,
                                              const array<with_scope>& with_stack) const {
    bx_string path, var;
    if (!parse_path(var_path, &path, &var)) return get_variable_raw(var_path, with_stack);
    as_object* target = find_target(as_value(path));
    if (!target) {
        if (get_verbose_action()) log_msg("find_target(\"%s\") failed\n", path.c_str());
        return as_value();
    }
    as_keep_alive keep(target);
    as_value result;
    target->get_member(var, &result);
    return result;
}

as_value as_environment::get_variable_raw(const bx_string& name,
                                          const array<with_scope>& with_stack) const {
    as_value result;
    get_variable_raw(name, with_stack, &result);
    return result;
}

void as_environment::get_variable_raw(const bx_string& name, const array<with_scope>& with_stack,
                                      as_value* out) const {
    // Members are looked up under the same text, without a case-insensitive copy of it.
    const bx_stringi& key = name.to_bx_stringi();
    for (int i = with_stack.size() - 1; i >= 0; --i) {
        as_object* object = with_stack[i].object.get_ptr();
        if (object && object->get_member(key, out)) return;
    }
    if (m_local_frame_count > 0) {
        const int local = find_local(name, true);
        if (local >= 0) {
            *out = m_local_frames[local].value;
            return;
        }
    }
    as_object* target = get_target();
    if (target && target->get_member(key, out)) return;
    get_standard_or_global(key, target, out);
}

void as_environment::get_standard_or_global(const bx_stringi& key, as_object* target,
                                            as_value* out) const {
    engine_instance* owner = get_player();
    switch (get_standard_member(key)) {
        case MTHIS:
            out->set_as_object(target && target->is_character() ? target : nullptr);
            return;
        case M_ROOT:
        case M_LEVEL0:
            out->set_as_object(owner ? owner->get_root_movie() : nullptr);
            return;
        case M_GLOBAL:
            out->set_as_object(owner ? owner->get_global() : nullptr);
            return;
        default:
            break;
    }
    as_object* global = owner ? owner->get_global() : nullptr;
    if (global && global->get_member(key, out)) return;
    if (get_verbose_action()) {
        log_msg("get_variable_raw(\"%s\") failed, returning UNDEFINED.\n", key.c_str());
    }
    out->set_undefined();
}

void as_environment::set_variable(const bx_string& var_path, const as_value& value) {
    set_variable(var_path, value, empty_with_stack());
}

void as_environment::set_variable(const bx_string& var_path, const as_value& value,
                                  const array<with_scope>& with_stack) {
    if (get_verbose_action()) {
        log_msg("-------------- %s = %s\n", var_path.c_str(), value.to_string());
    }
    // Most names are plain: no path to split, and no path texts to make.
    if (var_path.has_path_separator()) {
        bx_string path, var;
        if (parse_path(var_path, &path, &var)) {
            as_object* target = get_target();
            as_object* found = target ? target->find_target(as_value(path)) : nullptr;
            if (found && found->is_character()) found->set_member(var, value);
            return;
        }
    }
    set_variable_raw(var_path, value, with_stack);
}

void as_environment::set_variable_raw(const bx_string& name, const as_value& value,
                                      const array<with_scope>& with_stack) {
    const bx_stringi& key = name.to_bx_stringi();
    for (int i = with_stack.size() - 1; i >= 0; --i) {
        as_object* object = with_stack[i].object.get_ptr();
        if (object && object->get_member(key, nullptr)) {
            object->set_member(key, value);
            return;
        }
    }
    const int local = m_local_frame_count > 0 ? find_local(name, true) : -1;
    if (local >= 0) {
        m_local_frames[local].value = value;
        return;
    }
    if (as_object* target = get_target()) {
        target->set_member(key, value);
        return;
    }
    add_local(name, value);
    log_error("can't set_variable_raw %s=%s, target is NULL, it's assumed as local\n",
              name.c_str(), value.to_string());
    if (get_verbose_action()) log_msg("probably you forgot to declare variable '%s'\n", name.c_str());
}

}  // namespace flash
