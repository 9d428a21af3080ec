#include "flash/runtime/as_environment.h"

#include <gtest/gtest.h>

#include "flash/runtime/as_object.h"
#include "tests/support/runtime_test_support.h"
#include "tests/support/stub_engine.h"
#include "test_character.h"

using flash::as_environment;
using flash::as_object;
using flash::as_value;
using flash::smart_ptr;

namespace {

class AsEnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = new testsupport::test_character(p, true);
        p->set_root_movie(root);
        clip = new testsupport::test_character(p, true);
        root->set_member("clip", as_value(clip.get_ptr()));
        clip->set_member("v", as_value("clip v"));
        root->set_member("v", as_value("root v"));
        env.set_target(clip);
    }
    smart_ptr<testsupport::stub_engine> p{new testsupport::stub_engine};
    smart_ptr<testsupport::test_character> root;
    smart_ptr<testsupport::test_character> clip;
    as_environment env{p};
};

TEST_F(AsEnvironmentTest, StackPushPopTopAndBounds) {
    EXPECT_TRUE(env.pop().is_undefined());
    env.push(1.0);
    env.push("two");
    env.push(true);
    EXPECT_EQ(env.get_stack_size(), 3);
    EXPECT_TRUE(env.top(0).to_bool());
    EXPECT_STREQ(env.top(1).to_string(), "two");
    // Reading below the bottom or above the top gives undefined, never memory outside the stack.
    EXPECT_TRUE(env.top(3).is_undefined());
    EXPECT_TRUE(env.top(-1).is_undefined());
    EXPECT_TRUE(env.bottom(-5).is_undefined());
    env.top(10).set_int(5);  // a write outside lands in scratch
    EXPECT_TRUE(env.top(10).is_undefined());
    EXPECT_TRUE(env.pop().to_bool());
    env.drop(10);
    EXPECT_EQ(env.get_stack_size(), 0);
    // Pushing after pops reuses the slots above the top.
    env.push(7);
    EXPECT_EQ(env.pop().to_number(), 7.0);
    env.set_top_double(1.0);
    EXPECT_EQ(env.get_stack_size(), 0);
    flash::fn_call fn(nullptr, nullptr, &env, 2, 5);
    EXPECT_TRUE(fn.arg(0).is_undefined());
    EXPECT_TRUE(fn.arg(7).is_undefined());
}

TEST_F(AsEnvironmentTest, ParsePath) {
    struct row {
        const char* in;
        bool ok;
        const char* path;
        const char* var;
    } rows[] = {
        {"/clip:v", true, "/clip", "v"},  {"/clip/:v", true, "/clip", "v"},
        {"/:v", true, "/", "v"},          {"a.b.c", true, "a.b", "c"},
        {"a:b.c", true, "a", "b.c"},      {"plain", false, "", ""},
    };
    for (const row& r : rows) {
        flash::bx_string path, var;
        EXPECT_EQ(as_environment::parse_path(r.in, &path, &var), r.ok) << r.in;
        EXPECT_STREQ(path.c_str(), r.path) << r.in;
        EXPECT_STREQ(var.c_str(), r.var) << r.in;
    }
}

TEST_F(AsEnvironmentTest, VariablePaths) {
    EXPECT_STREQ(env.get_variable("v").to_string(), "clip v");
    EXPECT_STREQ(env.get_variable("/:v").to_string(), "root v");
    EXPECT_STREQ(env.get_variable("/clip:v").to_string(), "clip v");
    EXPECT_STREQ(env.get_variable("_root.clip.v").to_string(), "clip v");
    EXPECT_STREQ(env.get_variable("_root.v").to_string(), "root v");
    EXPECT_TRUE(env.get_variable("/nothing:v").is_undefined());
    EXPECT_EQ(env.get_variable("_root").to_object(), root.get_ptr());
    EXPECT_EQ(env.get_variable("_level0").to_object(), root.get_ptr());
    EXPECT_EQ(env.get_variable("_global").to_object(), p->get_global());
    EXPECT_EQ(env.get_variable("this").to_object(), clip.get_ptr());
    EXPECT_TRUE(env.get_variable("parseInt").is_function());
    EXPECT_EQ(env.get_variable("_this").to_object(), clip.get_ptr());
    // A target that is not a character gives a null "this".
    smart_ptr<as_object> plain(new as_object(p));
    env.set_target(plain);
    EXPECT_TRUE(env.get_variable("this").is_null());

    env.set_target(clip);
    env.set_variable("/:w", as_value(3));
    as_value w;
    EXPECT_TRUE(root->get_member("w", &w));
    env.set_variable("_root.clip.w", as_value(4));
    EXPECT_TRUE(clip->get_member("w", &w));
    EXPECT_EQ(w.to_number(), 4.0);
    env.set_variable("x", as_value(5));
    EXPECT_TRUE(clip->get_member("x", &w));
}

TEST_F(AsEnvironmentTest, WithStackLocalsAndTarget) {
    smart_ptr<as_object> scope(new as_object(p));
    scope->set_member("v", as_value("with v"));
    flash::array<flash::with_scope> with;
    with.push_back(flash::with_scope(scope, 100));
    env.add_local("v", as_value("local v"));
    EXPECT_STREQ(env.get_variable("v", with).to_string(), "with v");
    EXPECT_STREQ(env.get_variable("v").to_string(), "local v");
    env.set_variable("v", as_value("set"), with);
    as_value v;
    scope->get_member("v", &v);
    EXPECT_STREQ(v.to_string(), "set");
    env.set_variable("v", as_value("set local"));
    EXPECT_STREQ(env.get_local(env.find_local("v", true)).value.to_string(), "set local");
}

TEST_F(AsEnvironmentTest, LocalFramesAndBarriers) {
    env.add_local("outer", as_value(1));
    env.add_frame_barrier();
    // Locals of an outer frame stay visible across the barrier (dynamic scoping).
    EXPECT_EQ(env.get_variable("outer").to_number(), 1.0);
    EXPECT_EQ(env.find_local("outer", false), -1);
    EXPECT_EQ(env.find_local("outer", true), 0);
    // Declaring looks at the current frame only.
    env.declare_local("outer");
    EXPECT_EQ(env.find_local("outer", false), 2);
    EXPECT_TRUE(env.get_variable("outer").is_undefined());
    env.set_local("inner", as_value(2));
    env.set_local("inner", as_value(3));
    EXPECT_EQ(env.get_local_frame_top(), 4);
    EXPECT_EQ(env.get_variable("inner").to_number(), 3.0);
    env.set_local_frame_top(1);
    EXPECT_EQ(env.get_variable("outer").to_number(), 1.0);
    EXPECT_EQ(env.find_local("inner", true), -1);
}

TEST_F(AsEnvironmentTest, CutLocalsReleaseTheirValuesAndLeaveNoNameBehind) {
    smart_ptr<as_object> held(new as_object(p.get_ptr()));
    env.add_local("x", as_value(held.get_ptr()));
    env.add_local("y", as_value(2));
    env.add_local("a_name_longer_than_inline", as_value(3));
    EXPECT_EQ(held->get_ref_count(), 2);
    env.set_local_frame_top(0);
    EXPECT_EQ(env.get_local_frame_top(), 0);
    EXPECT_EQ(held->get_ref_count(), 1);
    // A frame opened over the cut slots: its barrier is the slot that held "x", which it must
    // not match; the next local takes the slot of "y".
    env.add_frame_barrier();
    env.add_local("z", as_value(4));
    for (const char* gone : {"x", "y", "a_name_longer_than_inline"}) {
        EXPECT_EQ(env.find_local(gone, true), -1) << gone;
    }
    EXPECT_EQ(env.find_local("z", false), 1);
    EXPECT_STREQ(env.get_variable("x").to_string(), "undefined");
    // A second barrier over the slot of the long name stops the search below it.
    env.add_frame_barrier();
    EXPECT_EQ(env.find_local("z", false), -1);
    EXPECT_EQ(env.find_local("z", true), 1);
    EXPECT_EQ(env.get_local(2).name.size(), 0);
    EXPECT_TRUE(env.get_local(2).value.is_undefined());
}

TEST_F(AsEnvironmentTest, ACutFrameKeepsNoLongNameForTheNextLocal) {
    // Past max_kept_local_name a cut slot's name would hold text no account sees: it goes with
    // its frame, whether the slot was new or reused, and a live frame below keeps its own.
    const int kept = flash::as_environment::max_kept_local_name;
    const flash::bx_string long_outer(std::string(kept + 1, 'o').c_str());
    const flash::bx_string long_inner(std::string(kept + 40, 'i').c_str());
    const flash::bx_string kept_name(std::string(kept / 2, 'k').c_str());
    env.add_local(long_outer, as_value(1));  // a new slot
    env.add_local(kept_name, as_value(2));
    env.add_local(long_inner, as_value(3));
    env.set_local_frame_top(2);
    EXPECT_EQ(env.get_local(2).name.size(), 0) << "the cut slot keeps its long name";
    EXPECT_EQ(env.get_local(0).name.size(), kept + 1) << "the live frame's name is its own";
    EXPECT_EQ(env.get_local(1).name.size(), kept / 2);
    env.add_local(long_inner, as_value(4));  // the cut slot again, renamed
    env.set_local_frame_top(1);
    EXPECT_EQ(env.get_local(2).name.size(), 0);
    EXPECT_EQ(env.get_local(1).name.size(), kept / 2) << "a name within the bound is kept for reuse";
    env.set_local_frame_top(0);
    EXPECT_EQ(env.get_local(0).name.size(), 0);
    // With every long name gone, a later short frame's cut keeps its names for reuse.
    env.add_local("x", as_value(5));
    env.set_local_frame_top(0);
    EXPECT_EQ(env.get_local(0).name.size(), 1);
    // And a long name given to a reused slot is found again.
    env.add_local(long_outer, as_value(6));
    env.set_local_frame_top(0);
    EXPECT_EQ(env.get_local(0).name.size(), 0);
}

TEST_F(AsEnvironmentTest, LocalNamesMatchByExactBytesOnly) {
    // Local names are case-sensitive, unlike member names; heap-long names compare whole.
    const char* const long_name = "a_name_longer_than_inline";
    env.add_local("a", as_value(1));
    env.add_local("ab", as_value(2));
    env.add_local("Value", as_value(3));
    env.add_local(long_name, as_value(4));
    env.add_local("a", as_value(5));  // shadows the first "a"
    struct row {
        const char* name;
        int index;
    };
    const row rows[] = {
        {"a", 4},
        {"ab", 1},
        {"Value", 2},
        {long_name, 3},
        {"A", -1},
        {"b", -1},
        {"abc", -1},
        {"value", -1},
        {"VALUE", -1},
        {"a_name_longer_than_inlinE", -1},
        {"a_name_longer_than_inlin", -1},
        {"", -1},
    };
    for (const row& r : rows) {
        EXPECT_EQ(env.find_local(r.name, true), r.index) << r.name;
        EXPECT_EQ(env.find_local(r.name, false), r.index) << r.name;
    }
    // An empty name never matches, not even a barrier's empty slot.
    env.add_frame_barrier();
    EXPECT_EQ(env.find_local("", true), -1);
    EXPECT_EQ(env.find_local("a", false), -1);
    EXPECT_EQ(env.find_local("a", true), 4);
}

TEST_F(AsEnvironmentTest, UndeclaredNameWithoutTargetBecomesLocal) {
    as_environment bare(p);
    testsupport::log_capture log;
    bare.set_variable("fresh", as_value(9));
    EXPECT_TRUE(log.contains("can't set_variable_raw fresh=9, target is NULL, it's assumed as local\n"));
    EXPECT_EQ(bare.get_variable("fresh").to_number(), 9.0);
    EXPECT_GE(bare.find_local("fresh", false), 0);
}

TEST_F(AsEnvironmentTest, Registers) {
    env.global_register(2) = as_value(5);
    EXPECT_EQ(env.global_register(2).to_number(), 5.0);
    EXPECT_TRUE(env.global_register(4).is_undefined());
    env.add_local_registers(3);
    env.set_register(0, as_value("r0"));
    env.set_register(2, as_value("r2"));
    EXPECT_STREQ(env.get_register(0).to_string(), "r0");
    // A nested function frames its own registers above the caller's.
    env.add_local_registers(2);
    env.set_register(0, as_value("inner"));
    EXPECT_STREQ(env.get_register(0).to_string(), "inner");
    env.drop_local_registers(2);
    EXPECT_STREQ(env.get_register(0).to_string(), "r0");
    EXPECT_STREQ(env.get_register(2).to_string(), "r2");
    EXPECT_TRUE(env.get_register(3).is_undefined());
    testsupport::log_capture log;
    env.set_register(9, as_value(1));  // outside the frame: refused
    EXPECT_TRUE(env.get_register(9).is_undefined());
}

TEST_F(AsEnvironmentTest, FileTypesAndLoadFile) {
    EXPECT_EQ(as_environment::get_file_type("a.swf"), 1);
    EXPECT_EQ(as_environment::get_file_type("x\xC3\xA9.JPG"), 2);
    EXPECT_EQ(as_environment::get_file_type("m.3ds"), 3);
    EXPECT_EQ(as_environment::get_file_type(".swf"), 0);
    EXPECT_EQ(as_environment::get_file_type("a.png"), 0);
    testsupport::log_capture log;
    env.load_file("m.swf", as_value("/missing"));
    EXPECT_TRUE(log.contains("load_file: target /missing is't found\n"));
    env.load_file("m.3ds", as_value("/clip"));
    EXPECT_TRUE(log.contains("flash is not linked to lib3ds -- can't load 3DS file\n"));
}

TEST_F(AsEnvironmentTest, ScopeStackLookups) {
    smart_ptr<as_object> lower(new as_object(p));
    smart_ptr<as_object> upper(new as_object(p));
    lower->set_member("a", as_value(1));
    upper->set_member("a", as_value(2));
    env.push_scope(as_value(lower.get_ptr()));
    env.push_scope(as_value("text"));
    env.push_scope(as_value(upper.get_ptr()));
    as_value out;
    EXPECT_TRUE(env.find_scope_member("a", &out));
    EXPECT_EQ(out.to_number(), 2.0);
    EXPECT_TRUE(env.find_scope_owner("charAt", &out));
    EXPECT_STREQ(out.to_string(), "text");
    EXPECT_FALSE(env.find_scope_member("zz", &out));
    env.pop_scope();
    EXPECT_TRUE(env.find_scope_member("a", &out));
    EXPECT_EQ(out.to_number(), 1.0);
    EXPECT_EQ(env.get_scope_size(), 2);
    EXPECT_TRUE(env.get_scope(7).is_undefined());
}

TEST_F(AsEnvironmentTest, ClearRefsDropsTheObject) {
    env.push(as_value(clip.get_ptr()));
    env.global_register(0) = as_value(clip.get_ptr());
    flash::hash<as_object*, bool> visited;
    env.clear_refs(&visited, clip);
    EXPECT_TRUE(env.top(0).is_undefined());
    EXPECT_TRUE(env.global_register(0).is_undefined());
    EXPECT_EQ(env.get_target(), nullptr);
}

}  // namespace
