#include "flash/base/log.h"
#include "flash/movie/button.h"
#include "flash/movie/display_list.h"
#include "flash/movie/sprite_instance.h"
#include "flash/runtime/event_id.h"
#include "flash/movie/host_callbacks.h"

namespace flash {

namespace {

// A button whose records name buttons that name it back would build children without end: the
// nesting is bounded, and so is the number of instances one placed button makes in all (a
// button showing itself twice would otherwise make 2^32 within the nesting bound).
constexpr int max_button_nesting = 32;
constexpr int max_button_instances = 1024;
struct button_building {
    int top_id = 0;  // of the button placed, whose whole tree is counted
    int nesting = 0;
    int made = 0;
    bool reported = false;
};
thread_local button_building g_building;

const char* const default_press_sound = "default_btn_click";

// Host event codes of the state a mouse event leads to.

// The key event a file key code of a button condition stands for; 0 for none.
int key_event_code(int file_code) {
    constexpr int first_plain_code = 32;
    static const int table[first_plain_code] = {
        0, 37, 39, 36, 35, 45, 46, 0, 8, 0, 0, 0, 0, 13, 38, 40, 34, 33, 9,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    if (file_code >= first_plain_code) return file_code;
    return file_code > 0 ? table[file_code] : 0;
}

// The condition bit of a mouse event; 0 for the others.
uint32_t condition_of(int event) {
    switch (event) {
        case event_id::ROLL_OVER: return IDLE_TO_OVER_UP;
        case event_id::ROLL_OUT: return OVER_UP_TO_IDLE;
        case event_id::PRESS: return OVER_UP_TO_OVER_DOWN;
        case event_id::RELEASE: return OVER_DOWN_TO_OVER_UP;
        case event_id::DRAG_OUT: return OVER_DOWN_TO_OUT_DOWN;
        case event_id::DRAG_OVER: return OUT_DOWN_TO_OVER_DOWN;
        case event_id::RELEASE_OUTSIDE: return OUT_DOWN_TO_IDLE;
        default: return 0;
    }
}

// The definition's sound entry of a mouse event; -1 for none.
int sound_index_of(int event) {
    switch (event) {
        case event_id::PRESS: return BUTTON_SOUND_PRESS;
        case event_id::RELEASE: return BUTTON_SOUND_RELEASE;
        case event_id::ROLL_OVER: return BUTTON_SOUND_ROLL_OVER;
        case event_id::ROLL_OUT: return BUTTON_SOUND_ROLL_OUT;
        default: return -1;
    }
}

// The character's name slot of a mouse event; -1 for events that name nothing.
int name_slot_of(int event) {
    switch (event) {
        case event_id::PRESS: return SOUND_PRESS;
        case event_id::RELEASE: return SOUND_RELEASE;
        case event_id::ROLL_OVER: return SOUND_ROLL_OVER;
        case event_id::ROLL_OUT: return SOUND_ROLL_OUT;
        case event_id::DRAG_OVER: return SOUND_DRAG_OVER;
        case event_id::DRAG_OUT: return SOUND_DRAG_OUT;
        default: return -1;
    }
}

// The instances of the tree below top, top itself included, counted up to limit.
int count_tree(character* top, int limit) {
    array<character*> pending;
    pending.push_back(top);
    int count = 0;
    while (pending.size() > 0 && count < limit) {
        character* ch = pending[pending.size() - 1];
        pending.pop_back();
        ++count;
        if (display_list* list = ch->get_display_list()) {
            for (int i = 0; i < list->size(); ++i) {
                if (character* child = list->get_character(i)) pending.push_back(child);
            }
        } else if (auto* button = dynamic_cast<button_character_instance*>(ch)) {
            const int records = button->get_definition() ? button->get_definition()->m_button_records.size() : 0;
            for (int i = 0; i < records; ++i) {
                if (character* child = button->get_record_character(i)) pending.push_back(child);
            }
        }
    }
    return count;
}

}  // namespace

bool button_character_instance::may_place_below(character* owner) {
    button_character_instance* top = nullptr;
    for (character* ch = owner; ch; ch = ch->get_parent()) {
        if (auto* button = dynamic_cast<button_character_instance*>(ch)) top = button;
    }
    if (!top || count_tree(top, max_button_instances + 1) <= max_button_instances) return true;
    if (!top->m_told_too_many) {
        log_error("error: button %d makes more than %d instances; its clips place nothing more\n",
                  top->get_id(), max_button_instances);
    }
    top->m_told_too_many = true;
    return false;
}

button_character_instance::button_character_instance(engine_instance* player, button_character_definition* def,
                                                     character* parent, int id)
    : character(player, parent, id), m_def(def) {
    m_sound_names[SOUND_PRESS] = default_press_sound;
    if (!def) return;
    const int count = def->m_button_records.size();
    m_record_character.resize(count);
    button_building& building = g_building;
    if (building.nesting == 0) {
        building = button_building();
        building.top_id = id;
    }
    if (building.nesting >= max_button_nesting) {
        if (!building.reported)
            log_error("error: button %d nests buttons deeper than %d; its records show nothing\n", id, max_button_nesting);
        building.reported = true;
        return;
    }
    ++building.nesting;
    // A clip in a record whose own first frame places this button again would nest without end.
    sprite_instance* clip_above = nullptr;
    for (character* ch = parent; ch && !clip_above; ch = ch->get_parent()) clip_above = cast_to<sprite_instance>(ch);
    for (int i = 0; i < count; ++i) {
        const button_record& record = def->m_button_records[i];
        character_def* child_def = def->resolve(record);
        if (!child_def) continue;
        if (building.made >= max_button_instances) {
            if (!building.reported)
                log_error("error: button %d makes more than %d instances; the rest of its records show nothing\n",
                          building.top_id, max_button_instances);
            building.reported = true;
            break;
        }
        if (clip_above && !clip_above->may_nest(child_def)) continue;
        // Counted before it is made: what it makes itself comes after it.
        ++building.made;
        character* child = child_def->create_character_instance(player, this, record.m_character_id);
        if (!child) continue;
        child->set_matrix(record.m_button_matrix);
        child->set_cxform(record.m_button_cxform);
        m_record_character[i] = child;
    }
    --building.nesting;
}

button_character_instance::~button_character_instance() {
    m_record_character.clear();
    m_def = nullptr;
}

character* button_character_instance::get_record_character(int index) const {
    if (index < 0 || index >= m_record_character.size()) return nullptr;
    return m_record_character[index].get_ptr();
}

void button_character_instance::advance(float dt) {
    character::advance(dt);
    if (!m_def) return;
    for (int i = 0; i < m_record_character.size(); ++i) {
        character* child = m_record_character[i].get_ptr();
        if (child && m_def->m_button_records[i].is_active_in(m_mouse_state)) child->advance(dt);
    }
}

void button_character_instance::execute_frame_tags_first(int frame, bool state_only) {
    smart_ptr<button_character_instance> hold(this);
    for (int i = 0; i < m_record_character.size(); ++i) {
        smart_ptr<character> child(m_record_character[i]);
        if (child) child->execute_frame_tags_first(frame, state_only);
    }
}

void button_character_instance::display() {
    if (!get_visible() || !get_display_enabled() || !m_def) return;
    character* on_top = nullptr;
    for (int i = 0; i < m_record_character.size(); ++i) {
        character* child = m_record_character[i].get_ptr();
        const button_record& record = m_def->m_button_records[i];
        if (!child || !record.is_active_in(m_mouse_state)) continue;
        // A record of every state stands above the state's own; of several only the last shows.
        if (record.is_active_in_all_states()) {
            on_top = child;
            continue;
        }
        child->display();
    }
    if (on_top) on_top->display();
    do_display_callback();
}

character* button_character_instance::get_topmost_mouse_entity(float x, float y) {
    if (!get_visible() || !m_def) return nullptr;
    point local;
    get_matrix().transform_by_inverse(&local, point(x, y));
    for (const button_record& record : m_def->m_button_records) {
        if (!record.m_hit_test || record.m_character_id <= 0) continue;
        character_def* def = m_def->resolve(record);
        if (!def) continue;
        point in_record;
        record.m_button_matrix.transform_by_inverse(&in_record, local);
        if (def->point_test_local(in_record.m_x, in_record.m_y)) return this;
    }
    return nullptr;
}

void button_character_instance::get_bound(rect* bound) {
    bool any = false;
    rect all;
    for (int i = 0; m_def && i < m_record_character.size(); ++i) {
        character* child = m_record_character[i].get_ptr();
        if (!child || !m_def->m_button_records[i].is_active_in(m_mouse_state)) continue;
        rect child_bound;
        child->get_bound(&child_bound);
        if (any) {
            all.expand_to_rect(child_bound);
        } else {
            all = child_bound;
            any = true;
        }
    }
    if (!any) return;
    get_matrix().transform(&all);
    *bound = all;
}

bool button_character_instance::wants_key_events() {
    if (!m_def) return false;
    for (const button_action* action : m_def->m_button_actions) {
        if (action->m_conditions & KEY_CODE_MASK) return true;
    }
    return false;
}

bool button_character_instance::queue_actions(character* parent, const event_id& event) {
    bool queued = false;
    const uint32_t condition = condition_of(event.m_id);
    for (button_action* action : m_def->m_button_actions) {
        bool matches = false;
        if (event.m_id == event_id::KEY_PRESS) {
            const int key = key_event_code(action->get_key_code());
            matches = key != 0 && event == event_id(event_id::KEY_PRESS, static_cast<uint8_t>(key));
        } else {
            matches = condition != 0 && (action->m_conditions & condition) != 0;
        }
        if (!matches) continue;
        for (action_buffer* buffer : action->m_actions) parent->add_action_buffer(buffer);
        queued = true;
    }
    return queued;
}

void button_character_instance::call_named_sound(int event) {
    const int slot = name_slot_of(event);
    if (slot < 0) return;
    const fx_callback fx = get_fx_callback();
    if (fx && m_effect_names[slot].length() > 0) fx(this, m_effect_names[slot].c_str());
    const sound_callback sound = get_sound_callback();
    if (sound && m_sound_names[slot].length() > 0) sound(this, m_sound_names[slot].c_str());
}

void button_character_instance::play_definition_sound(int sound_index) {
    if (sound_index < 0 || !m_def->m_sound) return;
    sound_handler* handler = get_sound_handler();
    const button_sound_entry& entry = m_def->m_sound->m_button_sounds[sound_index];
    if (!handler || entry.m_sound_id == 0 || !entry.m_sample) return;
    const int handler_id = entry.m_sample->get_sound_handler_id();
    if (entry.m_sound_style.m_stop_playback) {
        handler->stop_sound(handler_id);
    } else {
        handler->play_sound(nullptr, handler_id, entry.m_sound_style.m_loop_count);
    }
}

void button_character_instance::restart_children() {
    for (const smart_ptr<character>& child : m_record_character) {
        if (!child) continue;
        child->goto_frame(0);
        // A clip restarts with everything it shows.
        if (sprite_instance* clip = cast_to<sprite_instance>(child.get_ptr())) {
            clip->set_play_state(PLAY, true);
        } else {
            child->set_play_state(PLAY);
        }
    }
}

bool button_character_instance::on_event(const event_id& event) {
    smart_ptr<character> parent(get_parent());
    if (!parent || !m_def) return false;
    // The script handlers run first and may drop the last other reference to this button.
    smart_ptr<button_character_instance> keep(this);
    as_object::on_event(event);
    if (event.m_id == event_id::KEY_PRESS) return queue_actions(parent.get_ptr(), event);

    call_named_sound(event.m_id);
    if (!get_sound_callback()) play_definition_sound(sound_index_of(event.m_id));

    switch (event.m_id) {
        case event_id::PRESS:
        case event_id::DRAG_OVER:
            m_mouse_state = MOUSE_DOWN_STATE;
            break;
        case event_id::RELEASE:
        case event_id::ROLL_OVER:
        case event_id::DRAG_OUT:
            m_mouse_state = MOUSE_OVER_STATE;
            restart_children();
            break;
        case event_id::RELEASE_OUTSIDE:
        case event_id::ROLL_OUT:
            m_mouse_state = MOUSE_UP_STATE;
            break;
        default:
            return false;
    }
    m_button_mouse_state = m_mouse_state;
    notify_event_callback(this, button_host_event(event.m_id));
    return queue_actions(parent.get_ptr(), event);
}

void button_character_instance::this_alive() {
    character::this_alive();
    for (const smart_ptr<character>& child : m_record_character) {
        if (child) child->this_alive();
    }
}

}  // namespace flash
