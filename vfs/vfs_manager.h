#pragma once
// The mounted file system: folders and archives mounted in order, every file they hold listed in
// two tables, by lower-cased bare name and by lower-cased stored path. A later mount wins a name.
//
// The tables are safe for loader threads that look files up while the main thread mounts,
// rescans or removes: lookups return handles by value under a shared lock, and changes take the
// lock exclusively.
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "core/factory.h"
#include "core/singleton.h"
#include "vfs/archive.h"

namespace VFS {

using FileList = std::vector<FilePtr>;

class VFSManager : public FileEnumerator, public Tov::Singleton<VFSManager> {
public:
    using ArchiveCreator = ArchiveInterface;
    using ArchiveFactory = Tov::Factory<std::string, Archive, ArchiveCreator>;

    enum : unsigned { kByName = 1, kByPath = 2 };

    // Registers the kinds "filesystem", "sma1" and "sma2".
    VFSManager();
    ~VFSManager() override;

    const ArchiveFactory& factory() const { return *m_factory; }

    // Mounts `path` (kept exactly as given, case included) as an archive of kind `type`. False when
    // that path is already mounted, the type is unknown or the archive does not open.
    bool mount(const std::string& type, const std::string& path);
    // Mounts the folder and every folder below it, parent first, subfolders in case-folded order,
    // leaving out folders whose name contains `skip` (an empty skip leaves out nothing).
    void mountFolderRecursive(const std::string& path, const std::string& skip);

    // Flag 1 searches bare names, flag 2 stored paths, in that order; an empty handle when neither
    // finds the lower-cased name.
    FilePtr findFile(const std::string& name, unsigned flags) const;
    FilePtr findFirst(const std::string& name, unsigned flags) const;
    // Appends the bare-name table's files under `name`; false when there is no entry.
    bool findAll(const std::string& name, FileList& out) const;
    // Appends every file whose (lower-cased) key ends in `ext` exactly (".prof"), walking the
    // bare-name table (flag 1) or else the path table (flag 2) in key order. Returns out's size.
    unsigned findFilesByExtension(const std::string& ext, FileList& out, unsigned flags) const;
    // The same walk, grouping the files by extension; returns the number of extensions in out.
    unsigned groupByExtension(std::map<std::string, FileList>& out, unsigned flags) const;
    // Drops the file from both tables (an earlier file of the same name is not restored).
    void removeFile(const FilePtr& file);
    // Lists the files of the archive mounted at `path` again; false when not mounted.
    bool rescan(const std::string& path);
    // Forgets every mount and the bare-name table (the path table stays).
    void unmountAll();
    void collectByPath(std::map<std::string, FilePtr>& out) const;
    void collectByName(std::map<std::string, FilePtr>& out) const;

    void addFile(const FilePtr& file) override;

    // The whole contents of the file found under `name` (bare name, then stored path).
    bool readWhole(const std::string& name, std::string& bytes) const;

private:
    using Table = std::map<std::string, FileList>;

    void addLocked(Table& table, const std::string& key, const FilePtr& file);
    void addFilesLocked(const FileList& files);
    static const FilePtr* lookup(const Table& table, const std::string& name);
    void walk(unsigned flags, const std::function<void(const std::string&, const FilePtr&)>& visit) const;
    void mountRecursive(const std::string& path, const std::string& skip,
                        std::vector<std::pair<uint64_t, uint64_t>>& visited);

    std::unique_ptr<ArchiveFactory> m_factory;
    // Serialises mounts, rescans and unmounts; taken before m_tableLock.
    std::mutex m_mountLock;
    std::map<std::string, std::unique_ptr<Archive>> m_mounted;
    mutable std::shared_mutex m_tableLock;
    Table m_byName;
    Table m_byPath;
};

}  // namespace VFS
