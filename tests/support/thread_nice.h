#pragma once
// The scheduling nice value of the calling thread (Linux keeps one per thread).
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

namespace testsupport {

inline int currentThreadNice() {
    errno = 0;
    return ::getpriority(PRIO_PROCESS, 0);  // 0: the calling thread
}

// The nice value of the process's main thread, from which every thread starts.
inline int processNice() {
    errno = 0;
    return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::getpid()));
}

}  // namespace testsupport
