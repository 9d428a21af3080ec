#pragma once
// The engine's fixed name tables: standard members of characters, the property numbers of the
// interpreter's property actions, event handler names, the button-like handler names, the
// text-format keys and the constructor member name. Shared by every engine instance.
#include "flash/base/bx_string.h"
#include "flash/runtime/event_id.h"
#include "flash/runtime/as_value.h"

namespace flash {

class as_object;

// Ids of the standard members; -1 is not a standard member.
enum standard_member {
    M_INVALID_MEMBER = -1,
    M_X = 0,
    M_Y,
    M_XSCALE,
    M_YSCALE,
    M_CURRENTFRAME,
    M_TOTALFRAMES,
    M_ALPHA,
    M_VISIBLE,
    M_WIDTH,
    M_HEIGHT,
    M_ROTATION,
    M_TARGET,
    M_FRAMESLOADED,
    M_NAME,
    M_DROPTARGET,
    M_URL,
    M_HIGHQUALITY,
    M_FOCUSRECT,
    M_SOUNDBUFTIME,
    M_XMOUSE,
    M_YMOUSE,
    M_PARENT,
    M_TEXT,
    M_TEXTWIDTH,
    M_TEXTCOLOR,
    M_BORDER,
    M_MULTILINE,
    M_WORDWRAP,
    M_TYPE,
    M_BACKGROUNDCOLOR,
    M_THIS,
    MTHIS,
    M_ROOT,
    MDOT,
    MDOT2,
    M_LEVEL0,
    M_GLOBAL,
    M_ENABLED,
    AS_STANDARD_MEMBER_COUNT
};

// The standard member id of a name (case-insensitive), or -1.
int get_standard_member(const bx_stringi& name);
// The text of a standard member id; null outside the table.
const char* get_standard_member_name(int id);
// Empties the standard member table (the last engine instance does this at its end).
void clear_standard_member_map();

// Property numbers 0 to 21 of the property actions.
constexpr int PROPERTY_COUNT = 22;
// The member name of a property number; null outside 0..21.
const char* get_property_name(int property_number);
// The target's member named by the property number; 22 or above logs and gives undefined.
void get_property(as_object* target, int property_number, as_value* out);
// Sets that member; 22 or above logs and changes nothing.
void set_property(as_object* target, int property_number, const as_value& value);

// The handler name of an event; empty when the event has none.
const bx_string& get_function_name(const event_id& event);
const bx_string& get_function_name(int id);

// "onKeyPress", "onRelease", ... : a sprite with any of these members behaves like a button.
constexpr int BUTTON_LIKE_NAME_COUNT = 8;
const bx_stringi& get_button_like_name(int index);
// The text-format keys, "font" to "leading".
constexpr int TEXT_FORMAT_KEY_COUNT = 13;
const bx_stringi& get_text_format_key(int index);
// "__constructor__".
const bx_stringi& get_constructor_name();

}  // namespace flash
