// Roots over real movies: load_file, and the mouse button events on clips as the host's callbacks
// (press, roll over and out, drag over and out, still pressed) and the clips' focus and release
// handlers hear them: depth priority, invisible clips, the topmost entity.
#include <gtest/gtest.h>

#include <string>

#include "flash/movie/host_callbacks.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "flash/runtime/as_function.h"
#include "tests/flash/movie/sprite_fixture.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using spritetest::journal;

void note_focus(const flash::fn_call& fn, const char* what) {
    flash::character* ch = flash::as_character(fn.this_object);
    journal::add(std::string(what) + " " + (ch ? ch->get_name().c_str() : "?"));
}
void on_set_focus(const flash::fn_call& fn) { note_focus(fn, "setfocus"); }
void on_kill_focus(const flash::fn_call& fn) { note_focus(fn, "killfocus"); }
void on_release(const flash::fn_call& fn) { note_focus(fn, "release"); }
void on_release_outside(const flash::fn_call& fn) { note_focus(fn, "releaseoutside"); }

swf::PlaceObject named(uint16_t depth, uint16_t id, const char* name, int x, int y) {
    swf::PlaceObject p = swf::PlaceObject::place(depth, id);
    p.name = name;
    p.matrix = swf::Matrix::translation(x * 20, y * 20);
    return p;
}

// "low" (100..200) and "high" (150..250) overlap; "clickarea" (300..400) holds an unnamed clip
// holding the square; "plain" (400..500, 0..100) holds two unnamed clips that take no events.
swf::Bytes scene() {
    swf::MovieWriter m(8);
    const uint16_t square = spritetest::square(m, 0, 0, 100);
    swf::SpriteWriter button = m.sprite();
    button.place_object2(swf::PlaceObject::place(1, square));
    button.show_frame();
    button.end();
    const uint16_t button_id = m.define_sprite(button);
    swf::SpriteWriter area = m.sprite();
    area.place_object2(swf::PlaceObject::place(1, button_id));  // unnamed
    area.show_frame();
    area.end();
    const uint16_t area_id = m.define_sprite(area);
    swf::SpriteWriter plain = m.sprite();
    plain.place_object2(named(1, button_id, "under", 0, 0));
    plain.place_object2(named(2, button_id, "over", 0, 0));
    plain.show_frame();
    plain.end();
    const uint16_t plain_id = m.define_sprite(plain);
    m.place_object2(named(1, button_id, "low", 100, 100));
    m.place_object2(named(2, button_id, "high", 150, 150));
    m.place_object2(named(3, area_id, "clickarea", 300, 300));
    m.place_object2(named(4, plain_id, "plain", 400, 0));
    m.show_frame();
    m.end();
    return m.finish_fws();
}

struct scene_root {
    movietest::movie_fixture fixture;
    journal events;
    flash::smart_ptr<flash::root> r;

    scene_root() {
        fixture.files.add("scene.swf", scene());
        r = fixture.owner->load_file("scene.swf");
        if (!r) return;
        r->advance(0.0f);
        for (const char* name : {"low", "high", "clickarea"}) {
            flash::character* clip = find(name);
            if (!clip) continue;
            clip->m_event_callback = journal::on_event;
            clip->set_member("onSetFocus", flash::as_value(on_set_focus));
            clip->set_member("onKillFocus", flash::as_value(on_kill_focus));
            clip->set_member("onRelease", flash::as_value(on_release));
            clip->set_member("onRelease_Outside", flash::as_value(on_release_outside));
        }
        flash::register_fx_callback(nullptr);  // every mouse event reports an effect, named or not
        events.take();
    }
    ~scene_root() { r = nullptr; }

    flash::character* find(const char* name) const {
        flash::character* movie = r ? r->get_root_movie() : nullptr;
        return movie ? movie->get_display_list()->get_character_by_name(name, false) : nullptr;
    }

    std::string step(int x, int y, int buttons) {
        r->notify_mouse_state(x, y, buttons);
        r->advance(0.0f);
        return events.take();
    }
};

TEST(RootSprites, LoadFileMakesARootShowingFrameZero) {
    scene_root s;
    ASSERT_TRUE(s.r);
    EXPECT_NE(s.find("low"), nullptr);
    EXPECT_EQ(s.r->get_frame_count(), 1);
    EXPECT_EQ(s.fixture.owner->get_root(), nullptr);  // load_file leaves the current root alone
    flash::as_value version;
    ASSERT_TRUE(s.r->get_root_movie()->get_member("$version", &version));
    EXPECT_STREQ(version.to_string(), "WIN Sep 25 2009 15:14:56");
    // "_root" of a clip is its own root's movie, whichever root is current.
    flash::as_value root_movie;
    ASSERT_TRUE(s.find("low")->get_member("_root", &root_movie));
    EXPECT_EQ(root_movie.to_object(), s.r->get_root_movie());

    testing::internal::CaptureStderr();
    EXPECT_FALSE(s.fixture.owner->load_file("missing.swf"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "error: can't create a movie from 'missing.swf'\n");
}

TEST(RootSprites, PressHoldMoveOffReleaseOutsideAndFocus) {
    scene_root s;
    ASSERT_TRUE(s.r);
    EXPECT_EQ(s.step(120, 120, 0), "event 4 low");
    EXPECT_EQ(s.step(120, 120, 1), "setfocus low, event 1 low");
    EXPECT_EQ(s.step(120, 120, 1), "event 8 low");
    EXPECT_EQ(s.step(121, 120, 1), "event 8 low");
    EXPECT_EQ(s.step(20, 20, 1), "event 7 low");
    EXPECT_EQ(s.step(25, 20, 1), "");
    EXPECT_EQ(s.step(20, 20, 0), "releaseoutside low, event 5 low");
    // A press on another clip: kill focus and set focus come before the press.
    EXPECT_EQ(s.step(350, 350, 0), "event 4 clickarea");
    EXPECT_EQ(s.step(350, 350, 1), "killfocus low, setfocus clickarea, event 1 clickarea");
    EXPECT_EQ(s.step(350, 350, 0), "event 8 clickarea, release clickarea");
}

TEST(RootSprites, DepthPriorityAndInvisibleClips) {
    scene_root s;
    ASSERT_TRUE(s.r);
    EXPECT_EQ(s.step(175, 175, 0), "event 4 high");  // the higher depth wins where they overlap
    s.find("high")->set_visible(false);
    EXPECT_EQ(s.step(175, 175, 0), "event 5 high, event 4 low");
    s.r->get_root_movie()->set_visible(false);  // a hidden root hits nothing
    EXPECT_EQ(s.step(175, 175, 0), "event 5 low");
}

TEST(RootSprites, TheTopmostEntity) {
    scene_root s;
    ASSERT_TRUE(s.r);
    // A click inside the unnamed clip of "clickarea" belongs to "clickarea".
    EXPECT_EQ(s.step(350, 350, 1), "event 4 clickarea, setfocus clickarea, event 1 clickarea");
    s.step(350, 350, 0);
    // Neither child of "plain" takes events: the topmost one that was hit answers.
    s.step(450, 50, 0);
    ASSERT_NE(s.r->get_topmost_entity(), nullptr);
    // (the square inside "over", the higher of the two: not the last one asked)
    ASSERT_NE(s.r->get_topmost_entity()->get_parent(), nullptr);
    EXPECT_STREQ(s.r->get_topmost_entity()->get_parent()->get_name().c_str(), "over");
}

}  // namespace
