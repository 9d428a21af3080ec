#pragma once
// Global script functions that need no movie: "ASSetPropFlags" and "getVersion" (the engine
// instance puts them on the global object, with "getVersion" as the getter of "$version"; the
// global "trace" sits with the conversion functions).
namespace flash {

struct fn_call;

// ASSetPropFlags(object, names, set flags[, clear flags]).
void as_global_assetpropflags(const fn_call& fn);
// getVersion(): "WIN Sep 25 2009 15:14:56".
void as_global_get_version(const fn_call& fn);

}  // namespace flash
