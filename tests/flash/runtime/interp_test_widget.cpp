// The object the loader tests' extension module builds, made in the test program that loads it
// (the module calls back into it).
#include "flash/runtime/as_object.h"
#include "flash/runtime/engine_instance.h"

extern "C" flash::as_object* interp_test_make_widget(flash::engine_instance* owner, int nargs) {
    flash::as_object* obj = new flash::as_object(owner);
    obj->get_members().set("args", flash::as_value(nargs));
    return obj;
}
