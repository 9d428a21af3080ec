#include "flash/swf/action_bytes.h"

#include "flash/swf/swf_stream.h"

namespace flash {

namespace {

constexpr uint8_t action_end_code = 0x00;
// Codes from this bit on carry a 16-bit payload length after them.
constexpr uint8_t action_has_payload = 0x80;

}  // namespace

int read_action_bytes(swf_stream* in, int limit, std::vector<uint8_t>* out) {
    // Byte by byte, so that a cut record takes exactly the bytes the stream still gives.
    enum { CODE, LENGTH_LOW, LENGTH_HIGH, PAYLOAD } state = CODE;
    int low = 0;
    int payload_left = 0;
    int taken = 0;
    while (taken < limit) {
        const uint8_t b = in->read_u8();
        out->push_back(b);
        ++taken;
        if (state == CODE) {
            if (b == action_end_code) break;
            if (b & action_has_payload) state = LENGTH_LOW;
        } else if (state == LENGTH_LOW) {
            low = b;
            state = LENGTH_HIGH;
        } else if (state == LENGTH_HIGH) {
            payload_left = low | (b << 8);
            state = payload_left > 0 ? PAYLOAD : CODE;
        } else if (--payload_left == 0) {
            state = CODE;
        }
    }
    return taken;
}

}  // namespace flash
