// Interval and timeout timers stepped by hand: the interval, elapsed time, arguments, this
// object, one-shot timers, degenerate intervals and weak links.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "flash/runtime/as_timer.h"
#include "tests/support/runtime_test_support.h"
#include "tests/support/stub_engine.h"

using flash::as_object;
using flash::as_timer;
using flash::as_value;
using flash::smart_ptr;
using testsupport::call_native;

namespace {

// What the last calls saw: a count, the this object's tag and the arguments.
struct call_record {
    int calls = 0;
    std::string this_tag;
    std::string args;
};
call_record g_record;

void tick(const flash::fn_call& fn) {
    ++g_record.calls;
    as_value tag;
    g_record.this_tag = fn.this_object && fn.this_object->get_member("tag", &tag) ? tag.to_string() : "-";
    g_record.args.clear();
    for (int i = 0; i < fn.arg_count; ++i) g_record.args += std::string(fn.arg(i).to_string()) + ",";
}

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override { g_record = call_record(); }

    as_value call(flash::as_c_function_ptr f, std::initializer_list<as_value> args,
                  const as_value& self = as_value()) {
        return call_native(p, f, self, args);
    }
    as_timer* timer_of(const as_value& v) { return flash::cast_to<as_timer>(v.to_object()); }

    smart_ptr<testsupport::stub_engine> p{new testsupport::stub_engine};
    smart_ptr<as_object> tick_function{new flash::as_c_function(p.get_ptr(), tick)};
};

TEST_F(TimerTest, AnIntervalCallsAtMostOncePerStepAndKeepsTheRemainder) {
    const as_value made = call(flash::as_global_setinterval, {as_value(tick_function.get_ptr()), as_value(100)});
    as_timer* timer = timer_of(made);
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->is(as_object::TIMER));
    EXPECT_FALSE(timer->is_one_shot());
    EXPECT_FLOAT_EQ(timer->get_interval(), 0.1f);
    timer->advance(0.25f);
    EXPECT_EQ(g_record.calls, 1);
    EXPECT_NEAR(timer->get_elapsed(), 0.05f, 1e-6);
    timer->advance(0.25f);
    EXPECT_EQ(g_record.calls, 2);
    // 0.05 + 0.25 = 0.3: one call, remainder fmod(0.2, 0.1).
    EXPECT_NEAR(timer->get_elapsed(), 0.0f, 1e-6f) << timer->get_elapsed();
    // A step shorter than the interval only adds time.
    timer->set_interval(1.0f);
    const float before = timer->get_elapsed();
    timer->advance(0.25f);
    EXPECT_EQ(g_record.calls, 2);
    EXPECT_NEAR(timer->get_elapsed(), before + 0.25f, 1e-6f);
}

TEST_F(TimerTest, TheMethodFormCallsTheObjectsMethodWithTheExtraArguments) {
    smart_ptr<as_object> target(new as_object(p));
    target->set_member("tag", as_value("T"));
    target->set_member("tick", as_value(tick_function.get_ptr()));
    const as_value made = call(flash::as_global_setinterval,
                               {as_value(target.get_ptr()), as_value("tick"), as_value(1000), as_value(7), as_value(8)});
    as_timer* timer = timer_of(made);
    ASSERT_NE(timer, nullptr);
    EXPECT_FLOAT_EQ(timer->get_interval(), 1.0f);
    for (int i = 0; i < 3; ++i) timer->advance(0.5f);
    EXPECT_EQ(g_record.calls, 1);
    EXPECT_EQ(g_record.this_tag, "T");
    EXPECT_EQ(g_record.args, "7,8,");
    timer->advance(0.5f);
    EXPECT_EQ(g_record.calls, 2);

    // The function form passes its own extras and the call's this.
    smart_ptr<as_object> self(new as_object(p));
    self->set_member("tag", as_value("S"));
    const as_value second_made = call(flash::as_global_setinterval,
                                      {as_value(tick_function.get_ptr()), as_value(10), as_value("x")},
                                      as_value(self.get_ptr()));
    as_timer* second = timer_of(second_made);
    ASSERT_NE(second, nullptr);
    second->advance(0.01f);
    EXPECT_EQ(g_record.this_tag, "S");
    EXPECT_EQ(g_record.args, "x,");
}

TEST_F(TimerTest, MissingArgumentsAreNeverReadFromTheCallersStack) {
    smart_ptr<as_object> target(new as_object(p));
    target->set_member("tick", as_value(tick_function.get_ptr()));
    // The caller's own values sit right below the two arguments.
    flash::as_environment env(p.get_ptr());
    env.push(as_value(5000));
    env.push(as_value("junk"));
    env.push(as_value("tick"));
    env.push(as_value(target.get_ptr()));
    as_value result;
    flash::fn_call fn(&result, nullptr, &env, 2, env.get_top_index());
    flash::as_global_setinterval(fn);
    as_timer* timer = timer_of(result);
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(std::isnan(timer->get_interval()));
    EXPECT_EQ(timer->get_arguments().size(), 0);
    // No interval: it fires on every step with nothing carried.
    timer->advance(0.25f);
    timer->advance(0.0f);
    EXPECT_EQ(g_record.calls, 2);
    EXPECT_EQ(g_record.args, "");
    EXPECT_EQ(timer->get_elapsed(), 0.0f);

    // Fewer than two arguments, or a first argument that is no object, make nothing.
    EXPECT_TRUE(call(flash::as_global_setinterval, {as_value(tick_function.get_ptr())}).is_undefined());
    EXPECT_TRUE(call(flash::as_global_setinterval, {as_value(5), as_value(100)}).is_undefined());
    EXPECT_TRUE(call(flash::as_global_settimeout, {}).is_undefined());
}

TEST_F(TimerTest, ZeroNegativeAndNaNIntervalsFireOncePerStepWithNoElapsedTime) {
    const double nan_value = std::numeric_limits<double>::quiet_NaN();
    for (double ms : {0.0, -50.0, nan_value}) {
        g_record.calls = 0;
        as_value made = call(flash::as_global_setinterval, {as_value(tick_function.get_ptr()), as_value(ms)});
        as_timer* timer = timer_of(made);
        ASSERT_NE(timer, nullptr) << ms;
        for (float step : {0.25f, 1.0f, 0.0f}) {
            timer->advance(step);
            EXPECT_EQ(timer->get_elapsed(), 0.0f) << ms;
        }
        EXPECT_EQ(g_record.calls, 3) << ms;
    }
}

TEST_F(TimerTest, ATimeoutIsOneShotAndLinksAreWeak) {
    as_value made = call(flash::as_global_settimeout, {as_value(tick_function.get_ptr()), as_value(50)});
    as_timer* timer = timer_of(made);
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->is_one_shot());

    // A timer whose function died still steps and calls nothing.
    as_value other = call(flash::as_global_setinterval,
                          {as_value(new flash::as_c_function(p.get_ptr(), tick)), as_value(500)});
    as_timer* orphan = timer_of(other);
    ASSERT_NE(orphan, nullptr);
    EXPECT_EQ(orphan->get_function(), nullptr);
    orphan->advance(0.75f);
    EXPECT_EQ(g_record.calls, 0);
    EXPECT_NEAR(orphan->get_elapsed(), 0.25f, 1e-6f);

    // A method name that is not a function member gives a timer with no function.
    smart_ptr<as_object> target(new as_object(p));
    target->set_member("tick", as_value(3));
    as_value no_method = call(flash::as_global_setinterval, {as_value(target.get_ptr()), as_value("tick"), as_value(10)});
    ASSERT_NE(timer_of(no_method), nullptr);
    EXPECT_EQ(timer_of(no_method)->get_function(), nullptr);
    EXPECT_EQ(timer_of(no_method)->get_this(), target.get_ptr());
    target = nullptr;
    EXPECT_EQ(timer_of(no_method)->get_this(), nullptr);

    // Nothing but the returned value holds a timer.
    flash::weak_ptr<as_object> watch(timer);
    made.set_undefined();
    EXPECT_EQ(watch.get_ptr(), nullptr);
}

TEST_F(TimerTest, ClearingSomethingThatIsNoTimerChangesNothing) {
    EXPECT_TRUE(call(flash::as_global_clearinterval, {as_value(5)}).is_undefined());
    EXPECT_TRUE(call(flash::as_global_clearinterval, {}).is_undefined());
    smart_ptr<as_object> plain(new as_object(p));
    EXPECT_TRUE(call(flash::as_global_clearinterval, {as_value(plain.get_ptr())}).is_undefined());
}

}  // namespace
