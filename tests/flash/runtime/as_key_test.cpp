// The Key object: key state, the last code, its text, listeners and the logged misuse.
#include <gtest/gtest.h>

#include <string>

#include "flash/runtime/as_key.h"
#include "tests/support/engine_log.h"
#include "tests/support/runtime_test_support.h"
#include "tests/support/stub_engine.h"

using flash::as_key;
using flash::as_object;
using flash::as_value;
using flash::smart_ptr;
using testsupport::call_native;

namespace {

// Each listener records its tag and the event handler that ran into one journal.
std::string g_journal;

void record_down(const flash::fn_call& fn) {
    as_value tag;
    if (fn.this_object) fn.this_object->get_member("tag", &tag);
    g_journal += std::string("down:") + tag.to_string() + " ";
}

void record_up(const flash::fn_call& fn) {
    as_value tag;
    if (fn.this_object) fn.this_object->get_member("tag", &tag);
    g_journal += std::string("up:") + tag.to_string() + " ";
}

class KeyTest : public ::testing::Test {
protected:
    void SetUp() override { g_journal.clear(); }

    as_key* key() {
        as_value v;
        p->get_global()->get_member("Key", &v);
        return flash::cast_to<as_key>(v.to_object());
    }
    as_value call(flash::as_c_function_ptr f, std::initializer_list<as_value> args = {}) {
        return call_native(p, f, as_value(key()), args);
    }
    smart_ptr<as_object> make_listener(const char* tag) {
        smart_ptr<as_object> o(new as_object(p));
        o->set_member("tag", as_value(tag));
        o->set_member("onKeyDown", as_value(record_down));
        o->set_member("onKeyUp", as_value(record_up));
        return o;
    }

    testsupport::engine_log log;
    smart_ptr<testsupport::stub_engine> p{new testsupport::stub_engine};
};

TEST_F(KeyTest, TheGlobalKeyHasItsConstantsAndMethods) {
    ASSERT_NE(key(), nullptr);
    EXPECT_TRUE(key()->is(as_object::KEY));
    EXPECT_TRUE(key()->is(as_object::OBJECT));
    EXPECT_FALSE(key()->is(as_object::TIMER));
    const struct {
        const char* name;
        int code;
    } constants[] = {{"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46},
                     {"DOWN", 40},     {"END", 35},      {"ENTER", 13},   {"ESCAPE", 27},
                     {"HOME", 36},     {"INSERT", 45},   {"LEFT", 37},    {"PGDN", 33},
                     {"PGUP", 34},     {"RIGHT", 39},    {"SHIFT", 16},   {"SPACE", 32},
                     {"TAB", 9},       {"UP", 38}};
    for (const auto& c : constants) {
        as_value v;
        ASSERT_TRUE(key()->get_member(c.name, &v)) << c.name;
        EXPECT_EQ(v.to_number(), c.code) << c.name;
    }
    // Constants can be overwritten by scripts; the methods are hidden from enumeration.
    key()->set_member("UP", as_value(99));
    as_value up;
    key()->get_member("UP", &up);
    EXPECT_EQ(up.to_number(), 99);
    for (const char* method : {"addListener", "getAscii", "getCode", "isDown", "isToggled", "removeListener"}) {
        const int index = key()->get_members().find_index(method);
        ASSERT_GE(index, 0) << method;
        EXPECT_TRUE(key()->get_members().entry_at(index).value().get_flags() & flash::AS_DONT_ENUM) << method;
    }
}

TEST_F(KeyTest, DownAndUpSetTheStateTheCodeAndTheText) {
    EXPECT_TRUE(call(flash::key_get_ascii).is_undefined());
    EXPECT_EQ(call(flash::key_get_code).to_number(), 0);
    key()->set_key_down(65);
    EXPECT_TRUE(call(flash::key_is_down, {as_value(65)}).to_bool());
    EXPECT_TRUE(call(flash::key_is_down, {as_value("65")}).to_bool());
    EXPECT_EQ(call(flash::key_get_code).to_number(), 65);
    const as_value ascii = call(flash::key_get_ascii);
    EXPECT_TRUE(ascii.is_string());
    EXPECT_STREQ(ascii.to_string(), "A");
    key()->set_key_up(65);
    EXPECT_FALSE(call(flash::key_is_down, {as_value(65)}).to_bool());
    EXPECT_EQ(call(flash::key_get_code).to_number(), 65);
    EXPECT_FALSE(call(flash::key_is_toggled).to_bool());
    EXPECT_TRUE(call(flash::key_is_toggled).is_bool());
    // The text is the low byte of the code: 0x41 + 0x100 would still give "A", but codes that high
    // never get in; 222 gives byte 0xDE.
    key()->set_key_down(222);
    EXPECT_EQ(static_cast<unsigned char>(call(flash::key_get_ascii).to_string()[0]), 222);
    EXPECT_TRUE(call(flash::key_is_down, {as_value(222)}).to_bool());
}

TEST_F(KeyTest, CodesAtOrAboveTheLimitAreIgnored) {
    smart_ptr<as_object> listener = make_listener("a");
    call(flash::key_add_listener, {as_value(listener.get_ptr())});
    key()->set_key_down(40);
    g_journal.clear();
    for (int code : {223, 224, 300, -1}) key()->set_key_down(code);
    key()->set_key_up(223);
    EXPECT_EQ(g_journal, "");
    EXPECT_EQ(call(flash::key_get_code).to_number(), 40);
    for (int code : {223, 300, -5}) EXPECT_FALSE(call(flash::key_is_down, {as_value(code)}).to_bool()) << code;
    EXPECT_TRUE(call(flash::key_is_down, {as_value(40)}).to_bool());
    EXPECT_FALSE(call(flash::key_is_down, {as_value(41)}).to_bool());
    EXPECT_FALSE(call(flash::key_is_down, {as_value(39)}).to_bool());
}

TEST_F(KeyTest, ListenersHearEachKeyOnceAndDeadOnesAreSkipped) {
    smart_ptr<as_object> first = make_listener("a");
    smart_ptr<as_object> second = make_listener("b");
    call(flash::key_add_listener, {as_value(first.get_ptr())});
    call(flash::key_add_listener, {as_value(first.get_ptr())});
    call(flash::key_add_listener, {as_value(second.get_ptr())});
    key()->set_key_down(65);
    key()->set_key_up(65);
    EXPECT_EQ(g_journal, "down:a down:b up:a up:b ");

    g_journal.clear();
    second = nullptr;  // destroyed: the list only held it weakly
    key()->set_key_down(66);
    EXPECT_EQ(g_journal, "down:a ");

    g_journal.clear();
    call(flash::key_remove_listener, {as_value(first.get_ptr())});
    call(flash::key_remove_listener, {as_value(7)});
    key()->set_key_down(67);
    EXPECT_EQ(g_journal, "");
}

TEST_F(KeyTest, MisuseIsLoggedAndChangesNothing) {
    struct row {
        flash::as_c_function_ptr f;
        std::initializer_list<as_value> args;
        const char* error;
    } rows[] = {
        {flash::key_add_listener, {}, "key_add_listener needs one argument (the listener object)\n"},
        {flash::key_add_listener, {as_value(5)}, "key_add_listener passed a NULL object; ignored\n"},
        {flash::key_remove_listener, {}, "key_remove_listener needs one argument (the listener object)\n"},
        {flash::key_is_down, {}, "key_is_down needs one argument (the key code)\n"},
    };
    for (const row& r : rows) {
        testsupport::engine_log::errors().clear();
        EXPECT_TRUE(call(r.f, r.args).is_undefined()) << r.error;
        EXPECT_EQ(testsupport::engine_log::errors(), r.error);
    }
    // A this that is not the Key object: nothing happens and nothing is logged.
    testsupport::engine_log::errors().clear();
    smart_ptr<as_object> other(new as_object(p));
    key()->set_key_down(65);
    EXPECT_TRUE(call_native(p, flash::key_get_code, as_value(other.get_ptr())).is_undefined());
    EXPECT_TRUE(call_native(p, flash::key_is_down, as_value(other.get_ptr()), {as_value(65)}).is_undefined());
    EXPECT_TRUE(call_native(p, flash::key_is_toggled, as_value(other.get_ptr())).is_undefined());
    EXPECT_TRUE(call_native(p, flash::key_add_listener, as_value(other.get_ptr())).is_undefined());
    EXPECT_EQ(testsupport::engine_log::errors(), "");
}

}  // namespace
