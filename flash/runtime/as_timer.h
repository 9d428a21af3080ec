#pragma once
// The interval and timeout timers of "setInterval" and "setTimeout". A timer sits in the current
// root's advance listeners, which hold it weakly: it lives while a script value refers to it.
// Its function and this object are weak links too; a timer whose function died still steps but
// calls nothing.
#include "flash/base/array.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/as_object.h"

namespace flash {

class as_function;

class as_timer : public as_object {
public:
    static constexpr int cast_class_id = TIMER;

    explicit as_timer(engine_instance* owner) : as_object(owner) {}

    bool is(int class_id) const override { return class_id == TIMER || class_id == OBJECT; }

    // Adds delta seconds; once the interval is reached calls the function, at most once per step.
    // An interval that is not above 0 (or NaN) calls once on every step.
    void advance(float delta) override;

    void set_function(as_function* func);
    as_function* get_function() const;
    void set_this(as_object* object) { m_this = object; }
    as_object* get_this() const { return m_this.get_ptr(); }
    void set_interval(float seconds) { m_interval = seconds; }
    float get_interval() const { return m_interval; }
    float get_elapsed() const { return m_elapsed; }
    array<as_value>& get_arguments() { return m_arguments; }
    void set_one_shot(bool on) { m_one_shot = on; }
    bool is_one_shot() const { return m_one_shot; }

private:
    weak_ptr<as_object> m_function;
    weak_ptr<as_object> m_this;
    float m_interval = 0.0f;
    float m_elapsed = 0.0f;
    array<as_value> m_arguments;
    bool m_one_shot = false;
};

// setInterval(function, ms, args...) or setInterval(object, "method", ms, args...).
void as_global_setinterval(const fn_call& fn);
// The same, firing once.
void as_global_settimeout(const fn_call& fn);
// clearInterval(timer) and clearTimeout(timer).
void as_global_clearinterval(const fn_call& fn);

}  // namespace flash
