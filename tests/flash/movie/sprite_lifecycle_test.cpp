// Clips coming and going: a sibling removed by script during the children's pass still finishes
// its step, a character moved to another movie survives the change of list and the death of its
// old parent, the garbage pass keeps what a clip shows, and drawing before the first advance.
#include <gtest/gtest.h>

#include "flash/movie/sprite_instance.h"
#include "tests/flash/movie/recording_render_handler.h"
#include "tests/flash/movie/sprite_fixture.h"
#include "tools/swfwriter/movie_writer.h"

using flash::character;
using flash::smart_ptr;
using flash::sprite_instance;
using spritetest::assembler;
using spritetest::playing_movie;
using spritetest::trace;

namespace {

swf::ClipActions traced_events(const std::string& who) {
    return swf::clip_actions({
        swf::clip_action(swf::event_enter_frame, trace(who + " enter")),
        swf::clip_action(swf::event_unload, trace(who + " unload")),
    });
}

TEST(SpriteLifecycleTest, ASiblingRemovedDuringTheChildrenPassStillFinishesItsStep) {
    swf::MovieWriter m(8);
    // "a" removes its sibling "b" from its second frame's actions.
    swf::SpriteWriter a = m.sprite();
    a.show_frame();
    a.do_action(assembler().push_str("_parent.b").op(testasm::REMOVE_SPRITE).op(testasm::STOP).end().take());
    a.show_frame();
    const uint16_t a_id = m.define_sprite(a);
    const uint16_t b_id = spritetest::empty_sprite(m);
    swf::PlaceObject pa = spritetest::named(1, a_id, "a");
    m.place_object2(pa);
    swf::PlaceObject pb = spritetest::named(2, b_id, "b");
    pb.clip_actions = traced_events("b");
    m.place_object2(pb);
    m.show_frame();
    playing_movie p(spritetest::finish(m));
    ASSERT_TRUE(p.top);
    p.advance();
    EXPECT_EQ(p.events.take(), "");
    p.advance();
    EXPECT_EQ(p.events.take(), "trace b unload, trace b enter");
    EXPECT_EQ(p.find("b"), nullptr);
    p.advance();
    EXPECT_EQ(p.events.take(), "");
}

spritetest::bytes one_child_movie(const std::string& name) {
    swf::MovieWriter m(8);
    swf::SpriteWriter s = m.sprite();
    spritetest::traced_frame(s, name + " frame");
    const uint16_t id = m.define_sprite(s);
    swf::PlaceObject place = swf::PlaceObject::place(1, id);
    place.name = name;
    m.place_object2(place);
    m.show_frame();
    return spritetest::finish(m);
}

TEST(SpriteLifecycleTest, ACharacterMovedToAnotherMovieSurvivesItsOldParent) {
    playing_movie p(one_child_movie("cursor"));
    ASSERT_TRUE(p.top);
    p.fixture.files.add("scene.swf", one_child_movie("item"));
    smart_ptr<flash::movie_definition_sub> scene_def(p.fixture.owner->create_movie("scene.swf"));
    ASSERT_TRUE(scene_def);
    smart_ptr<sprite_instance> scene(
        sprite_instance::create_top_level(p.fixture.owner.get_ptr(), scene_def.get_ptr(), nullptr));
    p.advance();
    scene->advance(spritetest::frame_time);
    p.events.take();

    // The cursor takes the scene's item: off the scene's list, onto the cursor's, re-parented.
    smart_ptr<character> item(scene->get_character_by_name("item"));
    ASSERT_TRUE(item);
    scene->remove_display_object(item.get_ptr());
    EXPECT_EQ(p.events.take(), "");
    p.top->get_display_list()->add_display_object(item.get_ptr(), 5, true, item->get_cxform(),
                                                  item->get_matrix(), 0.0f, 0);
    item->set_parent(p.top.get_ptr());
    EXPECT_EQ(p.top->get_character_by_name("item"), item.get_ptr());

    // The scene goes: the garbage pass drops it, the item lives on in the cursor.
    scene = nullptr;
    flash::player* owner = p.fixture.owner.get_ptr();
    owner->set_as_garbage();
    p.top->this_alive();
    owner->clear_garbage();
    EXPECT_EQ(item->get_parent(), p.top.get_ptr());
    flash::as_value target;
    ASSERT_TRUE(item->get_member("_target", &target));
    EXPECT_STREQ(target.to_string(), "/item");
    p.advance(2);
    EXPECT_EQ(p.find("item"), item.get_ptr());

    // A character whose parent died without a re-parenting reads no parent and stays usable.
    smart_ptr<sprite_instance> orphan_parent(
        sprite_instance::create_top_level(owner, scene_def.get_ptr(), nullptr));
    smart_ptr<character> orphan(orphan_parent->get_character_by_name("item"));
    ASSERT_TRUE(orphan);
    orphan_parent->get_display_list()->remove_character(orphan.get_ptr());
    orphan_parent = nullptr;
    owner->set_as_garbage();
    p.top->this_alive();
    owner->clear_garbage();
    EXPECT_EQ(orphan->get_parent(), nullptr);
    ASSERT_TRUE(orphan->get_member("_target", &target));
    EXPECT_STREQ(target.to_string(), "/");
    orphan->advance(spritetest::frame_time);
}

TEST(SpriteLifecycleTest, TheGarbagePassKeepsWhatALiveClipShows) {
    playing_movie p(one_child_movie("child"));
    ASSERT_TRUE(p.top);
    flash::player* owner = p.fixture.owner.get_ptr();
    character* child = p.find("child");
    ASSERT_NE(child, nullptr);
    owner->set_as_garbage();
    p.top->this_alive();
    owner->clear_garbage();
    EXPECT_TRUE(owner->is_in_heap(p.top.get_ptr()));
    EXPECT_TRUE(owner->is_in_heap(child));
    EXPECT_FALSE(owner->is_garbage(child));
}

TEST(SpriteLifecycleTest, DrawingBeforeTheFirstAdvanceAdvancesOnce) {
    swf::MovieWriter m(8);
    m.place_object2(swf::PlaceObject::place(1, spritetest::square(m, 0, 0, 10)));
    spritetest::traced_frame(m, "f1");
    spritetest::traced_frame(m, "f2");
    playing_movie p(spritetest::finish(m));
    ASSERT_TRUE(p.top);
    movietest::recording_render_handler handler;
    p.top->display();
    EXPECT_EQ(p.events.take(), "trace f1");
    EXPECT_FALSE(handler.calls.empty());
    handler.calls.clear();
    p.top->display();  // already advanced: draws only
    EXPECT_EQ(p.events.take(), "");
    EXPECT_FALSE(handler.calls.empty());
    handler.calls.clear();
    p.top->set_visible(false);
    p.top->display();
    EXPECT_TRUE(handler.calls.empty());
}

}  // namespace
