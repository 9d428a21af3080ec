#pragma once
// The "sma2" archive kind: like SMA1, with the directory size in the header, LEB128 name lengths
// and each file either stored or packed with zlib.
//   "SMA" | u16 version 2 | u32 count | u32 directory size | entries: LEB128 name length, name,
//   u32 size, u32 packed size (0: stored), u32 offset | data
#include <string>
#include <vector>

#include "core/shared_ptr.h"
#include "core/storeable.h"
#include "vfs/archive.h"
#include "vfs/mapped_file.h"

namespace VFS {

class ArchiveSMA2 : public Archive {
public:
    static constexpr uint16_t kVersion = 2;
    static constexpr uint32_t kHeaderSize = 13;

    class DirectoryEntry : public Tov::Storeable {
    public:
        std::string name;
        uint32_t offset = 0;
        uint32_t packedSize = 0;
        uint32_t fileSize = 0;

        uint8_t* store(uint8_t* out) const override;
        const uint8_t* load(const uint8_t* in) override;
        // Bounded read: null when the entry runs past `end` or its length prefix is malformed.
        const uint8_t* load(const uint8_t* in, const uint8_t* end);
        uint32_t size() const override;
        // Bytes the file takes in the archive: packed or stored.
        uint32_t storedSize() const { return packedSize ? packedSize : fileSize; }
    };

    // Deflate codes at most 258 bytes in 2 bits, so zlib never gives more than 1032 bytes for one
    // packed byte; a larger claim is a lie and is refused before its buffer is allocated.
    static constexpr uint64_t kMaxInflateRatio = 1032;
    static bool claimFits(uint32_t size, uint32_t packedSize) {
        return size <= static_cast<uint64_t>(packedSize) * kMaxInflateRatio;
    }

    static const ArchiveInterface& getInterface();
    // A file is packed when zlib brings it below half its size.
    static bool shouldPack(uint32_t size, uint32_t compressedSize) { return compressedSize < (size >> 1); }
    // Writes an archive of `files` in key order, reporting to `progress` (may be null); false
    // (with an ERROR) when the archive would reach 4 GiB or a source cannot be read.
    static bool build(const std::string& path, const FileMap& files, ProgressCallback* progress);

    // Reads and checks the whole directory: every entry that holds bytes must lie inside the file.
    bool open(const std::string& path) override;
    void enumerate(FileEnumerator& enumerator) override;

private:
    SharedPtr<MappedFile> m_mapped;
    std::vector<DirectoryEntry> m_entries;
};

class FileSMA2 : public File {
public:
    FileSMA2(const std::string& path, const SharedPtr<MappedFile>& archive, uint32_t offset, uint32_t packedSize,
             uint32_t size);
    ~FileSMA2() override;

    uint32_t size() override { return m_size; }
    // A packed file is inflated whole on the first map and kept until release.
    const uint8_t* map(uint32_t offset, uint32_t length) override;
    void release() override;

    bool isPacked() const { return m_packedSize != 0; }

private:
    void freeBuffer();

    CachedView m_view;
    uint8_t* m_buffer = nullptr;
    uint32_t m_offset;
    uint32_t m_packedSize;
    uint32_t m_size;
    SharedPtr<MappedFile> m_archive;
};

}  // namespace VFS
