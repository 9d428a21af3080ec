#pragma once
// Records which files and folders are synced to disk, to test that saves make themselves durable.
// This replaces the C library's fsync() for the whole test program: include it in exactly one
// source file of that program. Every call still syncs.
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>
#include <utility>
#include <vector>

namespace testsupport {

inline std::mutex g_fsyncLock;
inline std::vector<std::pair<dev_t, ino_t>> g_fsynced;  // device and inode of each synced file

// Forgets the syncs recorded so far.
inline void clearFsyncRecord() {
    std::lock_guard<std::mutex> guard(g_fsyncLock);
    g_fsynced.clear();
}

// How often the file or folder at `path` was synced since the record was cleared.
inline int fsyncCount(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    std::lock_guard<std::mutex> guard(g_fsyncLock);
    int count = 0;
    for (const auto& [device, inode] : g_fsynced) count += device == st.st_dev && inode == st.st_ino;
    return count;
}

}  // namespace testsupport

extern "C" int fsync(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) == 0) {
        std::lock_guard<std::mutex> guard(testsupport::g_fsyncLock);
        testsupport::g_fsynced.emplace_back(st.st_dev, st.st_ino);
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}
