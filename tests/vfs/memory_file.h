#pragma once
// A file over bytes held in memory, as a source for the archive builders in tests.
#include <string>

#include "vfs/file.h"

namespace vfstest {

class MemoryFile : public VFS::File {
public:
    MemoryFile(const std::string& path, std::string bytes) : File(path), m_bytes(std::move(bytes)) {}
    uint32_t size() override { return static_cast<uint32_t>(m_bytes.size()); }
    const uint8_t* map(uint32_t offset, uint32_t length) override {
        if (!rangeInside(offset, length, size())) return nullptr;
        ++maps;
        return reinterpret_cast<const uint8_t*>(m_bytes.data()) + offset;
    }
    void release() override { ++releases; }

    int maps = 0;
    int releases = 0;

private:
    std::string m_bytes;
};

inline VFS::FilePtr memoryFile(const std::string& bytes, const std::string& path = "mem") {
    return VFS::FilePtr(new MemoryFile(path, bytes));
}

// The whole contents of a file through map(0, 0) ("" for an empty file).
inline std::string contents(VFS::File& file) {
    if (file.size() == 0) return std::string();
    const uint8_t* p = file.map(0, 0);
    return p ? std::string(reinterpret_cast<const char*>(p), file.size()) : std::string("<null>");
}

}  // namespace vfstest
