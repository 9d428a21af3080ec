#include "vfs/archive_sma1.h"

#include <cstring>
#include <new>

#include "core/log_stream.h"
#include "platform/files.h"
#include "vfs/internal/archive_output.h"

namespace VFS {

namespace {

class InterfaceSMA1 : public ArchiveInterface {
public:
    const std::string& name() const override {
        static const std::string word = "sma1";
        return word;
    }
    Archive* create() const override { return new (std::nothrow) ArchiveSMA1(); }
    bool build(const std::string& path, const FileMap& files, ProgressCallback*) const override {
        return ArchiveSMA1::build(path, files);
    }
};

}  // namespace

uint8_t* ArchiveSMA1::DirectoryEntry::store(uint8_t* out) const {
    out = writeU16(out, static_cast<uint16_t>(name.size()));
    if (!name.empty()) std::memcpy(out, name.data(), name.size());
    out += name.size();
    out = writeU32(out, fileSize);
    return writeU32(out, offset);
}

const uint8_t* ArchiveSMA1::DirectoryEntry::load(const uint8_t* in) {
    const uint16_t length = readU16(in);
    name.assign(reinterpret_cast<const char*>(in + 2), length);
    in += 2 + length;
    fileSize = readU32(in);
    offset = readU32(in + 4);
    return in + 8;
}

const uint8_t* ArchiveSMA1::DirectoryEntry::load(const uint8_t* in, const uint8_t* end) {
    if (end - in < 2) return nullptr;
    const uint16_t length = readU16(in);
    if (end - in < 10 + static_cast<ptrdiff_t>(length)) return nullptr;
    return load(in);
}

const ArchiveInterface& ArchiveSMA1::getInterface() {
    static const InterfaceSMA1 instance;
    return instance;
}

bool ArchiveSMA1::open(const std::string& path) {
    static const char* who = "VFS::ArchiveSMA1::open";
    m_entries.clear();
    m_mapped = SharedPtr<MappedFile>();
    SharedPtr<MappedFile> mapped = openSmaArchive(path, who, "SMA1", kVersion, kHeaderSize);
    if (!mapped) return false;
    const uint32_t total = mapped->size();
    const uint32_t limit = total < kDirectoryLimit ? total : kDirectoryLimit;
    const uint8_t* header = mapped->mapView(0, kHeaderSize);
    const uint32_t count = smaEntryCount(header);
    mapped->unmapView(header);
    if (count > (limit - kHeaderSize) / 10) {
        Tov::LogLine("ERROR") << who << ": " << path << ": " << count << " entries cannot fit the directory";
        return false;
    }
    std::vector<DirectoryEntry> entries;
    if (!readMappedDirectory(*mapped, kHeaderSize, limit, count, who, path, entries)) return false;
    m_mapped = mapped;
    m_entries = std::move(entries);
    return true;
}

void ArchiveSMA1::enumerate(FileEnumerator& enumerator) {
    if (!m_mapped) return;
    for (const DirectoryEntry& entry : m_entries) {
        FileSMA1* file = new (std::nothrow) FileSMA1(entry.name, m_mapped, entry.offset, entry.fileSize);
        if (file) enumerator.addFile(FilePtr(file));
    }
}

bool ArchiveSMA1::build(const std::string& path, const FileMap& files) {
    static const char* who = "VFS::ArchiveSMA1::build";
    std::vector<DirectoryEntry> entries;
    entries.reserve(files.size());
    uint64_t directorySize = kHeaderSize;
    uint64_t dataSize = 0;
    for (const auto& [name, source] : files) {
        if (name.size() > 0xFFFF) {
            Tov::LogLine("ERROR") << who << ": name longer than 65535 bytes: " << name.substr(0, 64) << "...";
            return false;
        }
        if (!source) {
            Tov::LogLine("ERROR") << who << ": no source for " << name;
            return false;
        }
        DirectoryEntry entry;
        entry.name = name;
        entry.fileSize = source->size();
        directorySize += entry.size();
        dataSize += entry.fileSize;
        entries.push_back(std::move(entry));
    }
    if (directorySize + dataSize > UINT32_MAX) {
        Tov::LogLine("ERROR") << who << ": " << path << " would reach 4 GiB";
        return false;
    }
    std::vector<uint8_t> directory(static_cast<size_t>(directorySize));
    uint8_t* p = directory.data();
    p = writeSmaHeader(p, kVersion, static_cast<uint32_t>(entries.size()));
    uint32_t offset = static_cast<uint32_t>(directorySize);
    for (DirectoryEntry& entry : entries) {
        entry.offset = offset;
        offset += entry.fileSize;
        p = entry.store(p);
    }

    ArchiveOutput out(who);
    if (!out.open(path) || !out.append(directory.data(), static_cast<uint32_t>(directory.size()))) return false;
    size_t i = 0;
    for (const auto& [name, source] : files) {
        const DirectoryEntry& entry = entries[i++];
        if (entry.fileSize == 0) continue;
        const uint8_t* bytes = source->map(0, 0);
        const bool same = bytes && source->size() == entry.fileSize;
        const bool written = same && out.append(bytes, entry.fileSize);
        source->release();
        if (!written) {
            if (!same) Tov::LogLine("ERROR") << who << ": cannot read " << source->path();
            return false;
        }
    }
    return out.commit();
}

FileSMA1::FileSMA1(const std::string& path, const SharedPtr<MappedFile>& archive, uint32_t offset, uint32_t size)
    : File(path), m_offset(offset), m_size(size), m_archive(archive) {}

FileSMA1::~FileSMA1() { m_view.release(*m_archive); }

const uint8_t* FileSMA1::map(uint32_t offset, uint32_t length) {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_view.map(*m_archive, m_offset, m_size, offset, length);
}

void FileSMA1::release() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_view.release(*m_archive);
}

}  // namespace VFS
