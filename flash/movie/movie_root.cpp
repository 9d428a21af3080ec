#include "flash/movie/movie_root.h"

#include <cmath>
#include <mutex>

#include "flash/base/bx_random.h"
#include "flash/base/log.h"
#include "flash/movie/display_list.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/player.h"
#include "flash/movie/sprite_instance.h"
#include "flash/render/bitmap_info.h"
#include "flash/runtime/as_key.h"
#include "flash/runtime/event_id.h"

namespace flash {

namespace {

// A host stall must not lock the frame in a catch-up loop: real-time mode steps at most this many
// frames in one advance and drops the rest of the time.
constexpr int max_catch_up_frames = 240;
constexpr char flash_vars_pair_separator = ',';
constexpr char flash_vars_value_separator = '=';
constexpr float alpha_byte_max = 255.0f;
constexpr float rounding = 0.5f;

// Elapsed times the clock can count: NaN, infinite and negative steps count as no time.
float usable_dt(float dt) { return std::isfinite(dt) && dt > 0.0f ? dt : 0.0f; }

// Marks a character, what its members reach and everything its display lists show.
void mark_tree(character* ch) {
    if (!ch) return;
    ch->this_alive();
    ch->alive();
    if (display_list* children = ch->get_display_list()) {
        for (int i = 0; i < children->size(); ++i) mark_tree(children->get_character(i));
    }
}

void send(character* ch, int event) {
    if (ch) ch->on_event(event_id(static_cast<uint8_t>(event)));
}

// The host's callbacks may re-enter the engine during an advance; the player counts the nesting
// so that no garbage pass runs under an outer advance still holding objects on its stack.
class advance_scope {
public:
    explicit advance_scope(player* owner) : m_owner(owner) {
        if (m_owner) m_owner->enter_advance();
    }
    ~advance_scope() {
        if (m_owner) m_owner->leave_advance();
    }
    advance_scope(const advance_scope&) = delete;
    advance_scope& operator=(const advance_scope&) = delete;

private:
    smart_ptr<player> m_owner;
};

}  // namespace

root::root(player* owner, movie_def_impl* def) : m_def(def), m_player(owner) {
    if (owner) owner->add_root(this);
    if (def) {
        set_display_viewport(0, 0, static_cast<int>(def->get_width_pixels()),
                             static_cast<int>(def->get_height_pixels()));
        m_frame_time = 1.0f / def->get_frame_rate();
    }
}

root::~root() {
    m_keypress_listeners.clear();
    m_advance_listeners.clear();
    m_focus = nullptr;
    m_active_entity = nullptr;
    m_topmost_entity = nullptr;
    m_movie = nullptr;
    m_def = nullptr;
}

void root::set_display_viewport(int x0, int y0, int width, int height) {
    m_viewport_x0 = x0;
    m_viewport_y0 = y0;
    m_viewport_width = width;
    m_viewport_height = height;
    if (!m_def) return;
    const float frame_width = m_def->get_width_pixels();
    const float frame_height = m_def->get_height_pixels();
    // A movie without a frame size has no scale to speak of.
    if (!(frame_width > 0.0f) || !(frame_height > 0.0f)) return;
    const float scale_x = static_cast<float>(width) / frame_width;
    const float scale_y = static_cast<float>(height) / frame_height;
    m_pixel_scale = scale_y > scale_x ? scale_y : scale_x;
}

void root::notify_mouse_state(int x, int y, int buttons) {
    m_mouse_x = x;
    m_mouse_y = y;
    m_mouse_buttons = buttons;
}

void root::get_mouse_state(int* x, int* y, int* buttons) {
    if (x) *x = m_mouse_x;
    if (y) *y = m_mouse_y;
    if (buttons) *buttons = m_mouse_buttons;
}

void root::set_background_alpha(float alpha) {
    m_background_color.m_a = channel_to_byte(alpha * alpha_byte_max + rounding);
}

void root::set_root_movie(character* movie) { m_movie = movie; }

sprite_instance* root::get_root_sprite() const { return cast_to<sprite_instance>(m_movie.get_ptr()); }

void root::advance(float dt) {
    std::lock_guard<std::recursive_mutex> lock(flash_engine_mutex());
    player* owner = m_player.get_ptr();
    if (!owner) {
        // Scripts, events and the garbage pass all need the player: nothing can run.
        if (!m_dead_player_logged) {
            log_error("error: root::advance(): the player of this movie is gone; frame step skipped\n");
            m_dead_player_logged = true;
        }
        return;
    }
    advance_scope scope(owner);
    // One host call: its scripts share one action count, and what they make is this movie's.
    const script_run_scope scripts(m_script_account.get_ptr());
    // A handler may drop the host's last reference; one not yet counted is left to its maker.
    smart_ptr<root> keep(get_ref_count() > 0 ? this : nullptr);
    dt = usable_dt(dt);

    if (m_movie) {
        m_topmost_entity = m_movie->get_topmost_mouse_entity(static_cast<float>(m_mouse_x) * twips_per_pixel,
                                                             static_cast<float>(m_mouse_y) * twips_per_pixel);
    }
    m_button_down = (m_mouse_buttons & 1) != 0;
    generate_mouse_button_events();
    m_advance_listeners.advance(dt);

    if (m_first_frame_done) {
        m_time_remainder += dt;
        if (m_time_remainder < m_frame_time) return;
    } else if (owner->get_force_realtime_framerate()) {
        // One frame is due at the start, whatever the frame rate; counting the whole start
        // remainder would run a second's worth of frames at once.
        m_time_remainder = m_frame_time + dt;
    } else {
        m_time_remainder += dt;
    }
    frame_step(owner);
}

void root::frame_step(player* owner) {
    owner->set_as_garbage();
    bx_random::next_random();
    smart_ptr<character> movie = m_movie;
    if (!m_first_frame_done) {
        set_flash_vars(owner->get_flash_vars());
        // The ActionScript 3 entry script (the document class) runs before the first frame.
        if (m_def) m_def->run_as3_entry(movie.get_ptr());
    }
    if (owner->get_force_realtime_framerate()) {
        int steps = 0;
        while (m_time_remainder >= m_frame_time && steps < max_catch_up_frames) {
            if (movie) movie->advance(m_frame_time);
            m_time_remainder -= m_frame_time;
            ++steps;
        }
        if (m_time_remainder >= m_frame_time) m_time_remainder = std::fmod(m_time_remainder, m_frame_time);
    } else {
        if (movie) movie->advance(m_time_remainder);
        m_time_remainder = std::fmod(m_time_remainder - m_frame_time, m_frame_time);
        if (!(m_time_remainder >= 0.0f)) m_time_remainder = 0.0f;
    }
    if (!m_first_frame_done) {
        m_first_frame_done = true;
        if (movie) send(movie.get_ptr(), event_id::LOAD);
    }
    owner->collect_after_frame_step();
}

void root::set_flash_vars(const bx_string& vars) {
    if (!m_movie) return;
    const char* text = vars.c_str();
    while (*text) {
        const char* equals = text;
        while (*equals && *equals != flash_vars_value_separator && *equals != flash_vars_pair_separator) ++equals;
        if (*equals != flash_vars_value_separator) return;  // a pair without "=" ends the list
        const char* value = equals + 1;
        const char* end = value;
        while (*end && *end != flash_vars_pair_separator) ++end;
        bx_string name;
        for (const char* p = text; p < equals; ++p) name += *p;
        bx_string value_text;
        for (const char* p = value; p < end; ++p) value_text += *p;
        m_movie->set_member(bx_stringi(name.c_str()), as_value(value_text));
        if (!*end) return;
        text = end + 1;
    }
}

void root::generate_mouse_button_events() {
    // Held for the whole pass: the handlers may change the state record or the display lists.
    smart_ptr<character> active = m_active_entity;
    smart_ptr<character> topmost = m_topmost_entity;
    character* a = active.get_ptr();
    character* t = topmost.get_ptr();

    if (render_handler* handler = get_render_handler()) handler->set_cursor(a && a->get_hand_cursor() ? 1 : 0);

    if (m_last_button_down) {
        if ((!a || a->get_track_as_menu()) && t && t != a && t->get_track_as_menu()) {
            active = t;
            a = t;
            send(a, event_id::DRAG_OVER);
            m_mouse_inside = true;
        }
        if (!m_mouse_inside) {
            if (t == a) {
                send(a, event_id::DRAG_OVER);
                m_mouse_inside = true;
            }
        } else if (t != a) {
            send(a, event_id::DRAG_OUT);
            m_mouse_inside = false;
        } else {
            send(a, event_id::STILL_PRESSED);
        }
        if (!m_button_down) {
            m_last_button_down = false;
            if (a) {
                if (m_mouse_inside) {
                    send(a, event_id::RELEASE);
                } else if (!a->get_track_as_menu()) {
                    send(a, event_id::RELEASE_OUTSIDE);
                }
            }
        }
    }
    if (!m_last_button_down) {
        if (t != a) {
            send(a, event_id::ROLL_OUT);
            active = t;
            a = t;
            send(a, event_id::ROLL_OVER);
            m_mouse_inside = true;
        }
        if (m_button_down) {
            if (m_focus.get_ptr() != a) {
                smart_ptr<character> old_focus = m_focus;
                m_focus = nullptr;
                send(old_focus.get_ptr(), event_id::KILLFOCUS);
                if (a && a->on_event(event_id(event_id::SETFOCUS))) m_focus = a;
            }
            send(a, event_id::PRESS);
            m_mouse_inside = true;
            m_last_button_down = true;
        }
    }
    m_active_entity = active;
    m_topmost_entity = topmost;
}

void root::begin_display() {
    render_handler* handler = get_render_handler();
    if (!handler || !m_def) return;
    const rect& frame = m_def->get_frame_rect();
    handler->begin_display(m_background_color, m_viewport_x0, m_viewport_y0, m_viewport_width, m_viewport_height,
                           frame.m_x_min, frame.m_x_max, frame.m_y_min, frame.m_y_max);
}

void root::display() {
    if (m_movie && m_movie->get_visible()) m_movie->display();
}

void root::end_display() {
    if (render_handler* handler = get_render_handler()) handler->end_display();
}

void root::goto_frame(int frame_index) {
    if (m_movie) m_movie->goto_frame(frame_index);
}

int root::get_current_frame() const { return m_movie ? m_movie->get_current_frame() : 0; }

bool root::goto_labeled_frame(const char* label) {
    // The top-level movie plays the root's own definition: its labels are the root's.
    return m_movie && m_movie->goto_labeled_frame(label);
}

void root::set_play_state(int state) {
    if (sprite_instance* clip = cast_to<sprite_instance>(m_movie.get_ptr())) {
        clip->set_play_state(state, true);
    } else if (m_movie) {
        m_movie->set_play_state(state);
    }
}

void root::set_loop(int count) {
    constexpr float no_delay = -1.0f;
    if (sprite_instance* clip = cast_to<sprite_instance>(m_movie.get_ptr())) clip->set_loop(count, true, no_delay);
}

int root::get_frame_count() const {
    const sprite_instance* clip = cast_to<sprite_instance>(m_movie.get_ptr());
    return clip ? clip->get_frame_count() : 0;
}

void root::set_visible(bool visible) {
    if (m_movie) m_movie->set_visible(visible);
}

bool root::get_visible() const { return m_movie && m_movie->get_visible(); }

void root::set_frame_rate(float fps) {
    if (!(fps >= min_frame_rate && fps <= max_frame_rate)) return;
    m_frame_time = 1.0f / fps;
    if (m_def) m_def->set_frame_rate(fps);
}

float root::get_frame_rate() const { return m_def ? m_def->get_frame_rate() : 0.0f; }

int root::get_movie_version() const { return m_def ? m_def->get_version() : 0; }

int root::get_movie_width() const { return m_def ? static_cast<int>(m_def->get_width_pixels()) : 0; }

int root::get_movie_height() const { return m_def ? static_cast<int>(m_def->get_height_pixels()) : 0; }

float root::get_movie_fps() const { return get_frame_rate(); }

void root::notify_key_event(player* owner, int key_code, bool down) {
    std::lock_guard<std::recursive_mutex> lock(flash_engine_mutex());
    const script_run_scope scripts(m_script_account.get_ptr());
    // The Key object keeps the key's state and tells its own listeners; it takes the whole code,
    // so a code past its range is ignored there rather than wrapped into a byte.
    as_object* global = owner ? owner->get_global() : nullptr;
    as_value key;
    as_key* key_object = nullptr;
    if (global && global->get_member("Key", &key)) key_object = cast_to<as_key>(key.to_object());
    if (key_object) {
        smart_ptr<as_key> keep(key_object);
        if (down) {
            key_object->set_key_down(key_code);
        } else {
            key_object->set_key_up(key_code);
        }
    } else {
        log_error("flash::notify_key_event(): no Key built-in\n");
    }
    if (down) m_keypress_listeners.notify(event_id(event_id::KEY_PRESS, static_cast<uint8_t>(key_code)));
}

void root::mark_reachable() {
    mark_tree(m_movie.get_ptr());
    for (character* ch : {m_active_entity.get_ptr(), m_topmost_entity.get_ptr(), m_focus.get_ptr()}) {
        mark_tree(ch);
    }
}

}  // namespace flash
