// The root's mouse button events as the callback sequences the characters under the mouse get.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flash/movie/movie_root.h"
#include "recording_render_handler.h"
#include "root_fixture.h"

namespace {

using movietest::probe;
using movietest::root_fixture;
using journal = std::vector<std::string>;

struct mouse_step {
    int x, y, buttons;
    journal events;  // what the advance sends, in order
};

// A movie with two clickable children: "button" at 100..200 pixels and "other" at 300..400.
struct two_buttons : root_fixture {
    two_buttons() {
        button = new probe(owner.get_ptr(), "button", &journal);
        other = new probe(owner.get_ptr(), "other", &journal);
        button->set_hit_pixels(100, 100, 200, 200);
        other->set_hit_pixels(300, 300, 400, 400);
        movie->add_child(button.get_ptr(), 1);
        movie->add_child(other.get_ptr(), 2);
        r->advance(0.0f);  // the first step and its load event
        journal.clear();
    }
    ~two_buttons() {
        button = nullptr;
        other = nullptr;
    }

    void play(const std::vector<mouse_step>& steps) {
        for (size_t i = 0; i < steps.size(); ++i) {
            const mouse_step& s = steps[i];
            journal.clear();
            r->notify_mouse_state(s.x, s.y, s.buttons);
            r->advance(0.0f);
            EXPECT_EQ(journal, s.events) << "step " << i << " at " << s.x << "," << s.y << " buttons " << s.buttons;
        }
    }

    flash::smart_ptr<probe> button;
    flash::smart_ptr<probe> other;
};

TEST(RootMouse, PressHoldMoveOffAndReleaseOutside) {
    two_buttons f;
    f.play({
        {150, 150, 0, {"button 4"}},                 // roll over
        {150, 150, 1, {"button 21", "button 1"}},    // set focus, then press
        {150, 150, 1, {"button 8"}},                 // held over it: every advance
        {151, 150, 1, {"button 8"}},
        {250, 250, 1, {"button 7"}},                 // moved off: drag out once
        {260, 250, 1, {}},
        {250, 250, 0, {"button 3", "button 5"}},     // released outside, then rolled out
        {250, 250, 0, {}},
    });
    EXPECT_EQ(f.r->get_focus(), f.button.get_ptr());
    EXPECT_EQ(f.r->get_active_entity(), nullptr);
}

TEST(RootMouse, FocusMovesBeforeThePressAndReleaseInsideClicks) {
    two_buttons f;
    f.play({
        {150, 150, 1, {"button 4", "button 21", "button 1"}},
        {150, 150, 0, {"button 8", "button 2"}},                  // released over it: a click
        {350, 350, 0, {"button 5", "other 4"}},
        {350, 350, 1, {"button 22", "other 21", "other 1"}},      // kill focus, set focus, press
        {250, 250, 1, {"other 7"}},
        {350, 350, 1, {"other 6"}},                               // dragged back over it
        {350, 350, 0, {"other 8", "other 2"}},
    });
    EXPECT_EQ(f.r->get_focus(), f.other.get_ptr());
}

TEST(RootMouse, ACharacterThatRefusesFocusDoesNotKeepIt) {
    two_buttons f;
    f.button->accepts_focus = false;
    f.play({
        {150, 150, 1, {"button 4", "button 21", "button 1"}},
        {150, 150, 0, {"button 8", "button 2"}},
        {350, 350, 1, {"button 5", "other 4", "other 21", "other 1"}},  // nothing to kill
    });
}

TEST(RootMouse, CoordinatesArePixelsTimesTwentyWithoutViewportScaling) {
    two_buttons f;
    f.r->set_display_viewport(0, 0, 1100, 800);  // twice the movie: the hit test is unchanged
    f.play({
        {99, 150, 0, {}},
        {100, 150, 0, {"button 4"}},
        {200, 200, 0, {}},
        {201, 200, 0, {"button 5"}},
    });
}

TEST(RootMouse, TrackAsMenuTakesOverWhilePressed) {
    two_buttons f;
    f.other->track_as_menu = true;
    f.button->track_as_menu = true;
    f.play({
        {150, 150, 1, {"button 4", "button 21", "button 1"}},
        {350, 350, 1, {"other 6", "other 8"}},  // a menu item under a held button takes over
        {350, 350, 1, {"other 8"}},
        {250, 250, 1, {"other 7"}},
        {250, 250, 0, {"other 5"}},     // released off a menu item: no release outside
    });
}

TEST(RootMouse, TheCursorFollowsTheActiveEntitysHand) {
    two_buttons f;
    struct cursor_handler : movietest::recording_render_handler {
        void set_cursor(int cursor) override { cursors.push_back(cursor); }
        std::vector<int> cursors;
    } handler;
    f.button->set_use_hand_cursor(true);
    for (int x : {150, 150, 350, 350}) {
        f.r->notify_mouse_state(x, x, 0);
        f.r->advance(0.0f);
    }
    // The cursor is set from the entity active before each advance's events.
    EXPECT_EQ(handler.cursors, (std::vector<int>{0, 1, 1, 0}));
}

// A press handler that re-enters the engine: it advances a second root, as the game's callbacks
// may; the recursive engine mutex lets it, and no garbage pass runs under the outer advance.
flash::root* g_second_root = nullptr;
void advance_second_root(int id) {
    if (id == flash::event_id::PRESS && g_second_root) g_second_root->advance(1.0f);
}

TEST(RootMouse, CallbacksMayAdvanceAnotherRoot) {
    two_buttons f;
    flash::smart_ptr<probe> second_movie(new probe(f.owner.get_ptr(), "second", &f.journal));
    flash::smart_ptr<flash::root> second(new flash::root(f.owner.get_ptr(), f.r->get_movie_definition()));
    second->set_root_movie(second_movie.get_ptr());
    g_second_root = second.get_ptr();
    f.button->on_event_hook = advance_second_root;
    f.r->advance(1.0f);  // one step of the round of two: the nested step would complete it
    for (int i = 0; i < 100; ++i) f.owner->mark_alive(new flash::as_object(f.owner.get_ptr()));  // due
    const int passes = f.owner->get_garbage_pass_count();
    f.play({{150, 150, 1, {"button 4", "button 21", "button 1", "second 11"}}});
    EXPECT_EQ(second_movie->advances.size(), 1u);
    EXPECT_EQ(f.owner->get_garbage_pass_count(), passes);  // the nested step collected nothing
    g_second_root = nullptr;
}

}  // namespace
