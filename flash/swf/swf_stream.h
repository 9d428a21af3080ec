#pragma once
// The SWF bit reader: bit fields, little-endian integers, fixed-point numbers, strings and
// variable-length integers, with the stack of open tags so that the tag loop always lands on the
// end of a tag. Every read is bounded: nothing is read past the innermost open tag (or the
// stream's end when no tag is open); such a read gives zeros and sets the overrun flag, so a
// malformed movie can never make a loader wander into the next tag or seek backwards.
#include <cstdint>

#include "flash/base/array.h"
#include "flash/base/bx_string.h"

namespace flash {

class bx_file;

class swf_stream {
public:
    // The tag code of a header the stream refused (length past its container, negative or
    // wrapping): open_tag returns it after logging an ERROR and pushes nothing.
    static constexpr int bad_tag = -1;

    // Reads from input, which the stream does not own; the stream's end is open until set.
    explicit swf_stream(bx_file* input);

    bx_file* get_input() const { return m_input; }

    // Bit fields, most significant bit first.
    uint32_t read_uint(int bits);
    // Sign-extended from bit bits-1; bits up to 32.
    int32_t read_sint(int bits);
    bool read_bool() { return read_uint(1) != 0; }
    // Drops the unread bits of the current byte.
    void align() {
        m_bits_left = 0;
        m_current_byte = 0;
    }

    // Byte-aligned little-endian reads.
    uint8_t read_u8();
    uint16_t read_u16();
    uint32_t read_u32();
    int16_t read_s16() { return static_cast<int16_t>(read_u16()); }
    int32_t read_s32() { return static_cast<int32_t>(read_u32()); }
    // 16.16 fixed point.
    float read_fixed();
    // 8.8 fixed point (the header's frame rate).
    float read_fixed8();
    float read_float();
    double read_double();
    // Sign bit 15, exponent bits 14..10 with a bias of 16, mantissa bits 9..0.
    float read_float16();
    // Up to five bytes of seven bits each, lowest group first.
    uint32_t read_vu32();
    // Up to a 0 byte (consumed, not stored) or the end of the current tag.
    void read_string(bx_string& out);
    // One length byte, then that many bytes; 0 bytes are consumed and dropped.
    void read_string_with_length(bx_string& out);
    void read_string_with_length(int length, bx_string& out);
    // Copies up to count bytes (never past the read limit) and returns how many were copied.
    int read_bytes(void* dst, int count);

    int get_position() const { return m_position; }
    // Drops the unread bits and seeks; a position past the read limit lands on the limit.
    void set_position(int position);

    // The end of the outermost container (the movie's length from its header).
    void set_stream_end(int end) { m_stream_end = end; }
    int get_stream_end() const { return m_stream_end; }

    // Opens the next tag and returns its type, or bad_tag (logged) for a header whose length
    // does not fit inside its container.
    int open_tag();
    // Moves to the end of the innermost tag (forward only) and closes it.
    void close_tag();
    // The end of the innermost open tag; the stream's end when none is open.
    int get_tag_end_position() const { return m_tag_stack.empty() ? m_stream_end : m_tag_stack.back(); }
    int get_open_tag_count() const { return m_tag_stack.size(); }

    // A read wanted bytes beyond the tag, the stream's end or the file's data.
    bool has_overrun() const { return m_overrun; }
    void clear_overrun() { m_overrun = false; }

private:
    // Reads count whole bytes within the read limit; the rest of dst is zero-filled.
    void read_aligned(uint8_t* dst, int count);
    int read_limit() const { return get_tag_end_position(); }

    bx_file* m_input;
    uint8_t m_current_byte = 0;
    uint8_t m_bits_left = 0;
    bool m_overrun = false;
    int m_position = 0;
    int m_stream_end;
    array<int> m_tag_stack;
};

}  // namespace flash
