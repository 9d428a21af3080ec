#pragma once
// Little-endian fields of the SMA formats and the output file of the archive builders. An archive
// is written to a temporary file beside its path and renamed over it only when complete, so a
// mounted (mapped) old archive is never truncated under its readers.
#include <cstdint>
#include <string>
#include <vector>

#include "core/log_stream.h"
#include "core/shared_ptr.h"
#include "platform/files.h"
#include "vfs/mapped_file.h"

namespace VFS {

inline uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t readU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline uint8_t* writeU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    return p + 2;
}
inline uint8_t* writeU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
    return p + 4;
}

// Writes the fields both SMA kinds start with: "SMA", the version and the entry count.
inline uint8_t* writeSmaHeader(uint8_t* p, uint16_t version, uint32_t count) {
    p[0] = 'S', p[1] = 'M', p[2] = 'A';
    return writeU32(writeU16(p + 3, version), count);
}
// The entry count of an SMA header.
inline uint32_t smaEntryCount(const uint8_t* header) { return readU32(header + 5); }

// Maps an SMA archive and checks the magic "SMA", the version and that the header fits. An empty
// pointer when the file is missing (silently) or is no such archive (with an ERROR naming `who`).
SharedPtr<MappedFile> openSmaArchive(const std::string& path, const char* who, const char* kind,
                                     uint16_t version, uint32_t headerSize);

// Reads `count` directory entries from [p, end) and checks that each one's stored bytes lie within
// the `total` bytes of the archive. False, with an ERROR naming `who`, at the first that does not.
// An empty file has no stored bytes: its offset and packed size are never used, so not checked.
template <class Entry>
bool readDirectory(const uint8_t* p, const uint8_t* end, uint32_t count, uint32_t total, const char* who,
                   const std::string& path, std::vector<Entry>& out) {
    std::vector<Entry> entries(count);
    for (uint32_t i = 0; i < count; ++i) {
        Entry& entry = entries[i];
        p = entry.load(p, end);
        if (!p) {
            Tov::LogLine("ERROR") << who << ": " << path << ": entry " << i << " runs past the directory";
            return false;
        }
        if (entry.fileSize != 0 && static_cast<uint64_t>(entry.offset) + entry.storedSize() > total) {
            Tov::LogLine("ERROR") << who << ": " << path << ": " << entry.name << " lies past the end of the archive";
            return false;
        }
    }
    out = std::move(entries);
    return true;
}

// Reads the directory of a mapped archive: `count` entries from `headerSize` up to `directoryEnd`.
template <class Entry>
bool readMappedDirectory(MappedFile& mapped, uint32_t headerSize, uint32_t directoryEnd, uint32_t count,
                         const char* who, const std::string& path, std::vector<Entry>& out) {
    const uint8_t* dir = mapped.mapView(0, directoryEnd);
    if (!dir) return false;
    const bool read = readDirectory(dir + headerSize, dir + directoryEnd, count, mapped.size(), who, path, out);
    mapped.unmapView(dir);
    return read;
}

class ArchiveOutput {
public:
    // `who` names the builder in ERROR lines.
    explicit ArchiveOutput(const char* who) : m_who(who) {}
    // The temporary file is deleted unless commit succeeded.

    bool open(const std::string& path);
    // Appends at the end; false (with an ERROR) on a short write.
    bool append(const void* data, uint32_t size);
    // Overwrites bytes already written, at `offset`.
    bool writeAt(uint64_t offset, const void* data, uint32_t size);
    uint64_t length() const { return m_length; }
    // Closes the file and renames it over the archive's path.
    bool commit();

private:
    const char* m_who;
    platform::ReplacingFile m_out;
    std::string m_path;
    uint64_t m_length = 0;
    bool m_failed = false;
};

}  // namespace VFS
