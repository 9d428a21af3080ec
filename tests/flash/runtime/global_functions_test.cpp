// The movie-independent global functions: ASSetPropFlags' flag rules, trace and the version texts.
#include <gtest/gtest.h>

#include <string>

#include "flash/runtime/as_array.h"
#include "flash/runtime/as_global.h"
#include "flash/runtime/global_functions.h"
#include "tests/support/engine_log.h"
#include "tests/support/runtime_test_support.h"
#include "tests/support/stub_engine.h"

using flash::as_object;
using flash::as_value;
using flash::smart_ptr;
using testsupport::call_native;

namespace {

class GlobalFunctionsTest : public ::testing::Test {
protected:
    // o = {a, b, c} with the flags given.
    smart_ptr<as_object> make_object(int flags) {
        smart_ptr<as_object> o(new as_object(p));
        for (const char* name : {"a", "b", "c"}) {
            o->set_member(name, as_value(1));
            o->set_member_flags(name, flags);
        }
        return o;
    }
    static int flags_of(as_object* o, const char* name) {
        const int index = o->get_members().find_index(name);
        return index < 0 ? -1 : o->get_members().entry_at(index).value().get_flags();
    }
    as_value names(std::initializer_list<as_value> list) {
        return testsupport::call_native(p.get_ptr(), flash::as_global_array_ctor, as_value(), list);
    }

    testsupport::engine_log log;
    smart_ptr<testsupport::stub_engine> p{new testsupport::stub_engine};
};

TEST_F(GlobalFunctionsTest, AssetPropFlagsRules) {
    as_value null_value;
    null_value.set_null();
    struct row {
        const char* what;
        int start_flags;
        bool name_list;  // names ["a", 5, "zz"] instead of null
        std::initializer_list<int> flags;  // set[, clear]
        int a, b;
    } rows[] = {
        {"null names, 0, 0: every member hidden", 0, false, {0, 0}, 1, 1},
        {"null names set read-only", 0, false, {4}, 4, 4},
        {"set keeps other flags without clear", 2, false, {4}, 6, 6},
        {"set and clear", 7, false, {4, 3}, 4, 4},
        {"flags outside the three bits dropped", 0, false, {8 + 2, 8}, 2, 2},
        {"a name list touches only string names that exist", 0, true, {4}, 4, 0},
        {"names with clear", 7, true, {0, 1}, 6, 7},
    };
    for (const row& r : rows) {
        smart_ptr<as_object> o = make_object(r.start_flags);
        const as_value list = r.name_list ? names({as_value("a"), as_value(5), as_value("zz")}) : null_value;
        std::initializer_list<as_value> three = {as_value(o.get_ptr()), list, as_value(*r.flags.begin())};
        if (r.flags.size() == 1) {
            call_native(p.get_ptr(), flash::as_global_assetpropflags, as_value(), three);
        } else {
            call_native(p.get_ptr(), flash::as_global_assetpropflags, as_value(),
                        {as_value(o.get_ptr()), list, as_value(*r.flags.begin()), as_value(*(r.flags.begin() + 1))});
        }
        EXPECT_EQ(flags_of(o.get_ptr(), "a"), r.a) << r.what;
        EXPECT_EQ(flags_of(o.get_ptr(), "b"), r.b) << r.what;
    }
}

TEST_F(GlobalFunctionsTest, AssetPropFlagsRefusesANullObjectAndTooFewArguments) {
    smart_ptr<as_object> o = make_object(0);
    as_value null_value;
    null_value.set_null();
    call_native(p.get_ptr(), flash::as_global_assetpropflags, as_value(), {null_value, null_value, as_value(1)});
    EXPECT_EQ(log.errors(), "error: assetpropflags for NULL object\n");
    log.errors().clear();
    // Two arguments would otherwise hide every member.
    call_native(p.get_ptr(), flash::as_global_assetpropflags, as_value(), {as_value(o.get_ptr()), null_value});
    EXPECT_EQ(log.errors(), "error: assetpropflags needs three or four arguments\n");
    for (const char* name : {"a", "b", "c"}) EXPECT_EQ(flags_of(o.get_ptr(), name), 0) << name;
}

TEST_F(GlobalFunctionsTest, TraceAndVersionTexts) {
    call_native(p.get_ptr(), flash::as_global_trace, as_value(), {as_value()});
    call_native(p.get_ptr(), flash::as_global_trace, as_value());
    call_native(p.get_ptr(), flash::as_global_trace, as_value(), {as_value(2.5)});
    EXPECT_EQ(log.messages(), "undefined\nundefined\n2.5\n");
    EXPECT_STREQ(call_native(p.get_ptr(), flash::as_global_get_version, as_value()).to_string(),
                 "WIN Sep 25 2009 15:14:56");
    as_value capabilities, version, dollar_version;
    ASSERT_TRUE(p->get_global()->get_member("Capabilities", &capabilities));
    ASSERT_TRUE(capabilities.to_object()->get_member("version", &version));
    EXPECT_STREQ(version.to_string(), "WIN 9,0,45,0");
    ASSERT_TRUE(p->get_global()->get_member("$version", &dollar_version));
    EXPECT_STREQ(dollar_version.to_string(), "WIN Sep 25 2009 15:14:56");
}

TEST_F(GlobalFunctionsTest, TheGlobalObjectCarriesTheTimersKeyAndTextFormat) {
    as_object* global = p->get_global();
    for (const char* name : {"TextFormat", "Key", "setInterval", "clearInterval", "setTimeout", "clearTimeout"}) {
        as_value v;
        EXPECT_TRUE(global->get_member(name, &v)) << name;
        EXPECT_NE(v.to_object(), nullptr) << name;
    }
    as_value clear_interval, clear_timeout;
    global->get_member("clearInterval", &clear_interval);
    global->get_member("clearTimeout", &clear_timeout);
    EXPECT_EQ(clear_interval.to_object(), clear_timeout.to_object());
}

}  // namespace
