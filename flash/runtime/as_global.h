#pragma once
// Global conversion functions ("Boolean", "Number", "parseFloat", "parseInt", "isNaN"), the
// "toString" and "valueOf" methods of numbers and booleans, and the global "trace".
namespace flash {

struct fn_call;

void as_global_boolean_ctor(const fn_call& fn);
void as_global_number_ctor(const fn_call& fn);
void as_global_parse_float(const fn_call& fn);
void as_global_parse_int(const fn_call& fn);
void as_global_isnan(const fn_call& fn);
void as_global_trace(const fn_call& fn);
void as_boolean_to_string(const fn_call& fn);
void as_number_to_string(const fn_call& fn);
// Returns the this value unchanged.
void as_primitive_value_of(const fn_call& fn);

}  // namespace flash
