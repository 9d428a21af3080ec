#include "flash/runtime/as_key.h"

#include "flash/base/log.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/event_id.h"

namespace flash {

namespace {

struct key_constant {
    const char* name;
    int code;
};

const key_constant key_constants[] = {
    {"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46}, {"DOWN", 40},
    {"END", 35},      {"ENTER", 13},    {"ESCAPE", 27},  {"HOME", 36},      {"INSERT", 45},
    {"LEFT", 37},     {"PGDN", 33},     {"PGUP", 34},    {"RIGHT", 39},     {"SHIFT", 16},
    {"SPACE", 32},    {"TAB", 9},       {"UP", 38},
};

constexpr int bits_per_byte = 8;
constexpr int low_byte_mask = 0xFF;

as_key* this_key(const fn_call& fn) { return cast_to<as_key>(fn.this_object); }

}  // namespace

as_key::as_key(engine_instance* owner) : as_object(owner) {
    for (const key_constant& constant : key_constants) {
        set_member(constant.name, as_value(constant.code));
    }
    builtin_member("addListener", as_value(key_add_listener));
    builtin_member("getAscii", as_value(key_get_ascii));
    builtin_member("getCode", as_value(key_get_code));
    builtin_member("isDown", as_value(key_is_down));
    builtin_member("isToggled", as_value(key_is_toggled));
    builtin_member("removeListener", as_value(key_remove_listener));
}

as_key::~as_key() { m_listeners.clear(); }

void as_key::set_key(int code, bool down) {
    if (code < 0 || code >= key_code_limit) return;
    m_last_key_code = code;
    const uint8_t bit = static_cast<uint8_t>(1u << (code % bits_per_byte));
    if (down) {
        m_key_state[code / bits_per_byte] |= bit;
    } else {
        m_key_state[code / bits_per_byte] &= static_cast<uint8_t>(~bit);
    }
    // A listener may drop the last reference to this object.
    as_keep_alive keep(this);
    m_listeners.notify(event_id(down ? event_id::KEY_DOWN : event_id::KEY_UP));
}

void as_key::set_key_down(int code) { set_key(code, true); }

void as_key::set_key_up(int code) { set_key(code, false); }

bool as_key::is_key_down(int code) const {
    if (code < 0 || code >= key_code_limit) return false;
    return (m_key_state[code / bits_per_byte] >> (code % bits_per_byte)) & 1;
}

void key_add_listener(const fn_call& fn) {
    as_key* key = this_key(fn);
    if (!key) return;
    if (fn.arg_count < 1) {
        log_error("key_add_listener needs one argument (the listener object)\n");
        return;
    }
    as_object* listener_object = fn.arg(0).to_object();
    if (!listener_object) {
        log_error("key_add_listener passed a NULL object; ignored\n");
        return;
    }
    key->get_listeners().add(listener_object);
}

void key_remove_listener(const fn_call& fn) {
    as_key* key = this_key(fn);
    if (!key) return;
    if (fn.arg_count < 1) {
        log_error("key_remove_listener needs one argument (the listener object)\n");
        return;
    }
    if (as_object* listener_object = fn.arg(0).to_object()) {
        key->get_listeners().remove(listener_object);
    }
}

void key_is_down(const fn_call& fn) {
    as_key* key = this_key(fn);
    if (!key) return;
    if (fn.arg_count < 1) {
        log_error("key_is_down needs one argument (the key code)\n");
        return;
    }
    fn.result->set_bool(key->is_key_down(fn.arg(0).to_int()));
}

void key_get_code(const fn_call& fn) {
    if (as_key* key = this_key(fn)) fn.result->set_int(key->get_last_key_code());
}

void key_get_ascii(const fn_call& fn) {
    as_key* key = this_key(fn);
    if (!key || key->get_last_key_code() == 0) return;
    const char text[2] = {static_cast<char>(key->get_last_key_code() & low_byte_mask), 0};
    fn.result->set_string(text);
}

void key_is_toggled(const fn_call& fn) {
    if (this_key(fn)) fn.result->set_bool(false);
}

}  // namespace flash
