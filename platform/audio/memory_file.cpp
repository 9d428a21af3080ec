#include "platform/audio/memory_file.h"

#include <algorithm>
#include <cstring>

namespace audiere {

MemoryFile::MemoryFile(const void* buffer, size_t size) {
    if (buffer && size > 0) {
        const auto* bytes = static_cast<const unsigned char*>(buffer);
        m_bytes.assign(bytes, bytes + size);
    }
}

int MemoryFile::read(void* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    int64_t n = std::min<int64_t>(size, this->size() - m_pos);
    if (n <= 0) return 0;
    std::memcpy(buffer, m_bytes.data() + m_pos, static_cast<size_t>(n));
    m_pos += n;
    return static_cast<int>(n);
}

bool MemoryFile::seek(int64_t position, SeekMode mode) {
    int64_t base = mode == BEGIN ? 0 : mode == CURRENT ? m_pos : size();
    // Compared before adding: a wild offset from a damaged stream must not overflow.
    if (position < -base || position > size() - base) return false;
    m_pos = base + position;
    return true;
}

}  // namespace audiere
