#include "core/cvar.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/lexer.h"
#include "tests/support/temp_dir.h"

namespace {

// Variables of this program only; the game's own catalogue is linked too.
CVar* t_bool = CVar::create("t_bool", CVar::TYPE_BOOL, "false", 0x100, "t_bool");
CVar* t_int = CVar::create("t_int", CVar::TYPE_INT, "7", 0x100, "");
CVar* t_float = CVar::create("t_float", CVar::TYPE_FLOAT, "0.1", 0x100, "");
CVar* t_color = CVar::create("t_color", CVar::TYPE_FLOAT3, "255 255 255", 0x100, "");
CVar* t_quad = CVar::create("t_quad", CVar::TYPE_FLOAT4, "1 2 3 4", 0x200, "");
CVar* t_text = CVar::create("t_text", CVar::TYPE_STRING, "c:\\", 0x100, "the text");

int g_calls = 0;
CVar* g_last = nullptr;
void onChange(CVar* var) {
    ++g_calls;
    g_last = var;
}

void readText(const std::string& text) {
    idLexer lex(text.data(), static_cast<int>(text.size()), "global config", 0);
    EXPECT_TRUE(CVar::readConfig(lex));
}

TEST(CVar, BooleanWords) {
    for (const char* yes : {"1", "YES", "Yep", "yeah", "TRUE", "true"}) {
        t_bool->setFromString(yes);
        EXPECT_TRUE(t_bool->value.b) << yes;
    }
    for (const char* no : {"no", "2", "on", "", "0", "false", "yess"}) {
        t_bool->setFromString("true");
        t_bool->setFromString(no);
        EXPECT_FALSE(t_bool->value.b) << no;
    }
    t_bool->setFromString(nullptr);
    EXPECT_FALSE(t_bool->value.b);
}

TEST(CVar, NumbersFromText) {
    t_int->setFromString("5");
    t_int->setFromString("12abc");
    EXPECT_EQ(t_int->value.i, 12);
    t_int->setFromString("abc");
    EXPECT_EQ(t_int->value.i, 12);
    t_int->setFromString("  -40");
    EXPECT_EQ(t_int->value.i, -40);
    t_int->setFromString("99999999999999999999");
    EXPECT_EQ(t_int->value.i, 2147483647);
    t_int->setFromString("-99999999999999999999");
    EXPECT_EQ(t_int->value.i, -2147483647 - 1);

    t_color->setFromString("1 2 3");
    t_color->setFromString("9 x 7");  // the second does not scan: it and the third keep theirs
    EXPECT_FLOAT_EQ(t_color->value.f[0], 9.0f);
    EXPECT_FLOAT_EQ(t_color->value.f[1], 2.0f);
    EXPECT_FLOAT_EQ(t_color->value.f[2], 3.0f);
    t_color->setFromString("255 255 255");

    t_float->setFromString("0.1");
    t_float->setFromString("junk");
    EXPECT_FLOAT_EQ(t_float->value.f[0], 0.1f);
    t_int->setFromString("7");
}

TEST(CVar, ToStringForms) {
    t_float->setFromString("0.1");
    EXPECT_STREQ(t_float->toString(), "0.100");
    t_color->setFromString("255 255 255");
    EXPECT_STREQ(t_color->toString(), "255.000 255.000 255.000");
    EXPECT_STREQ(t_quad->toString(), "1.000 2.000 3.000 4.000");
    EXPECT_STREQ(t_int->toString(), "7");
    t_bool->setFromString("yes");
    EXPECT_STREQ(t_bool->toString(), "true");
    t_bool->setFromString("no");
    EXPECT_STREQ(t_bool->toString(), "false");
    EXPECT_STREQ(t_text->toString(), "c:\\");
    t_float->setFromString("3.4e38");
    t_float->setFromString("-3.4e38");
    EXPECT_EQ(std::string(t_float->toString()).substr(0, 5), "-3399");
    t_float->setFromString("0.1");
}

TEST(CVar, FindIsExactAndIndexIsSorted) {
    EXPECT_EQ(CVar::find("t_int"), t_int);
    EXPECT_EQ(CVar::find("T_INT"), nullptr);
    EXPECT_EQ(CVar::find("S_MUSICVOL"), nullptr);
    EXPECT_NE(CVar::find("s_musicVol"), nullptr);
    EXPECT_EQ(CVar::find(nullptr), nullptr);
    EXPECT_EQ(CVar::find("t_in"), nullptr);
    for (int i = 1; i < CVar::getCount(); ++i)
        EXPECT_LT(std::string(CVar::getByIndex(i - 1)->name), std::string(CVar::getByIndex(i)->name));
    EXPECT_EQ(CVar::getByIndex(-1), nullptr);
    EXPECT_EQ(CVar::getByIndex(CVar::getCount()), nullptr);
}

TEST(CVar, CallbacksAndSetters) {
    g_calls = 0;
    t_bool->setCallback(onChange, true);
    EXPECT_EQ(g_calls, 1);
    t_bool->setFromString("yes");
    t_bool->setString("words");
    EXPECT_EQ(t_bool->text, "words");
    EXPECT_TRUE(t_bool->value.b);  // setString leaves the value alone
    CallBack* fullScreen = t_bool;
    fullScreen->setEnabled(false);
    EXPECT_FALSE(t_bool->value.b);
    EXPECT_EQ(g_calls, 4);
    EXPECT_EQ(g_last, t_bool);
    t_bool->setCallback(nullptr, true);
    t_bool->setFromString("1");
    EXPECT_EQ(g_calls, 4);

    struct Counter : CVarCallback {
        int n = 0;
        void onChange(CVar*) override { ++n; }
    } counter;
    t_int->setCallbackObject(&counter, false);
    t_int->setFromString("8");
    EXPECT_EQ(counter.n, 1);
    t_int->setCallbackObject(nullptr, false);
    t_int->setFromString("7");
    EXPECT_EQ(counter.n, 1);

    const float lo[4] = {-1.5f, 0, 0, 0}, hi[4] = {9.9f, 0, 0, 0};
    t_int->setBounds(lo, hi);
    EXPECT_EQ(t_int->min.i, -1);
    EXPECT_EQ(t_int->max.i, 9);
    t_int->setFromString("100");  // bounds are stored, never enforced
    EXPECT_EQ(t_int->value.i, 100);
    t_int->setFromString("7");
}

TEST(CVar, WriteFormatAndRoundTrip) {
    t_text->setFromString("My Games\tand spaces");
    t_bool->setFromString("true");
    const char* text = nullptr;
    uint32_t length = 0;
    ASSERT_TRUE(CVar::writeConfig(0x100, &text, &length));
    std::string written(text, length);
    EXPECT_EQ(written,
              "t_bool\ttrue\t\t// t_bool\n"
              "t_color\t255.000 255.000 255.000\t\t// \n"
              "t_float\t0.100\t\t// \n"
              "t_int\t7\t\t// \n"
              "t_text\t\"My Games\tand spaces\"\t\t// the text\n");

    t_text->setFromString("x");
    t_bool->setFromString("no");
    t_color->setFromString("0 0 0");
    readText(written);
    EXPECT_EQ(t_text->text, "My Games\tand spaces");
    EXPECT_TRUE(t_bool->value.b);
    EXPECT_FLOAT_EQ(t_color->value.f[2], 255.0f);
    t_text->setFromString("c:\\");
}

TEST(CVar, WriterDropsQuotesAndLineBreaks) {
    t_text->setFromString("say \"hi\"\r\nt_int 99");
    const char* text = nullptr;
    uint32_t length = 0;
    CVar::writeConfig(0x100, &text, &length);
    std::string written(text, length);
    EXPECT_NE(written.find("t_text\t\"say hit_int 99\"\t\t// the text\n"), std::string::npos);
    readText(written);
    EXPECT_EQ(t_int->value.i, 7);
    EXPECT_EQ(t_text->text, "say hit_int 99");
    t_text->setFromString("c:\\");
}

TEST(CVar, ReaderAppliesEveryValidLine) {
    readText(
        "unknown_var 12 13\n"
        "t_int 42 // comment\n"
        "t_color 1 2\n"           // short: the missing component reads as 0, the next name stays
        "t_float -2.5\n"
        "t_quad 5 x 7 8\n"        // broken in the middle: the rest of the line is skipped
        "t_text \"broken\n"
        "= junk -\n"
        "t_quad 9 8 7 6 extra\n"
        "\"t_int\" 5\n"           // a string is no name
        "/* t_int 1 */ t_text \"ok\"");
    EXPECT_EQ(t_int->value.i, 42);
    EXPECT_FLOAT_EQ(t_color->value.f[0], 1.0f);
    EXPECT_FLOAT_EQ(t_color->value.f[1], 2.0f);
    EXPECT_FLOAT_EQ(t_color->value.f[2], 0.0f);
    EXPECT_FLOAT_EQ(t_float->value.f[0], -2.5f);
    EXPECT_FLOAT_EQ(t_quad->value.f[0], 9.0f);
    EXPECT_FLOAT_EQ(t_quad->value.f[3], 6.0f);
    EXPECT_EQ(t_text->text, "ok");

    // A mapped file has no terminator: the reader stops at the end of the bytes.
    const char bytes[] = {'t', '_', 'i', 'n', 't', ' ', '3', '9'};
    idLexer lex(bytes, 7, "mapped", 0);
    CVar::readConfig(lex);
    EXPECT_EQ(t_int->value.i, 3);
    t_int->setFromString("7");
    t_text->setFromString("c:\\");
    t_color->setFromString("255 255 255");
    t_float->setFromString("0.1");
    t_quad->setFromString("1 2 3 4");
}

// A value is the next token wherever it stands, also on the following line.
TEST(CVar, ReaderTakesValuesFromTheNextLine) {
    readText(
        "t_int\n"
        "  42\n"
        "t_color 1\n"
        "2\n"
        "3 t_text\n"
        "\"next line\"\n"
        "t_bool\n"
        "yes\n");
    EXPECT_EQ(t_int->value.i, 42);
    EXPECT_FLOAT_EQ(t_color->value.f[0], 1.0f);
    EXPECT_FLOAT_EQ(t_color->value.f[1], 2.0f);
    EXPECT_FLOAT_EQ(t_color->value.f[2], 3.0f);
    EXPECT_EQ(t_text->text, "next line");
    EXPECT_TRUE(t_bool->value.b);
    t_int->setFromString("7");
    t_text->setFromString("c:\\");
    t_color->setFromString("255 255 255");
    t_bool->setFromString("false");
}

// Whatever the reader accepts is written so that it reads back to the very same value: numbers
// beyond the float range are kept at the largest float, and no precision is lost on the way.
TEST(CVar, EveryAcceptedFloatReadsBackUnchanged) {
    const std::string overLong = std::string(300, '9') + ".5";
    const struct {
        const char* what;
        std::string line;  // read from a settings text
        float expected;    // the first component it gives
    } cases[] = {
        {"over-long number", "t_color " + overLong + " 0 0", 3.4028235e38f},
        {"over-long negative", "t_color -" + overLong + " 0 0", -3.4028235e38f},
        {"exponent beyond range", "t_color 1.0e999 0 0", 3.4028235e38f},
        {"largest float", "t_color 340282346638528859811704183484516925440.000 0 0", 3.4028235e38f},
        {"small fraction", "t_color 0.0001 0 0", 0.0001f},
        {"fine fraction", "t_color 123456.789 0 0", 123456.789f},
        {"tiny", "t_color 1.0e-30 0 0", 1.0e-30f},
        {"smallest subnormal", "t_color 1.4e-45 0 0", 1.4e-45f},
        {"plain", "t_color 50 0 0", 50.0f},
    };
    for (const auto& c : cases) {
        readText(c.line);
        EXPECT_EQ(t_color->value.f[0], c.expected) << c.what;
        t_quad->value.f[1] = c.expected;  // the four-float writer, and the single float of the console
        t_float->setFromString(c.line.substr(8).c_str());
        EXPECT_EQ(t_float->value.f[0], c.expected) << c.what;

        const char* text = nullptr;
        uint32_t length = 0;
        CVar::writeConfig(0x300, &text, &length);
        const std::string written(text, length);
        t_color->setFromString("7 7 7");
        t_quad->setFromString("7 7 7 7");
        t_float->setFromString("7");
        readText(written);
        EXPECT_EQ(t_color->value.f[0], c.expected) << c.what << "\n" << written;
        EXPECT_EQ(t_quad->value.f[1], c.expected) << c.what << "\n" << written;
        EXPECT_EQ(t_float->value.f[0], c.expected) << c.what << "\n" << written;
    }
    // Values that are not numbers at all leave the old value alone.
    t_color->setFromString("1 2 3");
    t_color->setFromString("nan 5 6");
    EXPECT_FLOAT_EQ(t_color->value.f[0], 1.0f);
    t_color->setFromString("255 255 255");
    t_quad->setFromString("1 2 3 4");
    t_float->setFromString("0.1");
}

TEST(CVar, SaveConfigFileReplacesAtomically) {
    testsupport::TempDir dir;
    testsupport::writeFile("config.sta", "old");
    ASSERT_TRUE(CVar::saveConfigFile("config.sta", 0x200));
    EXPECT_EQ(testsupport::readFile("config.sta"), "t_quad\t1.000 2.000 3.000 4.000\t\t// \n");
    EXPECT_FALSE(CVar::saveConfigFile("missing_folder/config.sta", 0x200));
}

// Fills the registry to its capacity and tries one more; exits 0 when that one is refused.
void fillRegistry() {
    static char names[CVar::kCapacity + 1][16];
    int i = 0;
    for (int made = CVar::getCount(); made < CVar::kCapacity; ++made, ++i) {
        std::snprintf(names[i], sizeof names[i], "z_%d", i);
        if (!CVar::create(names[i], CVar::TYPE_INT, "1", 0, "")) std::exit(2);
    }
    std::snprintf(names[i], sizeof names[i], "z_%d", i);
    bool refused = CVar::create(names[i], CVar::TYPE_INT, "1", 0, "") == nullptr;
    std::exit(refused && CVar::getCount() == CVar::kCapacity && CVar::find("z_0") ? 0 : 1);
}

TEST(CVarDeathTest, The513thVariableIsRefused) {
    EXPECT_EXIT(fillRegistry(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
