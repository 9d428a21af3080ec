#pragma once
// An operating-system thread. Threads are never killed: owners join them.
#include <functional>

namespace platform {

class NativeThread {
public:
    NativeThread() = default;
    ~NativeThread();  // joins a joinable thread unless called on that thread itself (then detaches)
    NativeThread(const NativeThread&) = delete;
    NativeThread& operator=(const NativeThread&) = delete;

    bool start(std::function<void()> body);
    bool joinable() const { return started_; }
    void join();
    void detach();
    bool isCurrentThread() const;
    unsigned id() const { return id_; }

    // Called at the start of every thread this layer starts (the crash reporter installs its
    // alternate signal stack there).
    using StartHook = void (*)();
    static void setStartHook(StartHook hook);

private:
    unsigned long handle_ = 0;  // pthread_t
    unsigned id_ = 0;
    bool started_ = false;
};

}  // namespace platform
