#pragma once
// The interface through which action code drives displayed objects: frame control, clones and
// removal, dragging, property numbers, the level a character belongs to and the sprite's action
// queue. The movie side's characters and sprites implement it; the base behaviour is that of an
// object with no frames and no display list.
#include "flash/base/bx_string.h"
#include "flash/runtime/as_object.h"

namespace flash {

class action_buffer;

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

class character : public as_object {
public:
    enum play_state { PLAY = 0, STOP = 1 };

    explicit character(engine_instance* owner) : as_object(owner) {}

    bool is(int class_id) const override { return class_id == CHARACTER || as_object::is(class_id); }

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
    virtual character* get_parent() const { return nullptr; }
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

    // The root movie's drag state.
    virtual void set_drag_state(const drag_state& /*state*/) {}
    virtual void stop_drag() {}
};

// The object as a character of this interface; null for anything else.
character* as_character(as_object* object);

}  // namespace flash
