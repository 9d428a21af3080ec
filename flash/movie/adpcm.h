#pragma once
// The ADPCM decoder of event sounds: IMA ADPCM with 2- to 5-bit codes as SWF files store it,
// blocks of 4096 samples per channel, each opening with a raw sample and a step index.
#include <cstdint>

namespace flash {

class swf_stream;

constexpr int adpcm_block_samples = 4096;
constexpr int adpcm_min_code_bits = 2;
constexpr int adpcm_max_code_bits = 5;

// The fewest bits that sample_count samples per channel take after the code-size field, in 64
// bits so that no count can wrap it.
int64_t adpcm_min_stream_bits(uint32_t sample_count, int channels, int code_bits);

// The bits per code that the stream's leading 2-bit field gives (2 to 5).
int adpcm_read_code_bits(swf_stream* in);

// Decodes sample_count samples per channel, after the code-size field, into out (interleaved
// when stereo; out holds sample_count * channels values). A stream that ends early decodes zeros.
void adpcm_decode(swf_stream* in, int code_bits, uint32_t sample_count, bool stereo, int16_t* out);

}  // namespace flash
