// sma: the archive tool.
//   sma build sma1|sma2 ARCHIVE FOLDER   store every file below FOLDER under its relative path
//                                         (folders joined by "\"), in name order
//   sma list ARCHIVE                      one line per file: size, "stored" or "packed", name
//   sma extract ARCHIVE FOLDER            write every file below FOLDER
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "vfs/archive_fs.h"
#include "vfs/archive_sma1.h"
#include "vfs/archive_sma2.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: sma build sma1|sma2 ARCHIVE FOLDER\n"
                 "       sma list ARCHIVE\n"
                 "       sma extract ARCHIVE FOLDER\n");
    return 2;
}

// A folder reached again through a symbolic link is not entered twice, so link cycles end.
void collect(const std::string& folder, const std::string& prefix, VFS::FileMap& files,
             std::vector<std::pair<uint64_t, uint64_t>>& visited) {
    if (auto identity = platform::fileIdentity(folder)) {
        if (std::find(visited.begin(), visited.end(), *identity) != visited.end()) return;
        visited.push_back(*identity);
    }
    for (const platform::DirEntry& entry : platform::listDirectory(folder)) {
        const std::string path = folder + "\\" + entry.name;
        const std::string name = prefix.empty() ? entry.name : prefix + "\\" + entry.name;
        if (entry.isDirectory) {
            collect(path, name, files, visited);
        } else if (entry.size < (1ull << 32)) {
            files[name] = VFS::FilePtr(new VFS::FileFS(path, static_cast<uint32_t>(entry.size)));
        } else {
            std::fprintf(stderr, "sma: %s is 4 GiB or more, left out\n", path.c_str());
        }
    }
}

class Progress : public VFS::ProgressCallback {
public:
    void onProgress(const char* event, const void* data) override {
        if (std::strcmp(event, "DATA_NAME") == 0) m_name = *static_cast<const std::string*>(data);
        if (std::strcmp(event, "DATA_SIZE") == 0) m_size = *static_cast<const uint32_t*>(data);
        if (std::strcmp(event, "DATA_CSIZE") == 0)
            std::printf("%10u %10u  %s\n", m_size, *static_cast<const uint32_t*>(data), m_name.c_str());
    }

private:
    std::string m_name;
    uint32_t m_size = 0;
};

class Lister : public VFS::FileEnumerator {
public:
    void addFile(const VFS::FilePtr& file) override { files.push_back(file); }
    std::vector<VFS::FilePtr> files;
};

// The archive's version from its header, 0 when it is no SMA archive.
int versionOf(const std::string& path) {
    platform::File file;
    uint8_t header[5] = {};
    if (!file.open(path, platform::File::Mode::Read) || file.read(header, 5) != 5 || std::memcmp(header, "SMA", 3))
        return 0;
    return header[3] | (header[4] << 8);
}

bool openArchive(const std::string& path, Lister& lister) {
    const int version = versionOf(path);
    VFS::ArchiveSMA1 sma1;
    VFS::ArchiveSMA2 sma2;
    VFS::Archive* archive = version == 1 ? static_cast<VFS::Archive*>(&sma1)
                            : version == 2 ? static_cast<VFS::Archive*>(&sma2)
                                           : nullptr;
    if (!archive || !archive->open(path)) {
        std::fprintf(stderr, "sma: %s is not a readable SMA1 or SMA2 archive\n", path.c_str());
        return false;
    }
    archive->enumerate(lister);  // the files keep the archive's bytes mapped
    return true;
}

// Archive names are relative paths; anything that could leave the target folder is refused.
bool safeName(const std::string& name) {
    if (name.empty() || name[0] == '/' || name[0] == '\\' || name.find(':') != std::string::npos) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos) end = name.size();
        const std::string part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

int extract(const std::string& archivePath, const std::string& folder) {
    Lister lister;
    if (!openArchive(archivePath, lister)) return 1;
    if (!platform::createDirectory(folder)) {
        std::fprintf(stderr, "sma: cannot create the folder %s\n", folder.c_str());
        return 1;
    }
    int failures = 0;
    for (const VFS::FilePtr& file : lister.files) {
        const std::string& name = file->path();
        if (!safeName(name)) {
            std::fprintf(stderr, "sma: unsafe name left out: %s\n", name.c_str());
            ++failures;
            continue;
        }
        std::string target = folder;
        bool foldersMade = true;
        for (size_t pos = name.find_first_of("/\\"); pos != std::string::npos; pos = name.find_first_of("/\\", pos + 1))
            foldersMade = foldersMade && platform::createDirectory(folder + "\\" + name.substr(0, pos));
        if (!foldersMade) {
            std::fprintf(stderr, "sma: cannot create the folders of %s\n", name.c_str());
            ++failures;
            continue;
        }
        target += "\\" + name;
        const uint32_t size = file->size();
        const uint8_t* bytes = size ? file->map(0, 0) : nullptr;
        if ((size && !bytes) || !platform::writeFileAtomically(target, bytes ? bytes : reinterpret_cast<const uint8_t*>(""), size)) {
            std::fprintf(stderr, "sma: cannot extract %s\n", name.c_str());
            ++failures;
        }
        file->release();
    }
    return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "build" && (args[1] == "sma1" || args[1] == "sma2")) {
        if (!platform::isDirectory(args[3])) {
            std::fprintf(stderr, "sma: %s is not a folder\n", args[3].c_str());
            return 1;
        }
        VFS::FileMap files;
        std::vector<std::pair<uint64_t, uint64_t>> visited;
        collect(args[3], "", files, visited);
        Progress progress;
        const bool ok = args[1] == "sma1" ? VFS::ArchiveSMA1::build(args[2], files)
                                          : VFS::ArchiveSMA2::build(args[2], files, &progress);
        if (!ok) std::fprintf(stderr, "sma: cannot build %s\n", args[2].c_str());
        return ok ? 0 : 1;
    }
    if (args.size() == 2 && args[0] == "list") {
        Lister lister;
        if (!openArchive(args[1], lister)) return 1;
        for (const VFS::FilePtr& file : lister.files) {
            auto* packed = dynamic_cast<VFS::FileSMA2*>(file.get());
            std::printf("%10u %10s  %s\n", file->size(), packed && packed->isPacked() ? "packed" : "stored",
                        file->path().c_str());
        }
        return 0;
    }
    if (args.size() == 3 && args[0] == "extract") return extract(args[1], args[2]);
    return usage();
}
