#pragma once
// The action records that a clip event or a button condition carries, taken from the stream as
// raw bytes: the movie side makes action buffers of them.
#include <cstdint>
#include <vector>

namespace flash {

class swf_stream;

// Appends whole action records to out, up to and including an End code and never more than limit
// bytes, and returns how many bytes were taken; nothing after the End code is consumed. Past the
// tag's end the stream's rule holds (zeros, and its overrun flag), so a record cut there ends in
// zeros.
int read_action_bytes(swf_stream* in, int limit, std::vector<uint8_t>* out);

}  // namespace flash
