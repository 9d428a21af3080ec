#include "vfs/archive.h"

#include <memory>

namespace VFS {

FilePtr Archive::getFile(const std::string&) { return FilePtr::empty(); }

bool ArchiveInterface::probe(const std::string& path) const {
    std::unique_ptr<Archive> archive(create());
    return archive && archive->open(path);
}

}  // namespace VFS
