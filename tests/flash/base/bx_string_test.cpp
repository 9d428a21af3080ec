#include "flash/base/bx_string.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

#include <string>

#include "flash/base/hash.h"
#include "flash/base/log.h"

using flash::bx_string;
using flash::bx_stringi;

namespace {

std::string bytes(const bx_string& s) { return std::string(s.c_str(), s.size()); }

// Silences the engine log for one test (refused sizes log an error).
struct QuietLog {
    QuietLog() : previous(flash::get_log_callback()) { flash::register_log_callback(nullptr); }
    ~QuietLog() { flash::register_log_callback(previous); }
    flash::log_callback previous;
};

TEST(BxString, InlineUpToFourteenBytesThenHeapWithRoundedCapacity) {
    bx_string s("abcdefghijklmn");  // 14 bytes
    EXPECT_TRUE(s.is_local());
    EXPECT_EQ(s.size(), 14);
    s += 'o';
    EXPECT_FALSE(s.is_local());
    EXPECT_EQ(s.capacity(), 16);
    EXPECT_EQ(bytes(s), "abcdefghijklmno");
    s += "p";
    EXPECT_EQ(s.capacity(), 32);
    s.erase(14, 2);
    EXPECT_TRUE(s.is_local());
    EXPECT_EQ(bytes(s), "abcdefghijklmn");

    bx_string fresh;
    EXPECT_TRUE(fresh.is_local());
    EXPECT_EQ(fresh.size(), 0);
    EXPECT_STREQ(fresh.c_str(), "");
}

TEST(BxString, ResizeGrowsAndShrinksTheHeapBuffer) {
    bx_string s;
    ASSERT_TRUE(s.resize(40));
    EXPECT_EQ(s.capacity(), 48);
    for (int i = 0; i < 40; ++i) s[i] = static_cast<char>('a' + i % 26);
    ASSERT_TRUE(s.resize(20));
    EXPECT_EQ(s.capacity(), 32);
    EXPECT_EQ(s.size(), 20);
    EXPECT_EQ(s[20], 0);
    EXPECT_EQ(bytes(s), "abcdefghijklmnopqrst");
    ASSERT_TRUE(s.resize(3));
    EXPECT_TRUE(s.is_local());
    EXPECT_EQ(bytes(s), "abc");
    s.clear();
    EXPECT_EQ(s.size(), 0);
    bx_string big(std::string(100, 'x').c_str());
    big.clear();
    EXPECT_TRUE(big.is_local());
    EXPECT_STREQ(big.c_str(), "");
}

TEST(BxString, GrowthPastTheLimitIsRefusedAndLeavesTheString) {
    QuietLog quiet;
    bx_string s("keep me");
    EXPECT_FALSE(s.resize(bx_string::max_length + 1));
    EXPECT_FALSE(s.resize(-1));
    EXPECT_FALSE(s.resize(0x7FFFFFFF));
    EXPECT_EQ(bytes(s), "keep me");
}

TEST(BxString, ConstructionAssignmentAndAppending) {
    const char* none = nullptr;
    bx_string s(none);
    EXPECT_EQ(bytes(s), "");
    s = "text";
    s = none;
    EXPECT_EQ(bytes(s), "text");
    const bx_string& same = s;
    s = same;  // self-assignment
    EXPECT_EQ(bytes(s), "text");
    s += s;
    EXPECT_EQ(bytes(s), "texttext");
    s += '\0';
    EXPECT_EQ(s.size(), 8);
    bx_string longer = s + " and a longer tail";
    EXPECT_EQ(bytes(longer), "texttext and a longer tail");
    longer += longer.c_str() + 9;  // appending a piece of itself
    EXPECT_EQ(bytes(longer), "texttext and a longer tailand a longer tail");
    bx_string copy(longer);
    bx_string moved(std::move(copy));
    EXPECT_EQ(moved, longer);
    longer.insert(0, '>');
    EXPECT_EQ(longer[0], '>');
    EXPECT_EQ(longer.size(), moved.size() + 1);
    bx_string cut("abcdef", 3);
    EXPECT_EQ(bytes(cut), "abc");
}

TEST(BxString, AssigningAPieceOfItself) {
    struct row {
        const char* text;
        int offset;
        const char* expected;
    } rows[] = {
        {"abcdefghijklmn", 3, "defghijklmn"},  // inline, overlapping forward copy
        {"abcdefghijklmn", 0, "abcdefghijklmn"},
        {"abcdefghijklmn", 13, "n"},
        {"abcdefghijklmn", 14, ""},
        {"ab", 1, "b"},
        {"0123456789abcdefghijklmnopqrst", 20, "klmnopqrst"},  // heap to inline
        {"0123456789abcdefghijklmnopqrst", 2, "23456789abcdefghijklmnopqrst"},  // stays heap
    };
    for (const row& r : rows) {
        bx_string s(r.text);
        s = s.c_str() + r.offset;
        EXPECT_EQ(bytes(s), r.expected) << r.text << " + " << r.offset;
        EXPECT_EQ(s.size(), static_cast<int>(std::strlen(r.expected)));
        EXPECT_EQ(s.is_local(), s.size() <= bx_string::max_local_length);
        // A copy of the result carries the same bytes and its own storage.
        const bx_string copy(s);
        EXPECT_EQ(bytes(copy), r.expected);
        EXPECT_NE(copy.c_str(), s.c_str());
    }
}

TEST(BxString, ComparisonsAreByteWiseOverUnsignedBytes) {
    const bx_string abc("abc");
    EXPECT_TRUE(abc < "abd");
    EXPECT_FALSE(abc < "abc");
    EXPECT_FALSE(abc > "abc");
    EXPECT_TRUE(bx_string("abd") > abc);
    EXPECT_TRUE(bx_string("z") < "\xC3");  // 0xC3 sorts after every ASCII byte
    EXPECT_TRUE(abc == "abc");
    EXPECT_TRUE("abc" == abc);
    EXPECT_TRUE(abc != "ABC");
    EXPECT_EQ(abc, bx_string("abc"));
    EXPECT_LT(bx_string::stricmp("ABC", "abd"), 0);
    EXPECT_EQ(bx_string::stricmp("HeLLo", "hello"), 0);
    EXPECT_NE(bx_string::stricmp("\xC3\x89", "\xC3\xA9"), 0);

    EXPECT_TRUE(bx_stringi("Button_Play") == bx_stringi("button_play"));
    EXPECT_TRUE(bx_stringi("abc") != bx_stringi("abd"));
    EXPECT_EQ(&abc.to_bx_stringi().to_bx_string(), &abc);
}

TEST(BxString, Utf8LengthCharAtAndSubstring) {
    const bx_string e_acute_a("\xC3\xA9" "a");
    EXPECT_EQ(e_acute_a.utf8_length(), 2);
    EXPECT_EQ(e_acute_a.utf8_char_at(0), 0xE9u);
    EXPECT_EQ(e_acute_a.utf8_char_at(1), static_cast<uint32_t>('a'));
    EXPECT_EQ(bx_string("abc").utf8_char_at(5), 0u);
    EXPECT_EQ(bx_string::utf8_char_count("\xC3\xA9" "abc", 1), 1);  // the character reaching the limit counts
    EXPECT_EQ(bx_string::utf8_char_count("abc", 0), 0);

    const bx_string hello("h\xC3\xA9llo");
    EXPECT_EQ(bytes(hello.utf8_substring(1, 3)), "\xC3\xA9l");
    EXPECT_EQ(bytes(bx_string("abc").utf8_substring(2, 9)), "c");
    EXPECT_EQ(bytes(bx_string("abc").utf8_substring(1, 1)), "");
    EXPECT_EQ(bytes(bx_string("abc").utf8_substring(5, 9)), "");
    EXPECT_EQ(bytes(bx_string("abc").utf8_substring(2, 1)), "");
}

TEST(BxString, CaseMappingKeepsNonAsciiCharactersWhole) {
    const bx_string mixed("Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 x");
    EXPECT_EQ(bytes(mixed.utf8_to_upper()), "CAF\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 X");
    EXPECT_EQ(bytes(mixed.utf8_to_lower()), "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 x");
    // Invalid bytes come back as U+FFFD, so the result is always valid UTF-8.
    EXPECT_EQ(bytes(bx_string("A\xFF").utf8_to_lower()), "a\xEF\xBF\xBD");
}

TEST(BxString, WideStringsToUtf8) {
    bx_string out("old text");
    const uint16_t narrow[] = {0x41, 0xE9, 0x20AC, 0};
    bx_string::encode_utf8_from_wchar(&out, narrow);
    EXPECT_EQ(bytes(out), "A\xC3\xA9\xE2\x82\xAC");

    const uint16_t pair[] = {0xD83D, 0xDE00, 0x21, 0};
    bx_string::encode_utf8_from_wchar(&out, pair);
    EXPECT_EQ(bytes(out), "\xF0\x9F\x98\x80!");
    EXPECT_EQ(out.utf8_char_at(0), 0x1F600u);

    const uint16_t lone[] = {0xD83D, 0x41, 0};
    bx_string::encode_utf8_from_wchar(&out, lone);
    EXPECT_EQ(bytes(out), "\xEF\xBF\xBD" "A");

    const uint32_t wide[] = {0x1F600, 0x41, 0};
    bx_string::encode_utf8_from_wchar(&out, wide);
    EXPECT_EQ(bytes(out), "\xF0\x9F\x98\x80" "A");

    bx_string appended;
    appended.append_wide_char(static_cast<uint16_t>(0xE9));
    appended.append_wide_char(static_cast<uint32_t>(0x1F600));
    EXPECT_EQ(bytes(appended), "\xC3\xA9\xF0\x9F\x98\x80");
}

TEST(BxString, FormatCutsAt499Bytes) {
    EXPECT_EQ(bytes(bx_string::format("%d-%s", 7, "x")), "7-x");
    const std::string long_text(600, 'q');
    EXPECT_EQ(bx_string::format("%s", long_text.c_str()).size(), 499);
}

}  // namespace

namespace {

// The hash and path flag a string reports must always be those of its current text.
void expect_name_cache_matches_text(const bx_string& s, const std::string& why) {
    EXPECT_EQ(s.folded_hash(), flash::bx_folded_hash(s.c_str(), s.size())) << why;
    EXPECT_EQ(s.has_path_separator(), flash::bx_has_path_separator(s.c_str())) << why;
}

}  // namespace

TEST(BxString, PreparedNameKeepsItsHashAndPathFlagThroughCopiesAndMoves) {
    for (const char* text : {"s", "Score", "_root.clip", "a:b", "a_name_longer_than_inline"}) {
        bx_string name(text);
        EXPECT_FALSE(name.is_prepared_name());
        name.prepare_name();
        ASSERT_TRUE(name.is_prepared_name()) << text;
        expect_name_cache_matches_text(name, text);
        // Case does not change the hash.
        bx_string upper(text);
        for (int i = 0; i < upper.size(); ++i) upper[i] = static_cast<char>(std::toupper(upper[i]));
        EXPECT_EQ(name.folded_hash(), upper.folded_hash()) << text;

        const bx_string copied(name);
        EXPECT_TRUE(copied.is_prepared_name()) << text;
        bx_string assigned("other");
        assigned = name;
        EXPECT_TRUE(assigned.is_prepared_name()) << text;
        bx_string moved_from(name);
        const bx_string moved(static_cast<bx_string&&>(moved_from));
        EXPECT_TRUE(moved.is_prepared_name()) << text;
        EXPECT_FALSE(moved_from.is_prepared_name()) << text;
        bx_string move_assigned("other");
        move_assigned = static_cast<bx_string&&>(assigned);
        EXPECT_TRUE(move_assigned.is_prepared_name()) << text;
        for (const bx_string* s : {&copied, &moved, static_cast<const bx_string*>(&move_assigned)}) {
            EXPECT_EQ(bytes(*s), text);
            expect_name_cache_matches_text(*s, text);
        }
    }
}

TEST(BxString, EveryChangeOfAPreparedNameDropsItsCache) {
    struct change {
        const char* what;
        void (*apply)(bx_string& s);
    };
    const change changes[] = {
        {"append text", [](bx_string& s) { s += ".x"; }},
        {"append char", [](bx_string& s) { s += ':'; }},
        {"append string", [](bx_string& s) { s += bx_string("Tail"); }},
        {"write a byte", [](bx_string& s) { s[0] = '.'; }},
        {"set bytes", [](bx_string& s) { s.set_bytes("a.b", 3); }},
        {"assign text", [](bx_string& s) { s = "q:r"; }},
        {"assign unprepared", [](bx_string& s) { s = bx_string("plain"); }},
        {"clear", [](bx_string& s) { s.clear(); }},
        {"resize", [](bx_string& s) { s.resize(1); }},
        {"grow to the heap", [](bx_string& s) { s += "0123456789abcdef.g"; }},
        {"erase", [](bx_string& s) { s.erase(0, 1); }},
        {"insert", [](bx_string& s) { s.insert(0, '.'); }},
        {"append a wide char", [](bx_string& s) { s.append_wide_char(uint32_t{0xE9}); }},
    };
    for (const char* text : {"name", "a_name_longer_than_inline"}) {
        for (const change& c : changes) {
            bx_string s(text);
            s.prepare_name();
            c.apply(s);
            expect_name_cache_matches_text(s, std::string(text) + ": " + c.what);
        }
    }
}

TEST(BxString, CaseInsensitiveHashIsTheSameForPreparedAndPlainNames) {
    const flash::bx_stringi_hash h;
    for (const char* text : {"", "x", "onEnterFrame", "_ROOT"}) {
        bx_string prepared(text);
        prepared.prepare_name();
        EXPECT_EQ(h(prepared.to_bx_stringi()), h(bx_stringi(text))) << text;
    }
}
