#include "flash/base/ref_counted.h"

#include <gtest/gtest.h>

#include "flash/base/array.h"
#include "flash/base/hash.h"
#include "flash/base/smart_ptr.h"

using flash::gc_ptr;
using flash::weak_ptr;

namespace {

struct tracked : flash::ref_counted {
    explicit tracked(int* deaths) : m_deaths(deaths) {}
    ~tracked() override { ++*m_deaths; }
    int* m_deaths;
};

struct derived : tracked {
    using tracked::tracked;
};

TEST(RefCounted, GcPtrHoldsAndReleases) {
    int deaths = 0;
    tracked* raw = new tracked(&deaths);
    EXPECT_EQ(raw->get_ref_count(), 0);
    {
        gc_ptr<tracked> a(raw);
        EXPECT_EQ(raw->get_ref_count(), 1);
        gc_ptr<tracked> b = a;
        EXPECT_EQ(raw->get_ref_count(), 2);
        b = raw;  // same object: nothing changes
        EXPECT_EQ(raw->get_ref_count(), 2);
        a = nullptr;
        EXPECT_EQ(raw->get_ref_count(), 1);
        EXPECT_EQ(deaths, 0);
        // Assigning an object kept alive only by the old one.
        gc_ptr<tracked> holder(new tracked(&deaths));
        holder = holder.get_ptr();
        EXPECT_EQ(holder->get_ref_count(), 1);
        gc_ptr<tracked> moved(std::move(holder));
        EXPECT_EQ(holder.get_ptr(), nullptr);
        EXPECT_EQ(moved->get_ref_count(), 1);
    }
    EXPECT_EQ(deaths, 2);

    gc_ptr<derived> d(new derived(&deaths));
    gc_ptr<tracked> base = d;
    flash::smart_ptr<tracked> alias = base;
    EXPECT_EQ(d->get_ref_count(), 3);
    EXPECT_TRUE(base == alias);
}

TEST(RefCounted, WeakPtrReadsNullAfterTheObjectDies) {
    int deaths = 0;
    weak_ptr<tracked> w1;
    weak_ptr<tracked> w2;
    {
        gc_ptr<tracked> strong(new tracked(&deaths));
        w1 = strong;
        w2 = w1;
        flash::weak_proxy* proxy = strong->get_weak_proxy();
        EXPECT_EQ(proxy->get_ref_count(), 3);  // the object's own count and two weak pointers
        EXPECT_EQ(w1.get_ptr(), strong.get_ptr());
        EXPECT_TRUE(w2 == strong.get_ptr());
        w2 = strong.get_ptr();  // same proxy: no extra count
        EXPECT_EQ(proxy->get_ref_count(), 3);
    }
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(w1.get_ptr(), nullptr);  // releases its count on the dead proxy
    EXPECT_TRUE(w2 == nullptr);        // the last one: the proxy is freed (LeakSanitizer checks)
    EXPECT_EQ(w1.get_ptr(), nullptr);

    // A weak pointer that outlives its object without ever being read frees the proxy on its end.
    auto* leftover = new weak_ptr<tracked>;
    {
        gc_ptr<tracked> strong(new tracked(&deaths));
        *leftover = strong;
    }
    delete leftover;
    EXPECT_EQ(deaths, 2);
}

TEST(RefCounted, CopiesGetTheirOwnCountAndProxy) {
    int deaths = 0;
    gc_ptr<tracked> a(new tracked(&deaths));
    weak_ptr<tracked> wa(a);
    gc_ptr<tracked> b(new tracked(*a));
    EXPECT_EQ(b->get_ref_count(), 1);
    EXPECT_NE(b->get_weak_proxy(), a->get_weak_proxy());
    a = nullptr;
    EXPECT_EQ(wa.get_ptr(), nullptr);
    EXPECT_EQ(deaths, 1);
}

TEST(RefCounted, ContainersHoldAndReleaseCountedObjects) {
    int deaths = 0;
    {
        // Counted keys, as in the object heap with its garbage flags.
        flash::hash<gc_ptr<tracked>, bool> heap;
        flash::array<gc_ptr<tracked>> list;
        for (int i = 0; i < 40; ++i) {
            gc_ptr<tracked> object(new tracked(&deaths));
            heap.add(object, true);
            list.push_back(object);
        }
        EXPECT_EQ(list[0]->get_ref_count(), 2);
        heap.set(list[0], false);
        bool flag = true;
        ASSERT_TRUE(heap.get(list[0], &flag));
        EXPECT_FALSE(flag);
        list.clear();
        EXPECT_EQ(deaths, 0);
        for (auto it = heap.begin(); it != heap.end();) {
            auto doomed = it;
            ++it;
            if (doomed.get_value()) heap.erase(doomed);
        }
        EXPECT_EQ(deaths, 39);
        EXPECT_EQ(heap.size(), 1);
    }
    EXPECT_EQ(deaths, 40);
}

}  // namespace
