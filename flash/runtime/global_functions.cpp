#include "flash/runtime/global_functions.h"

#include "flash/base/log.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/as_object.h"

namespace flash {

namespace {

void change_flags(as_value& member, int set, int clear) {
    member.set_flags((member.get_flags() & ~clear) | set);
}

}  // namespace

void as_global_assetpropflags(const fn_call& fn) {
    as_object* obj = fn.arg_count > 0 ? fn.arg(0).to_object() : nullptr;
    if (!obj) {
        log_error("error: assetpropflags for NULL object\n");
        return;
    }
    int set = fn.arg_count > 2 ? fn.arg(2).to_int() & 7 : 0;
    // Three arguments clear nothing: only version 5 movies clear every flag, and no movie here
    // runs under version 5 rules.
    const int clear = fn.arg_count > 3 ? fn.arg(3).to_int() & 7 : 0;
    stringi_hash<as_value>& members = obj->get_members();
    bool all = false;
    if (set == 0 && clear == 0) {
        set = 1;
        all = true;
    } else if (fn.arg_count < 2 || !fn.arg(1).is_object() || !fn.arg(1).to_object()) {
        all = true;
    }
    if (all) {
        for (auto it = members.begin(); it != members.end(); ++it) {
            change_flags(it.get_value(), set, clear);
        }
        return;
    }
    as_object* names = fn.arg(1).to_object();
    as_keep_alive keep(names);
    for (auto it = names->get_members().begin(); it != names->get_members().end(); ++it) {
        const as_value& name = it.get_value();
        if (!name.is_string()) continue;
        const int index = members.find_index(name.to_bx_stringi());
        if (index >= 0) change_flags(members.entry_at(index).value(), set, clear);
    }
}

void as_global_get_version(const fn_call& fn) {
    if (fn.result) fn.result->set_string("WIN Sep 25 2009 15:14:56");
}

}  // namespace flash
