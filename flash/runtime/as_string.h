#pragma once
// The native methods of script strings, the String constructor and the String class object.
// The string worked on is the text of the call's this value.
namespace flash {

struct fn_call;
class as_object;
class engine_instance;

void string_to_string(const fn_call& fn);
void string_length(const fn_call& fn);
void string_char_at(const fn_call& fn);
void string_char_code_at(const fn_call& fn);
void string_concat(const fn_call& fn);
void string_from_char_code(const fn_call& fn);
void string_index_of(const fn_call& fn);
void string_last_index_of(const fn_call& fn);
void string_slice(const fn_call& fn);
void string_substring(const fn_call& fn);
void string_substr(const fn_call& fn);
void string_split(const fn_call& fn);
void string_to_lower_case(const fn_call& fn);
void string_to_upper_case(const fn_call& fn);
void string_ctor(const fn_call& fn);

// The String class object: a native function over the constructor with "fromCharCode".
as_object* string_class_init(engine_instance* owner);

}  // namespace flash
