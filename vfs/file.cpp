#include "vfs/file.h"

#include "core/string_utils.h"

namespace VFS {

File::File(const std::string& path) : m_path(path) {
    std::string name, extension;
    splitPath(path, nullptr, &name, &extension);
    m_name = name + extension;
}

File::~File() = default;

bool File::rangeInside(uint32_t offset, uint32_t length, uint32_t size) {
    if (length == 0) return offset < size;
    return static_cast<uint64_t>(offset) + length <= size;
}

}  // namespace VFS
