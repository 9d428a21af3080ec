#include "flash/shape/cache_reader.h"

#include <new>

#include "flash/base/bx_file.h"

namespace flash {

cache_reader::cache_reader(bx_file* in) {
    const int start = in->get_position();
    if (start < 0 || in->go_to_end() != bx_file::NO_ERROR) return;
    const int end = in->get_position();
    if (in->set_position(start) != bx_file::NO_ERROR || end <= start) return;
    // The file's own size bounds this; a file that gives fewer bytes is cut short there.
    m_bytes.reset(new (std::nothrow) uint8_t[end - start]);
    if (!m_bytes) return;
    const int got = in->read_bytes(m_bytes.get(), end - start);
    m_cursor = byte_cursor(m_bytes.get(), got);
}

void cache_reader::fail(status why) {
    if (m_status == OK) m_status = why;
    // Whatever the reason, nothing after the first failure is read.
    m_cursor.fail();
}

bool cache_reader::read_count(int32_t limit, int item_bytes, int32_t* count) {
    uint32_t raw = 0;
    if (!read_u32(&raw)) return false;
    *count = static_cast<int32_t>(raw);
    if (*count < 0 || *count > limit) {
        fail(MALFORMED);
        return false;
    }
    if (static_cast<int64_t>(*count) * item_bytes > bytes_left()) {
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
    for (int32_t& v : *out) v = m_cursor.s32();
    return settle();
}

}  // namespace flash
