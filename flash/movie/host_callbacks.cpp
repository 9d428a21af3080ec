#include "flash/movie/host_callbacks.h"

#include <atomic>

#include "flash/runtime/character.h"

namespace flash {

namespace {

// Registered on the main thread, read by whatever thread advances a root.
std::atomic<sound_callback> g_sound_callback{nullptr};
std::atomic<fx_callback> g_fx_callback{nullptr};
std::atomic<drawtext_callback> g_drawtext_callback{nullptr};

}  // namespace

void register_sound_callback(sound_callback callback) { g_sound_callback = callback; }
sound_callback get_sound_callback() { return g_sound_callback; }
void register_fx_callback(fx_callback callback) { g_fx_callback = callback; }
fx_callback get_fx_callback() { return g_fx_callback; }

void register_drawtext_callback(drawtext_callback callback) { g_drawtext_callback = callback; }
drawtext_callback get_drawtext_callback() { return g_drawtext_callback; }

void notify_event_callback(character* ch, host_event_code code) {
    if (ch && ch->m_event_callback && code != HOST_EVENT_NONE) ch->m_event_callback(ch, code);
}

host_event_code button_host_event(int event) {
    switch (event) {
        case event_id::PRESS:
        case event_id::DRAG_OVER: return HOST_EVENT_PRESS;
        case event_id::RELEASE:
        case event_id::ROLL_OVER:
        case event_id::DRAG_OUT: return HOST_EVENT_ROLL_OVER;
        case event_id::RELEASE_OUTSIDE:
        case event_id::ROLL_OUT: return HOST_EVENT_ROLL_OUT;
        default: return HOST_EVENT_NONE;
    }
}

host_event_code sprite_host_event(int event) {
    switch (event) {
        case event_id::PRESS: return HOST_EVENT_PRESS;
        case event_id::ROLL_OVER: return HOST_EVENT_ROLL_OVER;
        case event_id::ROLL_OUT: return HOST_EVENT_ROLL_OUT;
        case event_id::DRAG_OVER: return HOST_EVENT_DRAG_OVER;
        case event_id::DRAG_OUT: return HOST_EVENT_DRAG_OUT;
        case event_id::STILL_PRESSED: return HOST_EVENT_DRAG;
        default: return HOST_EVENT_NONE;
    }
}

int sprite_sound_slot(int event) {
    switch (event) {
        case event_id::ROLL_OUT: return SOUND_ROLL_OUT;
        case event_id::ROLL_OVER: return SOUND_ROLL_OVER;
        case event_id::PRESS: return SOUND_PRESS;
        case event_id::RELEASE: return SOUND_RELEASE;
        default: return -1;
    }
}

}  // namespace flash
