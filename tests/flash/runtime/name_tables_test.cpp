#include "flash/runtime/name_tables.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "tests/support/runtime_test_support.h"
#include "tests/support/stub_engine.h"
#include "flash/runtime/as_object.h"

namespace {

TEST(NameTables, StandardMembers) {
    // Anchors at the start, the middle and the end of the table, and the lookup rules.
    struct anchor {
        const char* name;
        int id;
    };
    for (const anchor& a : {anchor{"_x", flash::M_X}, anchor{"_name", flash::M_NAME}, anchor{"_parent", flash::M_PARENT},
                            anchor{"textWidth", flash::M_TEXTWIDTH}, anchor{"_root", flash::M_ROOT},
                            anchor{"..", flash::M_ROOT + 2}, anchor{"enabled", flash::M_ENABLED}}) {
        EXPECT_EQ(flash::get_standard_member(a.name), a.id) << a.name;
        EXPECT_STREQ(flash::get_standard_member_name(a.id), a.name);
    }
    EXPECT_EQ(flash::M_X, 0);
    EXPECT_EQ(flash::M_ENABLED, flash::AS_STANDARD_MEMBER_COUNT - 1);
    // Every name finds its own id again, whatever its letter case.
    for (int i = 0; i < flash::AS_STANDARD_MEMBER_COUNT; ++i) {
        std::string upper(flash::get_standard_member_name(i));
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(flash::get_standard_member(flash::get_standard_member_name(i)), i);
        EXPECT_EQ(flash::get_standard_member(upper.c_str()), i) << upper.c_str();
    }
    EXPECT_EQ(flash::get_standard_member("_xx"), -1);
    EXPECT_EQ(flash::get_standard_member(""), -1);
}

TEST(NameTables, StandardMembersFoundAfterTheTableIsEmptiedAndByPreparedNames) {
    // Emptying the table resets the quick name filter with it: nothing may be answered as absent
    // before the table is built again.
    flash::clear_standard_member_map();
    EXPECT_EQ(flash::get_standard_member("."), flash::MDOT);
    flash::clear_standard_member_map();
    for (int i = 0; i < flash::AS_STANDARD_MEMBER_COUNT; ++i) {
        flash::bx_string name(flash::get_standard_member_name(i));
        name.prepare_name();
        EXPECT_EQ(flash::get_standard_member(name), i) << name.c_str();
    }
    // Short names whose hashes differ only in their low bits, beside the one-letter member ".".
    for (char c = ' '; c < 127; ++c) {
        const char text[2] = {c, 0};
        EXPECT_EQ(flash::get_standard_member(text), c == '.' ? flash::MDOT : -1) << text;
    }
}

TEST(NameTables, PropertyNumbers) {
    struct anchor {
        int number;
        const char* name;
    };
    for (const anchor& a : {anchor{0, "_x"}, anchor{13, "_name"}, anchor{19, "@@ mystery quality member"},
                            anchor{21, "_ymouse"}}) {
        EXPECT_STREQ(flash::get_property_name(a.number), a.name) << a.number;
    }
    EXPECT_EQ(flash::PROPERTY_COUNT, 22);
    EXPECT_EQ(flash::get_property_name(22), nullptr);
    EXPECT_EQ(flash::get_property_name(-1), nullptr);

    flash::smart_ptr<testsupport::stub_engine> p(new testsupport::stub_engine);
    flash::smart_ptr<flash::as_object> target(new flash::as_object(p));
    flash::set_property(target, 13, flash::as_value("clip"));
    flash::as_value v;
    flash::get_property(target, 13, &v);
    EXPECT_STREQ(v.to_string(), "clip");
    flash::get_property(target, 19, &v);  // a member nobody has
    EXPECT_STREQ(v.to_string(), "clip");
    flash::as_value fresh;
    flash::get_property(target, 19, &fresh);
    EXPECT_TRUE(fresh.is_undefined());
    testsupport::log_capture log;
    flash::get_property(target, 22, &v);
    EXPECT_TRUE(v.is_undefined());
    EXPECT_TRUE(log.contains("error: invalid property query, property number 22\n"));
    flash::set_property(target, 30, flash::as_value(1));
    EXPECT_TRUE(log.contains("error: invalid set_property, property number 30\n"));
}

TEST(NameTables, EventHandlerNames) {
    struct anchor {
        int id;
        const char* name;
    };
    for (const anchor& a : {anchor{flash::event_id::INVALID, "INVALID"}, anchor{flash::event_id::PRESS, "onPress"},
                            anchor{flash::event_id::RELEASE_OUTSIDE, "onRelease_Outside"}, anchor{8, ""},
                            anchor{flash::event_id::LOAD, "onLoad"}, anchor{flash::event_id::KILLFOCUS, "onKillFocus"},
                            anchor{flash::event_id::SOUND_COMPLETE, "onSoundComplete"}}) {
        EXPECT_STREQ(flash::get_function_name(flash::event_id(static_cast<uint8_t>(a.id))).c_str(), a.name) << a.id;
    }
    EXPECT_EQ(flash::event_id::LOAD, 11);
    EXPECT_EQ(flash::event_id::UNLOAD, 12);
    EXPECT_EQ(flash::event_id::KILLFOCUS, 22);
    EXPECT_EQ(flash::event_id::EVENT_COUNT, flash::event_id::SOUND_COMPLETE + 1);
    EXPECT_STREQ(flash::get_function_name(flash::event_id::EVENT_COUNT).c_str(), "");
    EXPECT_STREQ(flash::get_function_name(200).c_str(), "");
}

TEST(NameTables, ButtonNamesTextFormatKeysAndConstructor) {
    EXPECT_EQ(flash::BUTTON_LIKE_NAME_COUNT, 8);
    EXPECT_STREQ(flash::get_button_like_name(0).c_str(), "onKeyPress");
    EXPECT_STREQ(flash::get_button_like_name(6).c_str(), "onRollout");
    EXPECT_STREQ(flash::get_button_like_name(flash::BUTTON_LIKE_NAME_COUNT - 1).c_str(), "onRollover");
    EXPECT_EQ(flash::TEXT_FORMAT_KEY_COUNT, 13);
    EXPECT_STREQ(flash::get_text_format_key(0).c_str(), "font");
    EXPECT_STREQ(flash::get_text_format_key(9).c_str(), "leftMargin");
    EXPECT_STREQ(flash::get_text_format_key(flash::TEXT_FORMAT_KEY_COUNT - 1).c_str(), "leading");
    EXPECT_STREQ(flash::get_constructor_name().c_str(), "__constructor__");
}

}  // namespace
