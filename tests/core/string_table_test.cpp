#include "core/string_table.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/read_faults.h"
#include "tests/support/temp_dir.h"

namespace {

// UTF-16LE bytes of `text`, written low byte first by hand.
std::string utf16le(const std::u16string& text) {
    std::string out;
    for (char16_t u : text) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
    return out;
}

// A table file: the header line, then the lines joined by `eol`, with or without a final one.
std::string tableFile(const std::vector<std::u16string>& lines, const std::u16string& eol, bool finalEol) {
    std::u16string text = u"\uFEFFstrings header";
    for (const auto& line : lines) text += eol + line;
    if (finalEol) text += eol;
    return utf16le(text);
}

StringTable loadBytes(const std::string& bytes, bool* ok = nullptr) {
    testsupport::writeFile("strings.st", bytes);
    StringTable table;
    const bool loaded = table.load("strings.st");
    if (ok) *ok = loaded;
    return table;
}

std::u16string lookup(const StringTable& table, const std::string& key) {
    std::u16string out = u"<none>";
    table.find(key, out);
    return out;
}

TEST(StringTable, LoadsPairsWithCaseInsensitiveKeysAndFirstTextWins) {
    testsupport::TempDir dir;
    const std::u16string longText(1200, u'x');
    const std::vector<std::u16string> lines = {
        u"IDS_Play",  u"Play the game",
        u"ids_quit",  u"  Quit, with spaces  ",
        u"ids_PLAY",  u"second text for the same key",
        u"ids_long",  longText,
        u"ids_after", u"\u00C4pfel \U0001F600",
        u"ids_empty", u"",
        u"ids_last",  u"no line end",
    };
    for (const std::u16string eol : {u"\r\n", u"\n"}) {
        bool ok = false;
        const StringTable table = loadBytes(tableFile(lines, eol, false), &ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(table.size(), 6u);
        EXPECT_EQ(lookup(table, "ids_play"), u"Play the game");
        EXPECT_EQ(lookup(table, "IDS_QUIT"), u"  Quit, with spaces  ");
        std::u16string out;
        EXPECT_EQ(table.find("ids_long", out), 999);
        EXPECT_EQ(out, longText.substr(0, 999));
        EXPECT_EQ(lookup(table, "ids_after"), u"\u00C4pfel \U0001F600");  // not the long line's rest
        EXPECT_EQ(table.find("ids_empty", out), 0);
        EXPECT_EQ(lookup(table, "ids_last"), u"no line end");
        out = u"kept";
        EXPECT_EQ(table.find("ids_missing", out), StringTable::kNotFound);
        EXPECT_EQ(out, u"kept");
        EXPECT_EQ(table.begin()->first, "ids_after");  // lower-case keys in order
        EXPECT_EQ(table.fileName(), "strings.st");
        EXPECT_FALSE(table.isModified());
    }
}

TEST(StringTable, OddShapesOfFiles) {
    testsupport::TempDir dir;
    // Only the header line gives an empty table.
    EXPECT_EQ(loadBytes(tableFile({}, u"\r\n", false)).size(), 0u);
    // A file that ends after a key line gives that key an empty text.
    StringTable keyOnly = loadBytes(tableFile({u"ids_a", u"A", u"ids_b"}, u"\r\n", false));
    EXPECT_EQ(keyOnly.size(), 2u);
    EXPECT_EQ(lookup(keyOnly, "ids_b"), u"");
    // A final CR LF or LF has not reached the end yet: one more pass adds the empty key with an
    // empty text. A final lone CR reaches the end while looking for its LF.
    const struct {
        const char* what;
        const char16_t* eol;
        size_t headerOnly;
        size_t withPair;
    } finalEnds[] = {{"CR LF", u"\r\n", 1, 2}, {"LF", u"\n", 1, 2}, {"CR", u"\r", 0, 1}};
    for (const auto& end : finalEnds) {
        SCOPED_TRACE(end.what);
        EXPECT_EQ(loadBytes(tableFile({}, end.eol, true)).size(), end.headerOnly);
        StringTable table = loadBytes(tableFile({u"ids_a", u"A"}, end.eol, true));
        EXPECT_EQ(table.size(), end.withPair);
        EXPECT_EQ(lookup(table, "ids_a"), u"A");
        EXPECT_EQ(lookup(table, ""), end.withPair == 2 ? u"" : u"<none>");
    }
    // An odd trailing byte is not a unit.
    StringTable odd = loadBytes(tableFile({u"ids_a", u"AB"}, u"\r\n", false) + "C");
    EXPECT_EQ(lookup(odd, "ids_a"), u"AB");
    // A lone CR ends its line and the next line keeps its first unit.
    StringTable cr = loadBytes(tableFile({u"ids_a", u"text", u"ids_b", u"B"}, u"\r", false));
    EXPECT_EQ(lookup(cr, "ids_a"), u"text");
    EXPECT_EQ(lookup(cr, "ids_b"), u"B");
    // Mixed line ends, and an empty file.
    StringTable mixed = loadBytes(utf16le(u"h\nids_a\r\nA\rids_b\nB"));
    EXPECT_EQ(lookup(mixed, "ids_a"), u"A");
    EXPECT_EQ(lookup(mixed, "ids_b"), u"B");
    bool ok = false;
    EXPECT_EQ(loadBytes("", &ok).size(), 0u);
}

TEST(StringTable, ReadLineKeepsCapacityMinusOne) {
    const std::string bytes = utf16le(u"abcdef\r\nxy");
    StringTable::Reader in(bytes.data(), bytes.size());
    char16_t buf[4] = {1, 1, 1, 1};
    EXPECT_EQ(StringTable::readLine(in, buf, 4), 3u);
    EXPECT_EQ(std::u16string(buf), u"abc");
    EXPECT_EQ(StringTable::readLine(in, buf, 4), 2u);
    EXPECT_EQ(std::u16string(buf), u"xy");
    EXPECT_TRUE(in.atEnd());
    EXPECT_EQ(StringTable::readLine(in, buf, 4), 0u);
    EXPECT_EQ(buf[0], 0);
}

TEST(StringTable, MissingFileAndNullName) {
    testsupport::TempDir dir;
    StringTable table = loadBytes(tableFile({u"ids_a", u"A"}, u"\n", false));
    ASSERT_EQ(table.size(), 1u);
    EXPECT_FALSE(table.load(nullptr));
    EXPECT_EQ(table.size(), 1u);  // unchanged
    EXPECT_FALSE(table.load("no\\such\\file.st"));
    EXPECT_EQ(table.size(), 0u);
}

// A file that opens but cannot be read loads nothing, rather than the part read before the fault.
TEST(StringTable, ReadErrorLoadsNothing) {
    testsupport::TempDir dir;
    StringTable table = loadBytes(tableFile({u"ids_a", u"A", u"ids_b", u"B"}, u"\r\n", true));
    ASSERT_EQ(table.size(), 3u);  // with the empty key of the final line end
    testsupport::FailingReads failing("strings.st");
    EXPECT_FALSE(table.load("strings.st"));
    EXPECT_EQ(table.size(), 0u);
}

TEST(StringTable, TranslateReadsTheGlobalTable) {
    testsupport::TempDir dir;
    // Stored with other letter case than the game's path; the resolver finds it.
    testsupport::writeFile("data/TEXTS/Strings.ST", tableFile({u"ids_Hello", u"Hallo", u"ids_blank", u""}, u"\r\n", true));
    StringTable& global = StringTable::instance();
    ASSERT_TRUE(global.load(StringTable::kDefaultFile));
    EXPECT_EQ(StringTable::translate("IDS_HELLO"), u"Hallo");
    EXPECT_EQ(StringTable::translate("ids_blank"), u"");
    EXPECT_EQ(StringTable::translate(""), u"");
    EXPECT_EQ(StringTable::translate("IDS_Unknown"), u"IDS_Unknown");

    EXPECT_FALSE(global.load("Data\\Texts\\missing.st"));
    EXPECT_EQ(StringTable::translate("ids_Hello"), u"ids_Hello");
    EXPECT_EQ(StringTable::translate("ids_\xC3\xA4"), u"ids_\u00E4");
}

}  // namespace
