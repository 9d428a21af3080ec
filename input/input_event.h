#pragma once
// The event records that the input object hands to the application's key and mouse listeners.
// Each record lives for one listener call: a listener may set `handled` but must not keep it.
#include <cstdint>
#include <string>

#include "core/math_utils.h"
#include "input/keyboard_layout.h"

enum InputEventType {
    MOUSE_CLICKED = 500,
    MOUSE_PRESSED = 501,
    MOUSE_RELEASED = 502,
    MOUSE_MOVED = 503,
    MOUSE_WHEEL = 504,  // named "MOUSE_MOVED" like 503
    MOUSE_ENTERED = 505,
    MOUSE_EXITED = 506,
    MOUSE_DRAGGED = 507,
    MOUSE_DRAGENTERED = 508,
    MOUSE_DRAGEXITED = 509,
    MOUSE_DRAGMOVED = 510,
    MOUSE_DRAGDROPPED = 511,

    KEY_CLICKED = 2500,  // after KEY_RELEASED of the same key
    KEY_PRESSED = 2501,  // every poll while the key is down
    KEY_RELEASED = 2502,
    KEY_FOCUSIN = 2503,
    KEY_FOCUSOUT = 2504,
};

// Modifier bits.
enum InputModifier {
    MODIFIER_SHIFT = 1,
    MODIFIER_CONTROL = 2,
    MODIFIER_ALT = 8,
};

struct InputEvent {
    Vector3 position;  // the mouse position (key events carry it too)
    Vector3 delta;     // the mouse movement of this poll; zero in key events
    int time = 0;      // key events: milliseconds since the key's previous event; mouse events: 0
    int modifiers = 0;
    int type = 0;
    bool handled = false;
    int clickCount = 1;

    virtual ~InputEvent() = default;
    // The log form: the type's name.
    virtual std::string toString() const;
    // "unknown type" for a code outside the tables.
    static const char* typeName(int type);
};

struct KeyEvent : InputEvent {
    int scanCode = 0;  // DirectInput key code 0-255
    char16_t character = kNoKeyChar;

    // The name, then ", key = " and the scan code.
    std::string toString() const override;
};

struct MouseEvent : InputEvent {
    std::string name;  // empty when sent
    int button = -1;   // 0 left, 1 right, 2 middle, -1 none
};
