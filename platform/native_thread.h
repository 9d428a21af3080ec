#pragma once
// An operating-system thread. Threads are never killed: owners join them.
#include <atomic>
#include <functional>

namespace platform {

class NativeThread {
public:
    NativeThread() = default;
    ~NativeThread();  // joins a joinable thread unless called on that thread itself (then detaches)
    NativeThread(const NativeThread&) = delete;
    NativeThread& operator=(const NativeThread&) = delete;

    [[nodiscard]] bool start(std::function<void()> body);
    bool joinable() const { return started_; }
    void join();
    void detach();
    bool isCurrentThread() const;
    unsigned id() const { return id_; }

    // Sets the thread's scheduling nice value to the process's own plus `offset` (clamped to the
    // system's range, -20 to 19); waits until the new thread has begun. Linux lets any thread
    // raise its nice value (lower its priority); lowering it again needs CAP_SYS_NICE or a nice
    // limit (RLIMIT_NICE), and without them the call is refused. Only while the thread's body
    // runs: an ended thread's id may already belong to another. False when refused or not started.
    [[nodiscard]] bool setNiceOffset(int offset);

    // Called at the start of every thread this layer starts (the crash reporter installs its
    // alternate signal stack there).
    using StartHook = void (*)();
    static void setStartHook(StartHook hook);

private:
    unsigned long handle_ = 0;  // pthread_t
    unsigned id_ = 0;
    bool started_ = false;
    std::atomic<long> systemId_{0};  // the kernel's thread id, set by the thread as it begins
};

}  // namespace platform
