// The clip as a container: nesting limits, bounds, the topmost mouse entity, members and events,
// duplicate and remove through the interpreter's actions, and colour transforms.
#include <gtest/gtest.h>

#include <cmath>

#include "flash/movie/generic_character.h"
#include "flash/runtime/event_id.h"
#include "flash/movie/sprite_definition.h"
#include "flash/movie/sprite_instance.h"
#include "tests/flash/movie/sprite_fixture.h"
#include "tools/swfwriter/movie_writer.h"

using flash::as_value;
using flash::character;
using flash::sprite_instance;
using spritetest::assembler;
using spritetest::playing_movie;
using spritetest::trace;

namespace {

constexpr int twips = 20;

// Counts the sprites under (and including) ch.
int count_clips(character* ch) {
    int count = 1;
    if (flash::display_list* list = ch->get_display_list()) {
        for (int i = 0; i < list->size(); ++i) count += count_clips(list->get_character(i));
    }
    return count;
}

int nesting_depth(character* ch) {
    int deepest = 0;
    if (flash::display_list* list = ch->get_display_list()) {
        for (int i = 0; i < list->size(); ++i) {
            const int below = nesting_depth(list->get_character(i));
            if (below > deepest) deepest = below;
        }
    }
    return 1 + deepest;
}

// Sprites that place one another: sprite i places `placements` copies of sprite i + 1, the last
// one (in a ring) the first again; the movie places the first.
spritetest::bytes sprite_chain(int sprites, int placements, bool ring) {
    swf::MovieWriter m(8);
    const uint16_t first = static_cast<uint16_t>(m.next_id());
    // Ids are handed out in order, so the sprites' ids are first .. first + sprites - 1.
    for (int i = 0; i < sprites; ++i) {
        swf::SpriteWriter s = m.sprite();
        if (ring || i + 1 < sprites) {
            const uint16_t next = static_cast<uint16_t>(first + (i + 1) % sprites);
            for (int k = 0; k < placements; ++k) s.place_object2(swf::PlaceObject::place(static_cast<uint16_t>(k + 1), next));
        }
        s.show_frame();
        m.define_sprite(s, static_cast<uint16_t>(first + i));
    }
    m.place_object2(swf::PlaceObject::place(1, first));
    m.show_frame();
    return spritetest::finish(m);
}

TEST(SpriteDisplayTest, SpritesThatPlaceThemselvesStopWithAnError) {
    struct row {
        const char* what;
        int sprites;
        int placements;
    };
    const row rows[] = {
        {"a sprite placing itself", 1, 1},
        {"a sprite placing itself twice", 1, 2},
        {"two sprites placing each other", 2, 1},
        {"three sprites, twice each", 3, 2},
    };
    for (const row& r : rows) {
        playing_movie p(sprite_chain(r.sprites, r.placements, true));
        ASSERT_TRUE(p.top) << r.what;
        EXPECT_TRUE(testsupport::engine_log::has_error("nesting stopped")) << r.what;
        // Each definition appears once on any chain: top, then the ring's sprites.
        EXPECT_EQ(nesting_depth(p.top.get_ptr()), 1 + r.sprites) << r.what;
        p.advance(3);
        EXPECT_LE(count_clips(p.top.get_ptr()), 1 + 3 * 2 * 2 * 2) << r.what;
    }
}

TEST(SpriteDisplayTest, DistinctSpritesNestOnlyToTheLimit) {
    playing_movie p(sprite_chain(flash::max_sprite_nesting + 10, 1, false));
    ASSERT_TRUE(p.top);
    EXPECT_EQ(nesting_depth(p.top.get_ptr()), flash::max_sprite_nesting);
    EXPECT_TRUE(testsupport::engine_log::has_error("nested more than 64 deep"));
}

TEST(SpriteDisplayTest, BoundsOfEmptyAndFilledClips) {
    playing_movie p([] {
        swf::MovieWriter m(8);
        const uint16_t empty_id = spritetest::empty_sprite(m);
        swf::SpriteWriter filled = m.sprite();
        filled.place_object2(swf::PlaceObject::place(1, spritetest::square(m, 0, 0, 10)));
        swf::PlaceObject second = swf::PlaceObject::place(2, spritetest::square(m, 0, 0, 10));
        second.matrix = swf::Matrix::translation(30 * twips, 5 * twips);
        filled.place_object2(second);
        filled.show_frame();
        const uint16_t filled_id = m.define_sprite(filled);
        swf::PlaceObject e = spritetest::named(1, empty_id, "empty");
        e.matrix = swf::Matrix::translation(7 * twips, 9 * twips);
        m.place_object2(e);
        swf::PlaceObject f = spritetest::named(2, filled_id, "filled");
        f.matrix = swf::Matrix::translation(100 * twips, 0);
        m.place_object2(f);
        m.show_frame();
        return spritetest::finish(m);
    }());
    ASSERT_TRUE(p.top);
    flash::rect r;
    r.m_x_min = r.m_x_max = r.m_y_min = r.m_y_max = NAN;
    p.find("empty")->get_bound(&r);
    EXPECT_EQ(r.m_x_min, 7 * twips);
    EXPECT_EQ(r.m_x_max, 7 * twips);
    EXPECT_EQ(r.m_y_min, 9 * twips);
    EXPECT_EQ(r.m_y_max, 9 * twips);
    EXPECT_EQ(p.find("empty")->get_width(), 0.0f);
    p.find("filled")->get_bound(&r);
    EXPECT_EQ(r.m_x_min, 100 * twips);
    EXPECT_EQ(r.m_x_max, 140 * twips);
    EXPECT_EQ(r.m_y_min, 0);
    EXPECT_EQ(r.m_y_max, 15 * twips);
}

// Sprites made in code over empty definitions, to arrange the mouse cases freely.
struct clip_tree {
    spritetest::journal events;
    movietest::movie_fixture fixture;
    flash::smart_ptr<flash::movie_definition_sub> empty{flash::create_empty_sprite_definition()};

    sprite_instance* clip(character* parent, const char* name, int depth) {
        sprite_instance* ch = new sprite_instance(fixture.owner.get_ptr(), empty.get_ptr(), nullptr, parent, -1);
        ch->set_name(name);
        if (auto* p = flash::cast_to<sprite_instance>(parent)) {
            p->get_display_list()->add_display_object(ch, depth, true, flash::cxform(), flash::matrix(), 0.0f, 0);
        }
        return ch;
    }
    // A 10 x 10 pixel square at (x, y) pixels of the parent.
    character* square(sprite_instance* parent, int depth, int x, int y) {
        flash::smart_ptr<flash::character_def> def(new square_def);
        character* ch = def->create_character_instance(fixture.owner.get_ptr(), parent, 1);
        flash::matrix m;
        m.m_[0][2] = static_cast<float>(x * twips);
        m.m_[1][2] = static_cast<float>(y * twips);
        parent->get_display_list()->add_display_object(ch, depth, true, flash::cxform(), m, 0.0f, 0);
        return ch;
    }
    struct square_def : flash::character_def {
        flash::rect get_bound() const override {
            flash::rect r;
            r.m_x_max = r.m_y_max = 10 * twips;
            return r;
        }
        bool point_test_local(float x, float y) const override {
            return x >= 0 && y >= 0 && x <= 10 * twips && y <= 10 * twips;
        }
    };
};

TEST(SpriteDisplayTest, TopmostEntityAnswersTheTopmostHitWhenNoChildTakesEvents) {
    clip_tree t;
    flash::smart_ptr<sprite_instance> top(t.clip(nullptr, "", 0));
    sprite_instance* area = t.clip(top.get_ptr(), "clickarea", 1);
    area->m_named_clips = true;
    sprite_instance* inner = t.clip(area, "", 1);  // unnamed: takes no events
    character* hit_shape = t.square(inner, 2, 0, 0);
    t.square(inner, 1, 50, 50);  // queried last and missed
    EXPECT_FALSE(inner->can_handle_mouse_event());
    EXPECT_EQ(inner->get_topmost_mouse_entity(5 * twips, 5 * twips), hit_shape);
    EXPECT_EQ(top->get_topmost_mouse_entity(5 * twips, 5 * twips), area);
    EXPECT_EQ(top->get_topmost_mouse_entity(30 * twips, 30 * twips), nullptr);

    // A lower child that takes events wins over a decoration above it.
    sprite_instance* button = t.clip(top.get_ptr(), "button", 0);
    button->m_event_callback = spritetest::journal::on_event;
    t.square(button, 1, 100, 0);
    t.square(top.get_ptr(), 5, 100, 0);  // an overlapping shape above
    EXPECT_EQ(top->get_topmost_mouse_entity(105 * twips, 5 * twips), button);

    // Invisible clips and disabled ones.
    button->set_visible(false);
    EXPECT_NE(top->get_topmost_mouse_entity(105 * twips, 5 * twips), button);
    button->set_visible(true);
    button->set_member("enabled", as_value(false));
    EXPECT_FALSE(button->can_handle_mouse_event());
    top->set_member("enabled", as_value(false));
    EXPECT_FALSE(area->can_handle_mouse_event());  // a disabled parent disables its children
}

TEST(SpriteDisplayTest, MouseEventsReachTheHostAndTheHandlersWithTheirSounds) {
    clip_tree t;
    flash::smart_ptr<sprite_instance> top(t.clip(nullptr, "", 0));
    sprite_instance* b = t.clip(top.get_ptr(), "b", 1);
    b->m_event_callback = spritetest::journal::on_event;
    b->m_sound_names[flash::SOUND_PRESS] = "click";
    b->m_effect_names[flash::SOUND_PRESS] = "sparks";
    b->m_sound_names[flash::SOUND_ROLL_OVER] = "hover";
    t.events.take();
    struct row {
        int id;
        const char* log;
    };
    const row rows[] = {
        {flash::event_id::PRESS, "sound click, fx sparks, event 1 b"},
        {flash::event_id::ROLL_OVER, "sound hover, fx , event 4 b"},
        {flash::event_id::ROLL_OUT, "fx , event 5 b"},
        {flash::event_id::RELEASE, "fx "},
        {flash::event_id::STILL_PRESSED, "event 8 b"},
        {flash::event_id::ENTER_FRAME, ""},
    };
    for (const row& r : rows) {
        b->on_event(flash::event_id(static_cast<uint8_t>(r.id)));
        EXPECT_EQ(t.events.take(), r.log) << r.id;
    }
}

TEST(SpriteDisplayTest, MembersOfTheClip) {
    playing_movie p([] {
        swf::MovieWriter m(8);
        swf::SpriteWriter s = m.sprite();
        s.show_frame();
        s.show_frame();
        const uint16_t id = m.define_sprite(s);
        swf::PlaceObject c = spritetest::named(1, id, "child");
        m.place_object2(c);
        m.show_frame();
        m.show_frame();
        m.show_frame();
        return spritetest::finish(m);
    }());
    ASSERT_TRUE(p.top);
    auto member = [&](const char* name) {
        as_value v;
        return p.top->get_member(name, &v) ? std::string(v.to_string()) : std::string("(none)");
    };
    EXPECT_EQ(member("_currentframe"), "1");
    EXPECT_EQ(member("_totalframes"), "3");
    EXPECT_EQ(member("_framesloaded"), "3");
    EXPECT_EQ(member("enabled"), "true");
    as_value child;
    ASSERT_TRUE(p.top->get_member("child", &child));
    EXPECT_EQ(child.to_object(), p.find("child"));
    EXPECT_EQ(member("Child"), member("child"));  // member names ignore case
    p.advance();
    p.advance();
    EXPECT_EQ(member("_currentframe"), "2");
    EXPECT_STREQ(p.top->type_of(), "movieclip");

    flash::as_environment env(p.fixture.owner.get_ptr());
    p.top->enumerate(&env);
    bool listed = false;
    while (env.get_stack_size() > 0) {
        if (env.pop().to_bx_string() == "child") listed = true;
    }
    EXPECT_TRUE(listed);
}

TEST(SpriteDisplayTest, ColourTransformsClampAndNaNBecomesZero) {
    clip_tree t;
    flash::smart_ptr<sprite_instance> top(t.clip(nullptr, "", 0));
    sprite_instance* c = t.clip(top.get_ptr(), "c", 1);
    c->set_member("_alpha", as_value(NAN));
    EXPECT_EQ(c->get_cxform().m_[3][0], 0.0f);
    c->set_member("_alpha", as_value(250.0));
    const flash::rgba out = c->get_world_cxform().transform(flash::rgba(10, 20, 30, 200));
    EXPECT_EQ(out.m_a, 255);
    flash::cxform wild;
    wild.m_[0][0] = NAN;
    wild.m_[0][1] = NAN;
    wild.m_[1][1] = 1e30f;
    c->set_cxform(wild);
    const flash::rgba out2 = c->get_world_cxform().transform(flash::rgba(10, 20, 30, 200));
    EXPECT_EQ(out2.m_r, 0);    // NaN becomes 0
    EXPECT_EQ(out2.m_g, 255);  // out of range clamps
}

TEST(SpriteDisplayTest, HostControlsReachTheChildSprites) {
    clip_tree t;
    flash::smart_ptr<sprite_instance> top(t.clip(nullptr, "", 0));
    sprite_instance* child = t.clip(top.get_ptr(), "child", 1);
    sprite_instance* grandchild = t.clip(child, "grandchild", 1);
    t.square(child, 2, 0, 0);  // not a sprite: skipped
    child->m_loop_delay = 4.0f;
    top->set_loop(3, true, 2.0f);
    EXPECT_EQ(top->m_loop_count, 3);
    EXPECT_EQ(top->m_loop_delay, 2.0f);
    EXPECT_EQ(grandchild->m_loop_count, 3);
    // Children are given the delay -1, stored as it is: they loop without waiting.
    EXPECT_EQ(child->m_loop_delay, -1.0f);
    EXPECT_EQ(grandchild->m_loop_delay, -1.0f);
    top->setFramesForPlay(2, 5);
    EXPECT_EQ(grandchild->get_start_frame(), 2);
    EXPECT_EQ(grandchild->get_end_frame(), 5);
    top->set_play_state(character::STOP, true);
    EXPECT_EQ(grandchild->get_play_state(), character::STOP);
    top->set_play_state(character::PLAY, false);
    EXPECT_EQ(top->get_play_state(), character::PLAY);
    EXPECT_EQ(child->get_play_state(), character::STOP);

    EXPECT_EQ(top->get_character_by_name("grandchild", true), grandchild);
    EXPECT_EQ(top->get_character_by_name("GrandChild", true), nullptr);  // exact case
    flash::array<character*> all;
    top->get_character_by_name("", true, &all);
    EXPECT_EQ(all.size(), 3);

    const as_value five(5.0);
    top->set_variable("child.grandchild.v", &five);
    EXPECT_EQ(grandchild->get_variable("v").to_number(), 5.0);
    EXPECT_EQ(top->get_variable("child.grandchild.v").to_number(), 5.0);
    top->set_variable(nullptr, &five);
    EXPECT_TRUE(testsupport::engine_log::has_error("NULL path_to_var passed to set_variable()"));
    top->set_variable("v", nullptr);
    EXPECT_TRUE(testsupport::engine_log::has_error("NULL passed to set_variable('v', NULL)"));

    EXPECT_FALSE(child->wants_key_events());
    child->set_member("onKeyDown", as_value(top.get_ptr()));
    EXPECT_TRUE(child->wants_key_events());
}

TEST(SpriteDisplayTest, TheTopLevelClipCannotBeCloned) {
    clip_tree t;
    flash::smart_ptr<sprite_instance> top(t.clip(nullptr, "", 0));
    EXPECT_EQ(top->clone_display_object("copy", 3), nullptr);
    EXPECT_TRUE(testsupport::engine_log::has_error("can't clone _root"));
    // A child clones into its parent, over the same definition, with its transform.
    sprite_instance* child = t.clip(top.get_ptr(), "child", 1);
    flash::matrix m;
    m.m_[0][2] = 40;
    child->set_matrix(m);
    character* copy = child->clone_display_object("copy", 7);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(top->get_character_by_name("copy"), copy);
    EXPECT_EQ(copy->get_depth(), 7);
    EXPECT_EQ(copy->get_matrix().m_[0][2], 40);
    EXPECT_EQ(flash::cast_to<sprite_instance>(copy)->get_definition(), t.empty.get_ptr());
}

}  // namespace
