#include "flash/movie/frame_tags.h"

#include "flash/base/log.h"
#include "flash/movie/movie_definition.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "flash/movie/tag_loaders.h"
#include "flash/runtime/as_s_function.h"
#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

constexpr int depth_key_shift = 16;
constexpr uint32_t any_character_key = 0xFFFF;

}  // namespace

const uint8_t clip_event_ids[clip_event_count] = {
    event_id::LOAD,          event_id::ENTER_FRAME, event_id::UNLOAD,          event_id::MOUSE_MOVE,
    event_id::MOUSE_DOWN,    event_id::MOUSE_UP,    event_id::KEY_DOWN,        event_id::KEY_UP,
    event_id::DATA,          event_id::INITIALIZE,  event_id::PRESS,           event_id::RELEASE,
    event_id::RELEASE_OUTSIDE, event_id::ROLL_OVER, event_id::ROLL_OUT,        event_id::DRAG_OVER,
    event_id::DRAG_OUT,      event_id::KEY_PRESS,   event_id::CONSTRUCT,
};

place_object_2::~place_object_2() {
    for (swf_event* e : m_event_handlers) delete e;
}

void place_object_2::set(const swf_place_object& record, engine_instance* player) {
    m_tag_type = record.tag_type;
    m_depth = record.depth;
    m_character_id = record.character_id;
    if (record.has_matrix) m_matrix.set(record.matrix);
    if (record.has_cxform) m_color_transform.set(record.cxform);
    if (m_tag_type == TAG_PLACE_OBJECT) return;  // PlaceObject keeps no flags and always places

    m_has_matrix = record.has_matrix ? 1 : 0;
    m_has_cxform = record.has_cxform ? 1 : 0;
    m_ratio = record.ratio;
    m_name = record.name;
    m_clip_depth = record.clip_depth;
    const array<with_scope> no_with;
    for (const swf_clip_action& clip_action : record.clip_actions) {
        action_buffer actions;
        actions.read(clip_action.actions.data(), static_cast<int>(clip_action.actions.size()));
        // Each event of the record gets a function of its own over the same actions.
        for (int bit = 0; bit < clip_event_count; ++bit) {
            const uint32_t flag = 1u << bit;
            if (!(clip_action.events & flag)) continue;
            swf_event* e = new swf_event;
            e->m_event = flag == CLIP_EVENT_KEY_PRESS ? event_id(clip_event_ids[bit], clip_action.key_code)
                                                      : event_id(clip_event_ids[bit]);
            as_s_function* method = new as_s_function(player, actions, 0, no_with);
            method->set_length(actions.get_length());
            e->m_method.set_as_object(method);
            m_event_handlers.push_back(e);
        }
    }
    if (record.has_character && record.is_move) {
        m_place_type = REPLACE;
    } else if (record.has_character) {
        m_place_type = PLACE;
    } else if (record.is_move) {
        m_place_type = MOVE;
    }
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

void remove_object_2::set(const swf_remove_object& record) {
    m_id = record.character_id;
    m_depth = record.depth;
}

void place_object_loader(swf_stream* in, int tag_type, movie_definition_sub* m) {
    if (get_verbose_parse()) log_msg("  place_object_2\n");
    swf_place_object record;
    read_place_object(in, tag_type, m->get_version(), &record);
    place_object_2* tag = new place_object_2;
    tag->set(record, m->get_player());
    if (tag_type == TAG_PLACE_OBJECT && get_verbose_parse()) {
        log_msg("  char_id = %d\n  depth = %d\n  mat = \n", tag->m_character_id, tag->m_depth);
        tag->m_matrix.print();
    }
    m->add_execute_tag(tag);
}

void remove_object_loader(swf_stream* in, int tag_type, movie_definition_sub* m) {
    swf_remove_object record;
    read_remove_object(in, tag_type, &record);
    remove_object_2* tag = new remove_object_2;
    tag->set(record);
    if (get_verbose_parse()) log_msg("  remove_object_2(%d)\n", tag->m_depth);
    m->add_execute_tag(tag);
}

}  // namespace flash
