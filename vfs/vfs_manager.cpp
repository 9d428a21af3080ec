#include "vfs/vfs_manager.h"

#include <algorithm>

#include "core/attr_xml.h"
#include "core/log_stream.h"
#include "core/string_utils.h"
#include "platform/files.h"
#include "vfs/archive_fs.h"
#include "vfs/archive_sma1.h"
#include "vfs/archive_sma2.h"

namespace VFS {

namespace {

// Gathers an archive's files so that they enter the tables under one exclusive lock.
class Collector : public FileEnumerator {
public:
    void addFile(const FilePtr& file) override {
        if (file) files.push_back(file);
    }
    FileList files;
};

std::string lowered(const std::string& text) {
    std::string out;
    return toLower(text, out);
}

std::string extensionOf(const std::string& key) {
    std::string extension;
    splitPath(key, nullptr, nullptr, &extension);
    return extension;
}

}  // namespace

VFSManager::VFSManager() : m_factory(std::make_unique<ArchiveFactory>()) {
    for (const ArchiveInterface* kind :
         {&ArchiveFS::getInterface(), &ArchiveSMA1::getInterface(), &ArchiveSMA2::getInterface()})
        m_factory->registerCreator(kind->name(), kind);
    // Attribute documents are looked up among the mounted files before the plain file system.
    Attr::setFileLookup([this](const std::string& name, std::string& bytes) { return readWhole(name, bytes); });
}

bool VFSManager::readWhole(const std::string& name, std::string& bytes) const {
    FilePtr file = findFile(name, kByName | kByPath);
    if (!file) return false;
    uint32_t size = file->size();
    bytes.clear();
    if (size > 0) {
        const uint8_t* data = file->map(0, 0);
        if (!data) return false;
        bytes.assign(reinterpret_cast<const char*>(data), size);
        file->release();
    }
    return true;
}

VFSManager::~VFSManager() {
    Attr::setFileLookup(nullptr);
    std::lock_guard<std::mutex> mountLock(m_mountLock);
    std::unique_lock<std::shared_mutex> lock(m_tableLock);
    m_byName.clear();
    m_byPath.clear();
    m_mounted.clear();
}

bool VFSManager::mount(const std::string& type, const std::string& path) {
    std::lock_guard<std::mutex> mountLock(m_mountLock);
    if (m_mounted.count(path)) return false;
    std::unique_ptr<Archive> archive(m_factory->create(type));
    if (!archive || !archive->open(path)) return false;
    Collector collector;
    archive->enumerate(collector);
    {
        std::unique_lock<std::shared_mutex> lock(m_tableLock);
        addFilesLocked(collector.files);
    }
    m_mounted.emplace(path, std::move(archive));
    return true;
}

void VFSManager::mountFolderRecursive(const std::string& path, const std::string& skip) {
    std::vector<std::pair<uint64_t, uint64_t>> visited;
    mountRecursive(path, skip, visited);
}

void VFSManager::mountRecursive(const std::string& path, const std::string& skip,
                                std::vector<std::pair<uint64_t, uint64_t>>& visited) {
    // A folder reached twice (through a symbolic link) is entered once, so link cycles end.
    if (auto identity = platform::fileIdentity(path)) {
        if (std::find(visited.begin(), visited.end(), *identity) != visited.end()) return;
        visited.push_back(*identity);
    }
    mount("filesystem", path);
    for (const platform::DirEntry& entry : platform::listDirectory(path)) {
        if (!entry.isDirectory) continue;
        if (!skip.empty() && entry.name.find(skip) != std::string::npos) continue;
        mountRecursive(path + "\\" + entry.name, skip, visited);
    }
}

FilePtr VFSManager::findFile(const std::string& name, unsigned flags) const {
    std::shared_lock<std::shared_mutex> lock(m_tableLock);
    if (flags & kByName)
        if (const FilePtr* file = lookup(m_byName, name)) return *file;
    if (flags & kByPath)
        if (const FilePtr* file = lookup(m_byPath, name)) return *file;
    return FilePtr::empty();
}

FilePtr VFSManager::findFirst(const std::string& name, unsigned flags) const {
    // A table entry never holds more than one file, so its first is its last.
    return findFile(name, flags);
}

bool VFSManager::findAll(const std::string& name, FileList& out) const {
    std::shared_lock<std::shared_mutex> lock(m_tableLock);
    auto it = m_byName.find(lowered(name));
    if (it == m_byName.end()) return false;
    out.insert(out.end(), it->second.begin(), it->second.end());
    return true;
}

const FilePtr* VFSManager::lookup(const Table& table, const std::string& name) {
    auto it = table.find(lowered(name));
    if (it == table.end() || it->second.empty()) return nullptr;
    return &it->second.back();
}

void VFSManager::walk(unsigned flags, const std::function<void(const std::string&, const FilePtr&)>& visit) const {
    const Table* table = (flags & kByName) ? &m_byName : (flags & kByPath) ? &m_byPath : nullptr;
    if (!table) return;
    for (const auto& [key, files] : *table)
        if (!key.empty() && !files.empty()) visit(key, files.back());
}

unsigned VFSManager::findFilesByExtension(const std::string& ext, FileList& out, unsigned flags) const {
    std::shared_lock<std::shared_mutex> lock(m_tableLock);
    if (!(flags & (kByName | kByPath))) return 0;
    walk(flags, [&](const std::string& key, const FilePtr& file) {
        if (extensionOf(key) == ext) out.push_back(file);
    });
    return static_cast<unsigned>(out.size());
}

unsigned VFSManager::groupByExtension(std::map<std::string, FileList>& out, unsigned flags) const {
    std::shared_lock<std::shared_mutex> lock(m_tableLock);
    walk(flags, [&](const std::string& key, const FilePtr& file) { out[extensionOf(key)].push_back(file); });
    return static_cast<unsigned>(out.size());
}

void VFSManager::removeFile(const FilePtr& file) {
    if (!file) return;
    std::unique_lock<std::shared_mutex> lock(m_tableLock);
    auto byName = m_byName.find(lowered(file->name()));
    if (byName != m_byName.end()) byName->second.clear();
    auto byPath = m_byPath.find(lowered(file->path()));
    if (byPath != m_byPath.end()) byPath->second.clear();
}

bool VFSManager::rescan(const std::string& path) {
    std::lock_guard<std::mutex> mountLock(m_mountLock);
    auto it = m_mounted.find(path);
    if (it == m_mounted.end()) return false;
    Collector collector;
    it->second->enumerate(collector);
    std::unique_lock<std::shared_mutex> lock(m_tableLock);
    addFilesLocked(collector.files);
    return true;
}

void VFSManager::unmountAll() {
    std::lock_guard<std::mutex> mountLock(m_mountLock);
    std::unique_lock<std::shared_mutex> lock(m_tableLock);
    m_byName.clear();
    // Handles still listed by path (or held by callers) keep their archives' bytes alive.
    m_mounted.clear();
}

void VFSManager::collectByPath(std::map<std::string, FilePtr>& out) const {
    std::shared_lock<std::shared_mutex> lock(m_tableLock);
    walk(kByPath, [&](const std::string&, const FilePtr& file) { out[file->path()] = file; });
}

void VFSManager::collectByName(std::map<std::string, FilePtr>& out) const {
    std::shared_lock<std::shared_mutex> lock(m_tableLock);
    walk(kByName, [&](const std::string&, const FilePtr& file) { out[file->path()] = file; });
}

void VFSManager::addFile(const FilePtr& file) {
    if (!file) return;
    std::unique_lock<std::shared_mutex> lock(m_tableLock);
    addFilesLocked(FileList{file});
}

void VFSManager::addFilesLocked(const FileList& files) {
    for (const FilePtr& file : files) {
        addLocked(m_byName, lowered(file->name()), file);
        addLocked(m_byPath, lowered(file->path()), file);
    }
}

void VFSManager::addLocked(Table& table, const std::string& key, const FilePtr& file) {
    FileList& list = table[key];
    list.clear();  // the file added last wins the key
    list.push_back(file);
}

}  // namespace VFS
