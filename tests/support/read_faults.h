#pragma once
// Makes reads of one chosen file fail as a bad disk would (EIO), to test how readers handle it.
// This replaces the C library's read() for the whole test program: include it in exactly one
// source file of that program. Reads of every other file go straight to the system.
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>

namespace testsupport {

inline std::atomic<bool> g_readFaultArmed{false};
inline dev_t g_readFaultDevice = 0;
inline ino_t g_readFaultInode = 0;

// While it lives, every read of the file at `path` fails with EIO.
class FailingReads {
public:
    explicit FailingReads(const std::filesystem::path& path) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return;
        g_readFaultDevice = st.st_dev;
        g_readFaultInode = st.st_ino;
        g_readFaultArmed = true;
    }
    ~FailingReads() { g_readFaultArmed = false; }
    FailingReads(const FailingReads&) = delete;
    FailingReads& operator=(const FailingReads&) = delete;
};

}  // namespace testsupport

extern "C" ssize_t read(int fd, void* buffer, size_t size) {
    if (testsupport::g_readFaultArmed) {
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_dev == testsupport::g_readFaultDevice &&
            st.st_ino == testsupport::g_readFaultInode) {
            errno = EIO;
            return -1;
        }
    }
    return ::syscall(SYS_read, fd, buffer, size);
}
