#include "vfs/archive_sma2.h"

#include <zlib.h>

#include <climits>
#include <cstring>
#include <new>

#include "core/log_stream.h"
#include "core/mmgr.h"
#include "platform/files.h"
#include "vfs/internal/archive_output.h"

namespace VFS {

namespace {

class InterfaceSMA2 : public ArchiveInterface {
public:
    const std::string& name() const override {
        static const std::string word = "sma2";
        return word;
    }
    Archive* create() const override { return new (std::nothrow) ArchiveSMA2(); }
    bool build(const std::string& path, const FileMap& files, ProgressCallback* progress) const override {
        return ArchiveSMA2::build(path, files, progress);
    }
};

void report(ProgressCallback* progress, const char* event, const void* data = nullptr) {
    if (progress) progress->onProgress(event, data);
}

}  // namespace

uint8_t* ArchiveSMA2::DirectoryEntry::store(uint8_t* out) const {
    out = Tov::CompactULong(static_cast<uint32_t>(name.size())).store(out);
    if (!name.empty()) std::memcpy(out, name.data(), name.size());
    out += name.size();
    out = writeU32(out, fileSize);
    out = writeU32(out, packedSize);
    return writeU32(out, offset);
}

const uint8_t* ArchiveSMA2::DirectoryEntry::load(const uint8_t* in) {
    Tov::CompactULong length;
    in = length.load(in);
    if (!in) return nullptr;
    name.assign(reinterpret_cast<const char*>(in), length.value());
    in += length.value();
    fileSize = readU32(in);
    packedSize = readU32(in + 4);
    offset = readU32(in + 8);
    return in + 12;
}

const uint8_t* ArchiveSMA2::DirectoryEntry::load(const uint8_t* in, const uint8_t* end) {
    Tov::CompactULong length;
    const uint8_t* p = length.load(in, end);
    if (!p || static_cast<uint64_t>(end - p) < static_cast<uint64_t>(length.value()) + 12) return nullptr;
    return load(in);
}

uint32_t ArchiveSMA2::DirectoryEntry::size() const {
    return Tov::CompactULong(static_cast<uint32_t>(name.size())).size() + static_cast<uint32_t>(name.size()) + 12;
}

const ArchiveInterface& ArchiveSMA2::getInterface() {
    static const InterfaceSMA2 instance;
    return instance;
}

bool ArchiveSMA2::open(const std::string& path) {
    static const char* who = "VFS::ArchiveSMA2::open";
    m_entries.clear();
    m_mapped = SharedPtr<MappedFile>();
    SharedPtr<MappedFile> mapped = openSmaArchive(path, who, "SMA2", kVersion, kHeaderSize);
    if (!mapped) return false;
    const uint32_t total = mapped->size();
    const uint8_t* header = mapped->mapView(0, kHeaderSize);
    const uint32_t count = smaEntryCount(header);
    const uint32_t directorySize = readU32(header + 9);
    mapped->unmapView(header);
    if (directorySize > total - kHeaderSize) {
        Tov::LogLine("ERROR") << who << ": " << path << ": directory of " << directorySize
                              << " bytes runs past the end";
        return false;
    }
    if (count > directorySize / 13) {
        Tov::LogLine("ERROR") << who << ": " << path << ": " << count << " entries cannot fit the directory";
        return false;
    }
    std::vector<DirectoryEntry> entries;
    if (!readMappedDirectory(*mapped, kHeaderSize, kHeaderSize + directorySize, count, who, path, entries))
        return false;
    m_mapped = mapped;
    m_entries = std::move(entries);
    return true;
}

void ArchiveSMA2::enumerate(FileEnumerator& enumerator) {
    if (!m_mapped) return;
    for (const DirectoryEntry& entry : m_entries) {
        FileSMA2* file =
            new (std::nothrow) FileSMA2(entry.name, m_mapped, entry.offset, entry.packedSize, entry.fileSize);
        if (file) enumerator.addFile(FilePtr(file));
    }
}

bool ArchiveSMA2::build(const std::string& path, const FileMap& files, ProgressCallback* progress) {
    static const char* who = "VFS::ArchiveSMA2::build";
    report(progress, "DIR_STARTED");
    std::vector<DirectoryEntry> entries;
    entries.reserve(files.size());
    uint64_t directorySize = 0;
    for (const auto& [name, source] : files) {
        if (name.size() > UINT32_MAX || !source) {
            Tov::LogLine("ERROR") << who << ": cannot store " << name.substr(0, 64);
            return false;
        }
        DirectoryEntry entry;
        entry.name = name;
        entry.fileSize = source->size();
        directorySize += entry.size();
        report(progress, "DIR", &entry.name);
        entries.push_back(std::move(entry));
    }
    if (kHeaderSize + directorySize > UINT32_MAX) {
        Tov::LogLine("ERROR") << who << ": " << path << " would reach 4 GiB";
        return false;
    }
    const uint32_t dirSize32 = static_cast<uint32_t>(directorySize);
    report(progress, "DIR_FINISHED", &dirSize32);

    ArchiveOutput out(who);
    std::vector<uint8_t> head(kHeaderSize + directorySize, 0);
    writeU32(writeSmaHeader(head.data(), kVersion, static_cast<uint32_t>(entries.size())), dirSize32);
    if (!out.open(path) || !out.append(head.data(), static_cast<uint32_t>(head.size()))) return false;

    report(progress, "DATA_STARTED");
    std::vector<uint8_t> packed;
    size_t i = 0;
    for (const auto& [name, source] : files) {
        DirectoryEntry& entry = entries[i++];
        if (out.length() > UINT32_MAX) {
            Tov::LogLine("ERROR") << who << ": " << path << " would reach 4 GiB";
            return false;
        }
        entry.offset = static_cast<uint32_t>(out.length());
        report(progress, "DATA_NAME", &entry.name);
        uint32_t written = 0;
        if (entry.fileSize == 0) {
            report(progress, "DATA_SIZE", &entry.fileSize);
            report(progress, "DATA_CSIZE", &written);
            continue;
        }
        const uint8_t* bytes = source->map(0, 0);
        if (!bytes || source->size() != entry.fileSize) {
            Tov::LogLine("ERROR") << who << ": cannot read " << source->path();
            source->release();
            return false;
        }
        uLongf packedLength = compressBound(entry.fileSize);
        packed.resize(packedLength);
        const bool compressed =
            compress2(packed.data(), &packedLength, bytes, entry.fileSize, Z_DEFAULT_COMPRESSION) == Z_OK;
        report(progress, "DATA_SIZE", &entry.fileSize);
        const uint8_t* data = bytes;
        written = entry.fileSize;
        entry.packedSize = 0;
        if (compressed && packedLength <= UINT32_MAX && shouldPack(entry.fileSize, static_cast<uint32_t>(packedLength))) {
            data = packed.data();
            written = static_cast<uint32_t>(packedLength);
            entry.packedSize = written;
        }
        if (out.length() + written > UINT32_MAX) {
            source->release();
            Tov::LogLine("ERROR") << who << ": " << path << " would reach 4 GiB";
            return false;
        }
        const bool ok = out.append(data, written);
        source->release();
        if (!ok) return false;
        report(progress, "DATA_CSIZE", &written);
    }
    uint8_t* p = head.data() + kHeaderSize;
    for (const DirectoryEntry& entry : entries) p = entry.store(p);
    if (!out.writeAt(kHeaderSize, head.data() + kHeaderSize, dirSize32)) return false;
    report(progress, "DATA_FINISHED");
    return out.commit();
}

FileSMA2::FileSMA2(const std::string& path, const SharedPtr<MappedFile>& archive, uint32_t offset,
                   uint32_t packedSize, uint32_t size)
    : File(path), m_offset(offset), m_packedSize(packedSize), m_size(size), m_archive(archive) {}

FileSMA2::~FileSMA2() {
    freeBuffer();
    m_view.release(*m_archive);
}

void FileSMA2::freeBuffer() {
    Mem_Free(m_buffer);
    m_buffer = nullptr;
}

const uint8_t* FileSMA2::map(uint32_t offset, uint32_t length) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_size == 0) return nullptr;
    if (!m_packedSize) return m_view.map(*m_archive, m_offset, m_size, offset, length);
    if (!rangeInside(offset, length, m_size)) return nullptr;
    if (!m_buffer) {
        if (!ArchiveSMA2::claimFits(m_size, m_packedSize)) {
            Tov::LogLine("ERROR") << "VFS::FileSMA2::map" << ": " << path() << ": " << m_size
                                  << " bytes cannot inflate from " << m_packedSize << " packed bytes";
            return nullptr;
        }
        if (m_size > INT_MAX) {
            Tov::LogLine("ERROR") << "VFS::FileSMA2::map" << ": " << path() << ": " << m_size
                                  << " bytes are too many to inflate into memory";
            return nullptr;
        }
        uint8_t* buffer = static_cast<uint8_t*>(Mem_Alloc(static_cast<int>(m_size)));
        if (!buffer) return nullptr;
        const uint8_t* source = m_archive->mapView(m_offset, m_packedSize);
        uLongf length = m_size;
        const int rc = source ? uncompress(buffer, &length, source, m_packedSize) : Z_DATA_ERROR;
        if (source) m_archive->unmapView(source);
        if (rc != Z_OK || length != m_size) {
            Tov::LogLine("ERROR") << "VFS::FileSMA2::map" << ": " << path() << ": packed data does not inflate to "
                                  << m_size << " bytes";
            Mem_Free(buffer);
            return nullptr;
        }
        m_buffer = buffer;
    }
    return m_buffer + offset;
}

void FileSMA2::release() {
    std::lock_guard<std::mutex> lock(m_lock);
    freeBuffer();
    m_view.release(*m_archive);
}

}  // namespace VFS
