#pragma once
// A bounded reader over ABC bytes: the block reader, the interpreter's operand decoding and the
// listing all read through it, so none of them can step past the bytes it was given. A read that
// would pass the end reads nothing, answers false and leaves the cursor failed.
#include <cstdint>
#include <cstring>

#include "flash/base/bx_string.h"

namespace flash {

class abc_cursor {
public:
    // Bytes of a variable-length integer at most.
    static constexpr int u30_max_bytes = 5;

    abc_cursor(const uint8_t* data, int size, int position = 0)
        : m_data(data), m_size(size < 0 ? 0 : size), m_position(position) {}

    int position() const { return m_position; }
    int size() const { return m_size; }
    int left() const { return m_position >= m_size ? 0 : m_size - m_position; }
    bool failed() const { return m_failed; }
    // Jumps within the bytes (the interpreter's branches check the target first).
    void seek(int position) { m_position = position; }

    bool read_u8(uint8_t* out) {
        if (!take(1)) return false;
        *out = m_data[m_position - 1];
        return true;
    }
    bool read_u16(uint16_t* out) {
        if (!take(2)) return false;
        *out = static_cast<uint16_t>(m_data[m_position - 2] | (m_data[m_position - 1] << 8));
        return true;
    }
    // Seven value bits per byte, lowest group first, at most five bytes; the fifth byte is taken
    // whole and bits beyond 32 are lost.
    bool read_u30(uint32_t* out) {
        uint32_t value = 0;
        for (int i = 0; i < u30_max_bytes; ++i) {
            uint8_t byte;
            if (!read_u8(&byte)) return false;
            value |= static_cast<uint32_t>(byte & 0x7F) << (7 * i);
            if (!(byte & 0x80)) break;
        }
        *out = value;
        return true;
    }
    // The same number read as an index or count; values above INT32_MAX become -1, which every
    // range check refuses.
    bool read_index(int* out) {
        uint32_t value;
        if (!read_u30(&value)) return false;
        *out = value > 0x7FFFFFFFu ? -1 : static_cast<int>(value);
        return true;
    }
    // Three bytes, low byte first, sign-extended from bit 23.
    bool read_s24(int32_t* out) {
        if (!take(3)) return false;
        const uint8_t* p = m_data + m_position - 3;
        uint32_t value = p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
        constexpr uint32_t sign_bit = 0x800000;
        constexpr uint32_t extension = 0xFF000000u;
        if (value & sign_bit) value |= extension;
        *out = static_cast<int32_t>(value);
        return true;
    }
    bool read_double(double* out) {
        if (!take(sizeof(double))) return false;
        uint64_t bits = 0;
        for (int i = 0; i < static_cast<int>(sizeof(double)); ++i) {
            bits |= static_cast<uint64_t>(m_data[m_position - sizeof(double) + i]) << (8 * i);
        }
        std::memcpy(out, &bits, sizeof bits);
        return true;
    }
    // A u30 byte length and that many bytes of text; zero bytes inside are dropped.
    bool read_string(bx_string* out) {
        int length;
        if (!read_index(&length)) return false;
        if (length < 0 || length > left()) return fail();
        const uint8_t* p = m_data + m_position;
        m_position += length;
        if (!std::memchr(p, 0, length)) {
            *out = bx_string(reinterpret_cast<const char*>(p), length);
            return true;
        }
        bx_string text;
        for (int i = 0; i < length; ++i) {
            text += static_cast<char>(p[i]);  // a zero byte appends nothing
        }
        *out = text;
        return true;
    }
    // Moves past count bytes, copying them to out when given.
    bool read_bytes(uint8_t* out, int count) {
        if (count < 0 || !take(count)) return false;
        if (out && count > 0) std::memcpy(out, m_data + m_position - count, count);
        return true;
    }

private:
    bool take(int count) {
        if (m_failed || count > left()) return fail();
        m_position += count;
        return true;
    }
    bool fail() {
        m_failed = true;
        return false;
    }

    const uint8_t* m_data;
    int m_size;
    int m_position;
    bool m_failed = false;
};

}  // namespace flash
