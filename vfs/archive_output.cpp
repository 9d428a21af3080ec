#include "vfs/archive_output.h"

#include <atomic>
#include <cstring>
#include <new>

#include "core/log_stream.h"
#include "platform/clock.h"

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

ArchiveOutput::~ArchiveOutput() {
    if (!m_temp.empty()) {
        m_file.close();
        platform::deleteFile(m_temp);
    }
}

bool ArchiveOutput::open(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    m_path = path;
    m_temp = path + ".tmp" + std::to_string(platform::highResCounter()) + "_" + std::to_string(counter++);
    if (!m_file.open(m_temp, platform::File::Mode::Write)) {
        Tov::LogLine("ERROR") << m_who << ": cannot create " << m_temp;
        m_temp.clear();
        return false;
    }
    return true;
}

bool ArchiveOutput::append(const void* data, uint32_t size) {
    if (m_failed || !m_file.isOpen()) return false;
    if (size && (!m_file.seek(static_cast<int64_t>(m_length), 0) ||
                 m_file.write(data, size) != static_cast<int64_t>(size))) {
        Tov::LogLine("ERROR") << m_who << ": cannot write " << m_temp;
        m_failed = true;
        return false;
    }
    m_length += size;
    return true;
}

bool ArchiveOutput::writeAt(uint64_t offset, const void* data, uint32_t size) {
    if (m_failed || !m_file.isOpen()) return false;
    if (!m_file.seek(static_cast<int64_t>(offset), 0) || m_file.write(data, size) != static_cast<int64_t>(size)) {
        Tov::LogLine("ERROR") << m_who << ": cannot write " << m_temp;
        m_failed = true;
        return false;
    }
    if (offset + size > m_length) m_length = offset + size;
    return true;
}

bool ArchiveOutput::commit() {
    if (m_failed || !m_file.isOpen()) return false;
    // Synced before the rename, so a crash never leaves a half-written archive under the name.
    const bool synced = m_file.sync();
    const bool closed = m_file.close() && synced;
    if (!closed || !platform::renameFile(m_temp, m_path)) {
        Tov::LogLine("ERROR") << m_who << ": cannot replace " << m_path;
        return false;
    }
    m_temp.clear();
    return true;
}

}  // namespace VFS
