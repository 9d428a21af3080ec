#include "core/string_utils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Fields = std::vector<std::string>;
using WFields = std::vector<std::u16string>;

TEST(StringUtilsCase, FoldsAsciiOnlyAndOverwritesDestination) {
    std::string out = "old contents that must vanish";
    EXPECT_EQ(toLower("Data\\Levels\\Forest_01.XML", out), "data\\levels\\forest_01.xml");
    EXPECT_EQ(toLower("", out), "");
    EXPECT_EQ(toUpper("ids_hint", out), "IDS_HINT");

    // Bytes >= 128 stay as they are: two different UTF-8 names never fold together.
    const std::string utf8 = "\xC3\x84pfel";  // "Äpfel"
    EXPECT_EQ(toLower(utf8, out), "\xC3\x84pfel");
    std::string inPlace = "MiXeD";
    EXPECT_EQ(&toLowerInPlace(inPlace), &inPlace);
    EXPECT_EQ(inPlace, "mixed");

    EXPECT_EQ(lowerChar('A'), 'a');
    for (char c : {'7', 'z', '_', static_cast<char>(0xC4), static_cast<char>(0x80), static_cast<char>(0xFF)}) {
        EXPECT_EQ(lowerChar(c), c);
    }

    const std::string& a = toLowerStatic("CON_Show");
    EXPECT_EQ(a, "con_show");
    EXPECT_EQ(&toLowerStatic("X"), &a);  // one shared result string
    EXPECT_EQ(a, "x");
    EXPECT_EQ(&emptyString(), &emptyString());
    EXPECT_TRUE(emptyString().empty());
}

TEST(StringUtilsConvert, WidensAndNarrowsUtf8AndStrayBytes) {
    EXPECT_EQ(toWString("abc"), u"abc");
    EXPECT_EQ(toWString("\xC3\xA4\xE2\x82\xAC"), u"\u00E4\u20AC");     // ä €
    EXPECT_EQ(toWString("\xF0\x9F\x98\x80"), u"\U0001F600");           // a surrogate pair
    EXPECT_EQ(toWString("caf\xE9"), u"caf\u00E9");                     // Windows-1252 é
    EXPECT_EQ(toWString("\x80\x9F"), u"\u20AC\u0178");                 // 1252's upper half
    EXPECT_EQ(toWString(std::string("ab\0cd", 5)), u"ab");             // ends at the first zero

    EXPECT_EQ(utf8ToWString("\xC3\xA4"), u"\u00E4");
    for (const char* bad : {"caf\xE9", "\xC0\xAF", "\xED\xA0\x80", "\xE2\x82", "\xF4\x90\x80\x80"}) {
        EXPECT_TRUE(utf8ToWString(bad).empty()) << bad;
    }

    EXPECT_EQ(toNarrowString(u"\u00E4\U0001F600"), "\xC3\xA4\xF0\x9F\x98\x80");
    EXPECT_EQ(toNarrowString(std::u16string(1, char16_t(0xD800)) + u"x"), "?x");
    EXPECT_EQ(wstringToUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
    std::u16string w;
    toWStringCopy(w, "key");
    EXPECT_EQ(w, u"key");
    std::string n;
    toNarrowStringCopy(n, u"key");
    EXPECT_EQ(n, "key");
}

TEST(StringUtilsNumbers, FormatsAndParses) {
    EXPECT_EQ(intToString(-42), "-42");
    EXPECT_EQ(intToString(INT32_MIN), "-2147483648");
    EXPECT_EQ(uintToString(4294967295u), "4294967295");
    EXPECT_EQ(longToString(-1), "-1");
    EXPECT_EQ(int64ToString(-9000000000LL), "-9000000000");
    EXPECT_EQ(intToWString(-7), u"-7");
    EXPECT_EQ(longToWString(123), u"123");

    const std::pair<double, const char*> general[] = {
        {0.0, "0"}, {1.0, "1"}, {-2.5, "-2.5"}, {0.1, "0.1"}, {123456789012345.0, "123456789012345"},
        {1e20, "1e+20"}, {1.0 / 3.0, "0.333333333333333"},
    };
    for (const auto& [v, text] : general) EXPECT_EQ(doubleToString(v), text);
    EXPECT_EQ(floatToString(0.5f), "0.5");
    std::u16string w;
    floatToWString(2.25f, w);
    EXPECT_EQ(w, u"2.25");

    const struct {
        double value;
        uint8_t decimals;
        const char* text;
    } fixed[] = {
        {3.14159, 2, "3.14"}, {0.5, 2, "0.50"}, {0.05, 2, "0.05"}, {-2.5, 2, "-2.50"},
        {12, 2, "12.00"},     {0.0, 2, "0.00"}, {0.125, 2, "0.13"}, {7.6, 0, "8."},
        {0.3, 0, "0."},       {99.999, 2, "100.00"},
    };
    for (const auto& c : fixed) EXPECT_EQ(doubleToFixedString(c.value, c.decimals), c.text) << c.value;
    doubleToFixedWString(1.5, 1, w);
    EXPECT_EQ(w, u"1.5");

    EXPECT_DOUBLE_EQ(stringToDouble("2.5xyz"), 2.5);
    EXPECT_DOUBLE_EQ(stringToDouble("abc"), 0.0);
    EXPECT_EQ(stringToInt(" 42"), 42);
    EXPECT_EQ(stringToInt("x"), 0);
    EXPECT_EQ(stringToInt("99999999999"), INT32_MAX);
}

TEST(StringUtilsSplit, NarrowFollowsTheFieldRules) {
    const struct {
        const char* text;
        const char* delimiters;
        unsigned max;
        Fields fields;
    } cases[] = {
        {"a,b,,c", ",", 0, {"a", "b", "c"}},
        {",a", ",", 0, {"", "a"}},
        {"a,", ",", 0, {"a", ""}},
        {",", ",", 0, {"", ""}},
        {"", ",", 0, {""}},
        {"a,b,c", ",", 1, {"a", "b,c"}},
        {"a,b,c", ",", 2, {"a", "b", "c"}},
        {",,a,b", ",", 1, {"", "", "a", "b"}},  // leading empty fields do not count
        {"name, Ann,age ,7", ", ", 0, {"name", "Ann", "age", "7"}},
        {"abc", "", 0, {"abc"}},
        {"a;b,c", ";,", 0, {"a", "b", "c"}},
    };
    for (const auto& c : cases) EXPECT_EQ(splitString(c.text, c.delimiters, c.max), c.fields) << c.text;
}

TEST(StringUtilsSplit, WideDropsEdgeDelimiters) {
    const struct {
        const char16_t* text;
        unsigned max;
        WFields fields;
    } cases[] = {
        {u",a", 0, {u"a"}},
        {u"a,", 0, {u"a"}},
        {u"", 0, {u""}},
        {u"a,,b", 0, {u"a", u"b"}},
        {u",a,b", 1, {u"a,b"}},  // the leading delimiter uses up the one field
        {u"a,b,c", 1, {u"a", u"b,c"}},
    };
    for (const auto& c : cases) EXPECT_EQ(splitStringEx(c.text, u",", c.max), c.fields);
}

TEST(StringUtilsPath, SplitsFolderNameAndExtension) {
    const struct {
        const char* path;
        const char* folder;
        const char* name;
        const char* extension;
    } cases[] = {
        {"Data\\Levels\\forest.xml", "Data\\Levels\\", "forest", ".xml"},
        {"forest.xml", "", "forest", ".xml"},
        {"Data/readme", "Data/", "readme", ""},
        {"dir.d/file", "dir.d/", "file", ""},
        {"dir/.hidden", "dir/", "", ".hidden"},
        {"a.b.png", "", "a.b", ".png"},
        {"mixed/sep\\x.y", "mixed/sep\\", "x", ".y"},
        {"", "", "", ""},
        {"folder\\", "folder\\", "", ""},
    };
    for (const auto& c : cases) {
        std::string folder = "junk", name = "junk", extension = "junk";
        splitPath(c.path, &folder, &name, &extension);
        EXPECT_EQ(folder, c.folder) << c.path;
        EXPECT_EQ(name, c.name) << c.path;
        EXPECT_EQ(extension, c.extension) << c.path;
    }
    std::string name;
    splitPath("a\\b.c", nullptr, &name, nullptr);
    EXPECT_EQ(name, "b");
}

TEST(StringUtilsMisc, TrimsAndMatchesEnds) {
    std::string s = " \t\rtext \r\n\t ";
    std::string out;
    EXPECT_EQ(trimCopy(s, out, true, false), "text \r\n\t ");
    EXPECT_EQ(trimCopy(s, out, false, true), " \t\rtext \r\n");
    EXPECT_EQ(trimInPlace(s), "text \r\n");
    std::string blanks = " \t ";
    EXPECT_EQ(trimInPlace(blanks), "");

    EXPECT_TRUE(startsWith("IDS_Hint", "ids_", true));
    EXPECT_FALSE(startsWith("IDS_Hint", "ids_", false));
    EXPECT_FALSE(startsWith("ids", "ids_"));
    EXPECT_FALSE(startsWith("ids", ""));
    EXPECT_TRUE(endsWith("Forest.XML", ".xml", true));
    EXPECT_FALSE(endsWith("Forest.XML", ".XML", true));  // the suffix itself is not folded
    EXPECT_TRUE(endsWith("Forest.XML", ".XML"));
}

TEST(StringUtilsReplace, FillsPlaceholders) {
    const struct {
        const char16_t* text;
        const char* list;
        const char16_t* result;
    } cases[] = {
        {u"Hello %name%, bye %name%!", "name, Ann", u"Hello Ann, bye Ann!"},
        {u"%a%", "a,1,a,2", u"2"},
        {u"%missing% 100% sure", "name,Ann", u"%missing% 100% sure"},
        {u"%x%", "", u"%x%"},
        {u"%k% %k%", "k,%k%", u"%k% %k%"},         // a value holding its own pattern ends
        {u"%k%k%", "k,k", u"kk%"},
        {u"%a%-%b%", "a,1,b", u"1-%b%"},           // the unpaired last key is ignored
        {u"%a%%b%", "b,2,a,%b%", u"22"},  // keys in ascending order: a inserts %b%, then b fills it
        {u"%\u00E4%", "\xC3\xA4,x", u"x"},
    };
    for (const auto& c : cases) {
        std::u16string result = u"stale";
        EXPECT_EQ(replaceKeys(result, c.text, c.list), c.result) << c.list;
    }
    std::string narrow;
    EXPECT_EQ(replaceKeysNarrow(narrow, "%n% of %m%", "n,3,m,5"), "3 of 5");

    ReplacementMap map;
    buildReplacementMap("k,v", map);
    buildReplacementMap("", map);  // an empty list leaves the map alone
    ASSERT_EQ(map.size(), 1u);
    EXPECT_EQ(map.begin()->second.second, u"v");
}

}  // namespace
