#include "core/thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/native_thread.h"

namespace Tov {

struct Thread::State {
    std::mutex lock;
    std::condition_variable done;
    bool started = false;
    bool finished = false;
    uint32_t exitCode = 0;
    int priority = 0;
    platform::NativeThread native;
};

Thread::Thread() : m_state(std::make_shared<State>()) {}

Thread::~Thread() {
    // Joins a running thread; when `run` deletes its own object, NativeThread detaches instead.
    State& s = *m_state;
    if (s.native.joinable()) {
        if (s.native.isCurrentThread())
            s.native.detach();
        else
            s.native.join();
    }
}

bool Thread::start() {
    State& s = *m_state;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.started && !s.finished) return false;
    }
    if (s.native.joinable()) s.native.join();  // the earlier run has returned
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.started = true;
        s.finished = false;
        s.exitCode = kStillActive;
    }
    std::shared_ptr<State> state = m_state;
    bool ok = s.native.start([this, state] {
        uint32_t code = run();  // may delete this; only `state` is touched afterwards
        std::lock_guard<std::mutex> guard(state->lock);
        state->exitCode = code;
        state->finished = true;
        state->done.notify_all();
    });
    if (!ok) {
        std::lock_guard<std::mutex> guard(s.lock);
        s.started = false;
    }
    return ok;
}

int Thread::getPriority() const {
    std::lock_guard<std::mutex> guard(m_state->lock);
    return m_state->started ? m_state->priority : -1;
}

bool Thread::setPriority(int priority) {
    std::lock_guard<std::mutex> guard(m_state->lock);
    if (!m_state->started) return false;
    m_state->priority = priority;  // a hint only: normal-policy threads have no priorities here
    return true;
}

bool Thread::resume() {
    std::lock_guard<std::mutex> guard(m_state->lock);
    return m_state->started;  // threads start running, never suspended
}

bool Thread::terminate() { return false; }

uint32_t Thread::getExitCode() const {
    std::lock_guard<std::mutex> guard(m_state->lock);
    if (!m_state->started) return 0xFFFFFFFFu;
    return m_state->finished ? m_state->exitCode : kStillActive;
}

bool Thread::isFinished() const {
    std::lock_guard<std::mutex> guard(m_state->lock);
    return !m_state->started || m_state->finished;
}

bool Thread::wait(int timeoutMs) const {
    std::unique_lock<std::mutex> guard(m_state->lock);
    auto isDone = [this] { return !m_state->started || m_state->finished; };
    if (timeoutMs < 0) {
        m_state->done.wait(guard, isDone);
        return true;
    }
    return m_state->done.wait_for(guard, std::chrono::milliseconds(timeoutMs), isDone);
}

}  // namespace Tov
