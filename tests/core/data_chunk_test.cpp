#include "core/data_chunk.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

TEST(DataChunk, OwningConstructorsAllocateAndFill) {
    Tov::DataChunk empty;
    EXPECT_EQ(empty.data(), nullptr);
    EXPECT_EQ(empty.size(), 0u);

    Tov::DataChunk filled(5, 0xAB);
    ASSERT_NE(filled.data(), nullptr);
    EXPECT_EQ(filled.size(), 5u);
    EXPECT_TRUE(filled.ownsData());
    for (uint32_t i = 0; i < 5; ++i) EXPECT_EQ(filled.data()[i], 0xAB);

    const char text[] = "abc";
    Tov::DataChunk copy(text, 3);
    ASSERT_NE(copy.data(), nullptr);
    EXPECT_NE(static_cast<const void*>(copy.data()), static_cast<const void*>(text));
    EXPECT_EQ(std::memcmp(copy.data(), "abc", 3), 0);
}

TEST(DataChunk, CopiesOwningDeeplyAndSharesBorrowed) {
    Tov::DataChunk owner("xyz", 3);
    Tov::DataChunk deep(owner);
    EXPECT_NE(deep.data(), owner.data());
    EXPECT_EQ(std::memcmp(deep.data(), "xyz", 3), 0);

    uint8_t outside[4] = {1, 2, 3, 4};
    {
        Tov::DataChunk borrowed = Tov::DataChunk::borrow(outside, 4);
        Tov::DataChunk shared(borrowed);
        EXPECT_EQ(shared.data(), outside);
        EXPECT_FALSE(shared.ownsData());
        Tov::DataChunk assigned(2, 0);
        assigned = borrowed;  // frees its own two bytes, then shares
        EXPECT_EQ(assigned.data(), outside);
    }
    // Destroying the borrowing copies freed nothing (ASan would report a bad free otherwise).
    EXPECT_EQ(outside[3], 4);

    Tov::DataChunk self(3, 7);
    uint8_t* before = self.data();
    self = *&self;
    EXPECT_EQ(self.data(), before);
    EXPECT_EQ(self.data()[2], 7);

    deep = owner;
    EXPECT_NE(deep.data(), owner.data());
    EXPECT_EQ(std::memcmp(deep.data(), "xyz", 3), 0);
}

TEST(DataChunk, ImpossibleSizeGivesAnEmptyChunk) {
    Tov::DataChunk huge(static_cast<uint32_t>(INT_MAX) + 1u, 0);
    EXPECT_EQ(huge.data(), nullptr);
    EXPECT_EQ(huge.size(), 0u);
}

}  // namespace
