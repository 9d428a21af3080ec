#pragma once
// The SOUNDINFO record of DefineButtonSound and StartSound, kept whole.
#include <cstdint>

#include "flash/base/array.h"

namespace flash {

class swf_stream;

struct sound_envelope_point {
    uint32_t m_position = 0;
    uint16_t m_left_level = 0;
    uint16_t m_right_level = 0;
};

struct sound_info {
    bool m_no_multiple = false;
    bool m_stop_playback = false;
    bool m_has_envelope = false;
    bool m_has_loops = false;
    bool m_has_out_point = false;
    bool m_has_in_point = false;
    uint32_t m_in_point = 0;
    uint32_t m_out_point = 0;
    uint16_t m_loop_count = 0;
    array<sound_envelope_point> m_envelopes;
};

// From a byte-aligned start; a record cut by the tag's end keeps what was read (an envelope point
// cut short is dropped).
void read_sound_info(swf_stream* in, sound_info* out);

}  // namespace flash
