#include "flash/swf/display_list_records.h"

#include "flash/base/log.h"
#include "flash/swf/action_bytes.h"
#include "flash/swf/filter_list.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

constexpr float ratio_scale = 65535.0f;

// One clip-action record into out; false ends the list (closing flags, a cut record or one whose
// length does not match its actions).
bool read_clip_action(swf_stream* in, bool wide_flags, swf_clip_action* out) {
    const uint32_t flags = wide_flags ? in->read_u32() : in->read_u16();
    if (flags == 0 || in->has_overrun()) return false;
    const uint32_t length = in->read_u32();
    const int room = in->get_tag_end_position() - in->get_position();
    if (in->has_overrun() || length > static_cast<uint32_t>(room)) {
        log_error("error: swf_event::read(), event_length = %u is past the tag's end (%d bytes left)\n", length,
                  room);
        return false;
    }
    if (flags > last_known_clip_event) {
        log_msg("swf_event::read() -- unknown event type received, flags = 0x%x\n", flags);
    }
    out->events = flags;
    int read = 0;
    if (flags & CLIP_EVENT_KEY_PRESS) {
        out->key_code = in->read_u8();
        read = 1;
    }
    if (static_cast<int>(length) > read) read += read_action_bytes(in, static_cast<int>(length) - read, &out->actions);
    if (read != static_cast<int>(length)) {
        log_msg("swf_event::read(), event_length = %d, but read %d\n", static_cast<int>(length), read);
        return false;
    }
    return true;
}

void read_clip_actions(swf_stream* in, int version, swf_place_object* out) {
    const bool wide_flags = version >= wide_clip_flags_version;
    in->read_u16();  // reserved
    out->all_events = wide_flags ? in->read_u32() : in->read_u16();
    if (get_verbose_parse()) log_msg("  actions: flags = 0x%X\n", out->all_events);
    while (!in->has_overrun()) {
        swf_clip_action action;
        if (!read_clip_action(in, wide_flags, &action)) break;
        out->clip_actions.push_back(std::move(action));
    }
}

void read_place_object1(swf_stream* in, swf_place_object* out) {
    out->has_character = true;
    out->has_matrix = true;
    out->character_id = in->read_u16();
    out->depth = in->read_u16();
    read_matrix(in, &out->matrix);
    out->has_cxform = in->get_position() < in->get_tag_end_position();
    if (out->has_cxform) read_cxform(in, false, &out->cxform);
}

}  // namespace

void read_place_object(swf_stream* in, int tag_type, int version, swf_place_object* out) {
    *out = swf_place_object();
    out->tag_type = tag_type;
    if (tag_type == TAG_PLACE_OBJECT) {
        read_place_object1(in, out);
        return;
    }
    in->align();
    out->has_clip_actions = in->read_bool();
    out->has_clip_depth = in->read_bool();
    out->has_name = in->read_bool();
    out->has_ratio = in->read_bool();
    out->has_cxform = in->read_bool();
    out->has_matrix = in->read_bool();
    out->has_character = in->read_bool();
    out->is_move = in->read_bool();
    if (tag_type == TAG_PLACE_OBJECT3) {
        // Reserved, opaque background, visible, image, class name, cache as bitmap: not kept.
        in->read_uint(6);
        out->has_blend_mode = in->read_bool();
        out->has_filters = in->read_bool();
    }
    out->depth = in->read_u16();
    if (get_verbose_parse()) log_msg("  depth = %d\n", out->depth);
    if (out->has_character) {
        out->character_id = in->read_u16();
        if (get_verbose_parse()) log_msg("  char id = %d\n", out->character_id);
    }
    if (out->has_matrix) read_matrix(in, &out->matrix);
    if (out->has_cxform) read_cxform(in, true, &out->cxform);
    if (out->has_ratio) {
        out->ratio = static_cast<float>(in->read_u16()) / ratio_scale;
        if (get_verbose_parse()) log_msg("  ratio: %f\n", out->ratio);
    }
    if (out->has_name) {
        in->read_string(out->name);
        if (get_verbose_parse()) log_msg("  name = %s\n", out->name.c_str());
    }
    if (out->has_clip_depth) {
        out->clip_depth = in->read_u16();
        if (get_verbose_parse()) log_msg("  clip_depth = %d\n", out->clip_depth);
    }
    if (out->has_filters) read_filter_list(in);
    if (out->has_blend_mode) out->blend_mode = in->read_u8();
    if (out->has_clip_actions) read_clip_actions(in, version, out);
}

void read_remove_object(swf_stream* in, int tag_type, swf_remove_object* out) {
    *out = swf_remove_object();
    out->tag_type = tag_type;
    if (tag_type == TAG_REMOVE_OBJECT) out->character_id = in->read_u16();
    out->depth = in->read_u16();
}

}  // namespace flash
