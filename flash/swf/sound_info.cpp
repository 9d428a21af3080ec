#include "flash/swf/sound_info.h"

#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

constexpr int reserved_info_bits = 2;

}  // namespace

void read_sound_info(swf_stream* in, sound_info* out) {
    in->align();
    in->read_uint(reserved_info_bits);
    out->m_stop_playback = in->read_bool();
    out->m_no_multiple = in->read_bool();
    out->m_has_envelope = in->read_bool();
    out->m_has_loops = in->read_bool();
    out->m_has_out_point = in->read_bool();
    out->m_has_in_point = in->read_bool();
    if (out->m_has_in_point) out->m_in_point = in->read_u32();
    if (out->m_has_out_point) out->m_out_point = in->read_u32();
    if (out->m_has_loops) out->m_loop_count = in->read_u16();
    out->m_envelopes.clear();
    if (!out->m_has_envelope) return;
    const int count = in->read_u8();
    for (int i = 0; i < count && !in->has_overrun(); ++i) {
        sound_envelope_point p;
        p.m_position = in->read_u32();
        p.m_left_level = in->read_u16();
        p.m_right_level = in->read_u16();
        if (in->has_overrun()) break;
        out->m_envelopes.push_back(p);
    }
}

}  // namespace flash
