#include "flash/movie/movie_definition.h"

#include "flash/base/log.h"
#include "flash/movie/sound_handler.h"
#include "flash/runtime/action_tags.h"

namespace flash {

movie_definition_sub::~movie_definition_sub() {
    if (m_stream_sound_id < 0) return;
    if (sound_handler* handler = get_sound_handler()) handler->stop_sound(m_stream_sound_id);
}

bool movie_definition_sub::accept_frame_tag(execute_tag* tag, int frame_count, const char* who) {
    if (m_loading_frame >= 0 && m_loading_frame < frame_count) return true;
    // A ShowFrame too many: the frame arrays end at the declared count.
    log_error("error: %s: a tag in frame %d, past the declared %d frames; dropped\n", who, m_loading_frame,
              frame_count);
    delete tag;
    return false;
}

}  // namespace flash
