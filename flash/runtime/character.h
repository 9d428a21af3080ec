#pragma once
// The interface through which action code drives displayed objects: frame control, clones and
// removal, dragging, property numbers, the level a character belongs to and the sprite's action
// queue. The movie side's characters and sprites implement it; the base behaviour is that of an
// object with no frames and no display list.
#include <cstdint>

#include "flash/base/bx_string.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/as_object.h"
#include "flash/shape/geometry.h"

namespace flash {

class action_buffer;
class display_list;

// The drag state a root movie takes from StartDrag.
struct drag_state {
    as_object* character = nullptr;
    bool lock_center = false;
    bool constrained = false;
    float x0 = 0.0f;
    float y0 = 0.0f;
    float x1 = 1.0f;
    float y1 = 1.0f;
};

class character;

// Host callbacks stored in a character: the event callback receives the character and the code
// it was registered with; the stop callback is told when a play range ends; the display callback
// draws the host's own things right after the character.
using character_event_callback = void (*)(character* ch, int code);
using character_stop_callback = void (*)(character* ch);
using character_display_callback = void (*)(void* user_data);
using character_host_hook = void (*)(character* ch);

// Button states that index the sound and effect name tables: the four mouse transitions of a
// button plus press and release.
enum button_sound_slot {
    SOUND_ROLL_OVER = 0,
    SOUND_ROLL_OUT = 1,
    SOUND_PRESS = 2,
    SOUND_RELEASE = 3,
    SOUND_DRAG_OVER = 4,
    SOUND_DRAG_OUT = 5,
    SOUND_SLOT_COUNT = 6
};

// The mouse state of a button-like character as the root's event machine sees it.
enum button_mouse_state { MOUSE_UP_STATE = 0, MOUSE_DOWN_STATE = 1, MOUSE_OVER_STATE = 2 };

class character : public as_object {
public:
    enum play_state { PLAY = 0, STOP = 1 };

    explicit character(engine_instance* owner, character* parent = nullptr, int id = -1);

    bool is(int class_id) const override { return class_id == CHARACTER || as_object::is(class_id); }

    // Standard members ("_x", "_alpha", "_name", ...) read and write the fields below.
    bool get_member(const bx_stringi& name, as_value* value) override;
    bool set_member(const bx_stringi& name, const as_value& value) override;
    bool reads_own_member(const bx_stringi& name) override;
    bool writes_own_member(const bx_stringi& name) override;

    int get_id() const { return m_id; }
    const bx_string& get_name() const { return m_name; }
    // A parent finds its children by name before its own members.
    void set_name(const bx_string& name) {
        m_name = name;
        member_lookup_changed();
    }
    // The names of the named ancestors and its own, joined with a backslash.
    const bx_string& get_path();
    // The same full path of names from the root, built afresh ("panel\\btnSkip").
    bx_string build_path_name() const;

    int get_depth() const { return m_depth; }
    void set_depth(int depth) { m_depth = depth; }
    const cxform& get_cxform() const { return m_cxform; }
    void set_cxform(const cxform& cx) { m_cxform = cx; }
    const matrix& get_matrix() const { return m_matrix; }
    void set_matrix(const matrix& m) { m_matrix = m; }
    float get_ratio() const { return m_ratio; }
    void set_ratio(float ratio) { m_ratio = ratio; }
    uint16_t get_clip_depth() const { return m_clip_depth; }
    void set_clip_depth(uint16_t depth) { m_clip_depth = depth; }
    virtual bool get_visible() const { return m_visible; }
    virtual void set_visible(bool visible) { m_visible = visible; }

    matrix get_world_matrix() const;
    cxform get_world_cxform() const;

    // Bounds in the parent's twips; empty characters give a zero rectangle at their origin.
    virtual void get_bound(rect* bound);
    // Bound width and height in twips; 0 when below the smallest normal float or NaN.
    float get_width();
    float get_height();

    // Drawing: the base draws nothing.
    virtual void display() {}
    virtual bool get_display_enabled() const { return true; }
    void set_display_callback(character_display_callback callback, void* user_data) {
        m_display_callback = callback;
        m_display_user_data = user_data;
    }
    void do_display_callback();
    void set_host_hook(character_host_hook hook) { m_host_hook = hook; }
    void do_host_hook();

    // The character under (x, y), twips of the parent; null by default.
    virtual character* get_topmost_mouse_entity(float /*x*/, float /*y*/) { return nullptr; }
    virtual bool get_track_as_menu() const { return false; }
    // True when the mouse, read through "_xmouse" and "_ymouse", lies inside the bound.
    virtual bool is_mouse_over();
    virtual bool get_hand_cursor() const { return m_use_hand_cursor; }
    void set_use_hand_cursor(bool on) { m_use_hand_cursor = on; }
    virtual bool wants_key_events() { return false; }
    virtual bool can_handle_mouse_event() { return false; }
    // False once a script took control of the transform.
    virtual bool get_accept_anim_moves() const { return true; }
    // The root's mouse position (pixels) and buttons; characters ask their parent, the top of the
    // chain its root.
    virtual void get_mouse_state(int* x, int* y, int* buttons);
    // The top-level sprite of the character's root.
    virtual as_object* get_root_movie();

    // The characters it shows; only sprites have them.
    virtual display_list* get_display_list() { return nullptr; }

    // Display-list hooks: the removal hook and the first-frame execution.
    virtual void on_remove() {}
    virtual void execute_frame_tags_first(int /*frame*/, bool /*state_only*/) {}

    // The host's event callback: the engine calls it with a host_event_code on the character's
    // mouse events before its own handling. A sprite or a read-only text field with a callback
    // is a mouse target (the topmost entity under the mouse) even without handlers of its own;
    // null makes it ignore the mouse again unless its handlers (or, for a sprite, the host's
    // named-clips flag) ask for it. Buttons are mouse targets either way: null only silences them.
    void set_event_callback(character_event_callback callback) { m_event_callback = callback; }
    character_event_callback get_event_callback() const { return m_event_callback; }
    // The host object the character belongs to (a level or an element); null when none.
    virtual void* get_owner() const { return m_owner; }
    virtual void set_owner(void* owner) { m_owner = owner; }

    // Host data the game keeps on a character.
    character_event_callback m_event_callback = nullptr;
    int m_event_index = 0;
    character_stop_callback m_stop_callback = nullptr;
    void* m_owner = nullptr;          // the host object this character belongs to
    int m_loop_count = -1;            // play-range repeats left; -1 loops for ever, 0 stops at the end
    float m_loop_delay = 0.0f;        // seconds between repeats
    bx_string m_play_name;            // the name the host played the range under
    bool m_named_clips = false;       // the host looks clips up by name in this one
    int m_button_mouse_state = MOUSE_UP_STATE;
    bool m_disabled = false;
    // Sound and effect names, one per button_sound_slot.
    bx_string m_sound_names[SOUND_SLOT_COUNT];
    bx_string m_effect_names[SOUND_SLOT_COUNT];

    // Frame control; frame indexes are 0-based.
    virtual void goto_frame(int /*frame_index*/) {}
    virtual int get_current_frame() const { return 0; }
    virtual void set_play_state(int /*state*/) {}
    // False when no frame carries the label.
    virtual bool goto_labeled_frame(const char* /*label*/) { return false; }
    // Runs the actions of the frame that a number or label names.
    virtual void call_frame_actions(const as_value& /*frame*/) {}

    // Display operations.
    virtual character* clone_display_object(const bx_string& /*name*/, int /*depth*/) {
        return nullptr;
    }
    virtual character* get_parent() const { return m_parent.get_ptr(); }
    void set_parent(character* parent) { m_parent = parent; }
    // A sprite takes the child off its display list.
    virtual void remove_display_object(character* /*child*/) {}
    virtual character* cast_to_sprite() { return is(SPRITE) ? this : nullptr; }

    // Property numbers of GetProperty and SetProperty (0 .. 21).
    virtual void get_property(int property_number, as_value* out);
    virtual void set_property(int property_number, const as_value& value);

    // Above zero when the character belongs to a loaded level; script functions defined in it
    // then run in its own environment.
    virtual int get_level_count() const { return 0; }

    // A sprite queues the buffer for its next action pass.
    virtual void add_action_buffer(action_buffer* /*buffer*/) {}

    // The root movie's drag state; a character without a sprite above it reads the defaults.
    virtual void set_drag_state(const drag_state& /*state*/) {}
    virtual void stop_drag() {}
    virtual void get_drag_state(drag_state* out);
    // While this is the root's dragged character with its centre locked, it moves to the mouse
    // (kept in the bounds when the drag is bounded, stage twips) in its parent's space.
    void follow_drag();
    // The base's frame step: a dragged character follows the mouse.
    void advance(float dt) override;

private:
    bool get_standard_member(int member, as_value* value);
    bool set_standard_member(int member, const as_value& value);
    bx_string get_target();

    int m_id;
    weak_ptr<character> m_parent;
    bx_string m_name;
    bx_string m_path;
    int m_depth = 0;
    cxform m_cxform;
    matrix m_matrix;
    float m_ratio = 0.0f;
    uint16_t m_clip_depth = 0;
    bool m_visible = true;
    bool m_use_hand_cursor = false;
    character_host_hook m_host_hook = nullptr;
    character_display_callback m_display_callback = nullptr;
    void* m_display_user_data = nullptr;
};

// The object as a character of this interface; null for anything else.
character* as_character(as_object* object);

}  // namespace flash
