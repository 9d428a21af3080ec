#include "flash/base/membuf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "flash/base/bx_string.h"
#include "flash/base/log.h"

using flash::membuf;

namespace {

TEST(Membuf, CapacityMovesInSteps) {
    membuf b;
    EXPECT_EQ(b.capacity(), 0);
    ASSERT_TRUE(b.resize(1));
    EXPECT_EQ(b.capacity(), 4096);
    ASSERT_TRUE(b.resize(4097));
    EXPECT_EQ(b.capacity(), 8192);
    ASSERT_TRUE(b.resize(0));
    EXPECT_EQ(b.size(), 0);
    EXPECT_EQ(b.capacity(), 4096);
    EXPECT_NE(b.data(), nullptr);
}

TEST(Membuf, Appends) {
    membuf b;
    ASSERT_TRUE(b.append("abc", 3));
    ASSERT_TRUE(b.append(flash::bx_string("defghijklmnopqrstuvwxyz")));
    membuf other;
    other.append("!", 1);
    ASSERT_TRUE(b.append(other));
    ASSERT_TRUE(b.append(b.data(), 3));  // a piece of itself
    EXPECT_EQ(std::string(static_cast<const char*>(b.data()), b.size()), "abcdefghijklmnopqrstuvwxyz!abc");
    EXPECT_TRUE(b.append("x", 0));
    EXPECT_FALSE(b.append("x", -5));
    EXPECT_EQ(b.size(), 30);
}

TEST(Membuf, ReadOnlyBufferNeverGrowsNorFrees) {
    flash::log_callback previous = flash::get_log_callback();
    flash::register_log_callback(nullptr);
    char caller[8] = "fixed";
    {
        membuf b(caller, 5);
        EXPECT_TRUE(b.is_read_only());
        EXPECT_EQ(b.data(), caller);
        EXPECT_FALSE(b.resize(6));
        EXPECT_FALSE(b.append("x", 1));
        EXPECT_TRUE(b.resize(3));
        EXPECT_EQ(b.size(), 3);
    }
    EXPECT_STREQ(caller, "fixed");  // still the caller's memory (ASan would flag a free)
    membuf huge;
    EXPECT_FALSE(huge.resize(-1));
    EXPECT_FALSE(huge.resize(0x7FFFFFFF));
    flash::register_log_callback(previous);
}

}  // namespace
