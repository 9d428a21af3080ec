#include "flash/shape/cache_reader.h"

#include <bit>
#include <cstring>

#include "flash/base/bx_file.h"

namespace flash {

namespace {

uint32_t le32(const uint8_t b[4]) { return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24); }

}  // namespace

cache_reader::cache_reader(bx_file* in) : m_in(in) {
    const int start = in->get_position();
    if (start < 0 || in->go_to_end() != bx_file::NO_ERROR) return;
    const int end = in->get_position();
    if (in->set_position(start) != bx_file::NO_ERROR || end < start) return;
    m_left = end - start;
}

void cache_reader::fail(status why) {
    if (m_status == OK) m_status = why;
}

bool cache_reader::read_bytes(void* dst, int count) {
    if (!good()) return false;
    if (count < 0 || count > m_left || m_in->read_bytes(dst, count) != count) {
        fail(CUT_SHORT);
        return false;
    }
    m_left -= count;
    return true;
}

bool cache_reader::read_u8(uint8_t* value) { return read_bytes(value, 1); }

bool cache_reader::read_u16(uint16_t* value) {
    uint8_t b[2];
    if (!read_bytes(b, 2)) return false;
    *value = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
}

bool cache_reader::read_u32(uint32_t* value) {
    uint8_t b[4];
    if (!read_bytes(b, 4)) return false;
    *value = le32(b);
    return true;
}

bool cache_reader::read_float(float* value) {
    uint32_t bits = 0;
    if (!read_u32(&bits)) return false;
    std::memcpy(value, &bits, sizeof *value);
    return true;
}

bool cache_reader::read_count(int32_t limit, int item_bytes, int32_t* count) {
    uint32_t raw = 0;
    if (!read_u32(&raw)) return false;
    *count = static_cast<int32_t>(raw);
    if (*count < 0 || *count > limit) {
        fail(MALFORMED);
        return false;
    }
    if (static_cast<int64_t>(*count) * item_bytes > m_left) {
        fail(CUT_SHORT);
        return false;
    }
    return true;
}

bool cache_reader::read_int_array(int32_t limit, int multiple, std::vector<int32_t>* out) {
    int32_t count = 0;
    if (!read_count(limit, static_cast<int>(sizeof(int32_t)), &count)) return false;
    if (count % multiple != 0) {
        fail(MALFORMED);
        return false;
    }
    // The count fits in the bytes left, so this allocation is bounded by the file.
    out->resize(static_cast<size_t>(count));
    if (!read_bytes(out->data(), count * static_cast<int>(sizeof(int32_t)))) return false;
    if constexpr (std::endian::native != std::endian::little) {
        for (int32_t& v : *out) v = static_cast<int32_t>(le32(reinterpret_cast<const uint8_t*>(&v)));
    }
    return true;
}

}  // namespace flash
