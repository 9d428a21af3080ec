#pragma once
// Archive kinds: a mounted source of files (a folder, an SMA1 or an SMA2 archive) and the static
// interface object of each kind, through which the manager creates, probes and builds them.
#include <map>
#include <string>

#include "vfs/file.h"

namespace VFS {

// Receives each file an archive lists.
class FileEnumerator {
public:
    virtual ~FileEnumerator() = default;
    virtual void addFile(const FilePtr& file) = 0;
};

class Archive {
public:
    virtual ~Archive() = default;
    virtual bool open(const std::string& path) = 0;
    // Calls addFile once per file of the archive.
    virtual void enumerate(FileEnumerator& enumerator) = 0;
    // The base finds nothing by itself.
    virtual FilePtr getFile(const std::string& name);
};

// Build progress of an archive writer. Events and their data:
//   "DIR_STARTED" (null), "DIR" (const std::string* name), "DIR_FINISHED" (const uint32_t*
//   directory size), "DATA_STARTED" (null), then per file "DATA_NAME" (const std::string*),
//   "DATA_SIZE" (const uint32_t*), "DATA_CSIZE" (const uint32_t* bytes written), "DATA_FINISHED"
//   (null).
class ProgressCallback {
public:
    virtual ~ProgressCallback() = default;
    virtual void onProgress(const char* event, const void* data) = 0;
};

// Files to build an archive from: the name to store -> the source file. Written in key order.
using FileMap = std::map<std::string, FilePtr>;

class ArchiveInterface {
public:
    virtual ~ArchiveInterface() = default;
    // The type word the kind is mounted under.
    virtual const std::string& name() const = 0;
    // A new, unopened archive of the kind; null when allocation fails.
    virtual Archive* create() const = 0;
    // True when an archive of the kind opens the path.
    virtual bool probe(const std::string& path) const;
    // Writes a new archive of the kind (replacing `path` atomically); false when refused.
    virtual bool build(const std::string& path, const FileMap& files, ProgressCallback* progress) const = 0;
};

}  // namespace VFS
