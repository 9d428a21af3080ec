#include "vfs/archive_fs.h"

#include <new>

#include "core/log_stream.h"
#include "platform/files.h"

namespace VFS {

namespace {

class InterfaceFS : public ArchiveInterface {
public:
    const std::string& name() const override {
        static const std::string word = "filesystem";
        return word;
    }
    Archive* create() const override { return new (std::nothrow) ArchiveFS(); }
    // A folder is not built.
    bool build(const std::string&, const FileMap&, ProgressCallback*) const override { return false; }
};

}  // namespace

FileFS::FileFS(const std::string& path, uint32_t size) : File(path), m_size(size) {}

FileFS::~FileFS() = default;

uint32_t FileFS::size() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_size;
}

const uint8_t* FileFS::map(uint32_t offset, uint32_t length) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_view) {
        if (offset == m_viewOffset && length == m_viewLength) return m_view;
        m_mapped->unmapView(m_view);
        m_view = nullptr;
    }
    if (!m_mapped) {
        auto mapped = std::make_unique<MappedFile>();
        if (!mapped->open(path())) {
            m_size = 0;  // vanished or unreadable
            return nullptr;
        }
        m_mapped = std::move(mapped);
    }
    m_size = m_mapped->size();
    if (!rangeInside(offset, length, m_size)) return nullptr;
    m_view = m_mapped->mapView(offset, length);
    if (!m_view) return nullptr;
    m_viewOffset = offset;
    m_viewLength = length;
    return m_view;
}

void FileFS::release() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_mapped.reset();
    m_view = nullptr;
}

const ArchiveInterface& ArchiveFS::getInterface() {
    static const InterfaceFS instance;
    return instance;
}

bool ArchiveFS::open(const std::string& path) {
    m_path = path;
    return platform::isDirectory(path);
}

void ArchiveFS::enumerate(FileEnumerator& enumerator) {
    if (!platform::isDirectory(m_path)) {
        Tov::LogLine("ERROR") << "VFS::ArchiveFS::enumerate" << ": cannot enter folder " << m_path;
        return;
    }
    for (const platform::DirEntry& entry : platform::listDirectory(m_path)) {
        if (entry.isDirectory) continue;
        if (entry.size >= (1ull << 32)) {
            Tov::LogLine("WARNING") << "VFS::ArchiveFS::enumerate" << ": " << entry.name
                                    << " is 4 GiB or more, left out";
            continue;
        }
        FileFS* file = new (std::nothrow) FileFS(m_path + "\\" + entry.name, static_cast<uint32_t>(entry.size));
        if (!file) continue;
        enumerator.addFile(FilePtr(file));
    }
}

}  // namespace VFS
