#pragma once
// Native extension modules: when action code constructs an object of a class that is neither a
// native nor a script constructor, a module named after the class may provide it. A module is a
// dynamic library exporting "flash_module_init"; each name is tried once and kept loaded.
//
// Modules are off unless the host enables them. Then a name must consist of letters, digits and
// underscores, and only "<game folder>/flash_modules/<name>.so" is loaded, never a library found
// through the system's search path.
#include "flash/base/array.h"
#include "flash/base/bx_string.h"
#include "flash/runtime/as_value.h"

namespace flash {

class as_object;
class engine_instance;

// The entry point a module exports under the name "flash_module_init".
typedef as_object* (*flash_module_init_func)(engine_instance* owner, const array<as_value>& args);

// Engine-wide setting: modules load only while enabled, from the "flash_modules" folder under
// game_folder (the current folder when null).
void set_extension_modules(bool enabled, const char* game_folder = nullptr);
bool get_extension_modules_enabled();

// The module's object, or null when modules are off, the name is not a module name, the library
// cannot be loaded, lacks the entry point, or the entry point gives null. Nothing is logged here.
as_object* load_extension(const bx_string& name, engine_instance* owner, const array<as_value>& args);

}  // namespace flash
