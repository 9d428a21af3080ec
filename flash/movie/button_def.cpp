#include <new>

#include "flash/base/log.h"
#include "flash/movie/button.h"
#include "flash/movie/movie_definition.h"
#include "flash/movie/tag_loaders.h"
#include "flash/shape/filters.h"
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

bool button_record::read(swf_stream* in, int tag_type) {
    const uint8_t flags = in->read_u8();
    if (flags == 0 || in->has_overrun()) return false;
    m_has_blend_mode = (flags & record_has_blend_mode) != 0;
    m_has_filter_list = (flags & record_has_filter_list) != 0;
    m_hit_test = (flags & record_hit_test) != 0;
    m_down = (flags & record_down) != 0;
    m_over = (flags & record_over) != 0;
    m_up = (flags & record_up) != 0;
    m_character_id = in->read_u16();
    m_button_layer = in->read_u16();
    m_button_matrix.read(in);
    if (tag_type == TAG_DEFINE_BUTTON2) {
        m_button_cxform.read_rgba(in);
        if (m_has_filter_list) read_filter_list(in);
        if (m_has_blend_mode) m_blend_mode = in->read_u8();
    }
    return !in->has_overrun();
}

bool button_record::is_active_in(int mouse_state) const {
    switch (mouse_state) {
        case MOUSE_UP_STATE: return m_up;
        case MOUSE_DOWN_STATE: return m_down;
        case MOUSE_OVER_STATE: return m_over;
        default: return false;
    }
}

button_action::~button_action() {
    for (action_buffer* buffer : m_actions) delete buffer;
}

void button_action::read(swf_stream* in, int length) {
    if (get_verbose_action()) log_msg("-------------- actions in button\n");
    action_buffer* buffer = new action_buffer;
    buffer->read(in, length);
    m_actions.push_back(buffer);
}

button_character_definition::~button_character_definition() {
    m_sound.reset();
    for (button_action* action : m_button_actions) delete action;
    m_button_actions.clear();
    m_button_records.clear();
}

void button_character_definition::read_records(swf_stream* in, int tag_type) {
    for (;;) {
        button_record record;
        if (!record.read(in, tag_type)) break;
        m_button_records.push_back(record);
    }
}

void button_character_definition::read_button2_actions(swf_stream* in, int offset_start, int offset) {
    const int tag_end = in->get_tag_end_position();
    int start = offset_start + offset;
    in->set_position(start);
    while (in->get_position() < tag_end && !in->has_overrun()) {
        const int next_offset = in->read_u16();
        button_action* action = new button_action;
        action->m_conditions = in->read_u16();
        const int length = next_offset ? next_offset - action_header_size : tag_end - in->get_position();
        action->read(in, length > 0 ? length : 0);
        m_button_actions.push_back(action);
        if (next_offset == 0) break;
        // Offsets only count forward, so the list always ends.
        start += next_offset;
        in->set_position(start);
    }
}

// The character lookup first (imported sounds are characters), then the movie's own event
// sounds, which DefineSound keeps in a table of their own.
static sound_sample* find_button_sound(movie_definition_sub* m, int id) {
    character_def* def = m->get_character_def(id);
    if (def && def->is(character_def::SOUND_SAMPLE)) return static_cast<sound_sample*>(def);
    return m->get_sound_sample(id);
}

void button_character_definition::read_sounds(swf_stream* in, movie_definition_sub* m) {
    if (get_verbose_parse()) log_msg("button sound options:\n");
    m_sound.reset(new button_sound_def);
    for (button_sound_entry& entry : m_sound->m_button_sounds) {
        entry.m_sound_id = in->read_u16();
        if (in->has_overrun()) {
            entry.m_sound_id = 0;
            break;
        }
        if (entry.m_sound_id == 0) continue;
        entry.m_sample = find_button_sound(m, entry.m_sound_id);
        if (get_verbose_parse()) log_msg("\n\tsound_id = %d\n", entry.m_sound_id);
        entry.m_sound_style.read(in);
        if (get_verbose_parse()) log_sound_info(entry.m_sound_style);
    }
}

void button_character_definition::read(swf_stream* in, int tag_type, movie_definition_sub* m) {
    m_movie = m;
    if (tag_type == TAG_DEFINE_BUTTON) {
        read_records(in, tag_type);
        button_action* action = new button_action;
        action->m_conditions = OVER_DOWN_TO_OVER_UP;
        action->read(in, in->get_tag_end_position() - in->get_position());
        m_button_actions.push_back(action);
    } else if (tag_type == TAG_DEFINE_BUTTON2) {
        m_menu = in->read_u8() != 0;
        const int offset_start = in->get_position();
        const int offset = in->read_u16();
        read_records(in, tag_type);
        if (offset != 0) read_button2_actions(in, offset_start, offset);
    } else if (tag_type == TAG_DEFINE_BUTTON_SOUND) {
        read_sounds(in, m);
    }
}

character_def* button_character_definition::resolve(const button_record& record) const {
    movie_definition_sub* movie = m_movie.get_ptr();
    return movie ? movie->get_character_def(record.m_character_id) : nullptr;
}

character* button_character_definition::create_character_instance(engine_instance* player, character* parent, int id) {
    return new (std::nothrow) button_character_instance(player, this, parent, id);
}

void button_character_loader(swf_stream* in, int tag_type, movie_definition_sub* m) {
    const int id = in->read_u16();
    if (tag_type == TAG_DEFINE_BUTTON_SOUND) {
        character_def* def = m->get_character_def(id);
        if (!def || !def->is(character_def::BUTTON_CHARACTER_DEFINITION)) {
            log_error("error: button sound for character %d, which is %s; skipped\n", id,
                      def ? "not a button" : "not defined");
            return;
        }
        static_cast<button_character_definition*>(def)->read(in, tag_type, m);
        return;
    }
    if (get_verbose_parse()) log_msg("  button character loader: char_id = %d\n", id);
    smart_ptr<button_character_definition> def(new button_character_definition);
    def->read(in, tag_type, m);
    m->add_character(id, def.get_ptr());
}

}  // namespace flash
