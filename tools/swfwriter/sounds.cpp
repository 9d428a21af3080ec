#include "tools/swfwriter/sounds.h"

namespace swf {

namespace {

constexpr int format_bits = 4;
constexpr int rate_bits = 2;
constexpr int reserved_info_bits = 2;

}  // namespace

Bytes define_sound_body(uint16_t id, const Sound& s) {
    BitWriter w;
    w.u16(id);
    w.ub(s.format, format_bits);
    w.ub(s.rate, rate_bits);
    w.flag(s.sixteen_bit);
    w.flag(s.stereo);
    w.u32(s.sample_count);
    w.bytes(s.data);
    return w.take();
}

Bytes sound_stream_head_body(const StreamHead& h) {
    BitWriter w;
    w.u8(h.playback);
    w.ub(h.format, format_bits);
    w.ub(h.rate, rate_bits);
    w.flag(h.sixteen_bit);
    w.flag(h.stereo);
    w.u16(h.sample_count);
    if (h.latency_seek) w.u16(*h.latency_seek);
    return w.take();
}

void write_sound_info(BitWriter& w, const SoundInfo& info) {
    w.align();
    w.ub(0, reserved_info_bits);
    w.flag(info.stop);
    w.flag(info.no_multiple);
    w.flag(info.envelope.has_value());
    w.flag(info.loops.has_value());
    w.flag(info.out_point.has_value());
    w.flag(info.in_point.has_value());
    if (info.in_point) w.u32(*info.in_point);
    if (info.out_point) w.u32(*info.out_point);
    if (info.loops) w.u16(*info.loops);
    if (info.envelope) {
        w.u8(static_cast<uint8_t>(info.envelope->size()));
        for (const EnvelopePoint& p : *info.envelope) {
            w.u32(p.position);
            w.u16(p.left);
            w.u16(p.right);
        }
    }
}

}  // namespace swf
