#include "flash/swf/button_records.h"

#include "flash/base/log.h"
#include "flash/swf/action_bytes.h"
#include "flash/swf/filter_list.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

constexpr uint8_t record_has_blend_mode = 0x20;
constexpr uint8_t record_has_filter_list = 0x10;
constexpr uint8_t record_hit_test = 0x08;
constexpr uint8_t record_down = 0x04;
constexpr uint8_t record_over = 0x02;
constexpr uint8_t record_up = 0x01;
// The offset to the next DefineButton2 action and its condition word.
constexpr int action_header_size = 4;

// One BUTTONRECORD; false when its flag byte ends the list or the tag cuts it.
bool read_button_record(swf_stream* in, int tag_type, swf_button_record* out) {
    const uint8_t flags = in->read_u8();
    if (flags == 0 || in->has_overrun()) return false;
    out->has_blend_mode = (flags & record_has_blend_mode) != 0;
    out->has_filter_list = (flags & record_has_filter_list) != 0;
    out->hit_test = (flags & record_hit_test) != 0;
    out->down = (flags & record_down) != 0;
    out->over = (flags & record_over) != 0;
    out->up = (flags & record_up) != 0;
    out->character_id = in->read_u16();
    out->depth = in->read_u16();
    read_matrix(in, &out->matrix);
    if (tag_type == TAG_DEFINE_BUTTON2) {
        out->has_cxform = true;
        read_cxform(in, true, &out->cxform);
        if (out->has_filter_list) read_filter_list(in);
        if (out->has_blend_mode) out->blend_mode = in->read_u8();
    }
    return !in->has_overrun();
}

void read_button_records(swf_stream* in, int tag_type, swf_define_button* out) {
    for (;;) {
        swf_button_record record;
        if (!read_button_record(in, tag_type, &record)) break;
        out->records.push_back(record);
    }
}

// Each action: the offset to the next (0 on the last), the conditions, the actions up to the next.
void read_button2_actions(swf_stream* in, int offset_start, int offset, swf_define_button* out) {
    const int tag_end = in->get_tag_end_position();
    int start = offset_start + offset;
    in->set_position(start);
    while (in->get_position() < tag_end && !in->has_overrun()) {
        const int next_offset = in->read_u16();
        swf_button_action action;
        action.conditions = in->read_u16();
        const int length = next_offset ? next_offset - action_header_size : tag_end - in->get_position();
        read_action_bytes(in, length > 0 ? length : 0, &action.actions);
        out->actions.push_back(std::move(action));
        if (next_offset == 0) break;
        // Offsets only count forward, so the list always ends.
        start += next_offset;
        in->set_position(start);
    }
}

void log_sound_info(const sound_info& info) {
    log_msg("\thas_envelope = %d\n", info.m_has_envelope ? 1 : 0);
    log_msg("\thas_loops = %d\n", info.m_has_loops ? 1 : 0);
    log_msg("\thas_out_point = %d\n", info.m_has_out_point ? 1 : 0);
    log_msg("\thas_in_point = %d\n", info.m_has_in_point ? 1 : 0);
    log_msg("\tin_point = %d\n", static_cast<int>(info.m_in_point));
    log_msg("\tout_point = %d\n", static_cast<int>(info.m_out_point));
    log_msg("\tloop_count = %d\n", info.m_loop_count);
    log_msg("\tenvelope size = %d\n", info.m_envelopes.size());
}

}  // namespace

void read_define_button(swf_stream* in, int tag_type, swf_define_button* out) {
    *out = swf_define_button();
    out->tag_type = tag_type;
    if (tag_type == TAG_DEFINE_BUTTON) {
        read_button_records(in, tag_type, out);
        swf_button_action action;
        action.conditions = OVER_DOWN_TO_OVER_UP;
        read_action_bytes(in, in->get_tag_end_position() - in->get_position(), &action.actions);
        out->actions.push_back(std::move(action));
    } else if (tag_type == TAG_DEFINE_BUTTON2) {
        out->menu = in->read_u8() != 0;
        const int offset_start = in->get_position();
        const int offset = in->read_u16();
        read_button_records(in, tag_type, out);
        if (offset != 0) read_button2_actions(in, offset_start, offset, out);
    }
}

void read_button_sounds(swf_stream* in, swf_button_sounds* out) {
    *out = swf_button_sounds();
    if (get_verbose_parse()) log_msg("button sound options:\n");
    for (swf_button_sound& entry : out->entries) {
        entry.sound_id = in->read_u16();
        if (in->has_overrun()) {
            entry.sound_id = 0;
            break;
        }
        if (entry.sound_id == 0) continue;
        if (get_verbose_parse()) log_msg("\n\tsound_id = %d\n", entry.sound_id);
        read_sound_info(in, &entry.info);
        if (get_verbose_parse()) log_sound_info(entry.info);
    }
}

}  // namespace flash
