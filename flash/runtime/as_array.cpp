#include "flash/runtime/as_array.h"

#include <algorithm>

#include "flash/base/log.h"
#include "flash/runtime/name_tables.h"
#include "flash/runtime/engine_instance.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/interpreter.h"

namespace flash {

namespace {

bx_string index_name(int i) { return bx_string::format("%d", i); }

// The texts one conversion makes, nested arrays included, stop growing past this many bytes:
// arrays that hold the same arrays twice over would otherwise take time and memory that double
// with every level.
constexpr int max_array_text_bytes = 1 << 20;
// The bytes the running conversion may still make, whether one runs, and whether it was cut.
thread_local int t_array_text_left = 0;
thread_local bool t_array_text_running = false;
thread_local bool t_array_text_cut = false;

as_array* this_array(const fn_call& fn) {
    if (!fn.this_object || !fn.this_object->is(as_object::ARRAY)) return nullptr;
    return static_cast<as_array*>(fn.this_object);
}

}  // namespace

as_array::as_array(engine_instance* owner) : as_object(owner) {
    builtin_member("join", as_value(as_array_join));
    builtin_member("toString", as_value(as_array_tostring));
    builtin_member("push", as_value(as_array_push));
    builtin_member("pop", as_value(as_array_pop));
    builtin_member("length", as_value(as_value(as_array_length), as_value()));
    builtin_member("loadFromString", as_value(as_array_load_from_string));
    as_value array_function;
    as_object* global = owner ? owner->get_global() : nullptr;
    if (!global || !global->get_members().get("Array", &array_function)) {
        array_function = as_value(new as_c_function(owner, as_global_array_ctor));
    }
    add_fixed_builtin(get_constructor_name(), array_function);
}

bool as_array::is(int class_id) const { return class_id == ARRAY || class_id == OBJECT; }

int as_array::size() const {
    int count = 0;
    for (auto it = m_members.begin(); it != m_members.end(); ++it) {
        if (!(it.get_value().get_flags() & AS_DONT_ENUM)) ++count;
    }
    return count;
}

void as_array::push(const as_value& value) { set_member(index_name(size()), value); }

void as_array::pop(as_value* value) {
    const int n = size();
    if (n <= 0) return;
    const bx_stringi name(index_name(n - 1));
    const int index = m_members.find_index(name);
    if (index < 0) return;
    if (value) *value = m_members.entry_at(index).value();
    m_members.erase(name);
}

void as_array::erase(const bx_stringi& name) { m_members.erase(name); }

void as_array::clear() {
    const int n = size();
    for (int i = 0; i < n; ++i) m_members.erase(index_name(i));
}

const char* as_array::to_string() {
    // Elements convert in turn, so an array that holds itself or arrays nested past the bound
    // would recurse without end: both give the empty text instead.
    if (m_converting) {
        log_error("error: array holds itself, the inner one gives an empty text\n");
        return "";
    }
    nesting_level level;
    if (level.too_deep()) {
        log_error("error: arrays nested deeper than %d, the inner one gives an empty text\n",
                  max_action_nesting);
        return "";
    }
    const bool outermost = !t_array_text_running;
    if (outermost) {
        t_array_text_running = true;
        t_array_text_left = max_array_text_bytes;
        t_array_text_cut = false;
    }
    m_converting = true;
    array<bx_stringi> names;
    for (auto it = m_members.begin(); it != m_members.end(); ++it) {
        if (!(it.get_value().get_flags() & AS_DONT_ENUM)) names.push_back(it.get_key());
    }
    std::sort(names.begin(), names.end(), [](const bx_stringi& a, const bx_stringi& b) {
        return bx_string::stricmp(a.c_str(), b.c_str()) < 0;
    });
    bx_string text;
    for (int i = 0; i < names.size() && t_array_text_left > 0; ++i) {
        if (i > 0) text += ",";
        as_value v;
        m_members.get(names[i], &v);
        const bx_string& piece = v.to_bx_string();
        text += piece;
        t_array_text_left -= piece.size() + (i > 0 ? 1 : 0);
        if (t_array_text_left <= 0 && i + 1 < names.size() && !t_array_text_cut) {
            t_array_text_cut = true;
            log_error("error: array text longer than %d bytes, the rest is left out\n",
                      max_array_text_bytes);
        }
    }
    if (outermost) t_array_text_running = false;
    m_converting = false;
    m_string = text;
    return m_string.c_str();
}

void as_global_array_ctor(const fn_call& fn) {
    smart_ptr<as_array> result(new as_array(fn.get_player()));
    if (fn.arg_count == -1 && fn.first_arg_index == -1) {
        // An array literal: the count, then the elements, come off the stack.
        if (!fn.env) return;
        int n = fn.env->pop().to_int();
        if (n < 0) n = 0;
        // Elements missing from the stack are undefined, as a pop of an empty stack gives; a
        // count past the bound takes only what the stack holds.
        if (n > as_array::max_construct_size && n > fn.env->get_stack_size()) {
            log_error("error: array literal of %d elements, %d on the stack\n", n,
                      fn.env->get_stack_size());
            n = fn.env->get_stack_size();
        }
        for (int i = 0; i < n; ++i) result->set_member(index_name(i), fn.env->pop());
    } else if (fn.arg_count == 1) {
        int n = fn.arg(0).to_int();
        if (n > as_array::max_construct_size) {
            log_error("error: Array(%d): too many elements, an empty array is made\n", n);
            n = 0;
        }
        for (int i = 0; i < n; ++i) result->set_member(index_name(i), as_value());
    } else {
        for (int i = 0; i < fn.arg_count; ++i) result->set_member(index_name(i), fn.arg(i));
    }
    fn.result->set_as_object(result.get_ptr());
}

void as_array_join(const fn_call& fn) {
    as_array* a = this_array(fn);
    if (!a || fn.arg_count < 1) return;
    const bx_string separator = fn.arg(0).to_bx_string();
    const int n = a->size();
    bx_string text;
    for (int i = 0; i < n; ++i) {
        if (i > 0) text += separator;
        as_value v;
        if (a->get_member(index_name(i), &v)) {
            text += v.to_bx_string();
        } else {
            text += "undefined";
        }
    }
    fn.result->set_bx_string(text);
}

void as_array_tostring(const fn_call& fn) {
    if (as_array* a = this_array(fn)) fn.result->set_string(a->to_string());
}

void as_array_push(const fn_call& fn) {
    as_array* a = this_array(fn);
    if (!a) return;
    if (fn.arg_count > 0) a->push(fn.arg(0));
    fn.result->set_int(a->size());
}

void as_array_pop(const fn_call& fn) {
    as_array* a = this_array(fn);
    if (!a) return;
    as_value v;
    a->pop(&v);
    *fn.result = v;
}

void as_array_length(const fn_call& fn) {
    if (as_array* a = this_array(fn)) fn.result->set_int(a->size());
}

void as_array_load_from_string(const fn_call& fn) {
    as_array* a = this_array(fn);
    if (!a) return;
    a->clear();
    if (fn.arg_count < 1) return;
    const bx_string text = fn.arg(0).to_bx_string();
    if (text.size() == 0) return;
    const char* p = text.c_str();
    for (;;) {
        const char* comma = p;
        while (*comma && *comma != ',') ++comma;
        const bx_string piece(p, static_cast<int>(comma - p));
        double d;
        if (string_to_number(&d, piece.c_str())) {
            a->push(as_value(d));
        } else {
            a->push(as_value(piece));
        }
        if (!*comma) break;
        p = comma + 1;
    }
}

}  // namespace flash
