#pragma once
// The handle base of every file the virtual file system lists. A file is read by mapping a range
// of its bytes; the pointer stays valid until `release` or the file's destruction.
#include <cstdint>
#include <mutex>
#include <string>

#include "core/shared_ptr.h"

namespace VFS {

class File {
public:
    explicit File(const std::string& path);
    virtual ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Byte count of the contents (for a packed file: once unpacked).
    virtual uint32_t size() = 0;
    // Read-only bytes [offset, offset + length); length 0 means to the end. Null when the range
    // does not lie inside the file (an empty file never maps) or the bytes cannot be read.
    virtual const uint8_t* map(uint32_t offset, uint32_t length) = 0;
    // Gives back what the last map made; a later map maps again.
    virtual void release() = 0;

    // The path the file is stored under (folder path + "\\" + name, or an archive entry's name).
    const std::string& path() const { return m_path; }
    // The part after the last '/' or '\\'.
    const std::string& name() const { return m_name; }

    // True when [offset, offset + length) (length 0: [offset, size)) lies inside `size` bytes.
    static bool rangeInside(uint32_t offset, uint32_t length, uint32_t size);

protected:
    // Loader threads and the main thread may map the same handle; map and release hold it.
    std::mutex m_lock;

private:
    std::string m_path;
    std::string m_name;
};

using FilePtr = SharedPtr<File>;

}  // namespace VFS
