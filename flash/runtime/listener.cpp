#include "flash/runtime/listener.h"

#include <cstdlib>

#include "flash/runtime/event_id.h"
#include "flash/runtime/engine_instance.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/as_object.h"

namespace flash {

listener::listener() {}

listener::~listener() {}

void listener::snapshot(array<smart_ptr<as_object>>* out) const {
    for (int i = 0; i < m_listeners.size(); ++i) {
        if (as_object* obj = m_listeners[i].get_ptr()) out->push_back(smart_ptr<as_object>(obj));
    }
}

void listener::add(as_object* obj) {
    if (!obj) return;
    int free_slot = -1;
    for (int i = 0; i < m_listeners.size(); ++i) {
        as_object* held = m_listeners[i].get_ptr();
        if (held == obj) return;
        if (!held && free_slot < 0) free_slot = i;
    }
    if (free_slot >= 0) {
        m_listeners[free_slot] = obj;
    } else {
        m_listeners.push_back(weak_ptr<as_object>(obj));
    }
}

void listener::remove(as_object* obj) {
    for (int i = 0; i < m_listeners.size(); ++i) {
        if (m_listeners[i].get_ptr() == obj) m_listeners[i] = static_cast<as_object*>(nullptr);
    }
}

void listener::clear() { m_listeners.clear(); }

int listener::size() const {
    int count = 0;
    for (int i = 0; i < m_listeners.size(); ++i) {
        if (m_listeners[i].get_ptr()) ++count;
    }
    return count;
}

as_object* listener::operator[](int index) const {
    if (index < 0) return nullptr;
    for (int i = 0; i < m_listeners.size(); ++i) {
        as_object* obj = m_listeners[i].get_ptr();
        if (!obj) continue;
        if (index == 0) return obj;
        --index;
    }
    return nullptr;
}

as_object* listener::operator[](const bx_stringi& name) const {
    return (*this)[std::atoi(name.c_str())];
}

void listener::enumerate(as_environment* env) const {
    if (!env) return;
    int position = 0;
    for (int i = 0; i < m_listeners.size(); ++i) {
        if (m_listeners[i].get_ptr()) env->push(as_value(position++));
    }
}

void listener::notify(const event_id& event) {
    array<smart_ptr<as_object>> live;
    snapshot(&live);
    for (int i = 0; i < live.size(); ++i) live[i]->on_event(event);
}

void listener::notify(const bx_string& name, const fn_call& call) {
    engine_instance* owner = call.get_player();
    if (!owner || (!owner->get_root() && !owner->get_root_movie()) || !call.env) return;
    array<smart_ptr<as_object>> live;
    snapshot(&live);
    for (int i = 0; i < live.size(); ++i) {
        as_value method;
        if (!live[i]->get_member(name, &method)) continue;
        call_method(method, call.env, as_value(live[i].get_ptr()), call.arg_count,
                    call.env->get_top_index());
    }
}

void listener::advance(float dt) {
    array<smart_ptr<as_object>> live;
    snapshot(&live);
    for (int i = 0; i < live.size(); ++i) live[i]->advance(dt);
}

}  // namespace flash
