#include "platform/log_pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

std::string logPipePath() {
    const char* env = std::getenv("TOV_LOG_PIPE");
    return env && *env ? std::string(env) : std::string("/tmp/mypipe");
}

LogPipe::~LogPipe() { close(); }

bool LogPipe::openIfListening(const std::string& path) {
    close();
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISFIFO(st.st_mode)) return false;
    // A writer to a pipe whose reader has left would be killed by SIGPIPE: take the error instead.
    ::signal(SIGPIPE, SIG_IGN);
    // Non-blocking open fails with ENXIO when nobody reads: exactly "only if a viewer listens".
    int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);  // whole lines, in order, even when the reader lags
    fd_ = fd;
    return true;
}

bool LogPipe::write(const char* data, size_t size) {
    if (fd_ < 0) return false;
    while (size > 0) {
        ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            close();
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void LogPipe::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace platform
