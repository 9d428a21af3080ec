#pragma once
// The global "Key": which keys are down, the last key code and the objects told of every key
// going down or up. The engine instance makes one per global object; the root's key input feeds
// it.
#include <cstdint>

#include "flash/runtime/as_object.h"
#include "flash/runtime/listener.h"

namespace flash {

class as_key : public as_object {
public:
    static constexpr int cast_class_id = KEY;
    // Key codes at or above this are ignored.
    static constexpr int key_code_limit = 223;

    explicit as_key(engine_instance* owner);
    ~as_key() override;

    bool is(int class_id) const override { return class_id == KEY || class_id == OBJECT; }

    void set_key_down(int code);
    void set_key_up(int code);
    bool is_key_down(int code) const;
    int get_last_key_code() const { return m_last_key_code; }
    listener& get_listeners() { return m_listeners; }

private:
    static constexpr int key_state_bytes = 28;  // 224 bits, one per code 0 .. 223
    // Stores the code, sets or clears its bit and tells the listeners.
    void set_key(int code, bool down);

    uint8_t m_key_state[key_state_bytes] = {};
    int m_last_key_code = 0;
    listener m_listeners;
};

void key_add_listener(const fn_call& fn);
void key_remove_listener(const fn_call& fn);
void key_is_down(const fn_call& fn);
void key_get_code(const fn_call& fn);
void key_get_ascii(const fn_call& fn);
void key_is_toggled(const fn_call& fn);

}  // namespace flash
