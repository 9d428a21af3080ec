#include "flash/movie/player.h"

#include <gtest/gtest.h>

#include "flash/base/log.h"
#include "flash/runtime/as_object.h"

using flash::as_value;
using flash::player;
using flash::smart_ptr;

namespace {

TEST(Player, GlobalObjectMembers) {
    smart_ptr<player> p(new player);
    flash::as_object* global = p->get_global();
    ASSERT_NE(global, nullptr);
    for (const char* name : {"trace", "Object", "Array", "String", "Number", "Boolean",
                             "parseFloat", "parseInt", "isNaN", "ASSetPropFlags", "getVersion"}) {
        as_value v;
        EXPECT_TRUE(global->get_member(name, &v)) << name;
        EXPECT_TRUE(v.is_function()) << name;
    }
    as_value caps, version;
    ASSERT_TRUE(global->get_member("Capabilities", &caps));
    ASSERT_TRUE(caps.to_object()->get_member("version", &version));
    EXPECT_STREQ(version.to_string(), "WIN 9,0,45,0");
    as_value player_version;
    ASSERT_TRUE(global->get_member("$version", &player_version));
    EXPECT_STREQ(player_version.to_string(), "WIN Sep 25 2009 15:14:56");
    EXPECT_FALSE(p->is_garbage(global));
    EXPECT_GE(p->get_heap_size(), 1);
}

TEST(Player, BuiltinTablesLiveWhileAPlayerDoes) {
    EXPECT_EQ(player::get_instance_count(), 0);
    EXPECT_FALSE(player::get_builtin(flash::BUILTIN_STRING_METHOD, "charAt", nullptr));
    {
        smart_ptr<player> first(new player);
        smart_ptr<player> second(new player);
        EXPECT_EQ(player::get_instance_count(), 2);
        as_value v;
        EXPECT_TRUE(player::get_builtin(flash::BUILTIN_STRING_METHOD, "CHARAT", &v));
        EXPECT_TRUE(v.is_function());
        for (const char* name : {"addProperty", "registerClass", "hasOwnProperty", "watch",
                                 "unwatch", "addEventListener"}) {
            EXPECT_TRUE(player::get_builtin(flash::BUILTIN_OBJECT_METHOD, name, nullptr)) << name;
        }
        for (int id : {flash::BUILTIN_NUMBER_METHOD, flash::BUILTIN_BOOLEAN_METHOD}) {
            EXPECT_TRUE(player::get_builtin(id, "toString", nullptr));
            EXPECT_TRUE(player::get_builtin(id, "valueOf", nullptr));
        }
        EXPECT_TRUE(player::get_builtin(flash::BUILTIN_SPRITE_METHOD, "play", nullptr));
        EXPECT_FALSE(player::get_builtin(9, "toString", nullptr));
        first = nullptr;  // the second keeps the tables
        EXPECT_TRUE(player::get_builtin(flash::BUILTIN_STRING_METHOD, "length", nullptr));
    }
    EXPECT_EQ(player::get_instance_count(), 0);
    EXPECT_FALSE(player::get_builtin(flash::BUILTIN_STRING_METHOD, "length", nullptr));
}

TEST(Player, HeapFlags) {
    smart_ptr<player> p(new player);
    smart_ptr<flash::as_object> o(new flash::as_object(p));
    EXPECT_FALSE(p->is_garbage(o));
    p->mark_alive(o);
    p->set_as_garbage();
    EXPECT_TRUE(p->is_garbage(o));
    p->mark_alive(o);
    EXPECT_FALSE(p->is_garbage(o));
    p->set_as_garbage();
    p->clear_garbage();  // unreachable from the global object: dropped from the heap
    EXPECT_FALSE(p->is_in_heap(o));
    EXPECT_EQ(o->get_ref_count(), 1);  // still held here
}

TEST(Player, RootMovieFlagsAndSettings) {
    smart_ptr<player> p(new player);
    EXPECT_EQ(p->get_root(), nullptr);
    EXPECT_EQ(p->get_root_movie(), nullptr);
    {
        smart_ptr<flash::as_object> movie(new flash::as_object(p));
        p->set_root_movie(movie);
        EXPECT_EQ(p->get_root_movie(), movie.get_ptr());
    }
    EXPECT_EQ(p->get_root_movie(), nullptr);  // a weak link
    p->verbose_action(true);
    EXPECT_TRUE(flash::get_verbose_action());
    p->verbose_action(false);
    EXPECT_FALSE(flash::get_verbose_action());
    EXPECT_TRUE(player::use_separate_thread());
    p->set_workdir("dir");
    EXPECT_STREQ(p->get_workdir(), "dir");
    p->set_workdir(nullptr);
    EXPECT_STREQ(p->get_workdir(), "");
    EXPECT_GT(p->get_start_time(), 0u);
    EXPECT_FALSE(p->get_force_realtime_framerate());
}

}  // namespace
