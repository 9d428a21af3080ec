#include <new>

#include "flash/base/log.h"
#include "flash/movie/button.h"
#include "flash/movie/movie_definition.h"
#include "flash/movie/tag_loaders.h"
#include "flash/swf/swf_stream.h"

namespace flash {

void button_record::set(const swf_button_record& record) {
    m_has_blend_mode = record.has_blend_mode;
    m_has_filter_list = record.has_filter_list;
    m_hit_test = record.hit_test;
    m_down = record.down;
    m_over = record.over;
    m_up = record.up;
    m_character_id = record.character_id;
    m_button_layer = record.depth;
    m_button_matrix.set(record.matrix);
    if (record.has_cxform) m_button_cxform.set(record.cxform);
    m_blend_mode = record.blend_mode;
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

void button_action::set(const swf_button_action& record) {
    m_conditions = record.conditions;
    if (get_verbose_action()) log_msg("-------------- actions in button\n");
    action_buffer* buffer = new action_buffer;
    buffer->read(record.actions.data(), static_cast<int>(record.actions.size()));
    m_actions.push_back(buffer);
}

button_character_definition::~button_character_definition() {
    m_sound.reset();
    for (button_action* action : m_button_actions) delete action;
    m_button_actions.clear();
    m_button_records.clear();
}

void button_character_definition::set(const swf_define_button& record, movie_definition_sub* m) {
    m_movie = m;
    m_menu = record.menu;
    for (const swf_button_record& child : record.records) {
        button_record r;
        r.set(child);
        m_button_records.push_back(r);
    }
    for (const swf_button_action& condition : record.actions) {
        button_action* action = new button_action;
        action->set(condition);
        m_button_actions.push_back(action);
    }
}

// The character lookup first (imported sounds are characters), then the movie's own event
// sounds, which DefineSound keeps in a table of their own.
static sound_sample* find_button_sound(movie_definition_sub* m, int id) {
    character_def* def = m->get_character_def(id);
    if (def && def->is(character_def::SOUND_SAMPLE)) return static_cast<sound_sample*>(def);
    return m->get_sound_sample(id);
}

void button_character_definition::set_sounds(const swf_button_sounds& record, movie_definition_sub* m) {
    m_movie = m;
    m_sound.reset(new button_sound_def);
    for (int i = 0; i < BUTTON_SOUND_COUNT; ++i) {
        const swf_button_sound& from = record.entries[i];
        button_sound_entry& entry = m_sound->m_button_sounds[i];
        entry.m_sound_id = from.sound_id;
        if (from.sound_id == 0) continue;
        entry.m_sample = find_button_sound(m, from.sound_id);
        entry.m_sound_style = from.info;
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
        swf_button_sounds record;
        read_button_sounds(in, &record);
        static_cast<button_character_definition*>(def)->set_sounds(record, m);
        return;
    }
    if (get_verbose_parse()) log_msg("  button character loader: char_id = %d\n", id);
    swf_define_button record;
    read_define_button(in, tag_type, &record);
    smart_ptr<button_character_definition> def(new button_character_definition);
    def->set(record, m);
    m->add_character(id, def.get_ptr());
}

}  // namespace flash
