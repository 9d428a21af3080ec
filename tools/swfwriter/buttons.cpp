#include "tools/swfwriter/buttons.h"

namespace swf {

namespace {

constexpr uint8_t has_blend_mode_flag = 0x20;
constexpr uint8_t has_filter_list_flag = 0x10;
constexpr uint8_t state_mask = 0x0F;
constexpr uint8_t end_of_records = 0;
// The action offset counts from its own first byte: 2 bytes of it, then the records.
constexpr size_t action_offset_size = 2;
constexpr size_t condition_header_size = 4;  // offset to the next action and the conditions

void write_records(BitWriter& w, const std::vector<ButtonRecord>& records, bool second_form) {
    for (const ButtonRecord& r : records) {
        uint8_t flags = r.states & state_mask;
        if (second_form && r.blend_mode) flags |= has_blend_mode_flag;
        if (second_form && r.filters) flags |= has_filter_list_flag;
        w.u8(flags);
        w.u16(r.character_id);
        w.u16(r.depth);
        write_matrix(w, r.matrix);
        if (second_form) {
            write_cxform(w, r.cxform, true);
            if (r.filters) write_filter_list(w, *r.filters);
            if (r.blend_mode) w.u8(*r.blend_mode);
        }
    }
    w.u8(end_of_records);
}

}  // namespace

Bytes define_button_body(uint16_t id, const std::vector<ButtonRecord>& records, const Bytes& actions) {
    BitWriter w;
    w.u16(id);
    write_records(w, records, false);
    w.bytes(actions);
    return w.take();
}

Bytes define_button2_body(uint16_t id, const Button2& b) {
    BitWriter records;
    write_records(records, b.records, true);
    const Bytes record_bytes = records.take();

    BitWriter w;
    w.u16(id);
    w.u8(b.track_as_menu ? 1 : 0);
    const uint16_t true_offset =
        b.actions.empty() ? 0 : static_cast<uint16_t>(action_offset_size + record_bytes.size());
    w.u16(b.action_offset.value_or(true_offset));
    w.bytes(record_bytes);
    for (size_t i = 0; i < b.actions.size(); ++i) {
        const ButtonAction& a = b.actions[i];
        const bool last = i + 1 == b.actions.size();
        w.u16(last ? 0 : static_cast<uint16_t>(condition_header_size + a.actions.size()));
        w.u16(a.conditions);
        w.bytes(a.actions);
    }
    return w.take();
}

Bytes define_button_sound_body(uint16_t button_id, const std::array<ButtonSound, 4>& sounds) {
    BitWriter w;
    w.u16(button_id);
    for (const ButtonSound& s : sounds) {
        w.u16(s.sound_id);
        if (s.sound_id != 0) write_sound_info(w, s.info);
    }
    return w.take();
}

}  // namespace swf
