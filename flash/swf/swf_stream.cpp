#include "flash/swf/swf_stream.h"

#include <climits>
#include <cstring>

#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/swf/tag_codes.h"

namespace flash {

namespace {

constexpr float fixed16_scale = 1.0f / 65536.0f;
constexpr float fixed8_scale = 1.0f / 256.0f;
constexpr int vu32_max_bytes = 5;
constexpr int half_exponent_shift = 10;
constexpr uint32_t half_exponent_mask = 0x1F;
constexpr uint32_t half_mantissa_mask = 0x3FF;
// A half's exponent field becomes the single's field plus this (a bias of 16 against 127).
constexpr uint32_t half_to_single_exponent = 111;

}  // namespace

swf_stream::swf_stream(bx_file* input) : m_input(input), m_stream_end(INT_MAX) {
    m_position = input ? input->get_position() : 0;
    if (m_position < 0) m_position = 0;
}

void swf_stream::read_aligned(uint8_t* dst, int count) {
    align();
    int wanted = count;
    const int room = read_limit() - m_position;
    if (wanted > room) {
        wanted = room > 0 ? room : 0;
        m_overrun = true;
    }
    int got = 0;
    if (wanted > 0 && m_input) {
        got = m_input->read_bytes(dst, wanted);
        if (got < 0) got = 0;
        if (got < wanted) m_overrun = true;
        m_position += got;
    }
    if (got < count) std::memset(dst + got, 0, static_cast<size_t>(count - got));
}

uint32_t swf_stream::read_uint(int bits) {
    uint32_t result = 0;
    while (bits > 0) {
        if (m_bits_left == 0) {
            uint8_t byte = 0;
            read_aligned(&byte, 1);
            m_current_byte = byte;
            m_bits_left = 8;
        }
        if (bits >= m_bits_left) {
            bits -= m_bits_left;
            result |= static_cast<uint32_t>(m_current_byte) << bits;
            m_current_byte = 0;
            m_bits_left = 0;
        } else {
            const int shift = m_bits_left - bits;
            result |= static_cast<uint32_t>(m_current_byte >> shift);
            m_current_byte = static_cast<uint8_t>(m_current_byte & ((1u << shift) - 1));
            m_bits_left = static_cast<uint8_t>(shift);
            bits = 0;
        }
    }
    return result;
}

int32_t swf_stream::read_sint(int bits) {
    uint32_t value = read_uint(bits);
    if (bits > 0 && bits < 32 && (value & (1u << (bits - 1)))) value |= ~0u << bits;
    return static_cast<int32_t>(value);
}

uint8_t swf_stream::read_u8() {
    uint8_t byte = 0;
    read_aligned(&byte, 1);
    return byte;
}

uint16_t swf_stream::read_u16() {
    uint8_t b[2];
    read_aligned(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t swf_stream::read_u32() {
    uint8_t b[4];
    read_aligned(b, 4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

float swf_stream::read_fixed() { return static_cast<float>(read_s32()) * fixed16_scale; }

float swf_stream::read_fixed8() { return static_cast<float>(read_u16()) * fixed8_scale; }

float swf_stream::read_float() {
    const uint32_t bits = read_u32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double swf_stream::read_double() {
    const uint64_t low = read_u32();
    const uint64_t bits = low | (static_cast<uint64_t>(read_u32()) << 32);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float swf_stream::read_float16() {
    const uint32_t half = read_u16();
    const uint32_t sign = (half >> 15) & 1u;
    const uint32_t exponent = (half >> half_exponent_shift) & half_exponent_mask;
    const uint32_t mantissa = half & half_mantissa_mask;
    const uint32_t single = (sign << 31) | ((exponent ? exponent + half_to_single_exponent : 0) << 23) |
                            (mantissa << 13);
    float value;
    std::memcpy(&value, &single, sizeof value);
    return value;
}

uint32_t swf_stream::read_vu32() {
    uint32_t value = 0;
    for (int i = 0; i < vu32_max_bytes; ++i) {
        const uint32_t byte = read_u8();
        value |= (byte & 0x7Fu) << (7 * i);
        if (!(byte & 0x80u)) break;
    }
    return value;
}

void swf_stream::read_string(bx_string& out) {
    align();
    out = "";
    // Collected first so the string grows once; the tag's end bounds the text.
    char chunk[64];
    int used = 0;
    while (m_position < read_limit()) {
        const uint8_t c = read_u8();
        if (c == 0 || m_overrun) break;
        chunk[used++] = static_cast<char>(c);
        if (used == static_cast<int>(sizeof chunk) - 1) {
            chunk[used] = 0;
            out += chunk;
            used = 0;
        }
    }
    chunk[used] = 0;
    out += chunk;
}

void swf_stream::read_string_with_length(bx_string& out) {
    const int length = read_u8();
    read_string_with_length(length, out);
}

void swf_stream::read_string_with_length(int length, bx_string& out) {
    align();
    out = "";
    for (int i = 0; i < length && !m_overrun; ++i) {
        const uint8_t c = read_u8();
        if (c != 0 && !m_overrun) {
            const char text[2] = {static_cast<char>(c), 0};
            out += text;
        }
    }
}

int swf_stream::read_bytes(void* dst, int count) {
    if (count <= 0) return 0;
    const int before = m_position;
    read_aligned(static_cast<uint8_t*>(dst), count);
    return m_position - before;
}

void swf_stream::set_position(int position) {
    align();
    if (position > read_limit()) position = read_limit();
    if (position < 0) position = 0;
    if (position == m_position) return;
    if (m_input && m_input->set_position(position) == 0) {
        m_position = position;
    } else {
        m_overrun = true;
    }
}

int swf_stream::open_tag() {
    align();
    const int header_start = m_position;
    const int container_end = read_limit();
    const uint16_t code = read_u16();
    const int type = code >> tag_code_shift;
    int64_t length = code & tag_short_length_mask;
    if (length == tag_long_length_marker) length = read_u32();
    if (m_overrun) {
        log_error("error: swf_stream::open_tag(): tag header at %d is cut by the end of its container at %d\n",
                  header_start, container_end);
        return bad_tag;
    }
    if (get_verbose_parse()) {
        log_msg("---------------tag type = %d, tag length = %d\n", type, static_cast<int>(length));
    }
    const int64_t end = static_cast<int64_t>(m_position) + length;
    if (length > INT_MAX || end > container_end || end <= header_start) {
        log_error("error: swf_stream::open_tag(): tag type %d at %d has length %lld, past the end of its container at %d\n",
                  type, header_start, static_cast<long long>(length), container_end);
        return bad_tag;
    }
    m_tag_stack.push_back(static_cast<int>(end));
    return type;
}

void swf_stream::close_tag() {
    if (m_tag_stack.empty()) return;
    const int end = m_tag_stack.back();
    m_tag_stack.pop_back();
    if (m_position != end && get_verbose_parse()) {
        log_msg("tag is not correctly read, tag length is not respected\n");
    }
    align();
    // Reads never pass the tag's end, so this only skips forward.
    if (m_position < end && m_input) {
        if (m_input->set_position(end) == 0) {
            m_position = end;
        } else {
            m_overrun = true;
        }
    }
}

}  // namespace flash
