#pragma once
// One playing instance of a loaded movie: its definition and top-level movie, the viewport and
// background the host sets each frame, the mouse and key input the host feeds in, the frame clock,
// the mouse button events, and the listener lists of key presses and of objects that advance with
// it. The host keeps it alive; its player only knows it weakly.
#include <cstdint>

#include "flash/base/bx_string.h"
#include "flash/base/ref_counted.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/character.h"
#include "flash/runtime/listener.h"
#include "flash/runtime/script_limits.h"
#include "flash/shape/geometry.h"

namespace flash {

class movie_def_impl;
class player;
class sprite_instance;

// Frame rates set_frame_rate accepts (frames per second, inclusive).
constexpr float min_frame_rate = 1.0f;
constexpr float max_frame_rate = 240.0f;

class root : public ref_counted {
public:
    root(player* owner, movie_def_impl* def);
    ~root() override;
    root(const root&) = delete;
    root& operator=(const root&) = delete;

    // Viewport in pixels; the pixel scale is the larger of the two ratios to the movie's frame size
    // (the width's on a tie). The movie itself is never scaled to the viewport.
    void set_display_viewport(int x0, int y0, int width, int height);
    virtual float get_pixel_scale() const { return m_pixel_scale; }
    int get_viewport_x0() const { return m_viewport_x0; }
    int get_viewport_y0() const { return m_viewport_y0; }
    int get_viewport_width() const { return m_viewport_width; }
    int get_viewport_height() const { return m_viewport_height; }

    // Pixels from the viewport's top-left; bit 0 of buttons is the primary button. Read by the
    // next advance.
    void notify_mouse_state(int x, int y, int buttons);
    virtual void get_mouse_state(int* x, int* y, int* buttons);

    void set_background_color(const rgba& color) { m_background_color = color; }
    // 0 .. 1; out-of-range values clamp and NaN gives 0.
    void set_background_alpha(float alpha);
    const rgba& get_background_color() const { return m_background_color; }
    // The background's alpha as a fraction, 0 .. 1.
    float get_background_alpha() const { return m_background_color.m_a / 255.0f; }

    // Mouse button events, advance listeners, then as many frame steps as the elapsed time calls
    // for; all under the engine mutex.
    void advance(float dt);

    void begin_display();
    void display();
    void end_display();

    // The top-level movie.
    character* get_root_movie() const { return m_movie.get_ptr(); }
    // The top-level movie as the sprite it is; null when none is set (or a test set another kind).
    sprite_instance* get_root_sprite() const;
    void set_root_movie(character* movie);
    movie_def_impl* get_movie_definition() const { return m_def.get_ptr(); }
    player* get_player() const { return m_player.get_ptr(); }

    // Forwards to the top-level movie.
    void goto_frame(int frame_index);
    int get_current_frame() const;
    virtual bool goto_labeled_frame(const char* label);
    // The top-level movie's play state (0 plays, 1 stops), to every clip below it too.
    virtual void set_play_state(int state);
    // Loops of the top-level movie and every clip below it: -1 for ever, 0 once.
    void set_loop(int count);
    int get_frame_count() const;
    virtual void set_visible(bool visible);
    virtual bool get_visible() const;

    virtual void* get_userdata() { return m_userdata; }
    virtual void set_userdata(void* data) { m_userdata = data; }

    // 1 .. 240 frames per second; anything else (NaN too) is ignored.
    void set_frame_rate(float fps);
    float get_frame_rate() const;
    float get_frame_time() const { return m_frame_time; }
    float get_time_remainder() const { return m_time_remainder; }
    virtual int get_movie_version() const;
    virtual int get_movie_width() const;
    virtual int get_movie_height() const;
    virtual float get_movie_fps() const;

    // Updates the player's Key object and, on a press, tells the key listeners.
    void notify_key_event(player* owner, int key_code, bool down);

    listener& get_keypress_listeners() { return m_keypress_listeners; }
    listener& get_advance_listeners() { return m_advance_listeners; }

    // StartDrag and StopDrag write it; the dragged character follows the mouse in its advance.
    const drag_state& get_drag_state() const { return m_drag_state; }
    void set_drag_state(const drag_state& state) { m_drag_state = state; }
    void stop_drag() { m_drag_state.character = nullptr; }

    // Mouse button state, for the host and the tests.
    character* get_active_entity() const { return m_active_entity.get_ptr(); }
    character* get_topmost_entity() const { return m_topmost_entity.get_ptr(); }
    character* get_focus() const { return m_focus.get_ptr(); }
    void set_focus(character* ch) { m_focus = ch; }

    // Marks everything this root shows or holds in its player's heap (the garbage pass marks
    // from every live root).
    void mark_reachable();

    // What this movie's scripts hold, and the name their ERRORs give the movie.
    script_account* get_script_account() const { return m_script_account.get_ptr(); }
    void set_movie_name(const bx_string& name) { m_script_account->set_movie_name(name); }

private:
    void generate_mouse_button_events();
    void frame_step(player* owner);
    void set_flash_vars(const bx_string& vars);

    smart_ptr<movie_def_impl> m_def;
    smart_ptr<character> m_movie;
    int m_viewport_x0 = 0;
    int m_viewport_y0 = 0;
    int m_viewport_width = 1;
    int m_viewport_height = 1;
    float m_pixel_scale = 1.0f;
    rgba m_background_color{0, 0, 0, 255};
    int m_mouse_x = 0;
    int m_mouse_y = 0;
    int m_mouse_buttons = 0;
    void* m_userdata = nullptr;
    drag_state m_drag_state;
    smart_ptr<character> m_active_entity;
    smart_ptr<character> m_topmost_entity;
    bool m_last_button_down = false;
    bool m_button_down = false;
    bool m_mouse_inside = false;
    bool m_first_frame_done = false;
    smart_ptr<character> m_focus;
    float m_time_remainder = 1.0f;  // so that the first advance steps a frame
    float m_frame_time = 1.0f;
    listener m_keypress_listeners;
    listener m_advance_listeners;
    weak_ptr<player> m_player;
    smart_ptr<script_account> m_script_account{new script_account(bx_string())};
    bool m_dead_player_logged = false;
};

}  // namespace flash
