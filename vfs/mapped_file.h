#pragma once
// A file mapped whole into memory once; views are pointers into that one mapping. Archives share
// one MappedFile with every file they list, so a file handle keeps the bytes alive after its
// archive is unmounted.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "platform/mapped_file.h"

namespace VFS {

class MappedFile {
public:
    MappedFile() = default;
    explicit MappedFile(const std::string& path) { open(path); }
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Read-only. False for a missing file, a folder, or a file of 4 GiB or more (the error flag
    // is then set).
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    bool hasError() const { return m_error; }
    uint32_t size() const { return static_cast<uint32_t>(m_file.size()); }

    // The byte at `offset`, for `length` bytes (0: to the end). Null when the range is not inside
    // the file or nothing is open.
    const uint8_t* mapView(uint32_t offset, uint32_t length);
    // Forgets a view; pointers that mapView did not return are ignored.
    void unmapView(const uint8_t* view);
    // The length asked for a view, 0 when unknown.
    uint32_t viewLength(const uint8_t* view) const;

private:
    struct View {
        uint32_t length = 0;
        uint32_t holders = 0;
    };

    platform::MappedFile m_file;
    mutable std::mutex m_viewLock;
    std::map<const uint8_t*, View> m_views;
    bool m_error = false;
};

// The one cached view of a file stored whole inside a mapped archive: the same range again returns
// the same pointer, another range forgets the old view first.
class CachedView {
public:
    // The range [offset, offset + length) of the `size` bytes that start at `base` in `mapped`.
    const uint8_t* map(MappedFile& mapped, uint32_t base, uint32_t size, uint32_t offset, uint32_t length);
    void release(MappedFile& mapped);

private:
    const uint8_t* m_view = nullptr;
    uint32_t m_offset = 0;
    uint32_t m_length = 0;
};

}  // namespace VFS
