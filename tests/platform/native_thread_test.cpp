#include "platform/native_thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

std::atomic<int> g_hookCalls{0};
void countingHook() { ++g_hookCalls; }

TEST(NativeThread, RunsBodyAndStartHookThenJoinsOnDestruction) {
    platform::NativeThread::setStartHook(&countingHook);
    std::atomic<int> ran{0};
    {
        platform::NativeThread t;
        ASSERT_TRUE(t.start([&] { ++ran; }));
        EXPECT_FALSE(t.start([] {}));  // one thread per object at a time
    }
    platform::NativeThread::setStartHook(nullptr);
    EXPECT_EQ(ran.load(), 1);
    EXPECT_GE(g_hookCalls.load(), 1);
}

}  // namespace
