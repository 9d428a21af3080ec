#pragma once
// Buttons: the definition read from DefineButton, DefineButton2 and DefineButtonSound, and the
// instance placed on a display list, which shows the children of its mouse state, answers hit
// tests with its hit-area records, plays its sounds or names them to the host, tells the host's
// callback the state it entered and queues its actions on its parent when an event matches.
#include <cstdint>
#include <memory>

#include "flash/base/array.h"
#include "flash/base/smart_ptr.h"
#include "flash/movie/character_def.h"
#include "flash/movie/sound_handler.h"
#include "flash/runtime/action_buffer.h"
#include "flash/runtime/character.h"
#include "flash/shape/geometry.h"
#include "flash/swf/button_records.h"

namespace flash {

class movie_definition_sub;
class swf_stream;
struct event_id;

struct button_record {
    bool m_has_blend_mode = false;
    bool m_has_filter_list = false;
    bool m_hit_test = false;
    bool m_down = false;
    bool m_over = false;
    bool m_up = false;
    int m_character_id = 0;
    int m_button_layer = 0;  // depth
    matrix m_button_matrix;
    cxform m_button_cxform;
    uint8_t m_blend_mode = 0;

    // From its SWF record (the colour transform only where the record has one).
    void set(const swf_button_record& record);
    // Whether the record shows in a mouse state (button_mouse_state).
    bool is_active_in(int mouse_state) const;
    bool is_active_in_all_states() const { return m_up && m_down && m_over; }
};

struct button_action {
    uint32_t m_conditions = 0;
    array<action_buffer*> m_actions;  // owned

    button_action() = default;
    button_action(const button_action&) = delete;
    button_action& operator=(const button_action&) = delete;
    ~button_action();

    // The conditions and one new buffer over the record's action bytes.
    void set(const swf_button_action& record);
    // The key code of a key-press condition, 0 for none.
    int get_key_code() const { return static_cast<int>((m_conditions >> button_key_code_shift) & button_key_code_bits); }
};

// The sound of one of the four button transitions.
struct button_sound_entry {
    uint16_t m_sound_id = 0;
    smart_ptr<sound_sample> m_sample;
    sound_info m_sound_style;
};

struct button_sound_def {
    button_sound_entry m_button_sounds[BUTTON_SOUND_COUNT];
};

class button_character_definition : public character_def {
public:
    ~button_character_definition() override;

    bool is(int class_id) const override {
        return class_id == BUTTON_CHARACTER_DEFINITION || character_def::is(class_id);
    }

    // From the record of a DefineButton (7) or DefineButton2 (34), for the movie that read it.
    void set(const swf_define_button& record, movie_definition_sub* m);
    // From a DefineButtonSound (17) record, its samples looked up in that movie.
    void set_sounds(const swf_button_sounds& record, movie_definition_sub* m);

    character* create_character_instance(engine_instance* player, character* parent, int id) override;

    // The definition a record names, looked up in the movie that read this button (null once
    // that movie is gone or when the id names nothing).
    character_def* resolve(const button_record& record) const;

    bool m_menu = false;
    array<button_record> m_button_records;
    array<button_action*> m_button_actions;  // owned
    std::unique_ptr<button_sound_def> m_sound;

private:
    weak_ptr<movie_definition_sub> m_movie;
};

class button_character_instance : public character {
public:
    button_character_instance(engine_instance* player, button_character_definition* def, character* parent, int id);
    ~button_character_instance() override;

    button_character_definition* get_definition() const { return m_def.get_ptr(); }
    int get_mouse_state() const { return m_mouse_state; }
    // The child of a record; null for a record that made none.
    character* get_record_character(int index) const;

    void advance(float dt) override;
    // Placing the button runs each child's first frame, so a clip in a state shows at once.
    void execute_frame_tags_first(int frame, bool state_only) override;
    void display() override;
    character* get_topmost_mouse_entity(float x, float y) override;
    void get_bound(rect* bound) override;
    bool wants_key_events() override;
    bool get_hand_cursor() const override { return true; }
    bool can_handle_mouse_event() override { return true; }
    bool on_event(const event_id& event) override;
    void this_alive() override;

    // Whether a clip below the button may place one more instance: the topmost button above
    // owner bounds its whole tree, its state clips' children too, as its records are bounded.
    // False, with one ERROR per button, past the bound.
    static bool may_place_below(character* owner);

private:
    // Queues the buffers of every action that matches; true when one was queued.
    bool queue_actions(character* parent, const event_id& event);
    void call_named_sound(int event);
    void play_definition_sound(int sound_index);
    void restart_children();

    smart_ptr<button_character_definition> m_def;
    array<smart_ptr<character>> m_record_character;
    int m_mouse_state = MOUSE_UP_STATE;
    bool m_told_too_many = false;
};

// DefineButton (7), DefineButton2 (34) and DefineButtonSound (17).
void button_character_loader(swf_stream* in, int tag_type, movie_definition_sub* m);

}  // namespace flash
