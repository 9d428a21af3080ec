#pragma once
// A byte file over its own copy of the bytes.
#include <vector>

#include "platform/audio/audio.h"

namespace audiere {

class MemoryFile final : public File {
public:
    MemoryFile(const void* buffer, size_t size);
    int read(void* buffer, int size) override;
    bool seek(int64_t position, SeekMode mode) override;
    int64_t tell() override { return m_pos; }
    int64_t size() const { return static_cast<int64_t>(m_bytes.size()); }

private:
    std::vector<unsigned char> m_bytes;
    int64_t m_pos = 0;
};

}  // namespace audiere
