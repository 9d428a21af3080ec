#include "flash/runtime/standard_globals.h"

#include "flash/runtime/as_array.h"
#include "flash/runtime/as_global.h"
#include "flash/runtime/as_key.h"
#include "flash/runtime/as_object.h"
#include "flash/runtime/as_string.h"
#include "flash/runtime/as_textformat.h"
#include "flash/runtime/as_timer.h"
#include "flash/runtime/engine_instance.h"
#include "flash/runtime/global_functions.h"

namespace flash {

void set_standard_globals(engine_instance* owner, as_object* global,
                          const movie_constructors& movie) {
    stringi_hash<as_value>& g = global->get_members();
    auto function = [owner](as_c_function_ptr func) {
        return as_value(new as_c_function(owner, func));
    };
    g.set("trace", function(as_global_trace));
    g.set("Object", function(as_object_ctor));
    g.set("Array", function(as_global_array_ctor));
    // Every clip inherits from its prototype (see sprite_instance's construction).
    if (movie.movie_clip) g.set("MovieClip", function(movie.movie_clip));
    g.set("TextFormat", function(as_global_textformat_ctor));
    if (movie.movie_clip_loader) g.set("MovieClipLoader", function(movie.movie_clip_loader));
    g.set("String", as_value(string_class_init(owner)));
    g.set("Number", function(as_global_number_ctor));
    g.set("Boolean", function(as_global_boolean_ctor));
    as_object* capabilities = new as_object(owner);
    g.set("Capabilities", as_value(capabilities));
    capabilities->get_members().set("version", as_value("WIN 9,0,45,0"));
    g.set("ASSetPropFlags", function(as_global_assetpropflags));
    g.set("Key", as_value(new as_key(owner)));
    g.set("setInterval", function(as_global_setinterval));
    const as_value clear_interval = function(as_global_clearinterval);
    g.set("clearInterval", clear_interval);
    g.set("setTimeout", function(as_global_settimeout));
    g.set("clearTimeout", clear_interval);
    const as_value get_version = function(as_global_get_version);
    g.set("getVersion", get_version);
    g.set("parseFloat", function(as_global_parse_float));
    g.set("parseInt", function(as_global_parse_int));
    g.set("isNaN", function(as_global_isnan));
    if (movie.text_field) g.set("TextField", function(movie.text_field));
    g.set("$version", as_value(get_version, as_value()));
    global->set_member_flags("$version", 1);
}

void set_standard_builtins() {
    struct entry {
        int id;
        const char* name;
        as_c_function_ptr func;
    };
    static const entry entries[] = {
        {BUILTIN_OBJECT_METHOD, "addProperty", as_object_addproperty},
        {BUILTIN_OBJECT_METHOD, "registerClass", as_object_registerclass},
        {BUILTIN_OBJECT_METHOD, "hasOwnProperty", as_object_hasownproperty},
        {BUILTIN_OBJECT_METHOD, "watch", as_object_watch},
        {BUILTIN_OBJECT_METHOD, "unwatch", as_object_unwatch},
        {BUILTIN_OBJECT_METHOD, "addEventListener", as_object_addeventlistener},
        {BUILTIN_NUMBER_METHOD, "toString", as_number_to_string},
        {BUILTIN_NUMBER_METHOD, "valueOf", as_primitive_value_of},
        {BUILTIN_BOOLEAN_METHOD, "toString", as_boolean_to_string},
        {BUILTIN_BOOLEAN_METHOD, "valueOf", as_primitive_value_of},
        {BUILTIN_STRING_METHOD, "toString", string_to_string},
        {BUILTIN_STRING_METHOD, "fromCharCode", string_from_char_code},
        {BUILTIN_STRING_METHOD, "charCodeAt", string_char_code_at},
        {BUILTIN_STRING_METHOD, "concat", string_concat},
        {BUILTIN_STRING_METHOD, "indexOf", string_index_of},
        {BUILTIN_STRING_METHOD, "lastIndexOf", string_last_index_of},
        {BUILTIN_STRING_METHOD, "slice", string_slice},
        {BUILTIN_STRING_METHOD, "split", string_split},
        {BUILTIN_STRING_METHOD, "substring", string_substring},
        {BUILTIN_STRING_METHOD, "substr", string_substr},
        {BUILTIN_STRING_METHOD, "toLowerCase", string_to_lower_case},
        {BUILTIN_STRING_METHOD, "toUpperCase", string_to_upper_case},
        {BUILTIN_STRING_METHOD, "charAt", string_char_at},
        {BUILTIN_STRING_METHOD, "length", string_length},
    };
    for (const entry& e : entries) {
        engine_instance::set_builtin(e.id, e.name, as_value(new as_c_function(nullptr, e.func)));
    }
}

}  // namespace flash
