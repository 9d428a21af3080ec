#pragma once
// The display-list tags as records: PlaceObject (4), PlaceObject2 (26) and PlaceObject3 (70) with
// their clip actions, RemoveObject (5) and RemoveObject2 (28). A clip action's bytes stay raw; the
// movie side makes them into script functions.
#include <cstdint>
#include <vector>

#include "flash/base/bx_string.h"
#include "flash/swf/geometry_records.h"
#include "flash/swf/tag_codes.h"

namespace flash {

class swf_stream;

// The clip-event flag bits in record order, bit 0 the lowest.
enum swf_clip_event : uint32_t {
    CLIP_EVENT_LOAD = 1u << 0,
    CLIP_EVENT_ENTER_FRAME = 1u << 1,
    CLIP_EVENT_UNLOAD = 1u << 2,
    CLIP_EVENT_MOUSE_MOVE = 1u << 3,
    CLIP_EVENT_MOUSE_DOWN = 1u << 4,
    CLIP_EVENT_MOUSE_UP = 1u << 5,
    CLIP_EVENT_KEY_DOWN = 1u << 6,
    CLIP_EVENT_KEY_UP = 1u << 7,
    CLIP_EVENT_DATA = 1u << 8,
    CLIP_EVENT_INITIALIZE = 1u << 9,
    CLIP_EVENT_PRESS = 1u << 10,
    CLIP_EVENT_RELEASE = 1u << 11,
    CLIP_EVENT_RELEASE_OUTSIDE = 1u << 12,
    CLIP_EVENT_ROLL_OVER = 1u << 13,
    CLIP_EVENT_ROLL_OUT = 1u << 14,
    CLIP_EVENT_DRAG_OVER = 1u << 15,
    CLIP_EVENT_DRAG_OUT = 1u << 16,
    // Its record carries a key-code byte inside its length.
    CLIP_EVENT_KEY_PRESS = 1u << 17,
    CLIP_EVENT_CONSTRUCT = 1u << 18,
};
constexpr int clip_event_count = 19;
// Flags above this are logged as unknown (and their known bits still used).
constexpr uint32_t last_known_clip_event = 0x80000;
// Movies before this version write 16-bit clip-event flags.
constexpr int wide_clip_flags_version = 6;

// One clip-action record.
struct swf_clip_action {
    uint32_t events = 0;
    uint8_t key_code = 0;  // with CLIP_EVENT_KEY_PRESS
    // The action records through their End code; as many bytes as the record's length says.
    std::vector<uint8_t> actions;
};

struct swf_place_object {
    int tag_type = TAG_PLACE_OBJECT;
    // The fields a PlaceObject2 or 3 has. PlaceObject always has a character and a matrix, and a
    // colour transform (without alpha) when the tag has bytes left for it.
    bool has_clip_actions = false;
    bool has_clip_depth = false;
    bool has_name = false;
    bool has_ratio = false;
    bool has_cxform = false;
    bool has_matrix = false;
    bool has_character = false;
    bool is_move = false;
    // PlaceObject3 only; the other flags of its second byte are not kept.
    bool has_blend_mode = false;
    bool has_filters = false;

    uint16_t depth = 0;
    uint16_t character_id = 0;
    swf_matrix matrix;
    swf_cxform cxform;
    float ratio = 0.0f;  // the file's 16 bits over 65535
    bx_string name;
    uint16_t clip_depth = 0;
    uint8_t blend_mode = 0;
    uint32_t all_events = 0;
    // Up to the closing record, or to the first record that does not fit (logged).
    std::vector<swf_clip_action> clip_actions;
};

// Reads tag 4, 26 or 70 (the version decides the width of clip-event flags). With the verbose
// parse flag the PlaceObject2/3 fields are logged as they are read. The filter list is stepped
// over. A clip-action record whose length passes the tag's end, or whose actions end before its
// length, ends the list with a logged line; reads past the tag give zeros (swf_stream's rule).
void read_place_object(swf_stream* in, int tag_type, int version, swf_place_object* out);

struct swf_remove_object {
    int tag_type = TAG_REMOVE_OBJECT2;
    int character_id = -1;  // RemoveObject only
    uint16_t depth = 0;
};

// Reads tag 5 or 28.
void read_remove_object(swf_stream* in, int tag_type, swf_remove_object* out);

}  // namespace flash
