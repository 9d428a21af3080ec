#include "flash/movie/frame_tags.h"

#include "flash/base/log.h"
#include "flash/movie/movie_definition.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "flash/movie/tag_loaders.h"
#include "flash/runtime/as_s_function.h"
#include "flash/shape/filters.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

// Movies before this version write 16-bit clip-event flags.
constexpr int wide_clip_flags_version = 6;
constexpr uint32_t last_known_clip_event = 0x80000;
constexpr float ratio_scale = 65535.0f;
constexpr int depth_key_shift = 16;
constexpr uint32_t any_character_key = 0xFFFF;

}  // namespace

const uint8_t clip_event_ids[19] = {
    event_id::LOAD,          event_id::ENTER_FRAME, event_id::UNLOAD,          event_id::MOUSE_MOVE,
    event_id::MOUSE_DOWN,    event_id::MOUSE_UP,    event_id::KEY_DOWN,        event_id::KEY_UP,
    event_id::DATA,          event_id::INITIALIZE,  event_id::PRESS,           event_id::RELEASE,
    event_id::RELEASE_OUTSIDE, event_id::ROLL_OVER, event_id::ROLL_OUT,        event_id::DRAG_OVER,
    event_id::DRAG_OUT,      event_id::KEY_PRESS,   event_id::CONSTRUCT,
};

place_object_2::~place_object_2() {
    for (swf_event* e : m_event_handlers) delete e;
}

void place_object_2::read_place_object(swf_stream* in) {
    m_character_id = in->read_u16();
    m_depth = in->read_u16();
    m_matrix.read(in);
    if (get_verbose_parse()) {
        log_msg("  char_id = %d\n  depth = %d\n  mat = \n", m_character_id, m_depth);
        m_matrix.print();
    }
    if (in->get_position() < in->get_tag_end_position()) m_color_transform.read_rgb(in);
}

void place_object_2::read(swf_stream* in, int tag_type, movie_definition_sub* m) {
    m_tag_type = tag_type;
    if (tag_type == TAG_PLACE_OBJECT) {
        read_place_object(in);
        return;
    }
    in->align();
    const bool has_actions = in->read_bool();
    const bool has_clip_depth = in->read_bool();
    const bool has_name = in->read_bool();
    const bool has_ratio = in->read_bool();
    const bool has_cxform = in->read_bool();
    const bool has_matrix = in->read_bool();
    const bool has_character = in->read_bool();
    const bool is_move = in->read_bool();
    bool has_blend_mode = false;
    bool has_filters = false;
    if (tag_type == TAG_PLACE_OBJECT3) {
        // Reserved, opaque background, visible, image, class name, cache as bitmap: ignored.
        in->read_uint(6);
        has_blend_mode = in->read_bool();
        has_filters = in->read_bool();
    }
    m_depth = in->read_u16();
    if (get_verbose_parse()) log_msg("  depth = %d\n", m_depth);
    if (has_character) {
        m_character_id = in->read_u16();
        if (get_verbose_parse()) log_msg("  char id = %d\n", m_character_id);
    }
    if (has_matrix) {
        m_has_matrix = 1;
        m_matrix.read(in);
    }
    if (has_cxform) {
        m_has_cxform = 1;
        m_color_transform.read_rgba(in);
    }
    if (has_ratio) {
        m_ratio = static_cast<float>(in->read_u16()) / ratio_scale;
        if (get_verbose_parse()) log_msg("  ratio: %f\n", m_ratio);
    }
    if (has_name) {
        in->read_string(m_name);
        if (get_verbose_parse()) log_msg("  name = %s\n", m_name.c_str());
    }
    if (has_clip_depth) {
        m_clip_depth = in->read_u16();
        if (get_verbose_parse()) log_msg("  clip_depth = %d\n", m_clip_depth);
    }
    if (has_filters) read_filter_list(in);
    if (has_blend_mode) in->read_u8();
    if (has_actions) read_clip_actions(in, m);

    if (has_character && is_move) {
        m_place_type = REPLACE;
    } else if (has_character) {
        m_place_type = PLACE;
    } else if (is_move) {
        m_place_type = MOVE;
    }
}

void place_object_2::read_clip_actions(swf_stream* in, movie_definition_sub* m) {
    const bool wide_flags = m->get_version() >= wide_clip_flags_version;
    in->read_u16();  // reserved
    const uint32_t all_flags = wide_flags ? in->read_u32() : in->read_u16();
    if (get_verbose_parse()) log_msg("  actions: flags = 0x%X\n", all_flags);
    while (!in->has_overrun() && read_event_record(in, m, wide_flags)) {
    }
}

bool place_object_2::read_event_record(swf_stream* in, movie_definition_sub* m, bool wide_flags) {
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
    int read = 0;
    uint8_t key_code = 0;
    if (flags & clip_event_key_press) {
        key_code = in->read_u8();
        read = 1;
    }
    action_buffer actions;
    if (static_cast<int>(length) > read) read += actions.read(in, static_cast<int>(length) - read);
    if (read != static_cast<int>(length)) {
        log_msg("swf_event::read(), event_length = %d, but read %d\n", static_cast<int>(length), read);
        return false;
    }
    const array<with_scope> no_with;
    for (int bit = 0; bit < static_cast<int>(sizeof clip_event_ids); ++bit) {
        if (!(flags & (1u << bit))) continue;
        swf_event* e = new swf_event;
        e->m_event = (1u << bit) == clip_event_key_press ? event_id(clip_event_ids[bit], key_code)
                                                         : event_id(clip_event_ids[bit]);
        as_s_function* method = new as_s_function(m->get_player(), actions, 0, no_with);
        method->set_length(actions.get_length());
        e->m_method.set_as_object(method);
        m_event_handlers.push_back(e);
    }
    return true;
}

uint32_t place_object_2::get_depth_id_key() const {
    if (m_place_type == MOVE) return static_cast<uint32_t>(-1);
    const uint32_t id = m_tag_type == TAG_PLACE_OBJECT ? m_character_id : any_character_key;
    return (static_cast<uint32_t>(m_depth) << depth_key_shift) | (id & any_character_key);
}

void place_object_2::execute(character* sprite) {
    sprite_instance* clip = cast_to<sprite_instance>(sprite);
    if (!clip) return;
    switch (m_place_type) {
    case PLACE:
        clip->add_display_object(m_character_id, m_name, m_event_handlers, m_depth,
                                 m_tag_type != TAG_PLACE_OBJECT, m_color_transform, m_matrix,
                                 m_ratio, m_clip_depth);
        break;
    case MOVE:
        clip->move_display_object(m_depth, m_has_cxform, m_color_transform, m_has_matrix, m_matrix,
                                  m_ratio, m_clip_depth);
        break;
    case REPLACE:
        clip->replace_display_object(m_character_id, m_name, m_depth, m_has_cxform,
                                     m_color_transform, m_has_matrix, m_matrix, m_ratio,
                                     m_clip_depth);
        break;
    default: break;
    }
}

void place_object_2::reverse_state(character* sprite, int frame) {
    sprite_instance* clip = cast_to<sprite_instance>(sprite);
    if (!clip) return;
    switch (m_place_type) {
    case PLACE:
        clip->remove_display_object(m_depth, m_tag_type == TAG_PLACE_OBJECT ? m_character_id : -1);
        break;
    case MOVE: execute(sprite); break;
    case REPLACE:
        if (execute_tag* earlier = clip->find_previous_place_tag(frame, m_depth, -1)) {
            earlier->apply_state(sprite);
        } else {
            log_error("reverse REPLACE can't find previous replace or add tag(%d, %d)\n", m_depth,
                      m_character_id);
        }
        break;
    default: break;
    }
}

void remove_object_2::execute(character* sprite) {
    if (sprite_instance* clip = cast_to<sprite_instance>(sprite)) {
        clip->remove_display_object(m_depth, m_id);
    }
}

void remove_object_2::reverse_state(character* sprite, int frame) {
    sprite_instance* clip = cast_to<sprite_instance>(sprite);
    if (!clip) return;
    if (execute_tag* earlier = clip->find_previous_place_tag(frame, m_depth, m_id)) {
        earlier->apply_state(sprite);
    } else {
        log_error("reverse REMOVE can't find previous replace or add tag(%d, %d)\n", m_depth, m_id);
    }
}

void remove_object_2::read(swf_stream* in, int tag_type) {
    if (tag_type == TAG_REMOVE_OBJECT) m_id = in->read_u16();
    m_depth = in->read_u16();
}

void place_object_loader(swf_stream* in, int tag_type, movie_definition_sub* m) {
    if (get_verbose_parse()) log_msg("  place_object_2\n");
    place_object_2* tag = new place_object_2;
    tag->read(in, tag_type, m);
    m->add_execute_tag(tag);
}

void remove_object_loader(swf_stream* in, int tag_type, movie_definition_sub* m) {
    remove_object_2* tag = new remove_object_2;
    tag->read(in, tag_type);
    if (get_verbose_parse()) log_msg("  remove_object_2(%d)\n", tag->m_depth);
    m->add_execute_tag(tag);
}

}  // namespace flash
