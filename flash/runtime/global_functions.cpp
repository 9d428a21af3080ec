#include "flash/runtime/global_functions.h"

#include "flash/base/log.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/as_object.h"
#include "flash/runtime/engine_instance.h"

namespace flash {

namespace {

// Every member flag: dont-enum, dont-delete and read-only.
constexpr int all_member_flags = AS_DONT_ENUM | AS_DONT_DELETE | AS_READ_ONLY;
// Movies of this version clear every flag when no clear flags are given.
constexpr int clear_all_version = 5;
// (object, names, set flags); the clear flags are optional.
constexpr int min_arguments = 3;

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
    // Without set flags the call would hide every member: nothing is changed.
    if (fn.arg_count < min_arguments) {
        log_error("error: assetpropflags needs three or four arguments\n");
        return;
    }
    int set = fn.arg(2).to_int() & all_member_flags;
    int clear = 0;
    if (fn.arg_count > min_arguments) {
        clear = fn.arg(3).to_int() & all_member_flags;
    } else {
        engine_instance* owner = fn.get_player();
        if (owner && owner->get_movie_version() == clear_all_version) clear = all_member_flags;
    }
    stringi_hash<as_value>& members = obj->get_members();
    bool all = false;
    if (set == 0 && clear == 0) {
        set = 1;
        all = true;
    } else if (!fn.arg(1).is_object() || !fn.arg(1).to_object()) {
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
