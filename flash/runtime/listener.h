#pragma once
// A list of script objects that want to hear about something (keys, mouse, loader progress, timer
// steps). Members are held weakly; a slot whose object died is empty and reused by add. The order
// of the slots is the order of notification.
#include "flash/base/array.h"
#include "flash/base/bx_string.h"
#include "flash/base/ref_counted.h"
#include "flash/base/smart_ptr.h"

namespace flash {

class as_object;
class as_environment;
struct event_id;
struct fn_call;

class listener : public ref_counted {
public:
    listener();
    ~listener() override;

    void add(as_object* obj);
    void remove(as_object* obj);
    void clear();
    int size() const;
    // The index-th live object (live slots counted from 0); null when out of range.
    as_object* operator[](int index) const;
    as_object* operator[](const bx_stringi& name) const;
    // Pushes the position of every live object (0, 1, 2, ...).
    void enumerate(as_environment* env) const;
    void notify(const event_id& event);
    void notify(const bx_string& name, const fn_call& call);
    void advance(float dt);

private:
    // The live objects, counted, in slot order.
    void snapshot(array<smart_ptr<as_object>>* out) const;

    mutable array<weak_ptr<as_object>> m_listeners;
};

}  // namespace flash
