#pragma once
// Bounded reading of a cache file's records: the bytes left are measured once, every read and
// every count is checked against them before anything is allocated, and the first failure sticks
// so the caller can say whether the file was cut short or malformed.
#include <cstdint>
#include <vector>

namespace flash {

class bx_file;

class cache_reader {
public:
    enum status { OK = 0, CUT_SHORT = 1, MALFORMED = 2 };

    // From the file's current position to its end; a file that cannot seek has nothing left.
    explicit cache_reader(bx_file* in);

    bool read_bytes(void* dst, int count);
    bool read_u8(uint8_t* value);
    bool read_u16(uint16_t* value);
    bool read_u32(uint32_t* value);
    bool read_float(float* value);
    // A count of at most limit items of item_bytes each: more than the bytes left is CUT_SHORT,
    // a negative one or one above the limit MALFORMED.
    bool read_count(int32_t limit, int item_bytes, int32_t* count);
    // A counted array of 32-bit integers whose length is a multiple of `multiple`.
    bool read_int_array(int32_t limit, int multiple, std::vector<int32_t>* out);

    void fail(status why);
    status get_status() const { return m_status; }
    bool good() const { return m_status == OK; }
    int64_t bytes_left() const { return m_left; }

private:
    bx_file* m_in;
    int64_t m_left = 0;
    status m_status = OK;
};

}  // namespace flash
