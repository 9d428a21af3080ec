#pragma once
// The engine's event ids: an id byte, a key-code byte and an optional argument list that the
// handler receives. The handler name of each id comes from get_function_name.
#include <cstdint>

#include "flash/base/array.h"
#include "flash/runtime/as_value.h"

namespace flash {

// The codes the host's event callback receives (character::m_event_callback). They are the
// game's contract and stay fixed whatever the order of event_id: buttons, text fields and
// sprites each map their events to them explicitly (host_callbacks.h).
enum host_event_code : int {
    HOST_EVENT_NONE = 0,  // not reported
    HOST_EVENT_PRESS = 1,
    HOST_EVENT_ROLL_OVER = 4,
    HOST_EVENT_ROLL_OUT = 5,
    HOST_EVENT_DRAG_OVER = 6,
    HOST_EVENT_DRAG_OUT = 7,
    HOST_EVENT_DRAG = 8,  // still pressed over the character, sent each advance
};

struct event_id {
    enum id_code : uint8_t {
        INVALID = 0,
        PRESS,
        RELEASE,
        RELEASE_OUTSIDE,
        ROLL_OVER,
        ROLL_OUT,
        DRAG_OVER,
        DRAG_OUT,
        STILL_PRESSED,  // sent every advance while pressed over the object; no handler
        KEY_PRESS,
        INITIALIZE,
        LOAD,
        UNLOAD,
        ENTER_FRAME,
        MOUSE_DOWN,
        MOUSE_UP,
        MOUSE_MOVE,
        KEY_DOWN,
        KEY_UP,
        DATA,
        CONSTRUCT,
        SETFOCUS,
        KILLFOCUS,
        LOAD_COMPLETE,
        LOAD_ERROR,
        LOAD_INIT,
        LOAD_PROGRESS,
        LOAD_START,
        SOUND_COMPLETE,
        EVENT_COUNT
    };

    uint8_t m_id = INVALID;
    uint8_t m_key_code = 0;
    const array<as_value>* m_args = nullptr;  // not owned; null when there are none

    event_id() = default;
    event_id(uint8_t id, const array<as_value>* args = nullptr) : m_id(id), m_args(args) {}
    event_id(uint8_t id, uint8_t key_code) : m_id(id), m_key_code(key_code) {}

    bool operator==(const event_id& other) const {
        return m_id == other.m_id && m_key_code == other.m_key_code;
    }
};

}  // namespace flash
