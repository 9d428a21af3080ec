#include <gtest/gtest.h>

#include "interp_test_support.h"

extern "C" flash::as_object* interp_test_make_widget(flash::player* owner, int nargs) {
    flash::as_object* obj = new flash::as_object(owner);
    obj->get_members().set("args", flash::as_value(nargs));
    return obj;
}
