#include "flash/runtime/listener.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flash/runtime/event_id.h"
#include "flash/runtime/as_object.h"
#include "tests/support/runtime_test_support.h"
#include "tests/support/stub_engine.h"

using flash::as_object;
using flash::as_value;
using flash::smart_ptr;

namespace {

std::vector<std::string> g_calls;
flash::listener* g_list = nullptr;

void on_load_removes_itself(const flash::fn_call& fn) {
    as_value name;
    fn.this_object->get_members().get("name", &name);
    g_calls.push_back(name.to_string());
    g_list->remove(fn.this_object);
}

void on_ping(const flash::fn_call& fn) {
    as_value name;
    fn.this_object->get_members().get("name", &name);
    g_calls.push_back(std::string(name.to_string()) + " " + fn.arg(0).to_string());
}

class ListenerTest : public ::testing::Test {
protected:
    void SetUp() override { g_calls.clear(); }
    smart_ptr<as_object> make(const char* name) {
        smart_ptr<as_object> o(new as_object(p));
        o->set_member("name", as_value(name));
        return o;
    }
    smart_ptr<testsupport::stub_engine> p{new testsupport::stub_engine};
    smart_ptr<flash::listener> list{new flash::listener};
};

TEST_F(ListenerTest, DuplicatesDeadSlotsAndIndexing) {
    smart_ptr<as_object> a = make("a"), b = make("b");
    list->add(a);
    list->add(a);
    list->add(nullptr);
    EXPECT_EQ(list->size(), 1);
    {
        smart_ptr<as_object> gone = make("gone");
        list->add(gone);
        list->add(b);
        EXPECT_EQ(list->size(), 3);
    }
    EXPECT_EQ(list->size(), 2);
    // Slots (a, gone, b): index 1 skips the empty one.
    EXPECT_EQ((*list)[1], b.get_ptr());
    EXPECT_EQ((*list)[flash::bx_stringi("1")], b.get_ptr());
    EXPECT_EQ((*list)[2], nullptr);
    EXPECT_EQ((*list)[-1], nullptr);
    // The next add reuses the dead slot, so it is notified before b.
    smart_ptr<as_object> c = make("c");
    list->add(c);
    EXPECT_EQ((*list)[1], c.get_ptr());
    EXPECT_EQ((*list)[2], b.get_ptr());
    flash::as_environment env(p);
    list->enumerate(&env);
    EXPECT_EQ(env.get_stack_size(), 3);
    EXPECT_EQ(env.top(0).to_number(), 2.0);
    list->remove(c);
    EXPECT_EQ(list->size(), 2);
    list->clear();
    EXPECT_EQ(list->size(), 0);
}

TEST_F(ListenerTest, RemovalDuringNotifyStillCallsOnce) {
    smart_ptr<as_object> a = make("a"), b = make("b");
    a->set_member("onLoad", as_value(on_load_removes_itself));
    b->set_member("onLoad", as_value(on_load_removes_itself));
    list->add(a);
    list->add(b);
    g_list = list.get_ptr();
    list->notify(flash::event_id(flash::event_id::LOAD));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(list->size(), 0);
    list->notify(flash::event_id(flash::event_id::LOAD));
    EXPECT_EQ(g_calls.size(), 2u);
    g_list = nullptr;
}

TEST_F(ListenerTest, NotifyByNameNeedsARoot) {
    smart_ptr<as_object> a = make("a");
    a->set_member("ping", as_value(on_ping));
    list->add(a);
    flash::as_environment env(p);
    env.push(as_value("arg"));
    flash::fn_call call(nullptr, nullptr, &env, 1, env.get_top_index());
    list->notify("ping", call);
    EXPECT_TRUE(g_calls.empty());
    smart_ptr<as_object> movie(new as_object(p));
    p->set_root_movie(movie);
    list->notify("ping", call);
    EXPECT_EQ(g_calls, std::vector<std::string>{"a arg"});
}

}  // namespace
