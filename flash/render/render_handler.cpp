#include "flash/render/render_handler.h"

#include <atomic>

namespace flash {

namespace {

// Written once at start-up by the host, read from the loader threads.
std::atomic<render_handler*> g_handler{nullptr};

}  // namespace

void set_render_handler(render_handler* handler) { g_handler.store(handler); }

render_handler* get_render_handler() { return g_handler.load(); }

}  // namespace flash
