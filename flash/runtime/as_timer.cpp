#include "flash/runtime/as_timer.h"

#include <cmath>
#include <limits>

#include "flash/runtime/as_environment.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/engine_instance.h"
#include "flash/runtime/listener.h"

namespace flash {

namespace {

constexpr double milliseconds_per_second = 1000.0;
// Arguments before the extra ones: (function, interval) or (object, method name, interval).
constexpr int function_form_fixed_args = 2;
constexpr int method_form_fixed_args = 3;

float interval_seconds(const fn_call& fn, int index) {
    // A missing interval is never read from the caller's stack: it counts as NaN.
    const double ms = index < fn.arg_count ? fn.arg(index).to_number()
                                           : std::numeric_limits<double>::quiet_NaN();
    return static_cast<float>(ms / milliseconds_per_second);
}

listener* advance_listeners(const engine_instance* owner) {
    return owner ? const_cast<engine_instance*>(owner)->get_advance_listeners() : nullptr;
}

}  // namespace

void as_timer::set_function(as_function* func) { m_function = func; }

as_function* as_timer::get_function() const {
    as_object* func = m_function.get_ptr();
    // A function that only the script heap still holds is garbage waiting for its pass: no
    // script value keeps it, so it is gone for the timer as well.
    if (func && func->get_ref_count() == 1) {
        engine_instance* owner = func->get_player();
        if (owner && owner->is_in_heap(func)) return nullptr;
    }
    return static_cast<as_function*>(func);
}

void as_timer::advance(float delta) {
    if (m_interval > 0.0f) {
        m_elapsed += delta;
        if (m_elapsed < m_interval) return;
        // Whole intervals beyond the first are dropped: one call per step at most.
        m_elapsed = std::fmod(m_elapsed - m_interval, m_interval);
    } else {
        // 0, negative and NaN intervals fire on every step; there is no remainder to keep.
        m_elapsed = 0.0f;
    }
    engine_instance* owner = get_player();
    if (!owner) return;
    // The call may drop the script's last reference to the timer.
    as_keep_alive keep(this);
    if (as_function* func = get_function()) {
        as_environment env(owner);
        for (int i = m_arguments.size() - 1; i >= 0; --i) env.push(m_arguments[i]);
        as_value this_value;
        this_value.set_as_object(get_this());
        call_method(as_value(func), &env, this_value, m_arguments.size(), env.get_top_index());
    }
    if (m_one_shot) {
        // Off the list of its this object's root, which need not be the current one.
        as_object* target = get_this();
        root* own_root = target ? target->get_root() : nullptr;
        listener* list = own_root ? owner->get_root_advance_listeners(own_root) : advance_listeners(owner);
        if (list) list->remove(this);
    }
}

void as_global_setinterval(const fn_call& fn) {
    if (fn.arg_count < function_form_fixed_args) return;
    as_object* first = fn.arg(0).to_object();
    if (!first) return;
    smart_ptr<as_timer> timer(new as_timer(fn.get_player()));
    int extra_from;
    if (first->is_function()) {
        timer->set_function(static_cast<as_function*>(first));
        timer->set_this(fn.this_object);
        timer->set_interval(interval_seconds(fn, 1));
        extra_from = function_form_fixed_args;
    } else {
        as_value method;
        if (first->get_member(fn.arg(1).to_bx_string(), &method)) {
            timer->set_function(method.to_function());
        }
        timer->set_this(first);
        timer->set_interval(interval_seconds(fn, 2));
        extra_from = method_form_fixed_args;
    }
    for (int i = extra_from; i < fn.arg_count; ++i) timer->get_arguments().push_back(fn.arg(i));
    if (listener* list = advance_listeners(fn.get_player())) list->add(timer.get_ptr());
    fn.result->set_as_object(timer.get_ptr());
}

void as_global_settimeout(const fn_call& fn) {
    as_global_setinterval(fn);
    if (as_timer* timer = cast_to<as_timer>(fn.result->to_object())) timer->set_one_shot(true);
}

void as_global_clearinterval(const fn_call& fn) {
    if (fn.arg_count < 1) return;
    as_object* timer = fn.arg(0).to_object();
    if (!timer) return;
    if (listener* list = advance_listeners(fn.get_player())) list->remove(timer);
}

}  // namespace flash
