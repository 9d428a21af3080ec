#pragma once
// Event sounds: DefineSound, and the SOUNDINFO record that StartSound and DefineButtonSound share.
#include <cstdint>
#include <optional>
#include <vector>

#include "tools/swfwriter/bit_writer.h"

namespace swf {

enum SoundFormat : uint8_t {
    sound_native_raw = 0,
    sound_adpcm = 1,
    sound_mp3 = 2,
    sound_little_endian_raw = 3,
};

// Rate codes 0..3: 5512, 11025, 22050 and 44100 Hz.
enum SoundRate : uint8_t { rate_5512 = 0, rate_11025 = 1, rate_22050 = 2, rate_44100 = 3 };

struct Sound {
    uint8_t format = sound_little_endian_raw;
    uint8_t rate = rate_22050;
    bool sixteen_bit = true;
    bool stereo = false;
    uint32_t sample_count = 0;
    Bytes data;  // stored as given
};

struct EnvelopePoint {
    uint32_t position = 0;
    uint16_t left = 0, right = 0;
};

struct SoundInfo {
    bool stop = false;
    bool no_multiple = false;
    std::optional<uint32_t> in_point, out_point;
    std::optional<uint16_t> loops;
    std::optional<std::vector<EnvelopePoint>> envelope;
};

// SoundStreamHead and SoundStreamHead2: the playback byte, then the stream's settings.
struct StreamHead {
    uint8_t playback = 0;
    uint8_t format = sound_little_endian_raw;
    uint8_t rate = rate_22050;
    bool sixteen_bit = true;
    bool stereo = false;
    uint16_t sample_count = 0;
    std::optional<uint16_t> latency_seek;  // written when given (MP3 heads carry one)
};

Bytes sound_stream_head_body(const StreamHead& h);

// After the id: format, rate, size and channel bits, the sample count, the data.
Bytes define_sound_body(uint16_t id, const Sound& s);
void write_sound_info(BitWriter& w, const SoundInfo& info);

}  // namespace swf
