#pragma once
// A fixed-size first-in first-out ring of buffered input records. A full ring refuses new
// records, as a device buffer does: the oldest input is kept and the newest is lost.
#include <cstddef>
#include <vector>

#include "platform/input/dinput.h"

namespace platform {

class InputRing {
public:
    explicit InputRing(size_t capacity = 0) : m_slots(capacity) {}

    size_t capacity() const { return m_slots.size(); }
    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }

    // Drops the held records.
    void resize(size_t capacity) {
        m_slots.assign(capacity, DIDEVICEOBJECTDATA{});
        clear();
    }
    void clear() { m_head = m_count = 0; }

    bool push(const DIDEVICEOBJECTDATA& record) {
        if (m_count >= m_slots.size()) return false;
        m_slots[(m_head + m_count) % m_slots.size()] = record;
        ++m_count;
        return true;
    }
    bool pop(DIDEVICEOBJECTDATA& record) {
        if (m_count == 0) return false;
        record = m_slots[m_head];
        m_head = (m_head + 1) % m_slots.size();
        --m_count;
        return true;
    }

private:
    std::vector<DIDEVICEOBJECTDATA> m_slots;
    size_t m_head = 0;
    size_t m_count = 0;
};

}  // namespace platform
