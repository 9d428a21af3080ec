#include "core/thread.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <condition_variable>
#include <mutex>

#include "core/log_stream.h"
#include "platform/clock.h"
#include "platform/native_thread.h"

namespace Tov {
namespace {

// The Windows thread priorities and the nice values, relative to the process's, that stand for
// them (a higher nice value is a lower priority).
struct PriorityStep {
    int priority;
    int niceOffset;
};
constexpr PriorityStep kPrioritySteps[] = {
    {-15, 20},  // idle: the lowest there is
    {-2, 10},   // lowest
    {-1, 5},    // below normal
    {0, 0},     // normal
    {1, -5},    // above normal
    {2, -10},   // highest
    {15, -20},  // time critical: the highest there is
};

}  // namespace

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
        return false;
    }
    // In a reproducible run the result is there in the turn the thread starts, whatever the
    // machine's load, so the caller finds it at the same turn on every run. The wait goes through
    // the state's own copy, since `run` may delete this object.
    if (platform::reproducibleThreads()) {
        std::unique_lock<std::mutex> guard(state->lock);
        state->done.wait(guard, [&state] { return state->finished; });
    }
    return true;
}

int Thread::getPriority() const {
    std::lock_guard<std::mutex> guard(m_state->lock);
    return m_state->started ? m_state->priority : -1;
}

bool Thread::setPriority(int priority) {
    const auto step = std::find_if(std::begin(kPrioritySteps), std::end(kPrioritySteps),
                                   [priority](const PriorityStep& s) { return s.priority == priority; });
    if (step == std::end(kPrioritySteps)) return false;
    // Under the lock `run` has not returned, so the thread (and its id) is still there.
    std::lock_guard<std::mutex> guard(m_state->lock);
    if (!m_state->started || m_state->finished) return false;
    if (!m_state->native.setNiceOffset(step->niceOffset)) {
        LogLine("WARNING") << "Tov::Thread::setPriority" << ": priority " << priority
                           << " refused by the system (raising a thread's priority needs CAP_SYS_NICE)";
        return false;
    }
    m_state->priority = priority;
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
