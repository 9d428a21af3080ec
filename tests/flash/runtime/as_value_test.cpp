#include "flash/runtime/as_value.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <string>

#include "flash/runtime/as_function.h"
#include "flash/runtime/as_global.h"
#include "flash/runtime/as_object.h"
#include "flash/runtime/as_string.h"
#include "tests/support/runtime_test_support.h"
#include "tests/support/stub_engine.h"

using flash::as_value;

namespace {

const double nan_value = std::numeric_limits<double>::quiet_NaN();
const double inf = std::numeric_limits<double>::infinity();

TEST(StringToNumber, DecimalSyntaxOnlyAndWholeText) {
    struct row {
        const char* text;
        bool whole;
        double value;
    } rows[] = {
        {"", false, 0.0},        {" 12", true, 12.0},     {"12 ", false, 12.0},
        {"1e3", true, 1000.0},   {"abc", false, 0.0},     {"-2.5", true, -2.5},
        {"+.5", true, 0.5},      {"5.", true, 5.0},       {"1e", false, 1.0},
        {"0x10", false, 0.0},    {"inf", false, 0.0},     {"nan", false, 0.0},
        {"1e400", true, inf},    {"-1e400", true, -inf},  {"1e-400", true, 0.0},
        {"-", false, 0.0},       {".", false, 0.0},       {"12abc", false, 12.0},
    };
    for (const row& r : rows) {
        double d = -99;
        EXPECT_EQ(flash::string_to_number(&d, r.text), r.whole) << r.text;
        EXPECT_EQ(d, r.value) << r.text;
    }
    double d = 7;
    EXPECT_FALSE(flash::string_to_number(&d, nullptr));
}

TEST(StringToNumber, IntegersInABase) {
    int n = 0;
    EXPECT_TRUE(flash::string_to_number(&n, "ff", 16));
    EXPECT_EQ(n, 255);
    EXPECT_TRUE(flash::string_to_number(&n, "0x1F", 16));
    EXPECT_EQ(n, 31);
    EXPECT_TRUE(flash::string_to_number(&n, "-101", 2));
    EXPECT_EQ(n, -5);
    EXPECT_FALSE(flash::string_to_number(&n, "12z", 10));
    EXPECT_EQ(n, 12);
    EXPECT_FALSE(flash::string_to_number(&n, "", 10));
    EXPECT_FALSE(flash::string_to_number(&n, "12", 1));
    EXPECT_FALSE(flash::string_to_number(&n, "12", 37));
    EXPECT_TRUE(flash::string_to_number(&n, "99999999999", 10));
    EXPECT_EQ(n, INT_MAX);
}

TEST(AsValue, ToNumberTable) {
    EXPECT_TRUE(std::isnan(as_value().to_number()));
    EXPECT_EQ(as_value(true).to_number(), 1.0);
    EXPECT_EQ(as_value(false).to_number(), 0.0);
    EXPECT_EQ(as_value(2.5).to_number(), 2.5);
    EXPECT_EQ(as_value("").to_number(), 0.0);
    EXPECT_EQ(as_value(" 12").to_number(), 12.0);
    EXPECT_EQ(as_value("12 ").to_number(), 0.0);
    EXPECT_EQ(as_value("1e3").to_number(), 1000.0);
    EXPECT_EQ(as_value("abc").to_number(), 0.0);
    as_value null_value;
    null_value.set_null();
    EXPECT_EQ(null_value.to_number(), 0.0);
}

TEST(AsValue, ToIntFollowsTheX86Conversion) {
    struct row {
        double in;
        int out;
    } rows[] = {
        {1.9, 1},           {-1.9, -1},          {2147483647.0, INT_MAX}, {2147483648.0, INT_MIN},
        {-2147483648.0, INT_MIN}, {-2147483649.0, INT_MIN}, {nan_value, INT_MIN},
        {inf, INT_MIN},     {-inf, INT_MIN},     {-0.0, 0},
    };
    for (const row& r : rows) EXPECT_EQ(as_value(r.in).to_int(), r.out) << r.in;
}

TEST(AsValue, ToBoolTable) {
    EXPECT_FALSE(as_value().to_bool());
    EXPECT_TRUE(as_value(nan_value).to_bool());
    EXPECT_FALSE(as_value(0.0).to_bool());
    EXPECT_FALSE(as_value(-0.0).to_bool());
    EXPECT_TRUE(as_value(-inf).to_bool());
    EXPECT_TRUE(as_value("0").to_bool());
    EXPECT_TRUE(as_value("false").to_bool());
    EXPECT_FALSE(as_value("").to_bool());
    as_value null_value;
    null_value.set_null();
    EXPECT_FALSE(null_value.to_bool());
}

TEST(AsValue, TextForms) {
    EXPECT_STREQ(as_value().to_string(), "undefined");
    EXPECT_STREQ(as_value(true).to_string(), "true");
    EXPECT_STREQ(as_value(0.1 + 0.2).to_string(), "0.3");
    EXPECT_STREQ(as_value(nan_value).to_string(), "NaN");
    EXPECT_STREQ(as_value(inf).to_string(), "Infinity");
    EXPECT_STREQ(as_value(-inf).to_string(), "-Infinity");
    EXPECT_STREQ(as_value(-0.0).to_string(), "-0");
    EXPECT_STREQ(as_value(1e20).to_string(), "1e+20");
    EXPECT_STREQ(as_value(123456789012345678.0).to_string(), "1.2345678901235e+17");
    EXPECT_STREQ(as_value(L"\u00e9t\u00e9").to_string(), "\xC3\xA9t\xC3\xA9");
    as_value null_value;
    null_value.set_null();
    EXPECT_STREQ(null_value.to_string(), "null");
    EXPECT_STREQ(as_value(1.5).to_xstring(), "1.5");
}

TEST(AsValue, TypeOf) {
    flash::smart_ptr<testsupport::stub_engine> p(new testsupport::stub_engine);
    as_value null_value;
    null_value.set_null();
    EXPECT_STREQ(as_value().type_of(), "undefined");
    EXPECT_STREQ(as_value(false).type_of(), "boolean");
    EXPECT_STREQ(as_value(nan_value).type_of(), "number");
    EXPECT_STREQ(as_value("x").type_of(), "string");
    EXPECT_STREQ(null_value.type_of(), "null");
    EXPECT_STREQ(as_value(new flash::as_object(p)).type_of(), "object");
    EXPECT_STREQ(as_value(flash::as_global_trace).type_of(), "function");
    const as_value object(new flash::as_object(p));
    EXPECT_STREQ(object.to_string(), "[object Object]");
    EXPECT_EQ(std::string(object.to_xstring()).substr(0, 2), "0x");
    EXPECT_EQ(std::string(object.to_xstring()).size(), 18u);
}

TEST(AsValue, EqualityOfTheAs2Operators) {
    as_value null_value;
    null_value.set_null();
    EXPECT_TRUE(as_value() == null_value);
    EXPECT_TRUE(null_value == as_value());
    EXPECT_FALSE(as_value(1) == as_value("1"));
    EXPECT_FALSE(as_value("a") == as_value("A"));
    EXPECT_FALSE(as_value(nan_value) == as_value(nan_value));
    EXPECT_TRUE(as_value(0.0) == as_value(-0.0));
    EXPECT_TRUE(as_value(inf) == as_value(inf));
    EXPECT_FALSE(as_value(true) == as_value(1));
    EXPECT_TRUE(as_value(true) == as_value(true));
    EXPECT_TRUE(as_value("ab") == as_value("ab"));
    EXPECT_TRUE(as_value() == as_value());
    EXPECT_TRUE(as_value(1) != as_value(2));
    EXPECT_FALSE(as_value(nan_value) < 1.0);
    EXPECT_TRUE(as_value("3") < 4.0);
}

TEST(AsValue, AbstractEqualityAndLessThan) {
    flash::smart_ptr<testsupport::stub_engine> p(new testsupport::stub_engine);
    as_value null_value;
    null_value.set_null();
    const as_value obj(new flash::as_object(p));
    const as_value other(new flash::as_object(p));
    struct row {
        as_value a, b;
        bool equal;
    } rows[] = {
        {as_value(), as_value(), true},
        {as_value(), null_value, true},
        {null_value, null_value, true},
        {as_value(1), as_value("1"), true},
        {as_value("1"), as_value(1), true},
        {as_value(nan_value), as_value(nan_value), false},
        {as_value(nan_value), as_value("NaN"), false},
        {as_value(true), as_value(1), true},
        {as_value(true), as_value("1"), true},
        {as_value(false), as_value(""), true},
        {as_value("a"), as_value("a"), true},
        {as_value("a"), as_value("A"), false},
        {obj, obj, true},
        {obj, other, false},
        {obj, null_value, false},
        {as_value(), as_value(0), false},
    };
    for (const row& r : rows) {
        EXPECT_EQ(r.a.abstract_equals(r.b), r.equal) << r.a.to_string() << " vs " << r.b.to_string();
    }
    const as_value less = as_value(1).abstract_less(as_value("2"));
    EXPECT_TRUE(less.is_bool());
    EXPECT_TRUE(less.to_bool());
    EXPECT_FALSE(as_value(nan_value).abstract_less(as_value(1)).to_bool());
}

TEST(AsValue, ArithmeticAndShifts) {
    as_value v(5);
    v += 2.5;
    EXPECT_EQ(v.to_number(), 7.5);
    as_value u;
    u += 1;  // undefined is NaN
    EXPECT_TRUE(std::isnan(u.to_number()));
    as_value z(1.0);
    z /= 0.0;
    EXPECT_EQ(z.to_number(), inf);
    as_value nz(-1.0);
    nz /= inf;
    EXPECT_TRUE(std::signbit(nz.to_number()));
    as_value inf_minus(inf);
    inf_minus -= inf;
    EXPECT_TRUE(std::isnan(inf_minus.to_number()));
    as_value s("6");
    s *= 2;
    EXPECT_EQ(s.get_type(), as_value::NUMBER);
    EXPECT_EQ(s.to_number(), 12.0);

    as_value a(-8);
    a.asr(33);
    EXPECT_EQ(a.to_int(), -4);
    as_value b(1);
    b.shl(-1);
    EXPECT_EQ(b.to_int(), INT_MIN);
    as_value c(-1);
    c.lsr(0);
    EXPECT_EQ(c.to_int(), -1);
    as_value d(-1);
    d.lsr(28);
    EXPECT_EQ(d.to_int(), 15);
    as_value e(nan_value);
    e |= 0;
    EXPECT_EQ(e.to_int(), INT_MIN);
    as_value f(6);
    f &= 3;
    EXPECT_EQ(f.to_int(), 2);
    f ^= 7;
    EXPECT_EQ(f.to_int(), 5);
}

TEST(AsValue, FlagsFollowAssignmentAndSettersClearThem) {
    as_value stored(3);
    stored.set_flags(flash::AS_DONT_ENUM | flash::AS_READ_ONLY);
    as_value copy;
    copy = stored;
    EXPECT_EQ(copy.get_flags(), 5);
    copy.set_int(4);
    EXPECT_EQ(copy.get_flags(), 0);
    copy = stored;
    copy = as_value();
    EXPECT_EQ(copy.get_flags(), 0);
}

TEST(AsValue, SharedObjectsAreCounted) {
    flash::smart_ptr<testsupport::stub_engine> p(new testsupport::stub_engine);
    flash::weak_ptr<flash::as_object> watch;
    {
        as_value a(new flash::as_object(p));
        watch = a.to_object();
        as_value b(a);
        a.set_undefined();
        EXPECT_NE(watch.get_ptr(), nullptr);
        b = b;  // self-assignment keeps it
        EXPECT_NE(watch.get_ptr(), nullptr);
    }
    EXPECT_EQ(watch.get_ptr(), nullptr);
}

// Getter of the move table: counts its runs and answers the "name" member of its object.
int g_getter_runs = 0;
void getter_counts_runs(const flash::fn_call& fn) {
    ++g_getter_runs;
    as_value name;
    if (fn.this_object) fn.this_object->get_members().get("name", &name);
    *fn.result = name;
}

void native_does_nothing(const flash::fn_call&) {}

TEST(AsValue, MovingLeavesUndefinedAndReadsAsACopy) {
    flash::smart_ptr<testsupport::stub_engine> p(new testsupport::stub_engine);
    flash::smart_ptr<flash::as_object> target(new flash::as_object(p));
    target->get_members().set("name", as_value("got"));
    const as_value getter_setter{as_value(getter_counts_runs), as_value()};
    struct row {
        const char* what;
        as_value source;
        as_value::type moved_type;
        const char* text;
        int getter_runs;  // per copy or move
    };
    row rows[] = {
        {"undefined", as_value(), as_value::UNDEFINED, "undefined", 0},
        {"null", as_value(static_cast<flash::as_object*>(nullptr)), as_value::OBJECT, "null", 0},
        {"bool", as_value(true), as_value::BOOLEAN, "true", 0},
        {"number", as_value(-2.5), as_value::NUMBER, "-2.5", 0},
        {"inline string", as_value("short"), as_value::STRING, "short", 0},
        {"heap string", as_value("a text longer than fourteen bytes"), as_value::STRING,
         "a text longer than fourteen bytes", 0},
        {"object", as_value(new flash::as_object(p)), as_value::OBJECT, "[object Object]", 0},
        {"function", as_value(native_does_nothing), as_value::OBJECT, nullptr, 0},
        {"getter/setter member", getter_setter, as_value::PROPERTY, nullptr, 0},
        {"bound getter/setter", getter_setter, as_value::STRING, "got", 1},
    };
    for (row& r : rows) {
        SCOPED_TRACE(r.what);
        for (int assign = 0; assign < 2; ++assign) {
            as_value source(r.source);
            // A copy of a bound pair would already be the getter's value: bind here.
            if (r.getter_runs) source.set_property_target(target.get_ptr());
            source.set_flags(flash::AS_DONT_ENUM);
            // The counted things the source holds, and their counts before any copy.
            const flash::ref_counted* held[] = {source.to_object(), source.to_property(),
                                                source.get_property_target()};
            int before[3];
            for (int i = 0; i < 3; ++i) before[i] = held[i] ? held[i]->get_ref_count() : 0;
            const bool bound = source.get_property_target() != nullptr;

            g_getter_runs = 0;
            const as_value copy(source);
            EXPECT_EQ(g_getter_runs, r.getter_runs);
            flash::smart_ptr<flash::as_object> replaced(new flash::as_object(p));
            std::optional<as_value> slot;
            if (assign) {
                slot.emplace(replaced.get_ptr());
                EXPECT_EQ(replaced->get_ref_count(), 2);
                *slot = std::move(source);
                EXPECT_EQ(replaced->get_ref_count(), 1);  // the old reference went
            } else {
                slot.emplace(std::move(source));
            }
            const as_value& moved = *slot;
            EXPECT_EQ(g_getter_runs, 2 * r.getter_runs);

            EXPECT_TRUE(source.is_undefined());
            EXPECT_EQ(source.get_flags(), 0);
            EXPECT_EQ(source.to_object(), nullptr);
            EXPECT_EQ(source.to_property(), nullptr);
            EXPECT_STREQ(source.to_string(), "undefined");

            EXPECT_EQ(moved.get_type(), r.moved_type);
            EXPECT_EQ(copy.get_type(), r.moved_type);
            EXPECT_EQ(moved.get_flags(), flash::AS_DONT_ENUM);
            EXPECT_STREQ(moved.to_string(), copy.to_string());
            if (r.text) {
                EXPECT_STREQ(moved.to_string(), r.text);
            }
            EXPECT_TRUE(moved == copy || moved.to_number() != moved.to_number());
            EXPECT_EQ(moved.to_object(), copy.to_object());
            EXPECT_EQ(moved.to_property(), copy.to_property());

            // Copy and moved value now hold one reference each; the source none.
            for (int i = 0; i < 3; ++i) {
                if (!held[i]) continue;
                const int expected = bound ? before[i] - 1 : before[i] + 1;
                EXPECT_EQ(held[i]->get_ref_count(), expected) << "slot " << i;
            }
        }
    }
    EXPECT_EQ(target->get_ref_count(), 1);
}

TEST(AsValue, MovingAValueOwnedOnlyThroughItsTarget) {
    flash::smart_ptr<testsupport::stub_engine> p(new testsupport::stub_engine);
    flash::weak_ptr<flash::as_object> watch;
    as_value holder(new flash::as_object(p));
    watch = holder.to_object();
    holder.to_object()->get_members().set("inner", as_value("kept"));
    // The object is kept alive only by holder; its member moves into holder itself.
    as_value* inner = nullptr;
    {
        auto& members = holder.to_object()->get_members();
        const int index = members.find_index("inner");
        ASSERT_GE(index, 0);
        inner = &members.entry_at(index).value();
    }
    holder = std::move(*inner);
    EXPECT_EQ(watch.get_ptr(), nullptr);
    EXPECT_STREQ(holder.to_string(), "kept");
}

TEST(AsValue, PrimitiveMembersComeFromTheBuiltinTables) {
    flash::smart_ptr<testsupport::stub_engine> p(new testsupport::stub_engine);
    as_value m;
    EXPECT_TRUE(as_value("abc").get_member("charAt", &m));
    EXPECT_TRUE(m.is_function());
    EXPECT_TRUE(as_value(1.5).get_member("toString", &m));
    EXPECT_TRUE(as_value(true).get_member("valueOf", &m));
    EXPECT_FALSE(as_value(true).get_member("charAt", &m));
    EXPECT_FALSE(as_value().get_member("toString", &m));
    // s.length is the byte count, as compiled movies read it.
    EXPECT_TRUE(as_value("\xC3\xA9t").get_member("length", &m));
    EXPECT_EQ(m.get_type(), as_value::NUMBER);
    EXPECT_EQ(m.to_number(), 3.0);
    as_value owner;
    const as_value s("x");
    EXPECT_TRUE(s.find_property("toUpperCase", &owner));
    EXPECT_TRUE(owner == s);
    EXPECT_FALSE(s.find_property("nothing", &owner));
}

TEST(AsValue, InstanceTestsOfPrimitives) {
    flash::smart_ptr<testsupport::stub_engine> p(new testsupport::stub_engine);
    flash::as_object* global = p->get_global();
    as_value number_ctor, string_ctor, boolean_ctor, object_ctor;
    global->get_member("Number", &number_ctor);
    global->get_member("String", &string_ctor);
    global->get_member("Boolean", &boolean_ctor);
    global->get_member("Object", &object_ctor);
    EXPECT_TRUE(as_value(1).instance_of(number_ctor.to_function()));
    EXPECT_FALSE(as_value(1).instance_of(string_ctor.to_function()));
    EXPECT_TRUE(as_value("s").instance_of(string_ctor.to_function()));
    EXPECT_TRUE(as_value(true).instance_of(boolean_ctor.to_function()));
    EXPECT_TRUE(as_value(true).instance_of(object_ctor.to_function()));
    EXPECT_FALSE(as_value().instance_of(object_ctor.to_function()));
    const as_value plain(new flash::as_object(p));
    EXPECT_TRUE(plain.instance_of(object_ctor.to_function()));
    EXPECT_FALSE(plain.instance_of(number_ctor.to_function()));
}

}  // namespace
