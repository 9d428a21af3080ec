// The clip's timeline as an event log: frame stepping, loops and delays, play ranges, wraps,
// gotos forward and back, labels and play names to the sound callback, the stop callback, init
// actions and clip actions.
#include <gtest/gtest.h>

#include "flash/movie/sprite_instance.h"
#include "flash/runtime/as_function.h"
#include "tests/flash/movie/sprite_fixture.h"
#include "tools/swfwriter/movie_writer.h"

using flash::character;
using flash::sprite_instance;
using spritetest::assembler;
using spritetest::playing_movie;
using spritetest::trace;

namespace {

// Frames tracing "f1" .. "fN", the last one first labelled when a label is given per frame.
spritetest::bytes traced_frames(int count, const std::vector<std::string>& labels = {}) {
    swf::MovieWriter m(8);
    for (int f = 0; f < count; ++f) {
        if (f < static_cast<int>(labels.size()) && !labels[f].empty()) m.frame_label(labels[f]);
        spritetest::traced_frame(m, "f" + std::to_string(f + 1));
    }
    return spritetest::finish(m);
}

TEST(SpriteTimelineTest, TopLevelClipShowsFrameZeroBeforeItsFirstAdvance) {
    swf::MovieWriter m(8);
    const uint16_t shape = spritetest::square(m, 0, 0, 10);
    m.place_object2(swf::PlaceObject::place(1, shape));
    spritetest::traced_frame(m, "f1");
    spritetest::traced_frame(m, "f2");
    playing_movie p(spritetest::finish(m));
    ASSERT_TRUE(p.top);
    EXPECT_EQ(p.top->get_id_at_depth(1), shape);
    flash::as_value version;
    ASSERT_TRUE(p.top->get_member("$version", &version));
    EXPECT_STREQ(version.to_string(), "WIN Sep 25 2009 15:14:56");
    EXPECT_EQ(p.events.take(), "");  // frame 0's actions wait for the first advance
    p.advance();
    EXPECT_EQ(p.events.take(), "trace f1");
    EXPECT_EQ(p.top->get_current_frame(), 0);
    p.advance();
    EXPECT_EQ(p.events.take(), "trace f2");
    EXPECT_EQ(p.top->get_id_at_depth(1), shape);
}

TEST(SpriteTimelineTest, LoopsPlayRangesAndTheStopCallback) {
    struct row {
        const char* what;
        int loop_count;
        float loop_delay;
        int end_frame;
        int advances;
        const char* log;
        int final_frame;
        int final_state;
    };
    const row rows[] = {
        {"endless by default", -1, 0.0f, -1, 5,
         "trace f1, trace f2, trace f3, sound idle, stop top, trace f1, trace f2", 1, character::PLAY},
        {"loop count 2, no delay", 2, 0.0f, -1, 8,
         "trace f1, trace f2, trace f3, sound idle, stop top, trace f1, trace f2, trace f3, stop top", 2,
         character::STOP},
        {"loop count 0 plays once", 0, 0.0f, -1, 5, "trace f1, trace f2, trace f3, stop top", 2, character::STOP},
        {"end frame 1", 0, 0.0f, 1, 4, "trace f1, trace f2, stop top", 1, character::STOP},
        {"end frame 1, looping", 2, 0.0f, 1, 5,
         "trace f1, trace f2, sound idle, stop top, trace f1, trace f2, stop top", 1, character::STOP},
        // Each advance is one second: the wait ends on the third one after the end.
        {"delay 3 seconds", -1, 3.0f, -1, 7,
         "trace f1, trace f2, trace f3, stop top, sound idle, trace f1, trace f2", 1, character::PLAY},
    };
    for (const row& r : rows) {
        playing_movie p(traced_frames(3));
        ASSERT_TRUE(p.top) << r.what;
        p.top->set_name("top");
        p.top->m_play_name = "idle";
        p.top->m_stop_callback = spritetest::journal::on_stop;
        p.top->set_loop(r.loop_count, false, r.loop_delay);
        p.top->setFramesForPlay(0, r.end_frame);
        p.advance(r.advances, 1.0f);
        EXPECT_EQ(p.events.take(), r.log) << r.what;
        EXPECT_EQ(p.top->get_current_frame(), r.final_frame) << r.what;
        EXPECT_EQ(p.top->get_play_state(), r.final_state) << r.what;
    }
}

TEST(SpriteTimelineTest, LabelsAndPlayNamesGoToTheSoundCallback) {
    // A clip of three traced frames, two of them labelled, in a movie of one frame.
    swf::MovieWriter m(8);
    swf::SpriteWriter s = m.sprite();
    const char* labels[] = {nullptr, "walk", "run"};
    for (int f = 0; f < 3; ++f) {
        if (labels[f]) s.frame_label(labels[f]);
        spritetest::traced_frame(s, "f" + std::to_string(f + 1));
    }
    s.end();
    m.place_object2(spritetest::named(1, m.define_sprite(s), "clip"));
    m.show_frame();
    playing_movie p(spritetest::finish(m));
    ASSERT_TRUE(p.top);
    auto* clip = flash::cast_to<flash::sprite_instance>(p.find("clip"));
    ASSERT_NE(clip, nullptr);
    clip->m_play_name = "anim";
    p.advance(3);
    EXPECT_EQ(p.events.take(), "trace f1, sound walk, trace f2, sound run, trace f3");
    clip->set_play_state(character::STOP);
    clip->set_play_state(character::PLAY);  // play name, then the current frame's label
    EXPECT_EQ(p.events.take(), "sound anim, sound run");
    clip->set_play_state(character::PLAY);  // already playing: nothing
    EXPECT_EQ(p.events.take(), "");
    clip->goto_frame(1);
    EXPECT_EQ(p.events.take(), "sound walk");
}

TEST(SpriteTimelineTest, AWholeMoviesLabelsDoNotReachTheSoundCallback) {
    // The movie's definition names no frame by number; its labels are found by name only.
    playing_movie p(traced_frames(3, {"", "walk", "run"}));
    ASSERT_TRUE(p.top);
    p.advance(3);
    EXPECT_EQ(p.events.take(), "trace f1, trace f2, trace f3");
    p.top->goto_frame(flash::bx_string("walk"));
    EXPECT_EQ(p.top->get_current_frame(), 1);
    EXPECT_EQ(p.events.take(), "");
    flash::bx_string label;
    EXPECT_FALSE(p.top->getFrameLabel(1, &label));
}

TEST(SpriteTimelineTest, GotosStopOutsideTheRangeAndTakeTextAndLabels) {
    playing_movie p(traced_frames(4, {"", "", "", "end"}));
    ASSERT_TRUE(p.top);
    p.top->set_name("top");
    p.top->m_stop_callback = spritetest::journal::on_stop;
    p.advance();
    p.events.take();
    struct row {
        const char* what;
        int frame;  // -1: by text
        const char* text;
        int expected_frame;
        int expected_state;
        const char* log;  // after the goto and one advance
    };
    const int stop = character::STOP;
    // The clip plays before each goto, so a goto that moves also tells the stop callback.
    const row rows[] = {
        {"forward", 2, nullptr, 2, stop, "stop top, trace f3"},
        {"beyond the last frame", 9, nullptr, 0, stop, ""},
        {"negative", -5, nullptr, 0, stop, ""},
        {"the current frame", 0, nullptr, 0, stop, ""},
        {"text 3 is index 2", -1, "3", 2, stop, "stop top, trace f3"},
        // A whole movie gives the sound callback no label.
        {"a label", -1, "end", 3, stop, "stop top, trace f4"},
        {"unknown label: no goto, no stop", -1, "nowhere", 0, character::PLAY, "trace f2"},
    };
    for (const row& r : rows) {
        p.top->goto_frame(0);
        p.advance();  // stopped: runs what the goto deferred, stays on frame 0
        p.top->set_play_state(character::PLAY);
        p.events.take();
        ASSERT_EQ(p.top->get_current_frame(), 0) << r.what;
        if (r.text) p.top->goto_frame(flash::bx_string(r.text));
        else p.top->goto_frame(r.frame);
        EXPECT_EQ(p.top->get_current_frame(), r.expected_frame) << r.what;
        EXPECT_EQ(p.top->get_play_state(), r.expected_state) << r.what;
        p.advance();
        EXPECT_EQ(p.events.take(), r.log) << r.what;
    }
    EXPECT_EQ(p.top->getLabeledFrame("end"), 3);
    EXPECT_EQ(p.top->getLabeledFrame("none"), -1);
}

TEST(SpriteTimelineTest, AOneFrameClipRunsItsFrameOnceAndAgainOnAGoto) {
    playing_movie p(traced_frames(1));
    ASSERT_TRUE(p.top);
    p.advance(3);
    EXPECT_EQ(p.events.take(), "trace f1");
    EXPECT_EQ(p.top->get_current_frame(), 0);
    p.top->goto_frame(0);
    p.advance();
    EXPECT_EQ(p.events.take(), "trace f1");
}

TEST(SpriteTimelineTest, AWrapKeepsTheChildrenFrameZeroPlaces) {
    swf::MovieWriter m(8);
    const uint16_t a = spritetest::square(m, 0, 0, 10);
    const uint16_t b = spritetest::square(m, 20, 0, 10);
    swf::PlaceObject place_a = spritetest::named(1, a, "a");
    m.place_object2(place_a);
    m.show_frame();
    swf::PlaceObject place_b = spritetest::named(2, b, "b");
    m.place_object2(place_b);
    m.show_frame();
    playing_movie p(spritetest::finish(m));
    ASSERT_TRUE(p.top);
    character* first_a = p.find("a");
    ASSERT_NE(first_a, nullptr);
    p.advance(2);
    EXPECT_NE(p.find("b"), nullptr);
    p.advance();  // wraps to frame 0
    EXPECT_EQ(p.top->get_current_frame(), 0);
    EXPECT_EQ(p.find("a"), first_a);  // the same instance, not a new one
    EXPECT_EQ(p.find("b"), nullptr);
    EXPECT_EQ(p.top->get_display_list()->size(), 1);
}

TEST(SpriteTimelineTest, ABackwardGotoUndoesRemovesAndReplacesAndDefersActions) {
    swf::MovieWriter m(8);
    const uint16_t a = spritetest::square(m, 0, 0, 10);
    const uint16_t b = spritetest::square(m, 20, 0, 10);
    const uint16_t c = spritetest::square(m, 40, 0, 10);
    m.place_object2(swf::PlaceObject::place(1, a));
    m.place_object2(swf::PlaceObject::place(2, b));
    spritetest::traced_frame(m, "f1");
    m.remove_object2(1);
    m.place_object2(swf::PlaceObject::replace(2, c));
    m.place_object2(swf::PlaceObject::place(3, a));
    spritetest::traced_frame(m, "f2");
    spritetest::traced_frame(m, "f3");
    playing_movie p(spritetest::finish(m));
    ASSERT_TRUE(p.top);
    p.advance(3);
    EXPECT_EQ(p.events.take(), "trace f1, trace f2, trace f3");
    EXPECT_EQ(p.top->get_id_at_depth(1), -1);
    EXPECT_EQ(p.top->get_id_at_depth(2), c);
    EXPECT_EQ(p.top->get_id_at_depth(3), a);

    p.top->goto_frame(0);
    EXPECT_EQ(p.top->get_id_at_depth(1), a);  // the remove undone
    EXPECT_EQ(p.top->get_id_at_depth(2), b);  // the replace undone
    EXPECT_EQ(p.top->get_id_at_depth(3), -1);  // the later place undone
    EXPECT_EQ(p.events.take(), "");  // frame 0's actions wait for the next advance
    p.advance();
    EXPECT_EQ(p.events.take(), "trace f1");
    EXPECT_EQ(p.top->get_current_frame(), 0);

    p.top->goto_frame(2);  // forward: frame 1's state without its actions
    EXPECT_EQ(p.top->get_id_at_depth(1), -1);
    EXPECT_EQ(p.top->get_id_at_depth(2), c);
    p.advance();
    EXPECT_EQ(p.events.take(), "trace f3");

    // Back to frame 1, which places nothing at depths 1 and 2 itself: only the undo of frame 2
    // and of the frames before restores them.
    p.top->goto_frame(1);
    EXPECT_EQ(p.top->get_id_at_depth(1), -1);
    EXPECT_EQ(p.top->get_id_at_depth(2), c);
    EXPECT_EQ(p.top->get_id_at_depth(3), a);
    EXPECT_FALSE(testsupport::engine_log::has_error("can't find previous"));
}

TEST(SpriteTimelineTest, GoingBackOverAFrameThatRemovedRestoresTheObject) {
    swf::MovieWriter m(8);
    const uint16_t a = spritetest::square(m, 0, 0, 10);
    const uint16_t b = spritetest::square(m, 20, 0, 10);
    m.place_object(swf::PlaceObject1{a, 1, {}, {}});  // tag 4: removed by id
    m.place_object2(swf::PlaceObject::place(2, b));
    m.show_frame();
    m.show_frame();
    m.remove_object(a, 1);
    m.remove_object2(2);
    m.show_frame();
    playing_movie p(spritetest::finish(m));
    ASSERT_TRUE(p.top);
    p.advance(3);
    EXPECT_EQ(p.top->get_id_at_depth(1), -1);
    EXPECT_EQ(p.top->get_id_at_depth(2), -1);
    p.top->goto_frame(1);
    EXPECT_EQ(p.top->get_id_at_depth(1), a);
    EXPECT_EQ(p.top->get_id_at_depth(2), b);
    EXPECT_FALSE(testsupport::engine_log::has_error("can't find previous"));
}

TEST(SpriteTimelineTest, InitActionsRunBeforeTheFramesActionsOnce) {
    swf::MovieWriter m(8);
    const uint16_t sprite = spritetest::empty_sprite(m);
    m.do_action(trace("f1"));
    m.do_init_action(sprite, trace("init"));
    m.show_frame();
    spritetest::traced_frame(m, "f2");
    playing_movie p(spritetest::finish(m));
    ASSERT_TRUE(p.top);
    p.advance(3);
    EXPECT_EQ(p.events.take(), "trace init, trace f1, trace f2, trace f1");
}

TEST(SpriteTimelineTest, ClipActionsLoadEnterFrameAndUnload) {
    swf::MovieWriter m(8);
    const uint16_t sprite = spritetest::empty_sprite(m);
    swf::PlaceObject place = spritetest::named(1, sprite, "clip");
    place.clip_actions = swf::clip_actions({swf::clip_action(swf::event_load, trace("load")),
                                           swf::clip_action(swf::event_enter_frame, trace("enter")),
                                           swf::clip_action(swf::event_unload, trace("unload")),
                                           swf::clip_action(swf::event_construct, trace("construct"))});
    m.place_object2(place);
    spritetest::traced_frame(m, "f1");
    spritetest::traced_frame(m, "f2");
    m.remove_object2(1);
    spritetest::traced_frame(m, "f3");
    playing_movie p(spritetest::finish(m));
    ASSERT_TRUE(p.top);
    EXPECT_EQ(p.events.take(), "trace construct");
    p.top->set_loop(0, false, 0.0f);
    p.advance();
    EXPECT_EQ(p.events.take(), "trace f1, trace load");
    p.advance();
    EXPECT_EQ(p.events.take(), "trace f2, trace enter");
    p.advance();
    EXPECT_EQ(p.events.take(), "trace unload, trace f3");
}

TEST(SpriteTimelineTest, CallFrameRunsAFramesActionsWithoutMoving) {
    playing_movie p(traced_frames(3, {"", "two"}));
    ASSERT_TRUE(p.top);
    p.advance();
    p.events.take();
    p.top->call_frame_actions(flash::as_value(3.0));
    p.top->call_frame_actions(flash::as_value("two"));
    p.top->call_frame_actions(flash::as_value("1"));
    EXPECT_EQ(p.events.take(), "trace f3, trace f2, trace f1");
    EXPECT_EQ(p.top->get_current_frame(), 0);
    p.top->call_frame_actions(flash::as_value(4.0));
    EXPECT_TRUE(testsupport::engine_log::has_error("call_frame('4') -- unknown frame"));
}

void journal_script(const flash::fn_call& fn) {
    character* ch = flash::as_character(fn.this_object);
    spritetest::journal::add(std::string("script ") + (ch ? ch->get_name().c_str() : "?"));
    fn.result->set_string("done");
}

TEST(SpriteTimelineTest, FrameScriptsRunAfterTheFramesActions) {
    playing_movie p(traced_frames(3));
    ASSERT_TRUE(p.top);
    p.top->set_name("top");
    flash::player* owner = p.fixture.owner.get_ptr();
    EXPECT_TRUE(p.top->set_frame_script(1, new flash::as_c_function(owner, journal_script)));
    EXPECT_TRUE(p.top->set_frame_script(0, new flash::as_c_function(owner, journal_script)));
    flash::smart_ptr<flash::as_object> unused(new flash::as_c_function(owner, journal_script));
    EXPECT_FALSE(p.top->set_frame_script(3, unused.get_ptr()));
    EXPECT_FALSE(p.top->set_frame_script(-1, unused.get_ptr()));
    p.advance(4);  // frame 0's script is pending at once: the clip is on frame 0
    EXPECT_EQ(p.events.take(),
              "trace f1, script top, trace f2, script top, trace f3, trace f1, script top");

    p.top->set_member("greet", flash::as_value(new flash::as_c_function(owner, journal_script)));
    EXPECT_EQ(p.top->call_method("greet"), "done");
    EXPECT_EQ(p.events.take(), "script top");
}

}  // namespace
