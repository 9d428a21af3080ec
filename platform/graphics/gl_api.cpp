#include "platform/graphics/internal/gl_api.h"

#include <SDL.h>

#include "platform/log_sink.h"

namespace platform::gl {

bool Api::load() {
    bool ok = true;
#define TOV_GL_LOAD(type, name)                                                   \
    name = reinterpret_cast<type>(SDL_GL_GetProcAddress(#name));                  \
    if (!name) {                                                                  \
        platform::log("ERROR", "platform::gl::Api::load: missing entry " #name); \
        ok = false;                                                               \
    }
    TOV_GL_FUNCTIONS(TOV_GL_LOAD)
#undef TOV_GL_LOAD
    return ok;
}

}  // namespace platform::gl
