#pragma once
// Files and folders. Every function takes a game path and resolves it (see paths.h).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct DirEntry {
    std::string name;
    bool isDirectory = false;
    uint64_t size = 0;
    uint64_t device = 0;
    uint64_t inode = 0;
};

bool fileExists(std::string_view path);
bool isDirectory(std::string_view path);
std::optional<uint64_t> fileSize(std::string_view path);
// Creates one folder; an existing folder is no error.
[[nodiscard]] bool createDirectory(std::string_view path);
[[nodiscard]] bool deleteFile(std::string_view path);
[[nodiscard]] bool renameFile(std::string_view from, std::string_view to);
[[nodiscard]] bool copyFile(std::string_view from, std::string_view to, bool overwrite);
std::string currentDirectory();
// Entries of a folder (without "." and ".."), sorted by ASCII case-folded name.
std::vector<DirEntry> listDirectory(std::string_view path);
// Device and inode of a path (for loop detection while walking folders).
std::optional<std::pair<uint64_t, uint64_t>> fileIdentity(std::string_view path);

[[nodiscard]] bool readWholeFile(std::string_view path, std::string& out);
// Writes a temporary file beside `path` and renames it over the old one, so readers (and mappings)
// of the old file never see a half-written or truncated file.
[[nodiscard]] bool writeFileAtomically(std::string_view path, const void* data, size_t size);

// An open file descriptor, closed on destruction.
class File {
public:
    enum class Mode { Read, Write /* create or truncate */, Append, ReadWrite };

    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;

    [[nodiscard]] bool open(std::string_view path, Mode mode);
    bool isOpen() const { return fd_ >= 0; }
    // Both return the bytes actually moved; -1 on error.
    [[nodiscard]] int64_t read(void* buffer, size_t size);
    [[nodiscard]] int64_t write(const void* data, size_t size);
    [[nodiscard]] bool seek(int64_t offset, int whence /* 0 set, 1 current, 2 end */);
    int64_t tell() const;
    std::optional<uint64_t> size() const;
    [[nodiscard]] bool sync();
    [[nodiscard]] bool close();
    // Closes a file whose owner can no longer act on a failure (destruction, reopening); a failed
    // close is logged as a WARNING.
    void closeOrWarn();
    const std::string& hostPath() const { return hostPath_; }

private:
    int fd_ = -1;
    std::string hostPath_;
};

// The rest of an open file, from its position to the size it has now; false when the size cannot
// be read or a read fails (the bytes read before the failure are kept). A file that ends early
// (it shrank meanwhile) is no failure.
[[nodiscard]] bool readRemaining(File& file, std::string& out);

// A file written under a temporary name beside its target ("<target>.tmp<pid>_<n>") and renamed
// over the target only by `commit`: readers and mappings of the old file never see it
// half-written or truncated, and a crash leaves the old file. The new file keeps the old one's
// permission bits. Destroyed without a commit, the temporary file is deleted; `open` deletes the
// temporaries of the same target that killed processes left behind.
class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    [[nodiscard]] bool open(std::string_view path);
    File& file() { return file_; }
    bool isOpen() const { return file_.isOpen(); }
    const std::string& tempPath() const { return temp_; }
    // Syncs, closes and renames over the target, then syncs the folder; false on any failure (the
    // temporary file is then deleted and the old file stays; when only the folder sync fails, the
    // new file is in place but may not survive a power loss).
    [[nodiscard]] bool commit();
    void abort();

private:
    File file_;
    std::string target_;
    std::string temp_;
};

}  // namespace platform
