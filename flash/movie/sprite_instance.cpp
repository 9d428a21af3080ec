// The clip's timeline: construction, the frame step, gotos, play state, play range and loops,
// frame labels reported to the host, and the frame tags and queued actions.
#include "flash/movie/sprite_instance.h"

#include <cmath>

#include "flash/base/log.h"
#include "flash/base/numeric.h"
#include "flash/movie/host_callbacks.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_definition.h"
#include "flash/movie/sprite_methods.h"
#include "flash/runtime/action_buffer.h"
#include "flash/runtime/action_tags.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/engine_instance.h"
#include "flash/runtime/event_id.h"
#include "flash/runtime/method_call.h"

namespace flash {

namespace {

constexpr float loop_timer_idle = -1.0f;
constexpr int depth_key_shift = 16;
const char* const version_member = "$version";
const char* const version_text = "WIN Sep 25 2009 15:14:56";
const char* const constructor_member = "__constructor__";
// The run-time drawing lies below everything the timeline places (from depth 1 up).
constexpr int canvas_depth = 0;

// A whole decimal number: an optional minus sign and digits, nothing else (" 3" and "+3" are
// labels). The value stops growing once it is past any int, so that it never overflows.
bool parse_frame_number(const char* text, double* out) {
    const bool negative = *text == '-';
    if (negative) ++text;
    if (*text == 0) return false;
    constexpr double past_any_int = 1e10;
    double value = 0.0;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9') return false;
        if (value < past_any_int) value = value * 10 + (*text - '0');
    }
    *out = negative ? -value : value;
    return true;
}

}  // namespace

sprite_instance::sprite_instance(engine_instance* owner, movie_definition_sub* def, root* r,
                                 character* parent, int id)
    : character(owner, parent, id), m_def(def), m_root(r), m_env(owner) {
    const int frames = def ? def->get_frame_count() : 0;
    if (frames > 0 && m_init_actions_done.resize(frames)) {
        for (uint8_t& done : m_init_actions_done) done = 0;
    }
    m_env.set_owner(this);
    inherit_movieclip_prototype();
    if (owner) owner->mark_alive(this);
    add_fixed_builtin(constructor_member, as_value(sprite_constructor));
}

sprite_instance::~sprite_instance() { delete m_frame_scripts; }

smart_ptr<sprite_instance> sprite_instance::create_top_level(engine_instance* owner,
                                                             movie_definition_sub* def, root* r) {
    smart_ptr<sprite_instance> clip(new sprite_instance(owner, def, r, nullptr, -1));
    clip->set_member(version_member, as_value(version_text));
    clip->execute_frame_tags(0, false);
    return clip;
}

root* sprite_instance::get_root() {
    if (root* r = m_root.get_ptr()) return r;
    return character::get_root();
}

void sprite_instance::get_mouse_state(int* x, int* y, int* buttons) {
    if (root* r = m_root.get_ptr()) {
        r->get_mouse_state(x, y, buttons);
        return;
    }
    character::get_mouse_state(x, y, buttons);
}

as_object* sprite_instance::get_root_movie() {
    if (root* r = m_root.get_ptr()) return r->get_root_movie();
    return character::get_root_movie();
}

void sprite_instance::set_drag_state(const drag_state& state) {
    if (root* r = m_root.get_ptr()) r->set_drag_state(state);
}

void sprite_instance::get_drag_state(drag_state* out) {
    if (root* r = m_root.get_ptr()) {
        *out = r->get_drag_state();
        return;
    }
    character::get_drag_state(out);
}

void sprite_instance::stop_drag() {
    if (root* r = m_root.get_ptr()) r->stop_drag();
}

int sprite_instance::get_frame_count() const { return m_def ? m_def->get_frame_count() : 0; }

void sprite_instance::run_queued(array<action_buffer*>* queue) {
    if (queue->size() == 0) return;
    array<action_buffer*> buffers(*queue);
    queue->clear();
    execute_actions(buffers);
}

void sprite_instance::execute_actions(const array<action_buffer*>& buffers) {
    for (action_buffer* buffer : buffers) buffer->execute(&m_env);
}

void sprite_instance::advance(float dt) {
    // Scripts run below may remove this clip from every list.
    smart_ptr<sprite_instance> hold(this);
    if (!m_first_advance_done) {
        bind_registered_class();
        on_event(event_id(event_id::LOAD));
    }
    follow_drag();
    run_queued(&m_goto_action_list);
    if (m_play_state == STOP && m_loop_count != 0 && m_loop_timer != loop_timer_idle) {
        m_loop_timer += dt;
        if (m_loop_timer >= m_loop_delay) {
            goto_frame(m_start_frame);
            m_loop_timer = loop_timer_idle;
            set_play_state(PLAY, true);
            // The restarted frame's actions run now, before the frame step moves past it.
            run_queued(&m_goto_action_list);
        }
    }
    if (m_play_state == PLAY) step_frame();
    if (m_first_advance_done) on_event(event_id(event_id::ENTER_FRAME));
    run_queued(&m_action_list);
    if (m_pending_frame_script) {
        const as_value script(m_pending_frame_script.get_ptr());
        m_pending_frame_script = nullptr;
        ::flash::call_method(script, &m_env, as_value(this), 0, m_env.get_top_index());
    }
    m_display_list.advance(dt);
    m_first_advance_done = true;
    alive();
}

void sprite_instance::step_frame() {
    const int previous = m_current_frame;
    const int frames = get_frame_count();
    if (m_first_advance_done) {
        ++m_current_frame;
        if (m_current_frame < frames && (m_end_frame == -1 || m_current_frame <= m_end_frame)) {
            report_label(m_current_frame);
        } else {
            end_of_range();
        }
    }
    if (m_current_frame >= frames) m_current_frame = frames - 1;
    if (m_current_frame == previous || m_current_frame < 0) return;
    if (m_current_frame == 0 && frames > 1) {
        // A wrap keeps what frame 0 places and drops everything else.
        array<int> kept;
        if (const array<execute_tag*>* tags = m_def->get_playlist(0)) {
            for (execute_tag* tag : *tags) {
                const uint32_t key = tag->get_depth_id_key();
                if (key != static_cast<uint32_t>(-1)) kept.push_back(static_cast<int>(key >> depth_key_shift));
            }
        }
        if (kept.size() > 0) m_display_list.clear_unaffected(kept);
        else m_display_list.clear();
    }
    execute_frame_tags(m_current_frame, false);
}

void sprite_instance::end_of_range() {
    if (m_loop_count > 0) --m_loop_count;
    if (m_loop_count != 0) {
        if (m_loop_delay > 0.0f) {
            --m_current_frame;
            m_loop_timer = 0.0f;
            m_play_state = STOP;
        } else {
            report_name(m_play_name);
            m_current_frame = m_start_frame;
        }
    } else {
        --m_current_frame;
        m_loop_timer = loop_timer_idle;
        m_play_state = STOP;
    }
    call_stop_callback();
}

void sprite_instance::report_label(int frame) {
    sound_callback callback = get_sound_callback();
    if (!callback || !m_def) return;
    bx_string label;
    if (m_def->get_frame_label(frame, &label)) callback(this, label.c_str());
}

void sprite_instance::report_name(const bx_string& name) {
    sound_callback callback = get_sound_callback();
    if (callback && name.length() > 0) callback(this, name.c_str());
}

void sprite_instance::call_stop_callback() {
    if (m_stop_callback) m_stop_callback(this);
}

void sprite_instance::execute_frame_tags(int frame, bool state_only) {
    if (!m_def || frame < 0 || frame >= get_frame_count()) return;
    smart_ptr<sprite_instance> hold(this);
    if (frame < m_init_actions_done.size() && !m_init_actions_done[frame]) {
        const array<execute_tag*>* init = m_def->get_init_actions(frame);
        if (init && init->size() > 0) {
            for (execute_tag* tag : *init) tag->execute(this);
            m_init_actions_done[frame] = 1;
        }
    }
    if (const array<execute_tag*>* tags = m_def->get_playlist(frame)) {
        for (execute_tag* tag : *tags) {
            if (state_only) tag->apply_state(this);
            else tag->execute(this);
        }
    }
    if (!state_only) restart_stream_sound(frame);
    m_pending_frame_script = nullptr;
    if (m_frame_scripts) m_frame_scripts->get(frame, &m_pending_frame_script);
}

bool sprite_instance::set_frame_script(int frame, as_object* function) {
    if (!function || frame < 0 || frame >= get_frame_count()) return false;
    if (!m_frame_scripts) m_frame_scripts = new hash<int, smart_ptr<as_object>>;
    m_frame_scripts->set(frame, smart_ptr<as_object>(function));
    if (frame == m_current_frame) m_pending_frame_script = function;
    return true;
}

bx_string sprite_instance::call_method(const char* method_name) {
    if (!method_name) return bx_string();
    smart_ptr<sprite_instance> hold(this);
    return ::flash::call_method(&m_env, this, method_name, nullptr, 0);
}

void sprite_instance::goto_frame(int target) {
    const int frames = get_frame_count();
    if (target == m_current_frame && frames == 1) m_current_frame = target - 1;  // runs it again
    if (target >= frames || target < 0 || target == m_current_frame) {
        m_play_state = STOP;
        return;
    }
    smart_ptr<sprite_instance> hold(this);
    // Emptied before the frames in between, not after: the init actions they queue still run.
    m_action_list.clear();
    if (target < m_current_frame) {
        for (int f = m_current_frame; f > target; --f) {
            const array<execute_tag*>* tags = m_def->get_playlist(f);
            if (!tags) continue;
            for (execute_tag* tag : *tags) tag->reverse_state(this, f);
        }
    } else {
        for (int f = m_current_frame + 1; f < target; ++f) execute_frame_tags(f, true);
    }
    execute_frame_tags(target, false);
    m_current_frame = target;
    if (m_play_state == PLAY) call_stop_callback();
    m_play_state = STOP;
    // The target frame's actions run at the start of the next advance.
    for (action_buffer* buffer : m_action_list) m_goto_action_list.push_back(buffer);
    m_action_list.clear();
    report_label(m_current_frame);
}

void sprite_instance::goto_frame(const bx_string& target) {
    const char* text = target.c_str();
    double number = 0.0;
    if (parse_frame_number(text, &number)) {
        int frame = -1;
        if (!to_int_checked(number - 1.0, &frame)) {
            // No movie has that many frames: refused like any frame outside the clip.
            log_error("error: goto_frame('%s') -- frame number out of range\n", text);
            frame = -1;
        }
        goto_frame(frame);
        return;
    }
    goto_labeled_frame(target.c_str());
}

bool sprite_instance::goto_labeled_frame(const char* label) {
    int frame = -1;
    if (m_def && label && m_def->get_labeled_frame(label, &frame)) {
        goto_frame(frame);
        return true;
    }
    if (get_verbose_action()) {
        log_error("error: movie_impl::goto_labeled_frame('%s') unknown label\n", label ? label : "");
    }
    return false;
}

int sprite_instance::getLabeledFrame(const char* label) const {
    int frame = -1;
    if (!m_def || !label || !m_def->get_labeled_frame(label, &frame)) return -1;
    return frame;
}

bool sprite_instance::getFrameLabel(int frame, bx_string* label) const {
    return m_def && m_def->get_frame_label(frame, label);
}

void sprite_instance::set_play_state(int state, bool recursive) {
    pause_stream_sound(m_play_state == PLAY);
    if (m_play_state == STOP && state == PLAY && get_sound_callback()) {
        report_name(m_play_name);
        report_label(m_current_frame);
    }
    m_play_state = state;
    if (!recursive) return;
    for (int i = 0; i < m_display_list.size(); ++i) {
        character* child = m_display_list.get_character(i);
        if (sprite_instance* clip = cast_to<sprite_instance>(child)) clip->set_play_state(state, true);
    }
}

void sprite_instance::setFramesForPlay(int start, int end) {
    m_start_frame = start;
    m_end_frame = end;
    for (int i = 0; i < m_display_list.size(); ++i) {
        if (sprite_instance* clip = cast_to<sprite_instance>(m_display_list.get_character(i))) {
            clip->setFramesForPlay(start, end);
        }
    }
}

void sprite_instance::set_loop(int count, bool recursive, float delay) {
    m_loop_count = count;
    m_loop_delay = delay;
    if (!recursive) return;
    for (int i = 0; i < m_display_list.size(); ++i) {
        if (sprite_instance* clip = cast_to<sprite_instance>(m_display_list.get_character(i))) {
            clip->set_loop(count, true, -1.0f);
        }
    }
}

void sprite_instance::call_frame_actions(const as_value& frame_value) {
    int frame = -1;
    const bool labeled = frame_value.is_string() && m_def &&
                         m_def->get_labeled_frame(frame_value.to_bx_string().c_str(), &frame);
    // A number past the int range names no frame: it is refused below as unknown.
    if (!labeled && !to_int_checked(std::trunc(frame_value.to_number()) - 1.0, &frame)) frame = -1;
    if (!m_def || frame < 0 || frame >= get_frame_count()) {
        log_error("error: call_frame('%s') -- unknown frame\n", frame_value.to_string());
        return;
    }
    smart_ptr<sprite_instance> hold(this);
    const int queued_before = m_action_list.size();
    if (const array<execute_tag*>* tags = m_def->get_playlist(frame)) {
        for (execute_tag* tag : *tags) {
            if (tag->is_action_tag()) tag->execute(this);
        }
    }
    array<action_buffer*> called;
    for (int i = queued_before; i < m_action_list.size(); ++i) called.push_back(m_action_list[i]);
    m_action_list.resize(queued_before);
    execute_actions(called);
}

as_value sprite_instance::get_variable(const char* path) const {
    if (!path) {
        log_error("error: NULL path_to_var passed to get_variable()\n");
        return as_value();
    }
    return m_env.get_variable(bx_string(path));
}

void sprite_instance::set_variable(const char* path, const as_value* value) {
    if (!path) {
        log_error("error: NULL path_to_var passed to set_variable()\n");
        return;
    }
    if (!value) {
        log_error("error: NULL passed to set_variable('%s', NULL)\n", path);
        return;
    }
    m_env.set_variable(bx_string(path), *value);
}

movie_definition_sub* create_empty_sprite_definition() { return new sprite_definition(nullptr); }

void sprite_instance::set_canvas(canvas_def* drawing) {
    if (m_canvas_character) m_display_list.remove_character(m_canvas_character.get_ptr());
    m_canvas_character = nullptr;
    m_canvas = drawing;
    if (!drawing) return;
    m_canvas_character = drawing->create_character_instance(get_player(), this, -1);
    if (m_canvas_character)
        m_display_list.add_display_object(m_canvas_character.get_ptr(), canvas_depth, false, cxform(), matrix(), 0.0f, 0);
}

void sprite_instance::set_frame_rate(float fps) {
    if (root* r = get_root()) r->set_frame_rate(fps);
}

}  // namespace flash
