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

void notify_event_callback(character* ch, int code) {
    if (ch && ch->m_event_callback) ch->m_event_callback(ch, code);
}

}  // namespace flash
