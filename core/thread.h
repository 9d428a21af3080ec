#pragma once
// The operating-system thread object that the loaders derive from. `start` runs the subclass's
// `run` at once on a new thread; its result becomes the exit code. Threads are never killed:
// destroying a running thread object waits for it. A subclass whose `run` uses its own members
// calls `wait()` in its destructor, before those members go away.
#include <cstdint>
#include <memory>

namespace Tov {

class Thread {
public:
    static constexpr uint32_t kStillActive = 259;

    Thread();
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // False while a thread started earlier still runs, or when none could be created. In a
    // reproducible run (platform::reproducibleThreads) it returns once `run` has returned.
    bool start();
    // The Windows priority last set (0, normal, at first); -1 when never started.
    int getPriority() const;
    // Takes a Windows thread priority (-15, -2, -1, 0, 1, 2, 15) and sets the thread's nice value
    // to match while `run` runs. Linux lets a thread lower its priority; raising it (also back
    // after lowering) needs CAP_SYS_NICE, and without it the call is refused (false, logged) and
    // the priority stays. False for other values, and when never started or `run` has returned.
    bool setPriority(int priority);
    bool resume();
    // Killing a thread would leave its locks and allocations behind: always false, nothing happens.
    bool terminate();
    // 0xFFFFFFFF when never started; 259 while running; afterwards the value `run` returned.
    uint32_t getExitCode() const;
    // True when never started or `run` has returned (also when it returned 259).
    bool isFinished() const;
    // Waits until `run` has returned, at most timeoutMs (negative: without limit); true when it has.
    bool wait(int timeoutMs = -1) const;

protected:
    virtual uint32_t run() = 0;

private:
    struct State;
    std::shared_ptr<State> m_state;  // shared with the running thread, so `run` may delete this
};

}  // namespace Tov
