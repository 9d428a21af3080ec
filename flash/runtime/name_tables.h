#pragma once
// The engine's fixed name tables: standard members of characters, the property numbers of the
// interpreter's property actions, event handler names, the button-like handler names, the
// text-format keys and the constructor member name. Shared by every engine instance.
#include <cstdint>

#include "flash/base/bx_string.h"
#include "flash/base/hash.h"
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

// Two bits per standard member name in 256, picked by two parts of the name's key hash; all set
// before the table is built. Most names asked for are not standard members: a clear bit answers
// them unprobed.
constexpr int standard_member_bit_words = 4;
// The hash is spread by a multiplication first: short names differ only in its low bits.
constexpr uint32_t standard_member_spread = 2654435761u;
constexpr int standard_member_first_shift = 24;
constexpr int standard_member_second_shift = 16;
extern uint64_t g_standard_member_name_bits[standard_member_bit_words];
inline bool standard_member_bit_set(uint32_t part) {
    constexpr uint32_t word_shift = 6;
    constexpr uint32_t bit_mask = 63;
    constexpr uint32_t part_mask = standard_member_bit_words * 64 - 1;
    part &= part_mask;
    return (g_standard_member_name_bits[part >> word_shift] >> (part & bit_mask)) & 1;
}
inline bool may_be_standard_member(uint32_t name_hash) {
    const uint32_t spread = name_hash * standard_member_spread;
    return standard_member_bit_set(spread >> standard_member_first_shift) &&
           standard_member_bit_set(spread >> standard_member_second_shift);
}
int find_standard_member(const bx_stringi& name, uint32_t name_hash);

// The standard member id of a name (case-insensitive), or -1.
inline int get_standard_member(const bx_stringi& name) {
    const uint32_t name_hash = stringi_hash<int>::key_hash(name);
    if (!may_be_standard_member(name_hash)) return M_INVALID_MEMBER;
    return find_standard_member(name, name_hash);
}
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
