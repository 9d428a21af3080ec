#pragma once
// The "sma1" archive kind: files stored whole behind a directory.
//   "SMA" | u16 version 1 | u32 count | entries: u16 name length, name, u32 size, u32 offset | data
// All integers little-endian; the directory must lie within the first 50,000,000 bytes.
#include <string>
#include <vector>

#include "core/shared_ptr.h"
#include "core/storeable.h"
#include "vfs/archive.h"
#include "vfs/mapped_file.h"

namespace VFS {

class ArchiveSMA1 : public Archive {
public:
    static constexpr uint16_t kVersion = 1;
    static constexpr uint32_t kHeaderSize = 9;
    static constexpr uint32_t kDirectoryLimit = 50000000;

    class DirectoryEntry : public Tov::Storeable {
    public:
        std::string name;
        uint32_t offset = 0;
        uint32_t fileSize = 0;

        uint8_t* store(uint8_t* out) const override;
        const uint8_t* load(const uint8_t* in) override;
        // Bounded read: null when the entry runs past `end`.
        const uint8_t* load(const uint8_t* in, const uint8_t* end);
        uint32_t size() const override { return static_cast<uint32_t>(name.size()) + 10; }
        // Bytes the file takes in the archive.
        uint32_t storedSize() const { return fileSize; }
    };

    static const ArchiveInterface& getInterface();
    // Writes an archive of `files` in key order; false (with an ERROR) when a name is longer than
    // 65,535 bytes, the archive would reach 4 GiB or a source cannot be read.
    static bool build(const std::string& path, const FileMap& files);

    // Reads and checks the whole directory: every entry that holds bytes must lie inside the file.
    bool open(const std::string& path) override;
    void enumerate(FileEnumerator& enumerator) override;

private:
    SharedPtr<MappedFile> m_mapped;
    std::vector<DirectoryEntry> m_entries;
};

class FileSMA1 : public File {
public:
    FileSMA1(const std::string& path, const SharedPtr<MappedFile>& archive, uint32_t offset, uint32_t size);
    ~FileSMA1() override;

    uint32_t size() override { return m_size; }
    const uint8_t* map(uint32_t offset, uint32_t length) override;
    void release() override;

private:
    CachedView m_view;
    uint32_t m_offset;
    uint32_t m_size;
    SharedPtr<MappedFile> m_archive;
};

}  // namespace VFS
