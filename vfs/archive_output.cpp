#include "vfs/internal/archive_output.h"

#include <cstring>
#include <new>

#include "core/log_stream.h"

namespace VFS {

SharedPtr<MappedFile> openSmaArchive(const std::string& path, const char* who, const char* kind,
                                     uint16_t version, uint32_t headerSize) {
    if (!platform::fileExists(path)) return SharedPtr<MappedFile>();
    SharedPtr<MappedFile> mapped(new (std::nothrow) MappedFile());
    if (!mapped || !mapped->open(path)) {
        Tov::LogLine("ERROR") << who << ": cannot map " << path;
        return SharedPtr<MappedFile>();
    }
    const uint8_t* header = mapped->mapView(0, 5);
    if (!header || std::memcmp(header, "SMA", 3) != 0 || readU16(header + 3) != version) {
        Tov::LogLine("ERROR") << who << ": " << path << " is not an " << kind << " archive";
        return SharedPtr<MappedFile>();
    }
    mapped->unmapView(header);
    if (mapped->size() < headerSize) {
        Tov::LogLine("ERROR") << who << ": " << path << ": truncated header";
        return SharedPtr<MappedFile>();
    }
    return mapped;
}

bool ArchiveOutput::open(const std::string& path) {
    m_path = path;
    if (!m_out.open(path)) {
        Tov::LogLine("ERROR") << m_who << ": cannot create a temporary file beside " << path;
        return false;
    }
    return true;
}

bool ArchiveOutput::append(const void* data, uint32_t size) {
    if (m_failed || !m_out.isOpen()) return false;
    platform::File& file = m_out.file();
    if (size && (!file.seek(static_cast<int64_t>(m_length), 0) ||
                 file.write(data, size) != static_cast<int64_t>(size))) {
        Tov::LogLine("ERROR") << m_who << ": cannot write " << m_out.tempPath();
        m_failed = true;
        return false;
    }
    m_length += size;
    return true;
}

bool ArchiveOutput::writeAt(uint64_t offset, const void* data, uint32_t size) {
    if (m_failed || !m_out.isOpen()) return false;
    platform::File& file = m_out.file();
    if (!file.seek(static_cast<int64_t>(offset), 0) || file.write(data, size) != static_cast<int64_t>(size)) {
        Tov::LogLine("ERROR") << m_who << ": cannot write " << m_out.tempPath();
        m_failed = true;
        return false;
    }
    if (offset + size > m_length) m_length = offset + size;
    return true;
}

bool ArchiveOutput::commit() {
    if (m_failed || !m_out.isOpen()) return false;
    if (!m_out.commit()) {
        Tov::LogLine("ERROR") << m_who << ": cannot replace " << m_path;
        return false;
    }
    return true;
}

}  // namespace VFS
