#include "tools/swfwriter/place_object.h"

#include <utility>

namespace swf {

namespace {

// First flags byte, from the top bit down.
constexpr uint8_t has_clip_actions_flag = 0x80;
constexpr uint8_t has_clip_depth_flag = 0x40;
constexpr uint8_t has_name_flag = 0x20;
constexpr uint8_t has_ratio_flag = 0x10;
constexpr uint8_t has_cxform_flag = 0x08;
constexpr uint8_t has_matrix_flag = 0x04;
constexpr uint8_t has_character_flag = 0x02;
constexpr uint8_t move_flag = 0x01;
// Second flags byte of PlaceObject3.
constexpr uint8_t ignored_flags_shift = 2;
constexpr uint8_t ignored_flags_mask = 0x07;
constexpr uint8_t has_blend_mode_flag = 0x02;
constexpr uint8_t has_filter_list_flag = 0x01;
// Clip-event flags widen from 16 to 32 bits in this version.
constexpr int wide_event_flags_version = 6;

void write_event_flags(BitWriter& w, uint32_t flags, int width) {
    if (width == 2)
        w.u16(static_cast<uint16_t>(flags));
    else
        w.u32(flags);
}

void write_clip_actions(BitWriter& w, const ClipActions& c, int version) {
    const int width = c.flags_bytes != 0 ? c.flags_bytes : (version < wide_event_flags_version ? 2 : 4);
    uint32_t all = 0;
    for (const ClipAction& r : c.records) all |= r.events;
    w.u16(0);  // reserved
    write_event_flags(w, c.all_events.value_or(all), width);
    for (const ClipAction& r : c.records) {
        const bool has_key = (r.events & event_key_press) != 0;
        write_event_flags(w, r.events, width);
        w.u32(r.length.value_or(static_cast<uint32_t>(r.actions.size() + (has_key ? 1 : 0))));
        if (has_key) w.u8(r.key_code);
        w.bytes(r.actions);
    }
    write_event_flags(w, 0, width);
}

uint8_t first_flags(const PlaceObject& p) {
    uint8_t f = 0;
    if (p.clip_actions) f |= has_clip_actions_flag;
    if (p.clip_depth) f |= has_clip_depth_flag;
    if (p.name) f |= has_name_flag;
    if (p.ratio) f |= has_ratio_flag;
    if (p.cxform) f |= has_cxform_flag;
    if (p.matrix) f |= has_matrix_flag;
    if (p.character_id) f |= has_character_flag;
    if (p.move) f |= move_flag;
    return f;
}

Bytes place_object23_body(const PlaceObject& p, int version, bool third) {
    BitWriter w;
    w.u8(first_flags(p));
    if (third) {
        uint8_t f = static_cast<uint8_t>((p.ignored_flags & ignored_flags_mask) << ignored_flags_shift);
        if (p.blend_mode) f |= has_blend_mode_flag;
        if (p.filters) f |= has_filter_list_flag;
        w.u8(f);
    }
    w.u16(p.depth);
    if (p.character_id) w.u16(*p.character_id);
    if (p.matrix) write_matrix(w, *p.matrix);
    if (p.cxform) write_cxform(w, *p.cxform, true);
    if (p.ratio) w.u16(*p.ratio);
    if (p.name) w.string(*p.name);
    if (p.clip_depth) w.u16(*p.clip_depth);
    if (third && p.filters) write_filter_list(w, *p.filters);
    if (third && p.blend_mode) w.u8(*p.blend_mode);
    if (p.clip_actions) write_clip_actions(w, *p.clip_actions, version);
    return w.take();
}

}  // namespace

ClipAction clip_action(uint32_t events, Bytes actions, uint8_t key_code) {
    ClipAction a;
    a.events = events;
    a.key_code = key_code;
    a.actions = std::move(actions);
    return a;
}

ClipActions clip_actions(std::vector<ClipAction> records) {
    ClipActions out;
    out.records = std::move(records);
    return out;
}

PlaceObject PlaceObject::place(uint16_t depth, uint16_t character_id) {
    PlaceObject p;
    p.depth = depth;
    p.character_id = character_id;
    return p;
}

PlaceObject PlaceObject::move_to(uint16_t depth) {
    PlaceObject p;
    p.depth = depth;
    p.move = true;
    return p;
}

PlaceObject PlaceObject::replace(uint16_t depth, uint16_t character_id) {
    PlaceObject p = place(depth, character_id);
    p.move = true;
    return p;
}

Bytes place_object_body(const PlaceObject1& p) {
    BitWriter w;
    w.u16(p.character_id);
    w.u16(p.depth);
    write_matrix(w, p.matrix);
    if (p.cxform) write_cxform(w, *p.cxform, false);
    return w.take();
}

Bytes place_object2_body(const PlaceObject& p, int version) { return place_object23_body(p, version, false); }

Bytes place_object3_body(const PlaceObject& p, int version) { return place_object23_body(p, version, true); }

Bytes remove_object_body(uint16_t character_id, uint16_t depth) {
    BitWriter w;
    w.u16(character_id);
    w.u16(depth);
    return w.take();
}

Bytes remove_object2_body(uint16_t depth) {
    BitWriter w;
    w.u16(depth);
    return w.take();
}

}  // namespace swf
