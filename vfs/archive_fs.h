#pragma once
// The "filesystem" archive kind: one folder (not its subfolders) whose files are mapped straight
// from the disk.
#include <memory>
#include <string>

#include "vfs/archive.h"
#include "vfs/mapped_file.h"

namespace VFS {

class FileFS : public File {
public:
    // `size` is the size the folder listing saw; each map refreshes it from the opened file.
    FileFS(const std::string& path, uint32_t size);
    ~FileFS() override;

    uint32_t size() override;
    const uint8_t* map(uint32_t offset, uint32_t length) override;
    // Closes the file: every pointer map gave becomes invalid.
    void release() override;

private:
    // Opened on the first map and kept until release, so every view stays valid until then.
    std::unique_ptr<MappedFile> m_mapped;
    const uint8_t* m_view = nullptr;
    uint32_t m_viewOffset = 0;
    uint32_t m_viewLength = 0;
    uint32_t m_size = 0;
};

class ArchiveFS : public Archive {
public:
    static const ArchiveInterface& getInterface();

    // True when the path is an existing folder.
    bool open(const std::string& path) override;
    // Lists the folder's files (not its subfolders) as path + "\\" + name, in case-folded order.
    void enumerate(FileEnumerator& enumerator) override;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace VFS
