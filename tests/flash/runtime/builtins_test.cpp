// The global conversion functions, the String methods and the Array object.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "flash/runtime/as_array.h"
#include "tests/support/engine_log.h"
#include "flash/runtime/as_global.h"
#include "flash/runtime/as_string.h"
#include "tests/support/runtime_test_support.h"
#include "tests/support/stub_engine.h"

using flash::as_array;
using flash::as_value;
using flash::smart_ptr;
using testsupport::call_native;

namespace {

const double nan_value = std::numeric_limits<double>::quiet_NaN();

class BuiltinsTest : public ::testing::Test {
protected:
    as_value call(flash::as_c_function_ptr f, const as_value& self,
                  std::initializer_list<as_value> args = {}) {
        return call_native(p, f, self, args);
    }
    smart_ptr<testsupport::stub_engine> p{new testsupport::stub_engine};
};

TEST_F(BuiltinsTest, ConversionFunctions) {
    EXPECT_EQ(call(flash::as_global_parse_int, as_value(), {as_value("ff"), as_value(16)}).to_number(), 255);
    EXPECT_TRUE(std::isnan(call(flash::as_global_parse_int, as_value(), {as_value("12px"), as_value(10)}).to_number()));
    EXPECT_TRUE(std::isnan(call(flash::as_global_parse_int, as_value(), {as_value(""), as_value(10)}).to_number()));
    EXPECT_TRUE(std::isnan(call(flash::as_global_parse_int, as_value()).to_number()));
    EXPECT_EQ(call(flash::as_global_parse_int, as_value(), {as_value("-42")}).to_number(), -42);
    EXPECT_TRUE(std::isnan(call(flash::as_global_parse_int, as_value(), {as_value("10"), as_value(1)}).to_number()));
    EXPECT_EQ(call(flash::as_global_parse_float, as_value(), {as_value(" 2.5")}).to_number(), 2.5);
    EXPECT_TRUE(std::isnan(call(flash::as_global_parse_float, as_value(), {as_value("2.5 ")}).to_number()));
    EXPECT_TRUE(std::isnan(call(flash::as_global_parse_float, as_value(), {as_value("0x10")}).to_number()));
    EXPECT_TRUE(std::isnan(call(flash::as_global_parse_float, as_value()).to_number()));
    EXPECT_TRUE(call(flash::as_global_isnan, as_value()).to_bool());
    EXPECT_FALSE(call(flash::as_global_isnan, as_value(), {as_value("abc")}).to_bool());
    EXPECT_TRUE(call(flash::as_global_isnan, as_value(), {as_value()}).to_bool());
    EXPECT_TRUE(call(flash::as_global_boolean_ctor, as_value(), {as_value(nan_value)}).to_bool());
    EXPECT_FALSE(call(flash::as_global_boolean_ctor, as_value()).to_bool());
    EXPECT_EQ(call(flash::as_global_number_ctor, as_value(), {as_value("7")}).to_number(), 7.0);
    EXPECT_EQ(call(flash::as_global_number_ctor, as_value(), {as_value(1), as_value(2)}).to_number(), 0.0);
}

TEST_F(BuiltinsTest, NumberAndBooleanMethods) {
    struct row {
        double n;
        int radix;
        const char* text;
    } rows[] = {{10, 2, "1010"}, {255, 16, "FF"}, {35, 36, "Z"}, {0, 8, "0"},
                {10, 1, ""},     {10, 37, ""},    {-255, 16, "-FF"}};
    for (const row& r : rows) {
        EXPECT_STREQ(call(flash::as_number_to_string, as_value(r.n), {as_value(r.radix)}).to_string(), r.text);
    }
    EXPECT_STREQ(call(flash::as_number_to_string, as_value(0.5)).to_string(), "0.5");
    EXPECT_STREQ(call(flash::as_number_to_string, as_value(nan_value)).to_string(), "NaN");
    EXPECT_STREQ(call(flash::as_boolean_to_string, as_value(true)).to_string(), "true");
    const as_value same = call(flash::as_primitive_value_of, as_value(4.5));
    EXPECT_EQ(same.get_type(), as_value::NUMBER);
    EXPECT_EQ(same.to_number(), 4.5);
}

TEST_F(BuiltinsTest, StringCharacterMethods) {
    const as_value e("\xC3\xA9");  // one two-byte character
    EXPECT_EQ(call(flash::string_length, e).to_number(), 2.0);
    EXPECT_STREQ(call(flash::string_char_at, e, {as_value(0)}).to_string(), "\xC3\xA9");
    const as_value hello("hello");
    EXPECT_TRUE(call(flash::string_char_at, hello, {as_value(-1)}).is_undefined());
    EXPECT_TRUE(call(flash::string_char_at, hello, {as_value(5)}).is_undefined());
    EXPECT_EQ(call(flash::string_char_code_at, e, {as_value(0)}).to_number(), 0xE9);
    EXPECT_TRUE(std::isnan(call(flash::string_char_code_at, hello, {as_value(5)}).to_number()));
    EXPECT_STREQ(call(flash::string_from_char_code, as_value(), {as_value(72), as_value(105)}).to_string(), "Hi");
    // Rounding to even; codes below 1 or past 31 bits are skipped.
    EXPECT_STREQ(call(flash::string_from_char_code, as_value(),
                      {as_value(65.5), as_value(0), as_value(-3), as_value(2147483648.0), as_value(nan_value), as_value(66.5)})
                     .to_string(),
                 "BB");
    EXPECT_STREQ(call(flash::string_concat, hello, {as_value(1), as_value(true)}).to_string(), "hello1true");
    EXPECT_STREQ(call(flash::string_to_upper_case, hello).to_string(), "HELLO");
    EXPECT_STREQ(call(flash::string_to_lower_case, as_value("MiX")).to_string(), "mix");
    EXPECT_STREQ(call(flash::string_to_string, as_value(12)).to_string(), "12");
}

TEST_F(BuiltinsTest, StringSearchAndSlices) {
    const as_value hello("hello");
    struct row {
        flash::as_c_function_ptr f;
        std::initializer_list<as_value> args;
        const char* expect;  // null: result untouched
    };
    const row rows[] = {
        {flash::string_slice, {as_value(-2)}, "lo"},
        {flash::string_slice, {as_value(1), as_value(-1)}, "ell"},
        {flash::string_slice, {as_value(3), as_value(1)}, ""},
        {flash::string_slice, {}, "hello"},
        {flash::string_substring, {as_value(3), as_value(1)}, ""},
        {flash::string_substring, {as_value(-3), as_value(2)}, "he"},
        {flash::string_substring, {as_value(1)}, "ello"},
        {flash::string_substr, {as_value(-2)}, "hello"},
        {flash::string_substr, {as_value(1), as_value(2)}, "el"},
        {flash::string_substr, {as_value(5)}, nullptr},
        {flash::string_substr, {}, nullptr},
    };
    for (const row& r : rows) {
        const as_value v = call_native(p, r.f, hello, r.args);
        if (r.expect) {
            EXPECT_STREQ(v.to_string(), r.expect);
        } else {
            EXPECT_TRUE(v.is_undefined());
        }
    }
    struct search {
        flash::as_c_function_ptr f;
        std::initializer_list<as_value> args;
        int expect;
    };
    const search searches[] = {
        {flash::string_index_of, {as_value("l")}, 2},
        {flash::string_last_index_of, {as_value("l")}, 3},
        {flash::string_index_of, {as_value("z")}, -1},
        {flash::string_index_of, {}, -1},
        {flash::string_last_index_of, {}, -1},
        {flash::string_index_of, {as_value("l"), as_value(3)}, 3},
        {flash::string_index_of, {as_value("h"), as_value(-5)}, 0},
        {flash::string_index_of, {as_value("o"), as_value(99)}, -1},
        {flash::string_index_of, {as_value(""), as_value(99)}, 5},
        {flash::string_last_index_of, {as_value("l"), as_value(4)}, -1},
    };
    for (const search& s : searches) EXPECT_EQ(call_native(p, s.f, hello, s.args).to_number(), s.expect);
    // Positions count characters, not bytes.
    EXPECT_EQ(call(flash::string_index_of, as_value("\xC3\xA9x\xC3\xA9x"), {as_value("x")}).to_number(), 1);
    EXPECT_EQ(call(flash::string_last_index_of, as_value("\xC3\xA9x\xC3\xA9x"), {as_value("x")}).to_number(), 3);
    EXPECT_STREQ(call(flash::string_slice, as_value("a\xC3\xA9z"), {as_value(1), as_value(2)}).to_string(), "\xC3\xA9");
}

std::string joined(const as_value& array_value) {
    flash::as_object* a = array_value.to_object();
    return a ? a->to_string() : "<none>";
}

TEST_F(BuiltinsTest, StringSplit) {
    EXPECT_EQ(joined(call(flash::string_split, as_value("a,,b"), {as_value(",")})), "a,,b");
    const as_value parts = call(flash::string_split, as_value("a,,b"), {as_value(",")});
    ASSERT_TRUE(parts.to_object()->is(flash::as_object::ARRAY));
    EXPECT_EQ(static_cast<as_array*>(parts.to_object())->size(), 3);
    as_value middle;
    parts.to_object()->get_member("1", &middle);
    EXPECT_TRUE(middle.is_string());
    EXPECT_STREQ(middle.to_string(), "");
    const as_value whole = call(flash::string_split, as_value("a b"));
    EXPECT_EQ(static_cast<as_array*>(whole.to_object())->size(), 1);
    const as_value chars = call(flash::string_split, as_value("x\xC3\xA9y"), {as_value("")});
    EXPECT_EQ(static_cast<as_array*>(chars.to_object())->size(), 3);
    const as_value limited = call(flash::string_split, as_value("a-b-c"), {as_value("-"), as_value(2)});
    EXPECT_EQ(joined(limited), "a,b");
    const as_value none = call(flash::string_split, as_value("a-b"), {as_value("-"), as_value(0)});
    EXPECT_EQ(static_cast<as_array*>(none.to_object())->size(), 0);
}

TEST_F(BuiltinsTest, StringClassObject) {
    as_value string_class;
    ASSERT_TRUE(p->get_global()->get_member("String", &string_class));
    ASSERT_TRUE(string_class.is_function());
    as_value from;
    EXPECT_TRUE(string_class.to_object()->get_member("fromCharCode", &from));
    EXPECT_TRUE(from.is_function());
    EXPECT_STREQ(call(flash::string_ctor, as_value(), {as_value(3)}).to_string(), "3");
    const as_value empty = call(flash::string_ctor, as_value());
    EXPECT_TRUE(empty.is_string());
    EXPECT_STREQ(empty.to_string(), "");
}

as_value make_array(testsupport::stub_engine* p, std::initializer_list<as_value> args) {
    return call_native(p, flash::as_global_array_ctor, as_value(), args);
}

TEST_F(BuiltinsTest, ArrayConstructorForms) {
    const as_value three = make_array(p, {as_value(3)});
    as_array* a = static_cast<as_array*>(three.to_object());
    EXPECT_EQ(a->size(), 3);
    as_value length;
    EXPECT_TRUE(a->get_member("length", &length));
    EXPECT_EQ(length.to_number(), 3.0);
    as_value element;
    EXPECT_TRUE(a->get_member("2", &element));
    EXPECT_TRUE(element.is_undefined());
    EXPECT_EQ(static_cast<as_array*>(make_array(p, {as_value("abc")}).to_object())->size(), 0);
    EXPECT_EQ(static_cast<as_array*>(make_array(p, {as_value(-4)}).to_object())->size(), 0);
    testsupport::log_capture log;
    EXPECT_EQ(static_cast<as_array*>(make_array(p, {as_value(1e9)}).to_object())->size(), 0);
    EXPECT_TRUE(log.contains("Array(1000000000)"));
    const as_value pair = make_array(p, {as_value(1), as_value("a")});
    EXPECT_EQ(joined(pair), "1,a");
    EXPECT_EQ(static_cast<as_array*>(pair.to_object())->size(), 2);
    EXPECT_EQ(static_cast<as_array*>(make_array(p, {}).to_object())->size(), 0);
    as_value ctor;
    EXPECT_TRUE(a->get_members().get("__constructor__", &ctor));
    EXPECT_TRUE(ctor.is_function());
}

TEST_F(BuiltinsTest, ArrayLiteralTakesElementsOffTheStack) {
    flash::as_environment env(p);
    env.push(as_value("under"));  // stays
    env.push(as_value("c"));
    env.push(as_value("b"));
    env.push(as_value("a"));  // top: element 0
    env.push(as_value(3));
    as_value result;
    const as_value undefined_this;
    flash::fn_call fn(&result, nullptr, &env, -1, -1, &undefined_this);
    flash::as_global_array_ctor(fn);
    EXPECT_EQ(joined(result), "a,b,c");
    EXPECT_EQ(env.get_stack_size(), 1);
    // A count beyond the stack and past the literal bound takes only what is there.
    env.push(as_value(as_array::max_construct_size + 1));
    testsupport::log_capture log;
    as_value big;
    flash::fn_call fn2(&big, nullptr, &env, -1, -1, &undefined_this);
    flash::as_global_array_ctor(fn2);
    EXPECT_EQ(joined(big), "under");
    EXPECT_EQ(env.get_stack_size(), 0);
    EXPECT_TRUE(log.contains("array literal"));
}

TEST_F(BuiltinsTest, ArrayMethods) {
    as_value twelve = make_array(p, {});
    as_array* a = static_cast<as_array*>(twelve.to_object());
    for (int i = 0; i < 12; ++i) a->push(as_value(i));
    EXPECT_STREQ(call(flash::as_array_tostring, twelve).to_string(), "0,1,10,11,2,3,4,5,6,7,8,9");
    EXPECT_TRUE(call(flash::as_array_join, twelve).is_undefined());
    const as_value small = make_array(p, {as_value(1), as_value(2), as_value(3)});
    EXPECT_STREQ(call(flash::as_array_join, small, {as_value("-")}).to_string(), "1-2-3");

    as_value empty = make_array(p, {});
    EXPECT_EQ(call(flash::as_array_push, empty, {as_value(4), as_value(5)}).to_number(), 1.0);
    EXPECT_EQ(call(flash::as_array_pop, empty).to_number(), 4.0);
    EXPECT_TRUE(call(flash::as_array_pop, empty).is_undefined());
    EXPECT_EQ(static_cast<as_array*>(empty.to_object())->size(), 0);
    // Any enumerable member counts toward the length; "length" itself cannot be set.
    empty.to_object()->set_member("name", as_value("x"));
    empty.to_object()->set_member("length", as_value(10));
    EXPECT_EQ(call(flash::as_array_length, empty).to_number(), 1.0);
    // Methods do nothing on other objects.
    smart_ptr<flash::as_object> plain(new flash::as_object(p));
    EXPECT_TRUE(call(flash::as_array_push, as_value(plain.get_ptr()), {as_value(1)}).is_undefined());
}

TEST_F(BuiltinsTest, ArraysHoldingTheSameArraysTwiceOverGiveABoundedText) {
    testsupport::engine_log log;
    // a[k + 1] = [a[k], a[k]], 40 levels: the full text would double with every level.
    as_value level = make_array(p, {as_value(1), as_value(2)});
    for (int k = 0; k < 40; ++k) level = make_array(p, {level, level});
    const std::string text = level.to_string();
    // The allowance counts what every level makes, so the outer text is well under it.
    EXPECT_GT(text.size(), 1000u);
    EXPECT_LE(text.size(), 1u << 20);
    EXPECT_EQ(text.compare(0, 12, "1,2,1,2,1,2,"), 0) << text.substr(0, 60);
    EXPECT_NE(log.errors().find("array text longer than 1048576 bytes"), std::string::npos);
    // The next conversion has its whole allowance again.
    log.errors().clear();
    EXPECT_STREQ(make_array(p, {as_value(1), as_value(2)}).to_string(), "1,2");
    EXPECT_TRUE(log.errors().empty());
}

TEST_F(BuiltinsTest, ArrayLoadFromString) {
    as_value v = make_array(p, {as_value("old")});
    v = make_array(p, {as_value(7), as_value(8)});
    call(flash::as_array_load_from_string, v, {as_value("1,abc,2.5")});
    as_array* a = static_cast<as_array*>(v.to_object());
    ASSERT_EQ(a->size(), 3);
    as_value e0, e1, e2;
    a->get_member("0", &e0);
    a->get_member("1", &e1);
    a->get_member("2", &e2);
    EXPECT_EQ(e0.get_type(), as_value::NUMBER);
    EXPECT_EQ(e0.to_number(), 1.0);
    EXPECT_EQ(e1.get_type(), as_value::STRING);
    EXPECT_EQ(e2.to_number(), 2.5);
    call(flash::as_array_load_from_string, v, {as_value("")});
    EXPECT_EQ(a->size(), 0);
}

}  // namespace
