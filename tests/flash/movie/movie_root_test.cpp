// The movie root: the frame clock, viewport and background, drawing, flash vars, keys, and a root
// that outlives its player.
#include "flash/movie/movie_root.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "flash/movie/player.h"
#include "recording_render_handler.h"
#include "flash/runtime/as_key.h"
#include "flash/runtime/as_function.h"
#include "root_fixture.h"

namespace {

using movietest::probe;
using movietest::root_fixture;

constexpr float nan_value = std::numeric_limits<float>::quiet_NaN();
constexpr float infinity = std::numeric_limits<float>::infinity();

// 8 frames a second: every frame time below is exact in binary.
constexpr float frame = 0.125f;

struct clock_case {
    const char* what;
    bool realtime;
    std::vector<float> dts;           // the advances after the first one (dt 0)
    std::vector<float> movie_steps;   // every dt the movie advanced by, the first step included
    float remainder;
};

TEST(RootClock, FrameStepsFollowTheElapsedTime) {
    const float start = 1.0f;  // the remainder a new root starts with
    const clock_case cases[] = {
        {"dt 0 on a new root steps once", false, {}, {start}, std::fmod(start - frame, frame)},
        {"a second dt 0 waits", false, {0.0f}, {start}, 0.0f},
        {"half frames carry over", false, {frame / 2, frame / 2}, {start, frame}, 0.0f},
        {"2.5 frames advance once by all of it", false, {2.5f * frame}, {start, 2.5f * frame}, 0.5f * frame},
        {"real time: three frames in one call", true, {3 * frame}, {frame, frame, frame, frame}, 0.0f},
        {"real time: the rest is carried", true, {2.5f * frame, 0.5f * frame},
         {frame, frame, frame, frame}, 0.0f},
        {"real time: the first advance is one frame", true, {}, {frame}, 0.0f},
        {"NaN, infinite and negative steps count as no time", false, {nan_value, infinity, -1.0f},
         {start}, 0.0f},
        {"real time: infinite steps do not spin", true, {infinity}, {frame}, 0.0f},
    };
    for (const clock_case& c : cases) {
        SCOPED_TRACE(c.what);
        root_fixture f;
        f.owner->set_force_realtime_framerate(c.realtime);
        f.r->advance(0.0f);
        for (float dt : c.dts) f.r->advance(dt);
        EXPECT_EQ(f.movie->advances, c.movie_steps);
        EXPECT_FLOAT_EQ(f.r->get_time_remainder(), c.remainder);
    }
}

TEST(RootClock, RealTimeCatchUpIsBounded) {
    root_fixture f;
    f.owner->set_force_realtime_framerate(true);
    f.r->advance(0.0f);
    f.r->advance(1000.0f);  // a long stall: at most 240 frames, the rest dropped
    EXPECT_EQ(f.movie->advances.size(), 1u + 240u);
    EXPECT_LT(f.r->get_time_remainder(), frame);
}

TEST(RootClock, TheFirstAdvanceStepsASlowMovieAndSendsLoadOnce) {
    root_fixture f(0.5);  // two seconds a frame
    f.r->advance(0.0f);
    f.r->advance(0.0f);
    EXPECT_EQ(f.movie->advances.size(), 1u);
    EXPECT_EQ(f.journal, (std::vector<std::string>{"movie 11"}));
}

TEST(RootClock, FrameRateBounds) {
    const struct {
        float fps;
        float expected_rate;
    } cases[] = {{0.5f, 8.0f}, {300.0f, 8.0f}, {nan_value, 8.0f}, {-5.0f, 8.0f},
                 {240.0f, 240.0f}, {1.0f, 1.0f}, {30.0f, 30.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fps);
        root_fixture f;
        f.r->set_frame_rate(c.fps);
        EXPECT_FLOAT_EQ(f.r->get_frame_rate(), c.expected_rate);
        EXPECT_FLOAT_EQ(f.r->get_movie_fps(), c.expected_rate);
        EXPECT_FLOAT_EQ(f.r->get_frame_time(), 1.0f / c.expected_rate);
    }
}

TEST(RootDisplay, BackgroundAlphaClamps) {
    const struct {
        float alpha;
        int byte;
    } cases[] = {{2.0f, 255}, {-1.0f, 0}, {nan_value, 0}, {infinity, 255}, {-infinity, 0},
                 {0.5f, 128}, {1.0f, 255}, {0.0f, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.alpha);
        root_fixture f;
        EXPECT_EQ(f.r->get_background_color().m_a, 255);
        f.r->set_background_alpha(c.alpha);
        EXPECT_EQ(f.r->get_background_color().m_a, c.byte);
    }
}

TEST(RootDisplay, ViewportAndPixelScale) {
    root_fixture f(8.0, 550, 400);
    EXPECT_EQ(f.r->get_viewport_width(), 550);
    EXPECT_EQ(f.r->get_viewport_height(), 400);
    EXPECT_FLOAT_EQ(f.r->get_pixel_scale(), 1.0f);
    EXPECT_EQ(f.r->get_movie_width(), 550);
    EXPECT_EQ(f.r->get_movie_height(), 400);
    EXPECT_EQ(f.r->get_movie_version(), 8);
    const struct {
        int width, height;
        float scale;
    } cases[] = {{1100, 400, 2.0f}, {550, 1200, 3.0f}, {275, 100, 0.5f}, {1100, 800, 2.0f}};
    for (const auto& c : cases) {
        f.r->set_display_viewport(10, 20, c.width, c.height);
        EXPECT_FLOAT_EQ(f.r->get_pixel_scale(), c.scale) << c.width << "x" << c.height;
    }
}

// Records the frame calls next to the drawing calls.
class frame_recorder : public movietest::recording_render_handler {
public:
    void begin_display(flash::rgba bg, int x0, int y0, int w, int h, float fx0, float fx1, float fy0,
                       float fy1) override {
        char text[160];
        std::snprintf(text, sizeof text, "begin %d,%d,%d,%d %d %d %d %d %g %g %g %g", bg.m_r, bg.m_g, bg.m_b,
                      bg.m_a, x0, y0, w, h, fx0, fx1, fy0, fy1);
        frames.push_back(text);
    }
    void end_display() override { frames.push_back("end"); }
    void set_cursor(int cursor) override { frames.push_back("cursor " + std::to_string(cursor)); }
    std::vector<std::string> frames;
};

TEST(RootDisplay, BeginDisplayEndInTwipsWithoutScaling) {
    root_fixture f(8.0, 550, 400);
    frame_recorder handler;
    f.r->set_background_color(flash::rgba(10, 20, 30, 255));
    f.r->set_background_alpha(0.0f);
    f.r->set_display_viewport(5, 6, 1100, 800);
    f.r->begin_display();
    f.r->display();
    f.r->end_display();
    EXPECT_EQ(handler.frames, (std::vector<std::string>{"begin 10,20,30,0 5 6 1100 800 0 11000 0 8000", "end"}));
    EXPECT_EQ(f.journal, (std::vector<std::string>{"movie display"}));

    f.journal.clear();
    f.r->set_visible(false);
    EXPECT_FALSE(f.r->get_visible());
    f.r->display();
    EXPECT_TRUE(f.journal.empty());
}

TEST(RootFlashVars, PairsBecomeMembersOfTheMovieOnTheFirstStep) {
    const struct {
        const char* vars;
        std::vector<std::pair<const char*, const char*>> members;
        std::vector<const char*> absent;
    } cases[] = {
        {"a=1,b=two", {{"a", "1"}, {"b", "two"}}, {}},
        {"a=1,bad,c=3", {{"a", "1"}}, {"bad", "c"}},
        {"", {}, {"a"}},
        {"x=,y=a=b", {{"x", ""}, {"y", "a=b"}}, {}},
        {"end=last,", {{"end", "last"}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vars);
        root_fixture f;
        f.owner->set_flash_vars(c.vars);
        f.r->advance(0.0f);
        for (const auto& [name, value] : c.members) {
            flash::as_value v;
            ASSERT_TRUE(f.movie->get_member(name, &v)) << name;
            EXPECT_STREQ(v.to_string(), value);
        }
        for (const char* name : c.absent) EXPECT_FALSE(f.movie->get_member(name, nullptr)) << name;
        // Only the first step reads them.
        f.movie->get_members().clear();
        f.r->advance(1.0f);
        EXPECT_EQ(f.movie->get_members().size(), 0);
    }
}

// Key listener objects journal their handler calls.
std::vector<std::string> g_key_calls;

void key_down_handler(const flash::fn_call&) { g_key_calls.push_back("onKeyDown"); }
void key_up_handler(const flash::fn_call&) { g_key_calls.push_back("onKeyUp"); }

TEST(RootKeys, KeyObjectAndListeners) {
    root_fixture f;
    flash::smart_ptr<probe> field(new probe(f.owner.get_ptr(), "field", &f.journal));
    f.r->get_keypress_listeners().add(field.get_ptr());
    flash::as_object* global = f.owner->get_global();
    flash::as_value key_value;
    ASSERT_TRUE(global->get_member("Key", &key_value));
    flash::as_key* key = flash::cast_to<flash::as_key>(key_value.to_object());
    ASSERT_NE(key, nullptr);

    // Without a Key object the press still reaches the key listeners.
    global->set_member("Key", flash::as_value(5));
    f.r->notify_key_event(f.owner.get_ptr(), 65, true);
    EXPECT_TRUE(f.log.has_error("flash::notify_key_event(): no Key built-in\n"));
    EXPECT_EQ(f.journal, (std::vector<std::string>{"field 9:65"}));
    EXPECT_FALSE(key->is_key_down(65));

    global->set_member("Key", key_value);
    flash::smart_ptr<flash::as_object> listener(new flash::as_object(f.owner.get_ptr()));
    listener->set_member("onKeyDown", flash::as_value(key_down_handler));
    listener->set_member("onKeyUp", flash::as_value(key_up_handler));
    key->get_listeners().add(listener.get_ptr());
    g_key_calls.clear();
    f.journal.clear();
    f.r->notify_key_event(f.owner.get_ptr(), 66, true);
    EXPECT_TRUE(key->is_key_down(66));
    EXPECT_EQ(key->get_last_key_code(), 66);
    f.r->notify_key_event(f.owner.get_ptr(), 66, false);
    EXPECT_FALSE(key->is_key_down(66));
    EXPECT_EQ(g_key_calls, (std::vector<std::string>{"onKeyDown", "onKeyUp"}));
    EXPECT_EQ(f.journal, (std::vector<std::string>{"field 9:66"}));  // releases reach no listener
    // A code past the Key's range is ignored there, never taken for its low byte (300 is not 44).
    g_key_calls.clear();
    f.r->notify_key_event(f.owner.get_ptr(), 300, true);
    EXPECT_FALSE(key->is_key_down(44));
    EXPECT_EQ(key->get_last_key_code(), 66);
    EXPECT_TRUE(g_key_calls.empty());
}

TEST(RootForwards, FramesLabelsAndUserData) {
    root_fixture f;
    {
        swf::MovieWriter m(8);
        m.show_frame();
        m.frame_label("here");
        m.show_frame();
        m.end();
        f.files.add("labels.swf", m.finish_fws());
        flash::smart_ptr<flash::root> labelled = f.owner->load_file("labels.swf");
        ASSERT_TRUE(labelled);
        EXPECT_EQ(labelled->get_frame_count(), 2);
        EXPECT_TRUE(labelled->goto_labeled_frame("here"));
        EXPECT_EQ(labelled->get_current_frame(), 1);
        EXPECT_FALSE(labelled->goto_labeled_frame("nowhere"));
        EXPECT_TRUE(f.log.errors().empty());  // only with verbose action
        flash::set_verbose_action(true);
        EXPECT_FALSE(labelled->goto_labeled_frame("nowhere"));
        flash::set_verbose_action(false);
        EXPECT_TRUE(f.log.has_error("error: movie_impl::goto_labeled_frame('nowhere') unknown label\n"));
        labelled->goto_frame(0);
        EXPECT_EQ(labelled->get_current_frame(), 0);
    }
    int data = 0;
    f.r->set_userdata(&data);
    EXPECT_EQ(f.r->get_userdata(), &data);
    EXPECT_EQ(f.r->get_root_movie(), f.movie.get_ptr());
    EXPECT_EQ(f.r->get_player(), f.owner.get_ptr());
    f.r->notify_mouse_state(12, 34, 1);
    int x = 0, y = 0, buttons = 0;
    f.r->get_mouse_state(&x, &y, &buttons);
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 34);
    EXPECT_EQ(buttons, 1);
}

TEST(RootLifetime, ARootAdvancedAfterItsPlayerDiedSkipsTheStepAndLogsOnce) {
    root_fixture f;
    frame_recorder handler;
    flash::smart_ptr<flash::root> r = f.r;
    flash::smart_ptr<probe> movie = f.movie;
    flash::movie_def_impl* def = r->get_movie_definition();
    r->advance(0.0f);
    f.owner = nullptr;  // the library lets go; the root still holds the definition
    // Only the library's report of the definition still held.
    EXPECT_EQ(f.log.messages().find("memory leaks is found out"), 0u);
    EXPECT_EQ(r->get_player(), nullptr);
    r->advance(1.0f);
    r->advance(1.0f);
    EXPECT_EQ(movie->advances.size(), 1u);
    EXPECT_EQ(f.log.errors(),
              "error: root::advance(): the player of this movie is gone; frame step skipped\n");
    // Drawing needs no player, and the definition is still whole.
    handler.frames.clear();
    EXPECT_EQ(r->get_movie_definition(), def);
    EXPECT_EQ(def->get_frame_count(), 1);
    r->begin_display();
    r->display();
    r->end_display();
    EXPECT_EQ(handler.frames, (std::vector<std::string>{"begin 0,0,0,255 0 0 550 400 0 11000 0 8000", "end"}));
    f.r = nullptr;
    f.movie = nullptr;
}

}  // namespace
