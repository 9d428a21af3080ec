#include "tools/swfwriter/adpcm.h"

#include <algorithm>

namespace swf {

namespace {

constexpr int block_samples = 4096;
constexpr int max_index = 88;
constexpr int min_code_bits = 2;
constexpr int code_size_field_bits = 2;
constexpr int sample_bits = 16;
constexpr int index_bits = 6;

constexpr int steps[max_index + 1] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const std::vector<int> index_moves[] = {
    {-1, 2},
    {-1, -1, 2, 4},
    {-1, -1, -1, -1, 2, 4, 6, 8},
    {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16},
};

struct Channel {
    int predicted = 0;
    int index = 0;
};

// Picks the code nearest the target and moves the channel as a decoder will.
int encode_one(Channel& ch, int target, int code_bits) {
    const int sign = 1 << (code_bits - 1);
    int step = steps[ch.index];
    int diff = target - ch.predicted;
    int code = 0;
    if (diff < 0) {
        code = sign;
        diff = -diff;
    }
    int reconstructed = step >> (code_bits - 1);
    for (int bit = sign >> 1; bit != 0; bit >>= 1, step >>= 1) {
        if (diff >= step) {
            code |= bit;
            diff -= step;
            reconstructed += step;
        }
    }
    ch.predicted = std::clamp(ch.predicted + ((code & sign) ? -reconstructed : reconstructed), -32768, 32767);
    ch.index = std::clamp(ch.index + index_moves[code_bits - min_code_bits][code & (sign - 1)], 0, max_index);
    return code;
}

}  // namespace

AdpcmEncoding encode_adpcm(const std::vector<int16_t>& samples, bool stereo, int code_bits) {
    const size_t channels = stereo ? 2 : 1;
    const size_t count = samples.size() / channels;
    AdpcmEncoding out;
    out.decoded.resize(count * channels);
    BitWriter w;
    w.ub(static_cast<uint32_t>(code_bits - min_code_bits), code_size_field_bits);
    Channel state[2];
    for (size_t i = 0; i < count; ++i) {
        for (size_t c = 0; c < channels; ++c) {
            const int target = samples[i * channels + c];
            Channel& ch = state[c];
            if (i % block_samples == 0) {
                // A block opens with the sample itself and a step index suited to its size.
                ch.predicted = target;
                ch.index = std::min(ch.index, (1 << index_bits) - 1);
                w.sb(target, sample_bits);
                w.ub(static_cast<uint32_t>(ch.index), index_bits);
            } else {
                w.ub(static_cast<uint32_t>(encode_one(ch, target, code_bits)), code_bits);
            }
            out.decoded[i * channels + c] = static_cast<int16_t>(ch.predicted);
        }
    }
    out.data = w.take();
    return out;
}

}  // namespace swf
