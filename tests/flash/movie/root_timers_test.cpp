// Script timers stepped by the movie root: the root's advance listeners hold them weakly, each
// root advance steps them once, and ASSetPropFlags reads the root movie's version.
#include <gtest/gtest.h>

#include <string>

#include "flash/runtime/as_timer.h"
#include "flash/runtime/global_functions.h"
#include "flash/runtime/method_call.h"
#include "root_fixture.h"
#include "tests/support/runtime_test_support.h"

namespace {

using flash::as_object;
using flash::as_timer;
using flash::as_value;
using flash::smart_ptr;
using movietest::root_fixture;
using testsupport::call_native;

int g_calls = 0;
void count_call(const flash::fn_call&) { ++g_calls; }

struct timer_fixture : root_fixture {
    timer_fixture() {
        owner->set_root(r.get_ptr());
        g_calls = 0;
    }
    as_value set_interval(flash::as_c_function_ptr maker, double ms) {
        return call_native(owner.get_ptr(), maker, as_value(), {as_value(counter.get_ptr()), as_value(ms)});
    }
    int listed() { return r->get_advance_listeners().size(); }

    smart_ptr<as_object> counter{new flash::as_c_function(owner.get_ptr(), count_call)};
};

TEST(RootTimers, EachRootAdvanceStepsAnIntervalOnce) {
    timer_fixture f;
    const as_value id = f.set_interval(flash::as_global_setinterval, 100);
    ASSERT_NE(flash::cast_to<as_timer>(id.to_object()), nullptr);
    EXPECT_EQ(f.listed(), 1);
    f.r->advance(0.25f);
    EXPECT_EQ(g_calls, 1);
    EXPECT_NEAR(flash::cast_to<as_timer>(id.to_object())->get_elapsed(), 0.05f, 1e-6f);
    for (int i = 0; i < 3; ++i) f.r->advance(0.25f);
    EXPECT_EQ(g_calls, 4);
    // A garbage pass leaves it alone: the value the host holds keeps the timer.
    f.owner->set_as_garbage();
    f.owner->clear_garbage();
    f.r->advance(0.25f);
    EXPECT_EQ(g_calls, 5);
}

TEST(RootTimers, ClearingAndTimeoutsLeaveTheList) {
    timer_fixture f;
    const as_value interval = f.set_interval(flash::as_global_setinterval, 100);
    const as_value timeout = f.set_interval(flash::as_global_settimeout, 50);
    EXPECT_EQ(f.listed(), 2);
    call_native(f.owner.get_ptr(), flash::as_global_clearinterval, as_value(), {as_value(5)});
    EXPECT_EQ(f.listed(), 2);
    f.r->advance(0.25f);
    EXPECT_EQ(g_calls, 2);
    EXPECT_EQ(f.listed(), 1);  // the timeout took itself off after its call
    f.r->advance(0.25f);
    EXPECT_EQ(g_calls, 3);
    // clearTimeout is the same function as clearInterval.
    as_value clear_timeout;
    ASSERT_TRUE(f.owner->get_global()->get_member("clearTimeout", &clear_timeout));
    flash::call_with_args(f.owner.get_ptr(), clear_timeout, as_value(), {interval});
    EXPECT_EQ(f.listed(), 0);
    f.r->advance(0.25f);
    EXPECT_EQ(g_calls, 3);
}

TEST(RootTimers, ATimerNothingHoldsIsGoneAtOnce) {
    // The list holds timers weakly: an interval whose id the script drops never fires.
    timer_fixture f;
    f.set_interval(flash::as_global_setinterval, 100);
    EXPECT_EQ(f.listed(), 0);
    f.r->advance(0.25f);
    EXPECT_EQ(g_calls, 0);

    // Kept in a member of the root movie, it lives through the garbage passes until the member
    // lets it go.
    f.movie->set_member("id", f.set_interval(flash::as_global_setinterval, 100));
    for (int i = 0; i < 3; ++i) {
        f.r->advance(0.25f);
        f.owner->set_as_garbage();
        f.owner->clear_garbage();
    }
    EXPECT_EQ(g_calls, 3);
    // The garbage pass entered it in the heap: it fires until the next pass drops it.
    f.movie->set_member("id", as_value());
    f.r->advance(0.25f);
    EXPECT_EQ(g_calls, 4);
    f.owner->set_as_garbage();
    f.owner->clear_garbage();
    f.r->advance(0.25f);
    EXPECT_EQ(g_calls, 4);
    EXPECT_EQ(f.listed(), 0);
}

TEST(RootTimers, AssetPropFlagsClearsEveryFlagInVersionFiveMovies) {
    for (int version : {5, 6}) {
        movietest::movie_fixture f;
        swf::MovieWriter m(version);
        m.show_frame();
        m.end();
        flash::movie_def_impl* def = f.load("v.swf", m.finish_fws());
        ASSERT_NE(def, nullptr);
        smart_ptr<flash::root> r(new flash::root(f.owner.get_ptr(), def));
        f.owner->set_root(r.get_ptr());
        EXPECT_EQ(f.owner->get_movie_version(), version);
        smart_ptr<as_object> o(new as_object(f.owner.get_ptr()));
        for (const char* name : {"a", "b"}) {
            o->set_member(name, as_value(1));
            o->set_member_flags(name, flash::AS_DONT_ENUM | flash::AS_DONT_DELETE);
        }
        as_value null_value;
        null_value.set_null();
        call_native(f.owner.get_ptr(), flash::as_global_assetpropflags, as_value(),
                    {as_value(o.get_ptr()), null_value, as_value(flash::AS_READ_ONLY)});
        const int expected = version == 5 ? flash::AS_READ_ONLY
                                          : flash::AS_READ_ONLY | flash::AS_DONT_ENUM | flash::AS_DONT_DELETE;
        for (const char* name : {"a", "b"}) {
            const int index = o->get_members().find_index(name);
            ASSERT_GE(index, 0);
            EXPECT_EQ(o->get_members().entry_at(index).value().get_flags(), expected) << version << name;
        }
        r = nullptr;
    }
}

}  // namespace
