#include "flash/movie/adpcm.h"

#include <algorithm>

#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

constexpr int code_size_bits = 2;
constexpr int initial_sample_bits = 16;
constexpr int initial_index_bits = 6;
constexpr int block_header_bits = initial_sample_bits + initial_index_bits;
constexpr int max_step_index = 88;
constexpr int sample_min = -32768;
constexpr int sample_max = 32767;
constexpr int max_channels = 2;

constexpr int step_table[max_step_index + 1] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,   253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,   876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749,  3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// Index moves by the magnitude of a code, one table per code size.
constexpr int index_adjust_2[] = {-1, 2};
constexpr int index_adjust_3[] = {-1, -1, 2, 4};
constexpr int index_adjust_4[] = {-1, -1, -1, -1, 2, 4, 6, 8};
constexpr int index_adjust_5[] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
constexpr const int* index_adjust[] = {index_adjust_2, index_adjust_3, index_adjust_4, index_adjust_5};

struct channel_state {
    int sample = 0;
    int index = 0;
};

void apply_code(channel_state& ch, int code, int code_bits) {
    const int sign_bit = 1 << (code_bits - 1);
    int step = step_table[ch.index];
    int diff = step >> (code_bits - 1);
    for (int bit = sign_bit >> 1; bit != 0; bit >>= 1, step >>= 1) {
        if (code & bit) diff += step;
    }
    if (code & sign_bit) diff = -diff;
    ch.sample = std::clamp(ch.sample + diff, sample_min, sample_max);
    const int magnitude = code & (sign_bit - 1);
    ch.index = std::clamp(ch.index + index_adjust[code_bits - adpcm_min_code_bits][magnitude], 0, max_step_index);
}

}  // namespace

int64_t adpcm_min_stream_bits(uint32_t sample_count, int channels, int code_bits) {
    const int64_t count = sample_count;
    const int64_t blocks = (count + adpcm_block_samples - 1) / adpcm_block_samples;
    return int64_t{channels} * (blocks * block_header_bits + (count - blocks) * code_bits);
}

int adpcm_read_code_bits(swf_stream* in) {
    return static_cast<int>(in->read_uint(code_size_bits)) + adpcm_min_code_bits;
}

void adpcm_decode(swf_stream* in, int code_bits, uint32_t sample_count, bool stereo, int16_t* out) {
    code_bits = std::clamp(code_bits, adpcm_min_code_bits, adpcm_max_code_bits);
    const int channels = stereo ? max_channels : 1;
    channel_state state[max_channels];
    uint64_t done = 0;
    while (done < sample_count) {
        for (int c = 0; c < channels; ++c) {
            state[c].sample = in->read_sint(initial_sample_bits);
            state[c].index = static_cast<int>(in->read_uint(initial_index_bits));
            out[done * channels + c] = static_cast<int16_t>(state[c].sample);
        }
        ++done;
        const uint64_t block_end = std::min<uint64_t>(sample_count, done - 1 + adpcm_block_samples);
        for (; done < block_end; ++done) {
            for (int c = 0; c < channels; ++c) {
                apply_code(state[c], static_cast<int>(in->read_uint(code_bits)), code_bits);
                out[done * channels + c] = static_cast<int16_t>(state[c].sample);
            }
        }
    }
}

}  // namespace flash
