#include "flash/runtime/name_tables.h"

#include <gtest/gtest.h>

#include "tests/support/runtime_test_support.h"
#include "flash/runtime/as_object.h"

namespace {

TEST(NameTables, StandardMembers) {
    const char* names[] = {
        "_x", "_y", "_xscale", "_yscale", "_currentframe", "_totalframes", "_alpha", "_visible",
        "_width", "_height", "_rotation", "_target", "_framesloaded", "_name", "_droptarget",
        "_url", "_highquality", "_focusrect", "_soundbuftime", "_xmouse", "_ymouse", "_parent",
        "text", "textWidth", "textColor", "border", "multiline", "wordWrap", "type",
        "backgroundColor", "_this", "this", "_root", ".", "..", "_level0", "_global", "enabled",
    };
    ASSERT_EQ(sizeof names / sizeof names[0], static_cast<size_t>(flash::AS_STANDARD_MEMBER_COUNT));
    for (int i = 0; i < flash::AS_STANDARD_MEMBER_COUNT; ++i) {
        EXPECT_EQ(flash::get_standard_member(names[i]), i) << names[i];
        EXPECT_STREQ(flash::get_standard_member_name(i), names[i]);
    }
    EXPECT_EQ(flash::get_standard_member("_X"), 0);
    EXPECT_EQ(flash::get_standard_member("TEXTwidth"), flash::M_TEXTWIDTH);
    EXPECT_EQ(flash::get_standard_member("_xx"), -1);
    EXPECT_EQ(flash::get_standard_member(""), -1);
}

TEST(NameTables, PropertyNumbers) {
    const char* names[] = {
        "_x", "_y", "_xscale", "_yscale", "_currentframe", "_totalframes", "_alpha", "_visible",
        "_width", "_height", "_rotation", "_target", "_framesloaded", "_name", "_droptarget",
        "_url", "_highquality", "_focusrect", "_soundbuftime", "@@ mystery quality member",
        "_xmouse", "_ymouse",
    };
    for (int i = 0; i < flash::PROPERTY_COUNT; ++i) EXPECT_STREQ(flash::get_property_name(i), names[i]);
    EXPECT_EQ(flash::get_property_name(22), nullptr);

    flash::smart_ptr<flash::player> p(new flash::player);
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
    const char* names[] = {
        "INVALID", "onPress", "onRelease", "onRelease_Outside", "onRoll_Over", "onRoll_Out",
        "onDrag_Over", "onDrag_Out", "", "onKeyPress", "onInitialize", "onLoad", "onUnload",
        "onEnterFrame", "onMouseDown", "onMouseUp", "onMouseMove", "onKeyDown", "onKeyUp",
        "onData", "onConstruct", "onSetFocus", "onKillFocus", "onLoadComplete", "onLoadError",
        "onLoadInit", "onLoadProgress", "onLoadStart", "onSoundComplete",
    };
    ASSERT_EQ(sizeof names / sizeof names[0], static_cast<size_t>(flash::event_id::EVENT_COUNT));
    for (int i = 0; i < flash::event_id::EVENT_COUNT; ++i) {
        EXPECT_STREQ(flash::get_function_name(flash::event_id(static_cast<uint8_t>(i))).c_str(), names[i]);
    }
    EXPECT_STREQ(flash::get_function_name(200).c_str(), "");
    EXPECT_EQ(flash::event_id::LOAD, 11);
    EXPECT_EQ(flash::event_id::KILLFOCUS, 22);
    EXPECT_EQ(flash::event_id::UNLOAD, 12);
}

TEST(NameTables, ButtonNamesTextFormatKeysAndConstructor) {
    const char* buttons[] = {"onKeyPress", "onRelease", "onDragOver", "onDragOut",
                             "onPress", "onReleaseOutside", "onRollout", "onRollover"};
    for (int i = 0; i < flash::BUTTON_LIKE_NAME_COUNT; ++i) {
        EXPECT_STREQ(flash::get_button_like_name(i).c_str(), buttons[i]);
    }
    const char* keys[] = {"font", "size", "color", "bold", "italic", "underline", "url",
                          "target", "align", "leftMargin", "rightMargin", "indent", "leading"};
    for (int i = 0; i < flash::TEXT_FORMAT_KEY_COUNT; ++i) {
        EXPECT_STREQ(flash::get_text_format_key(i).c_str(), keys[i]);
    }
    EXPECT_STREQ(flash::get_constructor_name().c_str(), "__constructor__");
}

}  // namespace
