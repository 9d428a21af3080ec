#pragma once
// A bounded reader over ABC bytes: the block reader, the interpreter's operand decoding and the
// listing all read through it, so none of them can step past the bytes it was given. It is the
// engine's one byte cursor under the names ABC readers use: a read that would pass the end reads
// nothing, answers false and leaves the cursor failed.
#include <cstdint>
#include <cstring>

#include "flash/base/bx_string.h"
#include "flash/base/byte_cursor.h"

namespace flash {

class abc_cursor {
public:
    // Bytes of a variable-length integer at most.
    static constexpr int u30_max_bytes = 5;

    abc_cursor(const uint8_t* data, int size, int position = 0) : m_in(data, size, position) {}

    int position() const { return m_in.position(); }
    int size() const { return m_in.size(); }
    int left() const { return m_in.left(); }
    bool failed() const { return m_in.failed(); }
    // Jumps within the bytes (the interpreter's branches check the target first).
    void seek(int position) { m_in.seek(position); }

    bool read_u8(uint8_t* out) { return give(m_in.u8(), out); }
    bool read_u16(uint16_t* out) { return give(m_in.u16(), out); }
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
        uint32_t value = m_in.u24();
        if (m_in.failed()) return false;
        constexpr uint32_t sign_bit = 0x800000;
        constexpr uint32_t extension = 0xFF000000u;
        if (value & sign_bit) value |= extension;
        *out = static_cast<int32_t>(value);
        return true;
    }
    bool read_double(double* out) { return give(m_in.f64(), out); }
    // A u30 byte length and that many bytes of text; zero bytes inside are dropped.
    bool read_string(bx_string* out) {
        int length;
        if (!read_index(&length)) return false;
        const int start = m_in.position();
        if (!m_in.skip(length)) return false;
        const uint8_t* p = m_in.data() + start;
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
    bool read_bytes(uint8_t* out, int count) { return m_in.bytes(out, count); }

private:
    // The value read into *out when the read held; false (out untouched) when it failed.
    template <class T>
    bool give(T value, T* out) {
        if (m_in.failed()) return false;
        *out = value;
        return true;
    }

    byte_cursor m_in;
};

}  // namespace flash
