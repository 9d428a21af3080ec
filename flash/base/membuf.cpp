#include "flash/base/membuf.h"

#include <cstring>

#include "flash/base/bx_memory.h"
#include "flash/base/bx_string.h"
#include "flash/base/log.h"

namespace flash {

membuf::membuf(void* data, int size)
    : m_size(data && size > 0 ? size : 0), m_capacity(m_size), m_data(data), m_read_only(true) {}

membuf::membuf(const membuf& other) { append(other); }

membuf& membuf::operator=(const membuf& other) {
    if (this == &other) return *this;
    if (resize(other.m_size) && other.m_size > 0) {
        std::memcpy(m_data, other.m_data, static_cast<size_t>(other.m_size));
    }
    return *this;
}

membuf::~membuf() {
    if (!m_read_only) bx_free(m_data);
}

bool membuf::resize(int new_size) {
    if (new_size == m_size) return true;
    if (new_size < 0 || new_size > max_size) {
        log_error("error: membuf::resize(): size %d refused\n", new_size);
        return false;
    }
    if (m_read_only) {
        // The caller's memory cannot grow; a smaller view of it is fine.
        if (new_size > m_capacity) {
            log_error("error: membuf::resize(): read-only buffer cannot grow to %d\n", new_size);
            return false;
        }
        m_size = new_size;
        return true;
    }
    const int capacity =
        new_size == 0 ? block_size : (new_size + block_size - 1) / block_size * block_size;
    if (!m_data || capacity != m_capacity) {
        void* data = bx_realloc(m_data, static_cast<size_t>(capacity));
        if (!data) {
            log_error("error: membuf::resize(): out of memory for %d bytes\n", capacity);
            return false;
        }
        m_data = data;
        m_capacity = capacity;
    }
    m_size = new_size;
    return true;
}

bool membuf::append(const void* bytes, int count) {
    if (count <= 0) return count == 0;
    if (!bytes || static_cast<long long>(m_size) + count > max_size) {
        log_error("error: membuf::append(): %d bytes refused\n", count);
        return false;
    }
    const int old_size = m_size;
    // The bytes may lie inside this buffer, which the resize can move.
    const char* own = static_cast<const char*>(m_data);
    const char* src = static_cast<const char*>(bytes);
    if (own && src >= own && src < own + m_capacity) {
        membuf copy;
        if (!copy.append(bytes, count)) return false;
        return append(copy);
    }
    if (!resize(old_size + count)) return false;
    std::memcpy(static_cast<char*>(m_data) + old_size, bytes, static_cast<size_t>(count));
    return true;
}

bool membuf::append(const bx_string& text) { return append(text.c_str(), text.size()); }

bool membuf::append(const membuf& other) { return append(other.m_data, other.m_size); }

}  // namespace flash
