// The TextFormat constructor: one member per argument given, named in argument order.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "flash/runtime/as_textformat.h"
#include "tests/support/runtime_test_support.h"
#include "tests/support/stub_engine.h"

using flash::as_object;
using flash::as_value;
using testsupport::call_native;

namespace {

std::set<std::string> member_names(as_object* o) {
    std::set<std::string> names;
    for (auto it = o->get_members().begin(); it != o->get_members().end(); ++it) {
        names.insert(it.get_key().c_str());
    }
    return names;
}

TEST(TextFormatTest, FontAndSizeGiveExactlyThoseMembers) {
    flash::smart_ptr<testsupport::stub_engine> p(new testsupport::stub_engine);
    const as_value made = call_native(p.get_ptr(), flash::as_global_textformat_ctor, as_value(),
                                      {as_value("Arial"), as_value(12)});
    as_object* format = made.to_object();
    ASSERT_NE(format, nullptr);
    EXPECT_TRUE(format->is(as_object::TEXT_FORMAT));
    EXPECT_TRUE(format->is(as_object::OBJECT));
    EXPECT_FALSE(format->is(as_object::KEY));
    EXPECT_EQ(member_names(format), (std::set<std::string>{"font", "size"}));
    as_value font, size;
    format->get_member("font", &font);
    format->get_member("size", &size);
    EXPECT_STREQ(font.to_string(), "Arial");
    EXPECT_EQ(size.to_number(), 12);
    EXPECT_TRUE(size.is_number());
}

TEST(TextFormatTest, EveryArgumentNamesTheNextMemberAndExtrasAreIgnored) {
    flash::smart_ptr<testsupport::stub_engine> p(new testsupport::stub_engine);
    const char* const names[] = {"font",  "size",   "color",      "bold",        "italic",
                                 "underline", "url", "target", "align", "leftMargin",
                                 "rightMargin", "indent", "leading"};
    std::initializer_list<as_value> args = {
        as_value(0), as_value(1), as_value(2),  as_value(3),  as_value(4),  as_value(5),  as_value(6),
        as_value(7), as_value(8), as_value(9), as_value(10), as_value(11), as_value(12), as_value(13),
        as_value(14)};
    const as_value made = call_native(p.get_ptr(), flash::as_global_textformat_ctor, as_value(), args);
    as_object* format = made.to_object();
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->get_members().size(), 13);
    for (int i = 0; i < 13; ++i) {
        as_value v;
        ASSERT_TRUE(format->get_member(names[i], &v)) << names[i];
        EXPECT_EQ(v.to_number(), i) << names[i];
    }
    // No arguments: an empty bag.
    const as_value none = call_native(p.get_ptr(), flash::as_global_textformat_ctor, as_value());
    as_object* empty = none.to_object();
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->get_members().size(), 0);
}

}  // namespace
