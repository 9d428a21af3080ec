#include "flash/runtime/engine_instance.h"

#include "flash/base/hash.h"
#include "flash/runtime/as_object.h"
#include "flash/runtime/as_value.h"

namespace flash {

namespace {

stringi_hash<as_value>* g_builtins[BUILTIN_COUNT] = {};

bool valid_class(int class_id) { return class_id >= 0 && class_id < BUILTIN_COUNT; }

}  // namespace

uint64_t engine_instance::s_builtin_name_bits[BUILTIN_COUNT] = {};

bool engine_instance::get_builtin(int class_id, const bx_stringi& name, as_value* out) {
    return get_builtin(class_id, name, stringi_hash<as_value>::key_hash(name), out);
}

bool engine_instance::find_builtin(int class_id, const bx_stringi& name, uint32_t name_hash,
                                   as_value* out) {
    if (!g_builtins[class_id]) return false;
    const stringi_hash<as_value>& table = *g_builtins[class_id];
    const int index = table.find_index(name, name_hash);
    if (index < 0) return false;
    if (out) *out = table.entry_at(index).value();
    return true;
}

void engine_instance::set_builtin(int class_id, const bx_stringi& name, const as_value& value) {
    if (!valid_class(class_id)) return;
    if (!g_builtins[class_id]) g_builtins[class_id] = new stringi_hash<as_value>();
    g_builtins[class_id]->set(name, value);
    member_lookup_changed();
    s_builtin_name_bits[class_id] |= builtin_name_bit(stringi_hash<as_value>::key_hash(name));
}

void engine_instance::clear_builtins() {
    for (stringi_hash<as_value>*& table : g_builtins) {
        delete table;
        table = nullptr;
    }
    for (uint64_t& bits : s_builtin_name_bits) bits = 0;
    member_lookup_changed();
}

}  // namespace flash
