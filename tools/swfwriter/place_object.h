#pragma once
// Bodies of the display-list tags: PlaceObject, PlaceObject2/3 with clip actions and filters,
// RemoveObject and RemoveObject2.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/swfwriter/bit_writer.h"
#include "tools/swfwriter/filters.h"
#include "tools/swfwriter/records.h"

namespace swf {

// Clip-event bits of a clip-action record.
enum ClipEvent : uint32_t {
    event_load = 1u << 0,
    event_enter_frame = 1u << 1,
    event_unload = 1u << 2,
    event_mouse_move = 1u << 3,
    event_mouse_down = 1u << 4,
    event_mouse_up = 1u << 5,
    event_key_down = 1u << 6,
    event_key_up = 1u << 7,
    event_data = 1u << 8,
    event_initialize = 1u << 9,
    event_press = 1u << 10,
    event_release = 1u << 11,
    event_release_outside = 1u << 12,
    event_roll_over = 1u << 13,
    event_roll_out = 1u << 14,
    event_drag_over = 1u << 15,
    event_drag_out = 1u << 16,
    event_key_press = 1u << 17,
    event_construct = 1u << 18,
};

struct ClipAction {
    uint32_t events = 0;
    uint8_t key_code = 0;  // written, inside the length, only with event_key_press
    Bytes actions;
    std::optional<uint32_t> length;  // the record's length field; by default the bytes that follow
};

ClipAction clip_action(uint32_t events, Bytes actions, uint8_t key_code = 0);

struct ClipActions {
    std::vector<ClipAction> records;
    std::optional<uint32_t> all_events;  // by default the union of the records' events
    // Width of every event-flags field: 2 or 4 bytes; by default 2 below version 6, else 4.
    int flags_bytes = 0;
};

// The records with the default all-events union and flag widths.
ClipActions clip_actions(std::vector<ClipAction> records);

// PlaceObject (tag 4); the colour transform, without alpha, is optional at the tag's end.
struct PlaceObject1 {
    uint16_t character_id = 0;
    uint16_t depth = 0;
    Matrix matrix;
    std::optional<CxForm> cxform;
};

// PlaceObject2 and PlaceObject3: each present field sets its flag.
struct PlaceObject {
    uint16_t depth = 0;
    bool move = false;
    std::optional<uint16_t> character_id;
    std::optional<Matrix> matrix;
    std::optional<CxForm> cxform;  // written with alpha
    std::optional<uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<uint16_t> clip_depth;
    std::optional<ClipActions> clip_actions;
    // PlaceObject3 only.
    std::optional<std::vector<Filter>> filters;
    std::optional<uint8_t> blend_mode;
    // The image, class-name and cache-as-bitmap flags (bits 4..2 of the second flags byte),
    // set without their data, for readers that must ignore them.
    uint8_t ignored_flags = 0;

    // The three forms: a new character, a move of the one at the depth, a replacement there.
    static PlaceObject place(uint16_t depth, uint16_t character_id);
    static PlaceObject move_to(uint16_t depth);
    static PlaceObject replace(uint16_t depth, uint16_t character_id);
};

Bytes place_object_body(const PlaceObject1& p);
Bytes place_object2_body(const PlaceObject& p, int version);
Bytes place_object3_body(const PlaceObject& p, int version);
Bytes remove_object_body(uint16_t character_id, uint16_t depth);
Bytes remove_object2_body(uint16_t depth);

}  // namespace swf
