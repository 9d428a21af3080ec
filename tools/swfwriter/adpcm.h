#pragma once
// An ADPCM encoder for event-sound fixtures: IMA ADPCM with 2- to 5-bit codes in the SWF layout
// (a 2-bit code size, then blocks of 4096 samples per channel, each opening with a raw 16-bit
// sample and a 6-bit step index per channel).
#include <cstdint>
#include <vector>

#include "tools/swfwriter/bit_writer.h"

namespace swf {

struct AdpcmEncoding {
    Bytes data;  // the sound data of a DefineSound with format 1
    // The samples a correct decoder gives back: the encoder's own prediction, interleaved.
    std::vector<int16_t> decoded;
};

// samples are interleaved left, right when stereo; code_bits is 2 to 5.
AdpcmEncoding encode_adpcm(const std::vector<int16_t>& samples, bool stereo, int code_bits);

}  // namespace swf
