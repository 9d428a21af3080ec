#include "flash/runtime/as_object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flash/runtime/event_id.h"
#include "flash/runtime/as_array.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/as_global.h"
#include "flash/runtime/as_s_function.h"
#include "tests/support/runtime_test_support.h"
#include "tests/support/stub_engine.h"
#include "test_character.h"

using flash::as_c_function;
using flash::as_object;
using flash::as_value;
using flash::fn_call;
using flash::smart_ptr;
using testsupport::call_native;

namespace {

// What the natives below saw, in order.
std::vector<std::string> g_seen;

// Getter: answers the "name" member of the object it runs on.
void getter_of_name(const fn_call& fn) {
    as_value name;
    if (fn.this_object) fn.this_object->get_members().get("name", &name);
    *fn.result = name;
}

// Setter: stores the argument doubled under "stored".
void setter_doubles(const fn_call& fn) {
    g_seen.push_back("set " + std::string(fn.arg(0).to_string()));
    fn.this_object->get_members().set("stored", as_value(fn.arg(0).to_number() * 2));
}

// Watch: records (name, old, new, user data) and returns new + 100.
void watch_adds_100(const fn_call& fn) {
    g_seen.push_back(std::string(fn.arg(0).to_string()) + " " + fn.arg(1).to_string() + " " +
                     fn.arg(2).to_string() + " " + fn.arg(3).to_string());
    fn.result->set_double(fn.arg(2).to_number() + 100);
}

// Watch that writes its own member again.
void watch_writes_itself(const fn_call& fn) {
    g_seen.push_back("watch");
    fn.this_object->set_member(fn.arg(0).to_bx_string(), as_value(7));
    *fn.result = fn.arg(2);
}

void handler_records(const fn_call& fn) {
    std::string line = "handler";
    for (int i = 0; i < fn.arg_count; ++i) line += std::string(" ") + fn.arg(i).to_string();
    g_seen.push_back(line);
}

class AsObjectTest : public ::testing::Test {
protected:
    void SetUp() override { g_seen.clear(); }
    smart_ptr<testsupport::stub_engine> p{new testsupport::stub_engine};
};

TEST_F(AsObjectTest, CheckedCastsFollowTheClassIds) {
    smart_ptr<as_object> native(new as_c_function(p.get_ptr(), getter_of_name));
    const flash::action_buffer body;
    smart_ptr<as_object> script(new flash::as_s_function(p.get_ptr(), body, 0, flash::array<flash::with_scope>()));
    smart_ptr<as_object> plain(new as_object(p.get_ptr()));
    smart_ptr<as_object> list(new flash::as_array(p.get_ptr()));

    EXPECT_EQ(flash::cast_to<as_c_function>(native.get_ptr()), native.get_ptr());
    EXPECT_EQ(flash::cast_to<as_c_function>(native.get_ptr())->get_function(), &getter_of_name);
    EXPECT_EQ(flash::cast_to<flash::as_s_function>(script.get_ptr()), script.get_ptr());
    for (as_object* other : {script.get_ptr(), plain.get_ptr(), list.get_ptr()})
        EXPECT_EQ(flash::cast_to<as_c_function>(other), nullptr);
    for (as_object* other : {native.get_ptr(), plain.get_ptr(), list.get_ptr()})
        EXPECT_EQ(flash::cast_to<flash::as_s_function>(other), nullptr);
    EXPECT_EQ(flash::cast_to<as_c_function>(static_cast<as_object*>(nullptr)), nullptr);
    const as_object* constant = native.get_ptr();
    EXPECT_EQ(flash::cast_to<as_c_function>(constant), native.get_ptr());
    EXPECT_EQ(as_c_function::cast_class_id, 4);
    EXPECT_EQ(flash::as_s_function::cast_class_id, 5);
}

TEST_F(AsObjectTest, KindTestsAnswerAsTheClassIdsDo) {
    const flash::action_buffer body;
    const smart_ptr<as_object> objects[] = {
        new as_object(p.get_ptr()),
        new flash::as_array(p.get_ptr()),
        new as_c_function(p.get_ptr(), getter_of_name),
        new flash::as_s_function(p.get_ptr(), body, 0, flash::array<flash::with_scope>()),
        new testsupport::test_character(p.get_ptr()),
    };
    for (const smart_ptr<as_object>& o : objects) {
        EXPECT_EQ(o->is_character(), o->is(as_object::CHARACTER));
        EXPECT_EQ(o->is_function(), o->is(as_object::FUNCTION));
    }
    EXPECT_TRUE(objects[3]->is_function());
    EXPECT_TRUE(objects[4]->is_character());
}

TEST_F(AsObjectTest, TheScriptFunctionKindAnswersAsItsClassIdDoes) {
    const flash::action_buffer body;
    const smart_ptr<as_object> objects[] = {
        new as_object(p.get_ptr()),
        new as_c_function(p.get_ptr(), getter_of_name),
        new flash::as_s_function(p.get_ptr(), body, 0, flash::array<flash::with_scope>()),
        new testsupport::test_character(p.get_ptr()),
    };
    for (const smart_ptr<as_object>& o : objects) {
        EXPECT_EQ(o->is_script_function(), o->is(as_object::S_FUNCTION));
    }
    EXPECT_TRUE(objects[2]->is_script_function());
}

TEST_F(AsObjectTest, AddPropertyGettersAndSetters) {
    smart_ptr<as_object> o(new as_object(p));
    o->get_members().set("name", as_value("first"));
    const as_value this_value(o.get_ptr());
    as_value r = call_native(p, flash::as_object_addproperty, this_value,
                             {as_value("prop"), as_value(getter_of_name), as_value(setter_doubles)});
    EXPECT_TRUE(r.to_bool());
    as_value v;
    ASSERT_TRUE(o->get_member("prop", &v));
    EXPECT_STREQ(v.to_string(), "first");
    // A write calls the setter and leaves the member a PROPERTY.
    EXPECT_TRUE(o->set_member("prop", as_value(21)));
    EXPECT_EQ(g_seen, std::vector<std::string>{"set 21"});
    as_value stored;
    o->get_members().get("stored", &stored);
    EXPECT_EQ(stored.to_number(), 42.0);
    as_value raw;
    o->get_members().get("prop", &raw);
    EXPECT_TRUE(raw.is_property());
    EXPECT_EQ(raw.get_flags(), flash::AS_DONT_ENUM);

    // Wrong argument count: false, nothing added.
    r = call_native(p, flash::as_object_addproperty, this_value,
                    {as_value("other"), as_value(getter_of_name)});
    EXPECT_FALSE(r.to_bool());
    EXPECT_FALSE(o->get_member("other", nullptr));
}

TEST_F(AsObjectTest, InheritedGetterRunsOnTheReceiver) {
    smart_ptr<as_object> proto(new as_object(p));
    proto->get_members().set("name", as_value("proto"));
    call_native(p, flash::as_object_addproperty, as_value(proto.get_ptr()),
                {as_value("prop"), as_value(getter_of_name), as_value(setter_doubles)});
    smart_ptr<as_object> child(new as_object(p));
    child->set_proto(proto);
    child->get_members().set("name", as_value("child"));
    as_value v;
    ASSERT_TRUE(child->get_member("prop", &v));
    EXPECT_STREQ(v.to_string(), "child");
    // The inherited setter also runs on the receiver.
    child->set_member("prop", as_value(5));
    as_value stored;
    EXPECT_TRUE(child->get_members().get("stored", &stored));
    EXPECT_FALSE(proto->get_members().get("stored", &stored));
}

TEST_F(AsObjectTest, WatchesReplaceTheWrittenValue) {
    smart_ptr<as_object> o(new as_object(p));
    o->set_member("x", as_value(1));
    const as_value this_value(o.get_ptr());
    const as_value callback(watch_adds_100);  // the watch holds it weakly
    EXPECT_TRUE(call_native(p, flash::as_object_watch, this_value,
                            {as_value("x"), callback, as_value("data")})
                    .to_bool());
    o->set_member("X", as_value(2));
    EXPECT_EQ(g_seen, std::vector<std::string>{"X 1 2 data"});
    as_value v;
    o->get_member("x", &v);
    EXPECT_EQ(v.to_number(), 102.0);
    // Watching needs a function and two arguments.
    EXPECT_FALSE(call_native(p, flash::as_object_watch, this_value, {as_value("x")}).to_bool());
    EXPECT_FALSE(call_native(p, flash::as_object_watch, this_value, {as_value("y"), as_value(3)})
                     .to_bool());
    EXPECT_TRUE(call_native(p, flash::as_object_unwatch, this_value, {as_value("x")}).to_bool());
    EXPECT_FALSE(call_native(p, flash::as_object_unwatch, this_value, {as_value("x")}).to_bool());
    o->set_member("x", as_value(3));
    o->get_member("x", &v);
    EXPECT_EQ(v.to_number(), 3.0);
}

TEST_F(AsObjectTest, WatchDetailsPropertySelfWriteAndDeadCallback) {
    smart_ptr<as_object> o(new as_object(p));
    // A watch on a PROPERTY member never runs.
    call_native(p, flash::as_object_addproperty, as_value(o.get_ptr()),
                {as_value("prop"), as_value(getter_of_name), as_value(setter_doubles)});
    o->watch("prop", as_value(watch_adds_100).to_function(), as_value());
    as_value keep_func(watch_writes_itself);
    o->watch("self", keep_func.to_function(), as_value());
    o->set_member("prop", as_value(1));
    EXPECT_EQ(g_seen, std::vector<std::string>{"set 1"});
    // A callback writing its own member does not run again for that write.
    g_seen.clear();
    o->set_member("self", as_value(5));
    EXPECT_EQ(g_seen, std::vector<std::string>{"watch"});
    as_value v;
    o->get_member("self", &v);
    EXPECT_EQ(v.to_number(), 5.0);
    // The watch holds its callback weakly: once it is gone the write is plain.
    g_seen.clear();
    keep_func.set_undefined();
    o->set_member("self", as_value(6));
    EXPECT_TRUE(g_seen.empty());
    o->get_member("self", &v);
    EXPECT_EQ(v.to_number(), 6.0);
}

TEST_F(AsObjectTest, MemberFlagsBelongToTheMember) {
    smart_ptr<as_object> o(new as_object(p));
    o->set_member("ro", as_value(1));
    o->set_member_flags("ro", flash::AS_READ_ONLY);
    EXPECT_TRUE(o->set_member("ro", as_value(2)));
    as_value v;
    o->get_member("ro", &v);
    EXPECT_EQ(v.to_number(), 1.0);
    // Storing a value read from a read-only, hidden member makes a plain member.
    o->set_member_flags("ro", flash::AS_READ_ONLY | flash::AS_DONT_ENUM);
    o->get_member("ro", &v);
    smart_ptr<as_object> other(new as_object(p));
    other->set_member("copy", v);
    other->set_member("copy", as_value(9));
    as_value copy;
    other->get_member("copy", &copy);
    EXPECT_EQ(copy.to_number(), 9.0);
    // A plain write keeps the flags set on a member.
    o->set_member("hidden", as_value(1));
    o->set_member_flags("hidden", flash::AS_DONT_ENUM);
    o->set_member("hidden", as_value(2));
    as_value raw;
    o->get_members().get("hidden", &raw);
    EXPECT_EQ(raw.get_flags(), flash::AS_DONT_ENUM);
    EXPECT_EQ(raw.to_number(), 2.0);
}

TEST_F(AsObjectTest, EnumerateSkipsHiddenMembers) {
    smart_ptr<as_object> o(new as_object(p));
    o->set_member("a", as_value(1));
    o->builtin_member("b", as_value(2));
    call_native(p, flash::as_object_addproperty, as_value(o.get_ptr()),
                {as_value("c"), as_value(getter_of_name), as_value()});
    o->set_member("d", as_value(3));
    flash::as_environment env(p);
    o->enumerate(&env);
    ASSERT_EQ(env.get_stack_size(), 2);
    std::vector<std::string> names{env.top(0).to_string(), env.top(1).to_string()};
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a", "d"}));
}

TEST_F(AsObjectTest, LookupOrderAndHasOwnProperty) {
    smart_ptr<as_object> proto(new as_object(p));
    proto->set_member("inherited", as_value(1));
    smart_ptr<as_object> o(new as_object(p));
    o->set_proto(proto);
    // The shared Object method table hides an own member of the same name.
    o->get_members().set("watch", as_value(5));
    as_value v;
    ASSERT_TRUE(o->get_member("watch", &v));
    EXPECT_TRUE(v.is_function());
    EXPECT_TRUE(o->get_member("INHERITED", &v));
    EXPECT_EQ(v.to_number(), 1.0);
    EXPECT_FALSE(o->get_member("missing", &v));
    const as_value this_value(o.get_ptr());
    EXPECT_FALSE(call_native(p, flash::as_object_hasownproperty, this_value, {as_value("inherited")})
                     .to_bool());
    EXPECT_TRUE(
        call_native(p, flash::as_object_hasownproperty, this_value, {as_value("watch")}).to_bool());
    as_value owner;
    EXPECT_TRUE(o->find_property("inherited", &owner));
    EXPECT_EQ(owner.to_object(), o.get_ptr());
}

TEST_F(AsObjectTest, ClassTraitsAnswerPropertyLookups) {
    struct test_class : as_object {
        explicit test_class(testsupport::stub_engine* owner) : as_object(owner) {}
        const flash::array<flash::as3_trait>* get_traits() const override { return &traits; }
        flash::array<flash::as3_trait> traits;
    };
    smart_ptr<test_class> cls(new test_class(p));
    flash::as3_trait slot;
    slot.name = "slot";
    flash::as3_trait method;
    method.name = "method";
    method.flags = 1;
    cls->traits.push_back(slot);
    cls->traits.push_back(method);
    smart_ptr<as_object> o(new as_object(p));
    o->set_class(cls.get_ptr());
    as_value owner;
    EXPECT_TRUE(o->find_property("slot", &owner));
    EXPECT_EQ(owner.to_object(), o.get_ptr());
    EXPECT_FALSE(o->find_property("Slot", &owner));  // traits compare byte for byte
    EXPECT_FALSE(o->find_property("method", &owner));
    cls = nullptr;  // the class link is weak
    EXPECT_FALSE(o->find_property("slot", &owner));
}

TEST_F(AsObjectTest, InstanceTestWalksConstructors) {
    as_value ctor_a(flash::as_global_array_ctor);
    smart_ptr<as_object> o(new as_object(p));
    smart_ptr<as_object> proto(o->create_proto(ctor_a));
    as_value held;
    ASSERT_TRUE(o->get_members().get("__constructor__", &held));
    EXPECT_EQ(held.get_flags(), flash::AS_DONT_ENUM);
    EXPECT_EQ(o->get_proto(), proto.get_ptr());
    // Another wrapper of the same native routine matches; another routine does not.
    as_value ctor_same(flash::as_global_array_ctor);
    as_value ctor_other(flash::as_object_ctor);
    EXPECT_TRUE(o->instance_of(ctor_same.to_function()));
    // The prototype has no constructor of its own, so it stands for Object.
    EXPECT_TRUE(o->instance_of(ctor_other.to_function()));
    as_value number_ctor(flash::as_global_number_ctor);
    EXPECT_FALSE(o->instance_of(number_ctor.to_function()));
}

TEST_F(AsObjectTest, OnEventCallsTheHandlerWithItsArguments) {
    smart_ptr<as_object> o(new as_object(p));
    o->set_member("onKeyDown", as_value(handler_records));
    flash::array<as_value> args;
    args.push_back(as_value(1));
    args.push_back(as_value("two"));
    EXPECT_TRUE(o->on_event(flash::event_id(flash::event_id::KEY_DOWN, &args)));
    EXPECT_EQ(g_seen, std::vector<std::string>{"handler 1 two"});
    EXPECT_FALSE(o->on_event(flash::event_id(flash::event_id::KEY_UP)));
    EXPECT_FALSE(o->on_event(flash::event_id(flash::event_id::STILL_PRESSED)));
}

TEST_F(AsObjectTest, CopyToRunsTheTargetsSetters) {
    smart_ptr<as_object> from(new as_object(p));
    from->set_member("prop", as_value(4));
    from->set_member("plain", as_value("x"));
    smart_ptr<as_object> to(new as_object(p));
    call_native(p, flash::as_object_addproperty, as_value(to.get_ptr()),
                {as_value("prop"), as_value(getter_of_name), as_value(setter_doubles)});
    from->copy_to(to);
    from->copy_to(nullptr);
    as_value v;
    EXPECT_TRUE(to->get_members().get("stored", &v));
    EXPECT_EQ(v.to_number(), 8.0);
    EXPECT_TRUE(to->get_member("plain", &v));
}

TEST_F(AsObjectTest, FindTargetPaths) {
    smart_ptr<testsupport::test_character> root(new testsupport::test_character(p, true));
    p->set_root_movie(root);
    smart_ptr<as_object> a(new as_object(p));
    smart_ptr<as_object> b(new as_object(p));
    root->set_member("a", as_value(a.get_ptr()));
    a->set_member("b", as_value(b.get_ptr()));
    a->set_member("n", as_value(3));
    EXPECT_EQ(root->find_target(as_value("a")), a.get_ptr());
    EXPECT_EQ(root->find_target(as_value("a.b")), b.get_ptr());
    EXPECT_EQ(root->find_target(as_value("a/b")), b.get_ptr());
    EXPECT_EQ(b->find_target(as_value("/a/b")), b.get_ptr());
    EXPECT_EQ(b->find_target(as_value("/")), root.get_ptr());
    EXPECT_EQ(a->find_target(as_value("")), a.get_ptr());
    EXPECT_EQ(a->find_target(as_value(b.get_ptr())), b.get_ptr());
    EXPECT_EQ(a->find_target(as_value(3)), nullptr);
    testsupport::log_capture log;
    EXPECT_EQ(root->find_target(as_value("a/zz")), nullptr);
    EXPECT_TRUE(log.contains("can't find target a/zz\n"));
    EXPECT_EQ(root->find_target(as_value("a.n.x")), nullptr);
}

TEST_F(AsObjectTest, DumpListsMembers) {
    smart_ptr<as_object> o(new as_object(p));
    o->set_member("num", as_value(2));
    o->set_member("fn", as_value(handler_records));
    flash::bx_string text;
    o->dump(text);
    const std::string s = text.c_str();
    EXPECT_NE(s.find("*** object 0x"), std::string::npos);
    EXPECT_NE(s.find("num: 2\n"), std::string::npos);
    EXPECT_NE(s.find("fn: <as_c_function 0x"), std::string::npos);
}

TEST_F(AsObjectTest, PrototypeWalksStopPast256LevelsAndLongChainsAreFreedWithoutRecursion) {
    // A chain of protos levels above an object holding "deep"; the top object is asked.
    auto chain = [this](int protos) {
        smart_ptr<as_object> top(new as_object(p));
        top->set_member("deep", as_value(1));
        for (int i = 0; i < protos; ++i) {
            smart_ptr<as_object> next(new as_object(p));
            next->set_proto(top);
            top = next;
        }
        return top;
    };
    as_value number_ctor(flash::as_global_number_ctor);
    for (int levels : {255, 256}) {
        testsupport::log_capture log;
        smart_ptr<as_object> top = chain(levels);
        as_value v;
        EXPECT_TRUE(top->get_member("deep", &v)) << levels;
        EXPECT_FALSE(top->instance_of(number_ctor.to_function())) << levels;
        EXPECT_EQ(log.text(), "") << levels;
    }
    // One level more: each walk ends with the ERROR (get_member, instance_of and find_property).
    for (int walk = 0; walk < 3; ++walk) {
        testsupport::log_capture log;
        smart_ptr<as_object> top = chain(257);
        as_value v;
        bool found = true;
        if (walk == 0) found = top->get_member("deep", &v);
        if (walk == 1) found = top->instance_of(number_ctor.to_function());
        if (walk == 2) found = top->find_property("deep", &v) && false;
        EXPECT_FALSE(found) << walk;
        EXPECT_TRUE(log.contains("walked a prototype chain past 256 levels")) << walk << log.text();
    }
    // A million-object chain is released in a loop.
    smart_ptr<as_object> top = chain(1000000);
    top = nullptr;
}

TEST_F(AsObjectTest, ObjectConstructorAndAddEventListener) {
    const as_value made = call_native(p, flash::as_object_ctor, as_value());
    ASSERT_NE(made.to_object(), nullptr);
    EXPECT_EQ(made.to_object()->get_player(), p.get_ptr());
    const as_value r = call_native(p, flash::as_object_addeventlistener, made,
                                   {as_value("click"), as_value(1)});
    EXPECT_TRUE(r.is_undefined());
}

}  // namespace
