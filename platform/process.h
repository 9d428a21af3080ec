#pragma once
// What a program needs of its process beyond files and clocks: one running copy per user, the
// close signals, the per-user data folder and opening a page in the user's browser.
#include <optional>
#include <string>

namespace platform {

// The lock that keeps a second copy of the game from running: an exclusive, non-blocking lock on
// "$XDG_RUNTIME_DIR/<name>.lock" (else "/tmp/<name>-<uid>.lock"), held until release or the end of
// the process (the kernel drops it when the process dies, also of a crash or SIGKILL).
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    enum class Result { Acquired, HeldElsewhere, Failed };
    Result acquire(const std::string& name);
    void release();
    bool held() const { return m_fd >= 0; }
    // The lock file's path for a name (for tests and messages).
    static std::string pathFor(const std::string& name);

private:
    int m_fd = -1;
};

// SIGINT and SIGTERM stop being fatal: each sets a flag that the message pump turns into a close
// of the window, so the normal shutdown runs.
void installCloseSignals();
// Takes the flag: true once per received close signal (or batch of them).
bool takeCloseRequest();
// Sets the flag as a signal would (tests).
void raiseCloseRequest();

// "$XDG_DATA_HOME", else "$HOME/.local/share"; none when neither variable is set (or empty).
std::optional<std::string> userDataFolder();

// Starts "xdg-open URL" (no shell) without waiting for it; false when it cannot be started.
[[nodiscard]] bool openInBrowser(const std::string& url);
// The program used by openInBrowser; tests point it at something harmless.
void setBrowserProgram(const std::string& program);

}  // namespace platform
