#pragma once
// Global script functions that need no movie: "ASSetPropFlags" and "getVersion", with the
// property "$version" (the global "trace" sits with the conversion functions).
namespace flash {

struct fn_call;
class as_object;

// ASSetPropFlags(object, names, set flags[, clear flags]).
void as_global_assetpropflags(const fn_call& fn);
// getVersion(): "WIN Sep 25 2009 15:14:56".
void as_global_get_version(const fn_call& fn);

// Puts "ASSetPropFlags", "getVersion" and "$version" on the global object.
void global_functions_init(as_object* global);

}  // namespace flash
