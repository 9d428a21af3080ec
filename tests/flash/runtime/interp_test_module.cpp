// An extension module for the loader tests: builds its object through the test program.
#include "flash/base/array.h"

namespace flash {
class as_object;
class as_value;
class engine_instance;
}  // namespace flash

extern "C" flash::as_object* interp_test_make_widget(flash::engine_instance* owner, int nargs);

extern "C" __attribute__((visibility("default"))) flash::as_object* flash_module_init(
    flash::engine_instance* owner, const flash::array<flash::as_value>& args) {
    return interp_test_make_widget(owner, args.size());
}
