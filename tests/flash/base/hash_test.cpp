#include "flash/base/hash.h"

#include <gtest/gtest.h>

#include <clocale>
#include <random>
#include <string>
#include <unordered_map>

#include "flash/base/array.h"

using flash::bx_string;
using flash::bx_stringi;
using flash::hash;

namespace {

// Keys whose hash is chosen by the test.
struct forced_key {
    int id;
    uint32_t forced;
    bool operator==(const forced_key& other) const { return id == other.id; }
};
struct forced_hash {
    uint32_t operator()(const forced_key& k) const { return k.forced; }
};
using forced_table = hash<forced_key, int, forced_hash>;

TEST(Hash, HashFunctions) {
    // 5381 * 33 ^ 'a' for one byte.
    EXPECT_EQ(flash::bx_string_hash()(bx_string("a")), (5381u * 33u) ^ 'a');
    // Bytes go from the last to the first.
    EXPECT_EQ(flash::bx_string_hash()(bx_string("ab")), (((5381u * 33u) ^ 'b') * 33u) ^ 'a');
    EXPECT_EQ(flash::bx_stringi_hash()(bx_stringi("AbC")), flash::bx_string_hash()(bx_string("abc")));
    const uint32_t key = 0x01020304;
    uint32_t expected = 5381;
    for (uint32_t b : {1u, 2u, 3u, 4u}) expected = expected * 65599 + b;
    EXPECT_EQ(flash::fixed_size_hash<uint32_t>()(key), expected);
    EXPECT_EQ(flash::bx_hash_bytes("ab", 2, 7), (((7u * 33u) ^ 'b') * 33u) ^ 'a');
}

TEST(Hash, EmptyTable) {
    hash<int, int> h;
    EXPECT_EQ(h.find_index(5), -1);
    EXPECT_EQ(h.size(), 0);
    EXPECT_TRUE(h.begin() == h.end());
    EXPECT_FALSE(h.get(5, nullptr));
}

TEST(Hash, GrowsWhenTheTwelfthEntryArrives) {
    hash<int, int> h;
    for (int i = 0; i < 11; ++i) h.add(i, i * 10);
    EXPECT_EQ(h.slot_count(), 16);
    h.add(11, 110);
    EXPECT_EQ(h.slot_count(), 32);
    for (int i = 0; i < 12; ++i) {
        int v = -1;
        ASSERT_TRUE(h.get(i, &v));
        EXPECT_EQ(v, i * 10);
    }
    h.set(3, 333);
    int v = 0;
    h.get(3, &v);
    EXPECT_EQ(v, 333);
    EXPECT_EQ(h.size(), 12);
    h.resize(100);
    EXPECT_EQ(h.slot_count(), 256);
    EXPECT_EQ(h.size(), 12);
}

TEST(Hash, TheReservedHashValueIsReplaced) {
    forced_table h;
    h.add({1, 0xFFFFFFFFu}, 7);
    const int index = h.find_index({1, 0xFFFFFFFFu});
    ASSERT_GE(index, 0);
    EXPECT_EQ(h.entry_at(index).hash_value, 0xFFFF7FFFu);
    EXPECT_EQ(index, static_cast<int>(0xFFFF7FFFu & 15));
    int count = 0;
    for (auto it = h.begin(); it != h.end(); ++it) ++count;
    EXPECT_EQ(count, 1);
}

TEST(Hash, ErasedChainHeadBecomesAReusedTombstone) {
    forced_table h;
    h.add({1, 5}, 10);  // natural slot 5
    h.add({2, 5}, 20);  // same chain: becomes the head, the first moves on
    const int head = h.find_index({2, 5});
    EXPECT_EQ(head, 5);
    h.erase(h.find({2, 5}));
    EXPECT_EQ(h.size(), 1);
    EXPECT_TRUE(h.entry_at(5).is_tombstone());
    int v = 0;
    EXPECT_TRUE(h.get({1, 5}, &v));
    EXPECT_EQ(v, 10);
    for (auto it = h.begin(); it != h.end(); ++it) EXPECT_EQ(it.get_value(), 10);

    h.add({3, 5 + 16 * 4}, 30);  // natural slot 5 again: reuses the tombstone
    EXPECT_EQ(h.find_index({3, 5 + 16 * 4}), 5);
    EXPECT_TRUE(h.get({1, 5}, &v));
    EXPECT_TRUE(h.get({3, 5 + 16 * 4}, &v));
    EXPECT_EQ(v, 30);
}

TEST(Hash, AnOccupantOfAnotherChainMovesAside) {
    forced_table h;
    h.add({1, 3}, 1);
    h.add({2, 3}, 2);  // chain 3 spills into slot 4
    EXPECT_EQ(h.find_index({1, 3}), 4);
    h.add({3, 4}, 3);  // slot 4's occupant belongs to chain 3: it moves, the new key takes slot 4
    EXPECT_EQ(h.find_index({3, 4}), 4);
    int v = 0;
    EXPECT_TRUE(h.get({1, 3}, &v));
    EXPECT_EQ(v, 1);
    EXPECT_TRUE(h.get({2, 3}, &v));
    EXPECT_TRUE(h.erase({1, 3}));
    EXPECT_FALSE(h.get({1, 3}, &v));
    EXPECT_TRUE(h.get({2, 3}, &v));
    EXPECT_TRUE(h.get({3, 4}, &v));
}

TEST(Hash, TombstonesNeverFillTheTable) {
    // Erasing a chain head that links a member leaves a tombstone, which stays after the member
    // goes too; with live keys in every other slot no empty slot is left, yet adding must work.
    forced_table h;
    int id = 0;
    for (uint32_t slot = 0; slot < 16; slot += 2) {
        const forced_key first{id++, slot}, head{id++, slot};
        h.add(first, 0);
        h.add(head, 0);
        h.erase(head);
        h.erase(first);
    }
    EXPECT_EQ(h.size(), 0);
    EXPECT_EQ(h.slot_count(), 16);
    for (uint32_t slot = 1; slot < 16; slot += 2) h.add({id++, slot}, 1);
    EXPECT_EQ(h.size(), 8);
    h.add({999, 1}, 2);
    EXPECT_EQ(h.size(), 9);
    int v = 0;
    EXPECT_TRUE(h.get({999, 1}, &v));
    EXPECT_EQ(v, 2);
    for (int k = id - 8; k < id; ++k) EXPECT_TRUE(h.get({k, static_cast<uint32_t>(2 * (k - (id - 8)) + 1)}, &v));
}

TEST(Hash, RandomOperationsMatchUnorderedMap) {
    std::mt19937 rng(1234);
    hash<int, int> h;
    std::unordered_map<int, int> reference;
    for (int step = 0; step < 100000; ++step) {
        const int key = static_cast<int>(rng() % 2000);
        const int op = static_cast<int>(rng() % 4);
        if (op < 2) {
            const int value = static_cast<int>(rng());
            h.set(key, value);
            reference[key] = value;
        } else if (op == 2) {
            EXPECT_EQ(h.erase(key), reference.erase(key) == 1);
        } else {
            int v = 0;
            const auto it = reference.find(key);
            ASSERT_EQ(h.get(key, &v), it != reference.end()) << "step " << step;
            if (it != reference.end()) {
                ASSERT_EQ(v, it->second);
            }
        }
        ASSERT_EQ(h.size(), static_cast<int>(reference.size()));
    }
    int seen = 0;
    for (auto it = h.begin(); it != h.end(); ++it) {
        ++seen;
        EXPECT_EQ(reference.at(it.get_key()), it.get_value());
    }
    EXPECT_EQ(seen, static_cast<int>(reference.size()));
}

TEST(Hash, StringKeysAndCopies) {
    hash<bx_string, flash::array<int>> h;
    for (int i = 0; i < 200; ++i) {
        flash::array<int> ids;
        ids.push_back(i);
        h.add(bx_string::format("movies\\level_%03d.swf", i), ids);
    }
    hash<bx_string, flash::array<int>> copy(h);
    h.clear();
    EXPECT_EQ(h.size(), 0);
    flash::array<int> ids;
    ASSERT_TRUE(copy.get("movies\\level_123.swf", &ids));
    EXPECT_EQ(ids[0], 123);
    EXPECT_FALSE(copy.get("MOVIES\\level_123.swf", &ids));
}

TEST(StringiHash, IgnoresAsciiCaseWhateverTheLocale) {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_ALL, "C.UTF-8");
    flash::stringi_hash<int> members;
    members.add("onRelease", 1);
    members.add("_X", 2);
    members.add("\xC3\x89t\xC3\xA9", 3);
    int v = 0;
    EXPECT_TRUE(members.get("ONRELEASE", &v));
    EXPECT_EQ(v, 1);
    EXPECT_TRUE(members.get("_x", &v));
    EXPECT_EQ(v, 2);
    EXPECT_TRUE(members.get("\xC3\x89T\xC3\xA9", &v));  // only ASCII letters fold
    EXPECT_FALSE(members.get("\xC3\xA9t\xC3\xA9", &v));
    std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
