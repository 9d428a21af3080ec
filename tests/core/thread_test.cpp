#include "core/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "platform/clock.h"
#include "tests/support/thread_nice.h"

namespace {

// A thread whose run waits until released, then returns a chosen code.
class GatedThread : public Tov::Thread {
public:
    explicit GatedThread(uint32_t code) : m_code(code) {}
    // A subclass waits for its own run before its members go away.
    ~GatedThread() override {
        release();
        wait();
    }
    void release() {
        std::lock_guard<std::mutex> g(m_lock);
        m_open = true;
        m_cv.notify_all();
    }
    std::atomic<bool> finishedRun{false};

protected:
    uint32_t run() override {
        std::unique_lock<std::mutex> g(m_lock);
        m_cv.wait(g, [this] { return m_open; });
        finishedRun = true;
        return m_code;
    }

private:
    uint32_t m_code;
    std::mutex m_lock;
    std::condition_variable m_cv;
    bool m_open = false;
};

class SelfDeletingThread : public Tov::Thread {
public:
    explicit SelfDeletingThread(std::atomic<bool>& flag) : m_flag(flag) {}
    ~SelfDeletingThread() override { m_flag = true; }

protected:
    uint32_t run() override {
        delete this;
        return 3;
    }

private:
    std::atomic<bool>& m_flag;
};

struct Case {
    const char* name;
    std::function<void()> check;
};

TEST(Thread, Lifecycle) {
    const Case cases[] = {
        {"never started",
         [] {
             GatedThread t(0);
             EXPECT_TRUE(t.isFinished());
             EXPECT_EQ(t.getExitCode(), 0xFFFFFFFFu);
             EXPECT_FALSE(t.setPriority(1));
             EXPECT_FALSE(t.resume());
             EXPECT_FALSE(t.terminate());
             EXPECT_EQ(t.getPriority(), -1);
         }},
        {"run returns 7",
         [] {
             GatedThread t(7);
             ASSERT_TRUE(t.start());
             t.release();
             ASSERT_TRUE(t.wait(20000));
             EXPECT_EQ(t.getExitCode(), 7u);
             EXPECT_TRUE(t.isFinished());
             EXPECT_TRUE(t.start());  // a finished thread may run again
         }},
        {"still running",
         [] {
             GatedThread t(1);
             ASSERT_TRUE(t.start());
             EXPECT_EQ(t.getExitCode(), 259u);
             EXPECT_FALSE(t.isFinished());
             EXPECT_FALSE(t.start());  // not while running
             EXPECT_TRUE(t.setPriority(-1));
             EXPECT_EQ(t.getPriority(), -1);
             EXPECT_FALSE(t.terminate());  // nothing ever kills a thread
             t.release();
         }},
        {"run returns 259",
         [] {
             GatedThread t(259);
             ASSERT_TRUE(t.start());
             t.release();
             ASSERT_TRUE(t.wait(20000));
             EXPECT_TRUE(t.isFinished());
             EXPECT_EQ(t.getExitCode(), 259u);
         }},
        {"destroyed while running is joined",
         [] {
             auto* t = new GatedThread(0);
             ASSERT_TRUE(t->start());
             delete t;  // the destructor releases the gate and waits
         }},
        {"self-deleting",
         [] {
             std::atomic<bool> deleted{false};
             auto* t = new SelfDeletingThread(deleted);
             ASSERT_TRUE(t->start());
             for (int i = 0; i < 20000 && !deleted; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
             EXPECT_TRUE(deleted);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.check();
    }
}

// A gated thread that notes its own nice value when released.
class NiceProbe : public GatedThread {
public:
    NiceProbe() : GatedThread(0) {}
    ~NiceProbe() override {
        release();
        wait();
    }
    int nice = 1000;

protected:
    uint32_t run() override {
        const uint32_t code = GatedThread::run();
        nice = testsupport::currentThreadNice();
        return code;
    }
};

// Lowering is what Linux allows every thread: the thread's nice value rises with it. Raising
// needs a privilege; without it the call is refused and nothing changes.
TEST(Thread, PriorityChangesTheThreadsNiceValue) {
    const int base = testsupport::processNice();
    auto clampNice = [](int n) { return n < -20 ? -20 : n > 19 ? 19 : n; };
    const struct {
        int priority;  // the Windows thread priority asked for
        int niceOffset;
    } lowering[] = {{0, 0}, {-1, 5}, {-2, 10}, {-15, 20}}, raising[] = {{1, -5}, {2, -10}, {15, -20}};
    for (const auto& c : lowering) {
        NiceProbe t;
        ASSERT_TRUE(t.start());
        EXPECT_TRUE(t.setPriority(c.priority)) << c.priority;
        EXPECT_EQ(t.getPriority(), c.priority);
        t.release();
        ASSERT_TRUE(t.wait(20000));
        EXPECT_EQ(t.nice, clampNice(base + c.niceOffset)) << c.priority;
    }
    for (const auto& c : raising) {
        NiceProbe t;
        ASSERT_TRUE(t.start());
        const bool raised = t.setPriority(c.priority);
        EXPECT_EQ(t.getPriority(), raised ? c.priority : 0);
        t.release();
        ASSERT_TRUE(t.wait(20000));
        EXPECT_EQ(t.nice, raised ? clampNice(base + c.niceOffset) : base) << c.priority;
    }
    NiceProbe t;
    ASSERT_TRUE(t.start());
    EXPECT_FALSE(t.setPriority(7));  // no such priority
    t.release();
    ASSERT_TRUE(t.wait(20000));
    EXPECT_FALSE(t.setPriority(-1));  // the thread has ended
    EXPECT_EQ(t.nice, base);
}

// A thread that takes a while (real time: the clock of reproducible runs does not move for it).
class SlowThread : public Tov::Thread {
public:
    ~SlowThread() override { wait(); }
    std::atomic<bool> finishedRun{false};

protected:
    uint32_t run() override {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        finishedRun = true;
        return 4;
    }
};

// In a reproducible run a loader's result is there in the turn it was started, however slowly the
// machine runs the thread; otherwise the starter goes on at once.
TEST(Thread, InAReproducibleRunStartReturnsOnceRunHasReturned) {
    platform::useReproducibleThreads(true);
    {
        SlowThread t;
        ASSERT_TRUE(t.start());
        EXPECT_TRUE(t.finishedRun);
        EXPECT_TRUE(t.isFinished());
        EXPECT_EQ(t.getExitCode(), 4u);
    }
    {
        std::atomic<bool> deleted{false};
        ASSERT_TRUE((new SelfDeletingThread(deleted))->start());
        EXPECT_TRUE(deleted);
    }
    platform::useReproducibleThreads(false);
    GatedThread gated(0);
    ASSERT_TRUE(gated.start());
    EXPECT_FALSE(gated.isFinished());
    gated.release();
}

}  // namespace
