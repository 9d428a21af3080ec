#include "core/shared_ptr.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct Counted {
    static inline int alive = 0;
    static inline int destroyed = 0;
    Counted() { ++alive; }
    virtual ~Counted() {
        --alive;
        ++destroyed;
    }
};
struct Derived : Counted {};

TEST(SharedPtr, AssignmentRules) {
    Counted::destroyed = 0;
    SharedPtr<Counted> a(new Counted);
    SharedPtr<Counted>& self = a;
    a = self;
    EXPECT_EQ(a.useCount(), 1);
    SharedPtr<Counted> b(a);
    b = a;  // same object: count unchanged
    EXPECT_EQ(a.useCount(), 2);
    b = SharedPtr<Counted>();
    EXPECT_TRUE(b.isNull());
    EXPECT_EQ(b.countCell(), nullptr);
    EXPECT_EQ(a.useCount(), 1);
    a = SharedPtr<Counted>();  // last holder: destroyed exactly once
    EXPECT_EQ(Counted::destroyed, 1);
    EXPECT_EQ(Counted::alive, 0);
}

TEST(SharedPtr, EmptyCopiesAllocateNothing) {
    SharedPtr<Counted> empty(nullptr);
    SharedPtr<Counted> copy(empty);
    EXPECT_EQ(copy.countCell(), nullptr);
    EXPECT_TRUE(copy == SharedPtr<Counted>::empty());
    EXPECT_FALSE(static_cast<bool>(copy));
}

TEST(SharedPtr, BasePointerSharesCountAndDestroysThroughVirtualDestructor) {
    Counted::destroyed = 0;
    {
        SharedPtr<Derived> d(new Derived);
        SharedPtr<Counted> base(d);
        EXPECT_EQ(d.useCount(), 2);
        SharedPtr<Counted> other(new Counted);
        other.swap(base);
        EXPECT_EQ(d.useCount(), 2);
    }
    EXPECT_EQ(Counted::destroyed, 2);
    EXPECT_EQ(Counted::alive, 0);
}

TEST(SharedPtr, ExactCountsUnderConcurrentCopying) {
    Counted::destroyed = 0;
    SharedPtr<Counted> shared(new Counted);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&shared] {
            for (int i = 0; i < 20000; ++i) {
                SharedPtr<Counted> copy(shared);
                SharedPtr<Counted> another;
                another = copy;
            }
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(shared.useCount(), 1);
    EXPECT_EQ(Counted::destroyed, 0);
    shared.reset();
    EXPECT_EQ(Counted::destroyed, 1);
}

}  // namespace
