#include "flash/base/array.h"

#include <gtest/gtest.h>

#include "flash/base/bx_string.h"

using flash::array;

namespace {

TEST(Array, CapacityFollowsTheGrowthRule) {
    array<int> a;
    EXPECT_EQ(a.capacity(), 0);
    EXPECT_EQ(a.data(), nullptr);
    a.resize(1);
    EXPECT_EQ(a.capacity(), 1);
    EXPECT_EQ(a[0], 0);
    a.resize(2);
    EXPECT_EQ(a.capacity(), 3);
    a.resize(10);
    EXPECT_EQ(a.capacity(), 15);
    for (int i = 0; i < 10; ++i) a[i] = i;
    const int* kept = a.data();
    a.resize(8);
    EXPECT_EQ(a.capacity(), 15);
    EXPECT_EQ(a.data(), kept);
    a.resize(7);
    EXPECT_EQ(a.capacity(), 10);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(a[i], i);
    a.resize(0);
    EXPECT_EQ(a.capacity(), 0);
    EXPECT_EQ(a.data(), nullptr);
}

TEST(Array, ElementsAreConstructedMovedAndDestroyed) {
    array<flash::bx_string> names;
    for (int i = 0; i < 50; ++i) names.push_back(flash::bx_string::format("a rather long name %d", i));
    names.push_back(names[0]);  // an element of itself, across a reallocation
    EXPECT_EQ(names.size(), 51);
    EXPECT_EQ(names[50], "a rather long name 0");
    names.remove(0);
    EXPECT_EQ(names[0], "a rather long name 1");
    EXPECT_EQ(names.size(), 50);
    names.remove(99);  // out of range: nothing
    EXPECT_EQ(names.size(), 50);

    array<flash::bx_string> copy;
    copy = names;
    EXPECT_EQ(copy.size(), 50);
    EXPECT_EQ(copy.back(), "a rather long name 0");
    copy.resize(3);
    EXPECT_EQ(copy[2], "a rather long name 3");
    copy.pop_back();
    EXPECT_EQ(copy.size(), 2);
    names.clear();
    EXPECT_EQ(names.size(), 0);
}

TEST(Array, ImpossibleSizesAreRefused) {
    flash::log_callback previous = flash::get_log_callback();
    flash::register_log_callback(nullptr);
    array<double> a;
    a.resize(4);
    EXPECT_FALSE(a.resize(-1));
    EXPECT_FALSE(a.resize(0x7FFFFFFF));
    EXPECT_EQ(a.size(), 4);
    flash::register_log_callback(previous);
}

}  // namespace
