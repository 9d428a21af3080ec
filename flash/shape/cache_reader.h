#pragma once
// Bounded reading of a cache file's records: the rest of the file is taken into memory once and
// read through the engine's byte cursor, so every read and every count is checked against the
// bytes left before anything is allocated, and the first failure sticks so the caller can say
// whether the file was cut short or malformed.
#include <cstdint>
#include <memory>
#include <vector>

#include "flash/base/byte_cursor.h"

namespace flash {

class bx_file;

class cache_reader {
public:
    enum status { OK = 0, CUT_SHORT = 1, MALFORMED = 2 };

    // From the file's current position to its end; a file that cannot seek has nothing left.
    explicit cache_reader(bx_file* in);

    // Each read gives false (and zeros, after the cursor's rule) once anything has failed.
    bool read_bytes(void* dst, int count) {
        m_cursor.bytes(dst, count);
        return settle();
    }
    bool read_u8(uint8_t* value) {
        *value = m_cursor.u8();
        return settle();
    }
    bool read_u16(uint16_t* value) {
        *value = m_cursor.u16();
        return settle();
    }
    bool read_u32(uint32_t* value) {
        *value = m_cursor.u32();
        return settle();
    }
    bool read_float(float* value) {
        *value = m_cursor.f32();
        return settle();
    }
    // A count of at most limit items of item_bytes each: more than the bytes left is CUT_SHORT,
    // a negative one or one above the limit MALFORMED.
    bool read_count(int32_t limit, int item_bytes, int32_t* count);
    // A counted array of 32-bit integers whose length is a multiple of `multiple`.
    bool read_int_array(int32_t limit, int multiple, std::vector<int32_t>* out);

    void fail(status why);
    status get_status() const { return m_status; }
    bool good() const { return m_status == OK; }
    int64_t bytes_left() const { return m_cursor.left(); }

private:
    // A read past the bytes (the cursor failed) is the file cut short.
    bool settle() {
        if (m_cursor.failed()) fail(CUT_SHORT);
        return good();
    }

    std::unique_ptr<uint8_t[]> m_bytes;
    byte_cursor m_cursor;
    status m_status = OK;
};

}  // namespace flash
