#pragma once
// One bounded little-endian reader over bytes in memory. Every reader of engine data that is not a
// bit stream (action records, ABC blocks, cache records) reads through it, so there is one rule
// for a read past the end: it reads nothing, gives zeros and leaves the cursor failed for good.
#include <cstdint>
#include <cstring>

namespace flash {

class byte_cursor {
public:
    byte_cursor() = default;
    // size below 0 reads as empty; position may lie anywhere (a read there fails).
    byte_cursor(const uint8_t* data, int size, int position = 0)
        : m_data(data), m_size(size < 0 ? 0 : size), m_position(position) {}

    const uint8_t* data() const { return m_data; }
    int size() const { return m_size; }
    int position() const { return m_position; }
    int left() const {
        return m_position < 0 || m_position >= m_size ? 0 : m_size - m_position;
    }
    bool at_end() const { return left() == 0; }
    // Sticky: once a read has failed, every later one fails too.
    bool failed() const { return m_failed; }
    void fail() { m_failed = true; }
    // Moves without reading; a later read checks the position.
    void seek(int position) { m_position = position; }

    // True and moved past count bytes when they are all there (a position outside the bytes has
    // none, not even zero); else failed, and not moved.
    bool take(int count) {
        if (m_failed || count < 0 || count > left() || m_position < 0 || m_position > m_size) {
            m_failed = true;
            return false;
        }
        m_position += count;
        return true;
    }
    bool skip(int count) { return take(count); }

    uint8_t u8() { return take(1) ? m_data[m_position - 1] : 0; }
    uint16_t u16() {
        if (!take(2)) return 0;
        const uint8_t* p = m_data + m_position - 2;
        return static_cast<uint16_t>(p[0] | (p[1] << 8));
    }
    int16_t s16() { return static_cast<int16_t>(u16()); }
    uint32_t u24() {
        if (!take(3)) return 0;
        const uint8_t* p = m_data + m_position - 3;
        return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
    }
    uint32_t u32() {
        if (!take(4)) return 0;
        const uint8_t* p = m_data + m_position - 4;
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
               (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    }
    int32_t s32() { return static_cast<int32_t>(u32()); }
    uint64_t u64() {
        const uint64_t low = u32();
        const uint64_t high = u32();
        return m_failed ? 0 : (high << 32) | low;
    }
    float f32() {
        const uint32_t bits = u32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    double f64() {
        const uint64_t bits = u64();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // Copies count bytes to out (when given); nothing is copied when they are not all there.
    bool bytes(void* out, int count) {
        if (!take(count)) return false;
        if (out && count > 0) std::memcpy(out, m_data + m_position - count, count);
        return true;
    }
    // A NUL-terminated text: its first byte, with its length (NUL not counted) when asked. Without
    // a NUL before the end it gives "" and the cursor fails, moved to the end.
    const char* c_string(int* length = nullptr) {
        if (length) *length = 0;
        const int available = left();
        if (m_failed || available == 0) {
            m_failed = true;
            return "";
        }
        const uint8_t* start = m_data + m_position;
        const void* nul = std::memchr(start, 0, available);
        if (!nul) {
            m_failed = true;
            m_position = m_size;
            return "";
        }
        const int n = static_cast<int>(static_cast<const uint8_t*>(nul) - start);
        if (length) *length = n;
        m_position += n + 1;
        return reinterpret_cast<const char*>(start);
    }

private:
    const uint8_t* m_data = nullptr;
    int m_size = 0;
    int m_position = 0;
    bool m_failed = false;
};

}  // namespace flash
