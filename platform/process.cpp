#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/log_sink.h"

extern char** environ;

namespace platform {

namespace {

std::atomic<bool> s_closeRequested{false};
std::string s_browser = "xdg-open";

extern "C" void onCloseSignal(int) { s_closeRequested.store(true); }

const char* nonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

}  // namespace

std::string InstanceLock::pathFor(const std::string& name) {
    if (const char* runtime = nonEmptyEnv("XDG_RUNTIME_DIR")) return std::string(runtime) + "/" + name + ".lock";
    return "/tmp/" + name + "-" + std::to_string(::getuid()) + ".lock";
}

InstanceLock::~InstanceLock() { release(); }

InstanceLock::Result InstanceLock::acquire(const std::string& name) {
    if (m_fd >= 0) return Result::Acquired;
    const std::string path = pathFor(name);
    // Close-on-exec: a page opened in the browser must not keep the lock after we are gone.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        platform::log("ERROR", "InstanceLock: cannot open " + path + ": " + std::strerror(errno));
        return Result::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return Result::HeldElsewhere;
        platform::log("ERROR", "InstanceLock: cannot lock " + path + ": " + std::strerror(error));
        return Result::Failed;
    }
    m_fd = fd;
    return Result::Acquired;
}

void InstanceLock::release() {
    if (m_fd < 0) return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

void installCloseSignals() {
    struct sigaction action {};
    action.sa_handler = onCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

bool takeCloseRequest() { return s_closeRequested.exchange(false); }

void raiseCloseRequest() { s_closeRequested.store(true); }

std::optional<std::string> userDataFolder() {
    if (const char* data = nonEmptyEnv("XDG_DATA_HOME")) return std::string(data);
    if (const char* home = nonEmptyEnv("HOME")) return std::string(home) + "/.local/share";
    return std::nullopt;
}

void setBrowserProgram(const std::string& program) { s_browser = program; }

bool openInBrowser(const std::string& url) {
    std::string program = s_browser;
    std::string argument = url;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    // posix_spawnp reports a program that cannot be executed (glibc waits for the exec).
    if (::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
    // The opener hands the page on and ends; a quick look reaps it when it already has.
    int status = 0;
    ::waitpid(pid, &status, WNOHANG);
    return true;
}

}  // namespace platform
