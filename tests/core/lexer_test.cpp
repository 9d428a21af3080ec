#include "core/lexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Tok {
    std::string text;
    int type;
    int subtype;  // without the values-valid bit
    int line;
};

std::vector<Tok> lexAll(const std::string& src, int flags = 0, bool* failed = nullptr) {
    idLexer lex(src.data(), static_cast<int>(src.size()), "test", flags);
    std::vector<Tok> out;
    idToken t;
    while (lex.ReadToken(&t)) out.push_back({t.text, t.type, t.type == TT_NUMBER ? t.subtype & ~TT_VALUESVALID : t.subtype, lex.GetLineNum()});
    if (failed) *failed = lex.HadError();
    return out;
}

TEST(Lexer, TokenTable) {
    struct Case {
        const char* src;
        std::vector<Tok> expected;
        bool error;
    };
    const Case cases[] = {
        {"d_FPSCount 60", {{"d_FPSCount", TT_NAME, 0, 1}, {"60", TT_NUMBER, TT_INTEGER, 1}}, false},
        {"-0.5", {{"-0.5", TT_NUMBER, TT_FLOAT, 1}}, false},
        {".5", {{".5", TT_NUMBER, TT_FLOAT, 1}}, false},
        {"+7", {{"+7", TT_NUMBER, TT_INTEGER, 1}}, false},
        {"1.2.3", {{"1.2.3", TT_NUMBER, 0, 1}}, false},
        {"1.5e-3 2e5", {{"1.5e-3", TT_NUMBER, TT_FLOAT, 1}, {"2", TT_NUMBER, TT_INTEGER, 1}, {"e5", TT_NAME, 0, 1}}, false},
        {"\"a b\tc\"", {{"a b\tc", TT_STRING, 0, 1}}, false},
        {"\"\"", {{"", TT_STRING, 0, 1}}, false},
        {"a // comment\nb", {{"a", TT_NAME, 0, 1}, {"b", TT_NAME, 0, 2}}, false},
        {"a /* x\n y */ b", {{"a", TT_NAME, 0, 1}, {"b", TT_NAME, 0, 2}}, false},
        {"a/* never closed", {{"a", TT_NAME, 0, 1}}, false},
        {". , ; : ? ( ) { } [ ] \\",
         {{".", TT_PUNCTUATION, P_DOT, 1}, {",", TT_PUNCTUATION, P_COMMA, 1}, {";", TT_PUNCTUATION, P_SEMICOLON, 1},
          {":", TT_PUNCTUATION, P_COLON, 1}, {"?", TT_PUNCTUATION, P_QUESTIONMARK, 1},
          {"(", TT_PUNCTUATION, P_PARENTHESESOPEN, 1}, {")", TT_PUNCTUATION, P_PARENTHESESCLOSE, 1},
          {"{", TT_PUNCTUATION, P_BRACEOPEN, 1}, {"}", TT_PUNCTUATION, P_BRACECLOSE, 1},
          {"[", TT_PUNCTUATION, P_SQBRACKETOPEN, 1}, {"]", TT_PUNCTUATION, P_SQBRACKETCLOSE, 1},
          {"\\", TT_PUNCTUATION, P_BACKSLASH, 1}},
         false},
        {"-x", {}, true},                 // "-" is no punctuation
        {"a = 1", {{"a", TT_NAME, 0, 1}}, true},
        {"\"open\nx", {}, true},          // line feed inside a string
        {"\"open", {}, true},             // text ends inside a string
        {"\x80\xff name", {{"name", TT_NAME, 0, 1}}, false},  // high bytes are white space
        {"a\0b", {{"a", TT_NAME, 0, 1}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.src);
        bool failed = false;
        std::vector<Tok> got = lexAll(c.src, 0, &failed);
        ASSERT_EQ(got.size(), c.expected.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].text, c.expected[i].text);
            EXPECT_EQ(got[i].type, c.expected[i].type);
            EXPECT_EQ(got[i].subtype, c.expected[i].subtype);
            EXPECT_EQ(got[i].line, c.expected[i].line);
        }
        EXPECT_EQ(failed, c.error);
    }
}

TEST(Lexer, EmbeddedNulEndsTextAndPathNamesNeedFlag) {
    std::string src("a\0b", 3);
    EXPECT_EQ(lexAll(src).size(), 1u);
    auto plain = lexAll("data\\x.swf");
    EXPECT_EQ(plain.size(), 5u);  // data \ x . swf
    auto path = lexAll("data\\x.swf c:/y", LEXFL_ALLOWPATHNAMES);
    ASSERT_EQ(path.size(), 2u);
    EXPECT_EQ(path[0].text, "data\\x.swf");
    EXPECT_EQ(path[1].text, "c:/y");
}

TEST(Lexer, StopsAtEndOfBufferWithoutTerminator) {
    // Only the first 5 bytes belong to the text; what follows must never be read.
    const char bytes[] = {'a', 'b', ' ', '1', '2', '3', '4', 'z'};
    idLexer lex(bytes, 5, "mapped", 0);
    idToken t;
    ASSERT_TRUE(lex.ReadToken(&t));
    EXPECT_EQ(t.text, "ab");
    ASSERT_TRUE(lex.ReadToken(&t));
    EXPECT_EQ(t.text, "12");
    EXPECT_FALSE(lex.ReadToken(&t));
    EXPECT_FALSE(lex.HadError());

    const char quote[] = {'"', 'a', 'b'};
    idLexer open(quote, 3, "mapped", 0);
    EXPECT_FALSE(open.ReadToken(&t));
    EXPECT_TRUE(open.HadError());
    EXPECT_EQ(open.GetLastError(), "missing trailing quote");
}

TEST(Lexer, LongTokensAreCut) {
    std::string longName(1000, 'n');
    std::string longNumber(1000, '7');
    std::string longString = "\"" + std::string(2000, 's') + "\"";
    std::string src = longName + " " + longNumber + " " + longString + " tail";
    auto toks = lexAll(src);
    ASSERT_EQ(toks.size(), 4u);
    EXPECT_EQ(toks[0].text.size(), 255u);
    EXPECT_EQ(toks[1].text.size(), 255u);
    EXPECT_EQ(toks[2].text.size(), 511u);
    EXPECT_EQ(toks[3].text, "tail");
}

TEST(Lexer, NumberValues) {
    struct Case {
        const char* src;
        int intValue;
        float floatValue;
    };
    const Case cases[] = {
        {"42", 42, 42.0f},         {"-7", -7, -7.0f},        {"2.75", 2, 2.75f},
        {"-2.75", -2, -2.75f},     {"1.2.3", 0, 0.0f},       {"99999999999", 2147483647, 2147483647.0f},
        {"-99999999999", -2147483647 - 1, -2147483648.0f},  {"1e30.", 1, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.src);
        idLexer lex(c.src, static_cast<int>(std::string(c.src).size()), "n", 0);
        idToken t;
        ASSERT_TRUE(lex.ReadToken(&t));
        EXPECT_EQ(t.GetIntValue(), c.intValue);
        EXPECT_FLOAT_EQ(t.GetFloatValue(), c.floatValue);
        EXPECT_TRUE(t.subtype & TT_VALUESVALID);
    }
    std::string big = "1" + std::string(60, '0') + ".5";  // float overflow: clamped integer value
    idLexer lex(big.data(), static_cast<int>(big.size()), "n", 0);
    idToken t;
    ASSERT_TRUE(lex.ReadToken(&t));
    EXPECT_EQ(t.GetIntValue(), 2147483647);
}

TEST(Lexer, ParseFloatAndItsErrors) {
    std::string src = "1.5 -3 name";
    idLexer lex(src.data(), static_cast<int>(src.size()), "f", 0);
    EXPECT_FLOAT_EQ(lex.ParseFloat(), 1.5f);
    EXPECT_FLOAT_EQ(lex.ParseFloat(), -3.0f);
    EXPECT_FALSE(lex.HadError());
    EXPECT_EQ(lex.ParseFloat(), 0.0f);
    EXPECT_TRUE(lex.HadError());
    EXPECT_EQ(lex.GetLastError(), "expected float value, found 'name'");
    EXPECT_EQ(lex.ParseFloat(), 0.0f);
    EXPECT_EQ(lex.GetLastError(), "couldn't read expected floating point number");

    idLexer quiet(src.data(), static_cast<int>(src.size()), "f", LEXFL_NOERRORS);
    idToken t;
    quiet.ReadToken(&t);
    quiet.ReadToken(&t);
    EXPECT_EQ(quiet.ParseFloat(), 0.0f);
    EXPECT_TRUE(quiet.HadError());
    EXPECT_EQ(quiet.GetLastError(), "");
}

TEST(Lexer, LineOperations) {
    std::string src = "a b c\nd \"broken\ne -f g\nh";
    idLexer lex(src.data(), static_cast<int>(src.size()), "lines", 0);
    idToken t;
    ASSERT_TRUE(lex.ReadToken(&t));
    EXPECT_TRUE(lex.SkipRestOfLine());
    ASSERT_TRUE(lex.ReadToken(&t));
    EXPECT_EQ(t.text, "d");
    EXPECT_EQ(lex.GetLineNum(), 2);
    // A broken string and a bad byte are stepped over while skipping.
    EXPECT_TRUE(lex.SkipRestOfLine());
    ASSERT_TRUE(lex.ReadToken(&t));
    EXPECT_EQ(t.text, "e");
    EXPECT_TRUE(lex.SkipRestOfLine());
    ASSERT_TRUE(lex.ReadToken(&t));
    EXPECT_EQ(t.text, "h");
    EXPECT_FALSE(lex.SkipRestOfLine());

    lex.Reset();
    ASSERT_TRUE(lex.ReadTokenOnLine(&t));
    EXPECT_EQ(t.text, "a");
    ASSERT_TRUE(lex.ReadTokenOnLine(&t));
    ASSERT_TRUE(lex.ReadTokenOnLine(&t));
    EXPECT_EQ(t.text, "c");
    EXPECT_FALSE(lex.ReadTokenOnLine(&t));
    EXPECT_EQ(t.text, "");
    ASSERT_TRUE(lex.ReadToken(&t));  // the position went back: "d" is still there
    EXPECT_EQ(t.text, "d");
}

TEST(Lexer, LoadAndExpectations) {
    std::string src = "name 5 true { a { b } } end";
    idLexer lex(src.data(), static_cast<int>(src.size()), "x", 0);
    EXPECT_FALSE(lex.LoadMemory(src.data(), static_cast<int>(src.size()), "again"));
    idToken t;
    EXPECT_TRUE(lex.ExpectName(&t));
    EXPECT_FALSE(lex.ExpectName(&t));  // 5 is no name
    EXPECT_TRUE(lex.ParseBool());
    EXPECT_TRUE(lex.SkipBracedSection());
    EXPECT_TRUE(lex.ExpectTokenString("end"));
    EXPECT_TRUE(lex.EndOfFile());
    EXPECT_STREQ(idLexer::GetPunctuationFromId(P_BACKSLASH), "\\");
    EXPECT_STREQ(idLexer::GetPunctuationFromId(99), "unkown punctuation");

    idLexer none(nullptr, 0, "none", 0);
    EXPECT_FALSE(none.ReadToken(&t));
    EXPECT_FALSE(none.HadError());
}

}  // namespace
