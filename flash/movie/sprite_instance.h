#pragma once
// The playing instance of a movie clip: the top-level clip of a root and every nested clip placed
// by a frame tag, duplicated or made by script. It owns its display list, frame counter, play
// state, play range and loops, its ActionScript environment and the queues of frame actions.
// Each advance steps the frame, runs the frame's tags and actions, raises the clip's events and
// advances the children.
#include <cstdint>
#include <initializer_list>
#include <memory>

#include "flash/base/array.h"
#include "flash/base/bx_string.h"
#include "flash/base/hash.h"
#include "flash/base/smart_ptr.h"
#include "flash/movie/canvas_def.h"
#include "flash/movie/display_list.h"
#include "flash/movie/movie_definition.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/character.h"

namespace flash {

class action_buffer;
class canvas_def;
class as_function;
class edit_text_character;
class execute_tag;
struct swf_event;

// Sprites nest at most this deep; a movie whose sprites place themselves stops here.
constexpr int max_sprite_nesting = 64;

class sprite_instance : public character {
public:
    static constexpr int cast_class_id = SPRITE;

    sprite_instance(engine_instance* owner, movie_definition_sub* def, root* r, character* parent,
                    int id);
    ~sprite_instance() override;

    // The top-level clip of a movie: "$version" set and frame 0's tags executed, before its first
    // advance. The caller makes it the top-level movie of r.
    static smart_ptr<sprite_instance> create_top_level(engine_instance* owner,
                                                       movie_definition_sub* def, root* r);

    bool is(int class_id) const override { return class_id == SPRITE || character::is(class_id); }
    const char* type_of() override { return "movieclip"; }
    bool get_member(const bx_stringi& name, as_value* value) override;
    bool set_member(const bx_stringi& name, const as_value& value) override;
    bool reads_own_member(const bx_stringi& name) override;
    bool on_event(const event_id& event) override;
    void enumerate(as_environment* env) override;
    void clear_refs(hash<as_object*, bool>* visited, as_object* this_ptr) override;
    void mark_references() override;
    void dump() override;
    using character::dump;
    root* get_root() override;
    // The root's mouse state and top-level movie, drag state and key listeners.
    void get_mouse_state(int* x, int* y, int* buttons) override;
    as_object* get_root_movie() override;
    void set_drag_state(const drag_state& state) override;
    void get_drag_state(drag_state* out) override;
    void stop_drag() override;
    as_environment* get_environment() override { return &m_env; }
    movie_definition_sub* get_definition() const { return m_def.get_ptr(); }

    // One frame step (see the class comment).
    void advance(float dt) override;
    // The class registerClass gave the clip's definition takes the clip over: its constructor
    // runs with the clip as this, once (the first advance, or attachMovie at once).
    void bind_registered_class();

    // Frames: 0-based indexes; a goto outside the range only stops the clip.
    int get_current_frame() const override { return m_current_frame; }
    int get_frame_count() const;
    void goto_frame(int target) override;
    // A whole decimal number n goes to index n - 1; any other text is a label.
    void goto_frame(const bx_string& target);
    bool goto_labeled_frame(const char* label) override;
    int getLabeledFrame(const char* label) const;
    bool getFrameLabel(int frame, bx_string* label) const;
    void set_play_state(int state) override { set_play_state(state, false); }
    void set_play_state(int state, bool recursive);
    int get_play_state() const { return m_play_state; }
    // The play range; end -1 is the last frame. Children get the same range.
    void setFramesForPlay(int start, int end);
    int get_start_frame() const { return m_start_frame; }
    int get_end_frame() const { return m_end_frame; }
    // Stores both; with recursive, every child sprite gets (count, true, -1): no wait between
    // its loops.
    void set_loop(int count, bool recursive, float delay);
    // Runs the actions of the frame a value names (label text, or a 1-based number).
    void call_frame_actions(const as_value& frame) override;
    void execute_frame_tags(int frame, bool state_only);
    void execute_frame_tags_first(int frame, bool state_only) override {
        execute_frame_tags(frame, state_only);
    }

    // Display list operations of the frame tags and scripts.
    display_list* get_display_list() override { return &m_display_list; }
    character* get_character(int index) const { return m_display_list.get_character(index); }
    character* get_character_by_name(const bx_string& name, bool recursive = false,
                                     array<character*>* found = nullptr) const;
    character* add_display_object(uint16_t character_id, const bx_string& name,
                                  const array<swf_event*>& event_handlers, int depth,
                                  bool replace_if_depth_is_occupied, const cxform& cx,
                                  const matrix& m, float ratio, uint16_t clip_depth);
    void move_display_object(int depth, bool use_cxform, const cxform& cx, bool use_matrix,
                             const matrix& m, float ratio, uint16_t clip_depth);
    void replace_display_object(uint16_t character_id, const bx_string& name, int depth,
                                bool use_cxform, const cxform& cx, bool use_matrix,
                                const matrix& m, float ratio, uint16_t clip_depth);
    void replace_display_object(character* ch, const bx_string& name, int depth,
                                bool use_cxform, const cxform& cx, bool use_matrix,
                                const matrix& m, float ratio, uint16_t clip_depth);
    void remove_display_object(int depth, int id);
    void remove_display_object(character* child) override;
    void clear_display_list() { m_display_list.clear(); }
    // The id of the character at depth; -1 when there is none.
    int get_id_at_depth(int depth) const;
    // The tag of an earlier frame than frame that placed or replaced (depth, id); null when none.
    execute_tag* find_previous_place_tag(int frame, int depth, int id) const;
    // duplicateMovieClip: a copy of this clip in its parent at depth, replacing an occupant.
    character* clone_display_object(const bx_string& name, int depth) override;

    // The host's native calls on the clip's children; each MovieClip method of the same meaning
    // is a thin wrapper over one of them. Depths here are display-list depths: a script's depth
    // plus lowest_dynamic_depth. Each new child replaces an occupant of its depth.
    // One more than the highest child depth, never below lowest_dynamic_depth; a child at the
    // largest depth leaves that depth as the answer (logged).
    int get_next_highest_depth() const { return m_display_list.get_next_highest_depth(); }
    // A new text field of width x height pixels at (x, y) pixels, with an empty text.
    edit_text_character* create_text_field(const bx_string& name, int depth, int x, int y, int width,
                                           int height);
    // A new clip of the sprite exported as export_name (from this clip's movie, else from its
    // parents' upwards), with this clip's colour transform and matrix; init's members are copied
    // onto it before a class registered for the symbol takes it over. Null when nothing is
    // exported under that name (logged with verbose action) or the export is no sprite.
    sprite_instance* attach_movie(const bx_string& export_name, const bx_string& new_name, int depth,
                                  as_object* init = nullptr);
    // duplicateMovieClip: a copy of this clip in its parent; null for a clip without one.
    character* duplicate(const bx_string& name, int depth) { return clone_display_object(name, depth); }
    // Moves the clip to depth in its parent's list, or swaps depths with the sibling already there.
    bool swap_depths(int depth);
    // Exchanges the depths of this clip and a sibling; false (logged) for null or another parent.
    bool swap_depths(character* partner);
    sprite_instance* create_empty_movie_clip(const bx_string& name, int depth);
    // The character a dotted path of instance names names below this clip ("panel.btnSkip"),
    // each name matched exactly among the children of the one before; null when one is missing.
    character* find_character_by_path(const char* dotted_path) const;
    // Calls the clip's script method (paths allowed) with the clip as this and the arguments in
    // order, through the clip's environment; the call's value (undefined when there is no such
    // method).
    as_value call_method_with_args(const char* method_name, const as_value* args, int nargs);
    as_value call_method_with_args(const char* method_name, std::initializer_list<as_value> args) {
        return call_method_with_args(method_name, args.begin(), static_cast<int>(args.size()));
    }

    void add_action_buffer(action_buffer* buffer) override { m_action_list.push_back(buffer); }
    void execute_actions(const array<action_buffer*>& buffers);
    // addFrameScript: the function runs after the frame's actions each time the frame executes;
    // given for the current frame it is pending at once. False for a frame outside the clip.
    bool set_frame_script(int frame, as_object* function);
    // Calls the clip's script method (paths allowed) without arguments; the result as text.
    bx_string call_method(const char* method_name);

    // Drawing, bounds and the mouse.
    void display() override;
    void get_bound(rect* bound) override;
    character* get_topmost_mouse_entity(float x, float y) override;
    bool can_handle_mouse_event() override;
    // False when this clip or an ancestor sprite is disabled.
    bool get_enabled() const;
    bool wants_key_events() override;
    void set_mask(sprite_instance* mask) { m_mask = mask; }
    sprite_instance* get_mask() const { return m_mask.get_ptr(); }

    // The clip's run-time drawing, shown as its lowest child; null takes it away.
    canvas_def* get_canvas() const { return m_canvas.get_ptr(); }
    void set_canvas(canvas_def* drawing);
    // The root's frame rate, from 1 to 240 frames a second; anything else changes nothing.
    void set_frame_rate(float fps);


    // False (with an ERROR) when an instance of def placed here would nest without end.
    bool may_nest(const character_def* def) const;

    // Script paths evaluated with the clip's environment.
    as_value get_variable(const char* path) const;
    void set_variable(const char* path, const as_value* value);

private:
    // The movie's stream sound, through a handler that streams: started again when its first
    // frame executes, told of each change of the play state.
    int get_stream_sound() const;
    void restart_stream_sound(int frame);
    void pause_stream_sound(bool was_playing);
    // The global MovieClip's prototype becomes the clip's: what scripts add to it, before or after
    // the clip is made, every clip answers.
    void inherit_movieclip_prototype();
    // The actions queued so far run; the list is emptied first, so the scripts may queue again.
    void run_queued(array<action_buffer*>* queue);
    void step_frame();
    // The end of the play range was passed: loop, wait or stop.
    void end_of_range();
    void report_label(int frame);
    void report_name(const bx_string& name);
    void call_stop_callback();
    character* instantiate(uint16_t character_id, const char* who);

    smart_ptr<movie_definition_sub> m_def;
    weak_ptr<root> m_root;  // a clip the host carries elsewhere may outlive its root
    float m_loop_timer = -1.0f;
    display_list m_display_list;
    array<action_buffer*> m_action_list;
    array<action_buffer*> m_goto_action_list;
    int m_play_state = PLAY;
    int m_current_frame = 0;
    array<uint8_t> m_init_actions_done;
    as_environment m_env;
    bool m_enabled = true;
    bool m_first_advance_done = false;
    bool m_class_bound = false;
    int m_start_frame = 0;
    int m_end_frame = -1;
    weak_ptr<sprite_instance> m_mask;
    // Set while the clip draws: a mask that leads back to a clip being drawn is not drawn again.
    bool m_displaying = false;
    smart_ptr<canvas_def> m_canvas;
    smart_ptr<character> m_canvas_character;
    hash<int, smart_ptr<as_object>>* m_frame_scripts = nullptr;  // made by the first addFrameScript
    smart_ptr<as_object> m_pending_frame_script;
};

// The empty definition of clips made by script: one frame holding one tag that does nothing.
movie_definition_sub* create_empty_sprite_definition();

}  // namespace flash
