#include "flash/movie/host_callbacks.h"

#include <atomic>

namespace flash {

namespace {

// Registered on the main thread, read by whatever thread advances a root.
std::atomic<sound_callback> g_sound_callback{nullptr};
std::atomic<fx_callback> g_fx_callback{nullptr};

}  // namespace

void register_sound_callback(sound_callback callback) { g_sound_callback = callback; }
sound_callback get_sound_callback() { return g_sound_callback; }
void register_fx_callback(fx_callback callback) { g_fx_callback = callback; }
fx_callback get_fx_callback() { return g_fx_callback; }

}  // namespace flash
