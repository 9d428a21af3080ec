#include "input/input_event.h"

const char* InputEvent::typeName(int type) {
    switch (type) {
        case MOUSE_CLICKED: return "MOUSE_CLICKED";
        case MOUSE_PRESSED: return "MOUSE_PRESSED";
        case MOUSE_RELEASED: return "MOUSE_RELEASED";
        case MOUSE_MOVED: return "MOUSE_MOVED";
        case MOUSE_WHEEL: return "MOUSE_MOVED";
        case MOUSE_ENTERED: return "MOUSE_ENTERED";
        case MOUSE_EXITED: return "MOUSE_EXITED";
        case MOUSE_DRAGGED: return "MOUSE_DRAGGED";
        case MOUSE_DRAGENTERED: return "MOUSE_DRAGENTERED";
        case MOUSE_DRAGEXITED: return "MOUSE_DRAGEXITED";
        case MOUSE_DRAGMOVED: return "MOUSE_DRAGMOVED";
        case MOUSE_DRAGDROPPED: return "MOUSE_DRAGDROPPED";
        case KEY_CLICKED: return "KEY_CLICKED";
        case KEY_PRESSED: return "KEY_PRESSED";
        case KEY_RELEASED: return "KEY_RELEASED";
        case KEY_FOCUSIN: return "KEY_FOCUSIN";
        case KEY_FOCUSOUT: return "KEY_FOCUSOUT";
        default: return "unknown type";
    }
}

std::string InputEvent::toString() const { return typeName(type); }

std::string KeyEvent::toString() const { return std::string(typeName(type)) + ", key = " + std::to_string(scanCode); }
