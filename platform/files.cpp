#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "platform/log_sink.h"
#include "platform/paths.h"

namespace platform {
namespace {

std::string hostRead(std::string_view path) { return resolvePath(path, PathUse::Read).value_or(std::string()); }
std::string hostCreate(std::string_view path) {
    return resolvePath(path, PathUse::Create).value_or(std::string());
}

bool statPath(std::string_view path, struct stat& st) {
    std::string p = hostRead(path);
    return !p.empty() && ::stat(p.c_str(), &st) == 0;
}

constexpr const char* kTempMarker = ".tmp";

// "<target>.tmp<pid>_<n>": the name of a temporary file of a save of `target` by process `pid`.
std::string tempName(const std::string& target, long pid, unsigned n) {
    return target + kTempMarker + std::to_string(pid) + "_" + std::to_string(n);
}

// The process id in a temporary file name of `targetName`, or -1 when the name is not one.
long tempOwner(const std::string& name, const std::string& targetName) {
    const std::string prefix = targetName + kTempMarker;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    const size_t underscore = name.find('_', prefix.size());
    if (underscore == std::string::npos || underscore == prefix.size() || underscore + 1 == name.size()) return -1;
    auto allDigits = [&name](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i)
            if (name[i] < '0' || name[i] > '9') return false;
        return true;
    };
    if (!allDigits(prefix.size(), underscore) || !allDigits(underscore + 1, name.size())) return -1;
    if (underscore - prefix.size() > 9) return -1;  // beyond any process id
    return std::stol(name.substr(prefix.size(), underscore - prefix.size()));
}

bool processIsAlive(long pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }

// The folder part and the name part of a host path.
std::pair<std::string, std::string> splitHostPath(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// Deletes the temporary files that saves of `target` (a host path) left when their process was
// killed. Temporaries of a living process may still be written, so they stay.
void removeStaleTemporaries(const std::string& target) {
    const auto [folder, targetName] = splitHostPath(target);
    DIR* d = ::opendir(folder.c_str());
    if (!d) return;
    const long self = static_cast<long>(::getpid());
    while (dirent* e = ::readdir(d)) {
        const long owner = tempOwner(e->d_name, targetName);
        if (owner <= 0 || owner == self || processIsAlive(owner)) continue;
        const std::string stale = folder + "/" + e->d_name;
        if (::unlink(stale.c_str()) != 0 && errno != ENOENT)
            log("WARNING", "platform::ReplacingFile: cannot remove the stale temporary file " + stale);
    }
    ::closedir(d);
}

// Makes a rename in the folder of `path` durable. Folders that cannot be synced (EINVAL) have
// nothing to sync.
bool syncFolderOf(const std::string& path) {
    const std::string folder = splitHostPath(path).first;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return ok;
}

}  // namespace

bool fileExists(std::string_view path) {
    struct stat st;
    return statPath(path, st);
}

bool isDirectory(std::string_view path) {
    struct stat st;
    return statPath(path, st) && S_ISDIR(st.st_mode);
}

std::optional<uint64_t> fileSize(std::string_view path) {
    struct stat st;
    if (!statPath(path, st) || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

std::optional<std::pair<uint64_t, uint64_t>> fileIdentity(std::string_view path) {
    struct stat st;
    if (!statPath(path, st)) return std::nullopt;
    return std::make_pair(static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino));
}

bool createDirectory(std::string_view path) {
    std::string p = hostCreate(path);
    if (p.empty()) return false;
    if (::mkdir(p.c_str(), 0755) == 0) return true;
    struct stat st;
    return errno == EEXIST && ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool deleteFile(std::string_view path) {
    std::string p = hostRead(path);
    return !p.empty() && ::unlink(p.c_str()) == 0;
}

bool renameFile(std::string_view from, std::string_view to) {
    std::string a = hostRead(from), b = hostCreate(to);
    return !a.empty() && !b.empty() && ::rename(a.c_str(), b.c_str()) == 0;
}

bool copyFile(std::string_view from, std::string_view to, bool overwrite) {
    if (!overwrite && fileExists(to)) return false;
    std::string data;
    return readWholeFile(from, data) && writeFileAtomically(to, data.data(), data.size());
}

std::string currentDirectory() {
    char buf[4096];
    return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string(".");
}

std::vector<DirEntry> listDirectory(std::string_view path) {
    std::vector<DirEntry> out;
    std::string p = hostRead(path);
    if (p.empty()) return out;
    DIR* d = ::opendir(p.c_str());
    if (!d) return out;
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st;
        std::string full = p + "/" + name;
        if (::stat(full.c_str(), &st) != 0) continue;  // dangling link
        DirEntry entry;
        entry.name = name;
        entry.isDirectory = S_ISDIR(st.st_mode);
        entry.size = static_cast<uint64_t>(st.st_size);
        entry.device = static_cast<uint64_t>(st.st_dev);
        entry.inode = static_cast<uint64_t>(st.st_ino);
        out.push_back(std::move(entry));
    }
    ::closedir(d);
    std::sort(out.begin(), out.end(),
              [](const DirEntry& a, const DirEntry& b) { return lessFoldedAscii(a.name, b.name); });
    return out;
}

bool readWholeFile(std::string_view path, std::string& out) {
    File f;
    return f.open(path, File::Mode::Read) && readRemaining(f, out);
}

bool readRemaining(File& file, std::string& out) {
    auto size = file.size();
    if (!size) return false;
    const uint64_t at = static_cast<uint64_t>(std::max<int64_t>(file.tell(), 0));
    out.resize(*size > at ? *size - at : 0);
    size_t got = 0;
    bool failed = false;
    while (got < out.size()) {
        int64_t n = file.read(out.data() + got, out.size() - got);
        failed = n < 0;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    out.resize(got);
    return !failed;
}

bool writeFileAtomically(std::string_view path, const void* data, size_t size) {
    ReplacingFile out;
    if (!out.open(path)) return false;
    if (size > 0 && out.file().write(data, size) != static_cast<int64_t>(size)) return false;
    return out.commit();
}

ReplacingFile::~ReplacingFile() { abort(); }

bool ReplacingFile::open(std::string_view path) {
    abort();
    std::string target = hostCreate(path);
    if (target.empty()) return false;
    removeStaleTemporaries(target);
    static std::atomic<unsigned> counter{0};
    std::string temp = tempName(target, static_cast<long>(::getpid()), counter++);
    if (!file_.open(temp, File::Mode::Write)) return false;
    target_ = std::move(target);
    temp_ = std::move(temp);
    return true;
}

bool ReplacingFile::commit() {
    if (temp_.empty() || !file_.isOpen()) return false;
    // On disk before it replaces the old file, so a crash in between leaves the old file.
    bool ok = file_.sync();
    ok = file_.close() && ok;
    struct stat old;
    if (ok && ::stat(target_.c_str(), &old) == 0) ::chmod(temp_.c_str(), old.st_mode & 07777);
    ok = ok && ::rename(temp_.c_str(), target_.c_str()) == 0;
    if (!ok) ::unlink(temp_.c_str());
    // The rename lives in the folder: synced, a completed save survives a power loss.
    if (ok && !syncFolderOf(target_)) {
        log("ERROR", "platform::ReplacingFile: cannot sync the folder of " + target_);
        ok = false;
    }
    temp_.clear();
    target_.clear();
    return ok;
}

void ReplacingFile::abort() {
    if (temp_.empty()) return;
    file_.closeOrWarn();
    ::unlink(temp_.c_str());
    temp_.clear();
    target_.clear();
}

File::~File() { closeOrWarn(); }

File::File(File&& other) noexcept : fd_(other.fd_), hostPath_(std::move(other.hostPath_)) { other.fd_ = -1; }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        closeOrWarn();
        fd_ = other.fd_;
        hostPath_ = std::move(other.hostPath_);
        other.fd_ = -1;
    }
    return *this;
}

bool File::open(std::string_view path, Mode mode) {
    closeOrWarn();
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::Read: flags |= O_RDONLY; break;
        case Mode::Write: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
        case Mode::Append: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
        case Mode::ReadWrite: flags |= O_RDWR | O_CREAT; break;
    }
    std::string p = mode == Mode::Read ? hostRead(path) : hostCreate(path);
    if (p.empty()) return false;
    fd_ = ::open(p.c_str(), flags, 0644);
    if (fd_ < 0) return false;
    struct stat st;
    if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd_);  // a folder: nothing was read or written
        fd_ = -1;
        return false;
    }
    hostPath_ = std::move(p);
    return true;
}

int64_t File::read(void* buffer, size_t size) {
    if (fd_ < 0) return -1;
    for (;;) {
        ssize_t n = ::read(fd_, buffer, size);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

int64_t File::write(const void* data, size_t size) {
    if (fd_ < 0) return -1;
    const char* p = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd_, p + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return done ? static_cast<int64_t>(done) : -1;
        }
        done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
}

bool File::seek(int64_t offset, int whence) {
    if (fd_ < 0) return false;
    int w = whence == 1 ? SEEK_CUR : whence == 2 ? SEEK_END : SEEK_SET;
    return ::lseek(fd_, offset, w) >= 0;
}

int64_t File::tell() const { return fd_ < 0 ? -1 : ::lseek(fd_, 0, SEEK_CUR); }

std::optional<uint64_t> File::size() const {
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

bool File::sync() { return fd_ >= 0 && ::fsync(fd_) == 0; }

bool File::close() {
    if (fd_ < 0) return true;
    int rc = ::close(fd_);
    fd_ = -1;
    hostPath_.clear();
    return rc == 0;
}

void File::closeOrWarn() {
    const std::string path = hostPath_;
    if (!close()) log("WARNING", "platform::File: closing " + path + " failed");
}

}  // namespace platform
