// MovieClip methods that need a movie root or the display: the frame rate's bounds, dragging,
// masks that lead back to the clip being drawn, the drawing methods over the clip's canvas, and
// the "__constructor__" every clip carries.
#include "flash/movie/sprite_methods.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "flash/runtime/as_function.h"
#include "movie_fixture.h"
#include "recording_render_handler.h"
#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/shape.h"

namespace {

using flash::as_value;
using flash::sprite_instance;

// A movie at 12 frames a second whose first frame places box clips "a", "b" and "c".
movietest::bytes boxes_movie() {
    swf::MovieWriter m(8);
    const uint16_t shape = m.define_shape(swf::filled_rect(0, 0, 800, 400, {200, 0, 0, 255}));
    swf::SpriteWriter box = m.sprite();
    box.place_object2(swf::PlaceObject::place(1, shape));
    box.show_frame();
    const uint16_t box_id = m.define_sprite(box);
    const char* names[] = {"a", "b", "c"};
    for (uint16_t depth = 1; depth <= 3; ++depth) {
        swf::PlaceObject p = swf::PlaceObject::place(depth, box_id);
        p.name = names[depth - 1];
        m.place_object2(p);
    }
    m.show_frame();
    m.end();
    return m.finish_fws();
}

struct clip_scene {
    movietest::movie_fixture f;
    flash::smart_ptr<flash::root> r;
    flash::smart_ptr<sprite_instance> top;

    clip_scene() {
        flash::movie_def_impl* def = f.load("boxes.swf", boxes_movie());
        r = new flash::root(f.owner.get_ptr(), def);
        top = sprite_instance::create_top_level(f.owner.get_ptr(), def, r.get_ptr());
        r->set_root_movie(top.get_ptr());
    }
    ~clip_scene() {
        r->set_root_movie(nullptr);
        top = nullptr;
        r = nullptr;
    }

    sprite_instance* clip(const char* name) const {
        return flash::cast_to<sprite_instance>(top->get_character_by_name(name));
    }

    // clip.method(args...), through the method table as a script calls it.
    as_value call(sprite_instance* clip, const char* method, const std::vector<as_value>& args = {}) {
        as_value function;
        EXPECT_TRUE(clip->get_member(method, &function)) << method;
        return clip->call_method_with_args(method, args.data(), static_cast<int>(args.size()));
    }
};

TEST(SpriteMethods, TheTableHoldsEveryMethod) {
    clip_scene s;
    for (const char* name :
         {"play", "stop", "gotoAndStop", "gotoAndPlay", "nextFrame", "prevFrame", "getBytesLoaded", "getBytesTotal",
          "swapDepths", "duplicateMovieClip", "getDepth", "createEmptyMovieClip", "removeMovieClip", "hitTest",
          "startDrag", "stopDrag", "loadMovie", "unloadMovie", "getNextHighestDepth", "createTextField",
          "attachMovie", "localToGlobal", "globalToLocal", "getRect", "getBounds", "setMask", "beginFill", "endFill",
          "lineTo", "moveTo", "curveTo", "clear", "lineStyle", "setFPS", "getPlayState", "addFrameScript"}) {
        as_value method;
        EXPECT_TRUE(flash::engine_instance::get_builtin(flash::BUILTIN_SPRITE_METHOD, name, &method)) << name;
        EXPECT_TRUE(method.is_function()) << name;
    }
    // The whole movie's byte counts; a clip of a sprite definition has none.
    const as_value loaded = s.call(s.top.get_ptr(), "getBytesLoaded");
    EXPECT_GT(loaded.to_number(), 0.0);
    EXPECT_EQ(loaded.to_number(), s.call(s.top.get_ptr(), "getBytesTotal").to_number());
    EXPECT_EQ(s.call(s.clip("a"), "getBytesTotal").to_number(), 0.0);
}

TEST(SpriteMethods, SetFpsTakesOneRateFromOneTo240) {
    struct Case {
        std::vector<as_value> args;
        float frame_time;  // after the call, from 12 frames a second
    };
    const float twelve = 1.0f / 12.0f;
    const Case cases[] = {
        {{as_value(0.5)}, twelve},
        {{as_value(241.0)}, twelve},
        {{as_value(std::nan(""))}, twelve},
        {{as_value(30.0), as_value(30.0)}, twelve},
        {{}, twelve},
        {{as_value(240.0)}, 1.0f / 240.0f},
        {{as_value(1.0)}, 1.0f},
    };
    for (const Case& c : cases) {
        clip_scene s;
        s.call(s.top.get_ptr(), "setFPS", c.args);
        EXPECT_FLOAT_EQ(s.r->get_frame_time(), c.frame_time) << (c.args.empty() ? 0 : c.args[0].to_number());
        EXPECT_FLOAT_EQ(s.r->get_frame_rate(), 1.0f / c.frame_time);
    }
}

TEST(SpriteMethods, StartDragAndStopDragOfTheDraggedClipOnly) {
    clip_scene s;
    s.call(s.clip("a"), "startDrag");
    EXPECT_EQ(s.r->get_drag_state().character, s.clip("a"));
    s.call(s.clip("b"), "stopDrag");
    EXPECT_EQ(s.r->get_drag_state().character, s.clip("a"));
    s.call(s.clip("a"), "stopDrag");
    EXPECT_EQ(s.r->get_drag_state().character, nullptr);
}

TEST(SpriteMethods, MasksLeadingBackToTheClipBeingDrawnEnd) {
    movietest::recording_render_handler handler;
    clip_scene s;
    sprite_instance* a = s.clip("a");
    sprite_instance* b = s.clip("b");
    sprite_instance* c = s.clip("c");
    s.call(a, "setMask", {as_value(b)});
    s.call(b, "setMask", {as_value(a)});
    s.call(c, "setMask", {as_value(c)});
    EXPECT_EQ(a->get_mask(), b);
    EXPECT_FALSE(b->get_visible());
    EXPECT_FALSE(a->get_visible());  // b's mask now
    a->set_visible(true);
    c->set_visible(true);
    s.top->display();
    // Both still drew their meshes: a under b's mask, c as itself.
    int strips = 0;
    for (const auto& call : handler.calls) strips += call.name == "mesh_strip";
    EXPECT_GE(strips, 2);
    // A new mask shows the old one again; a mask that is no clip clears it.
    s.call(a, "setMask", {as_value(c)});
    EXPECT_TRUE(b->get_visible());
    s.call(a, "setMask", {as_value(7)});
    EXPECT_EQ(a->get_mask(), nullptr);
}

TEST(SpriteMethods, DrawingMethodsBuildTheClipsCanvas) {
    clip_scene s;
    sprite_instance* a = s.clip("a");
    EXPECT_EQ(a->get_canvas(), nullptr);
    s.call(a, "lineTo", {as_value(10)});  // one argument: nothing
    EXPECT_EQ(a->get_canvas(), nullptr);
    s.call(a, "lineStyle", {as_value(300), as_value(0x102030), as_value(50)});
    s.call(a, "beginFill", {as_value(0xFF8000)});
    s.call(a, "moveTo", {as_value(1), as_value(2)});
    s.call(a, "lineTo", {as_value(10), as_value(2)});
    s.call(a, "curveTo", {as_value(20), as_value(2), as_value(20), as_value(12)});
    s.call(a, "endFill");
    ASSERT_NE(a->get_canvas(), nullptr);
    const flash::canvas* c = a->get_canvas()->get_canvas();
    ASSERT_EQ(c->get_line_styles().size(), 1);
    EXPECT_EQ(c->get_line_styles()[0].m_width, 255 * 20);
    EXPECT_EQ(c->get_line_styles()[0].m_color, flash::rgba(0x10, 0x20, 0x30, 127));
    EXPECT_EQ(c->get_fill_styles()[0].m_color, flash::rgba(0xFF, 0x80, 0x00, 255));
    EXPECT_EQ(c->get_current_fill(), 0);
    EXPECT_FLOAT_EQ(c->get_bound().m_x_max, 400.0f);
    EXPECT_FLOAT_EQ(c->get_bound().m_y_max, 240.0f);
    // Shown as the clip's lowest child.
    EXPECT_EQ(a->get_display_list()->get_character(0)->get_depth(), 0);
    EXPECT_EQ(a->get_display_list()->size(), 2);
    s.call(a, "clear");
    EXPECT_EQ(a->get_canvas(), nullptr);
    EXPECT_EQ(a->get_display_list()->size(), 1);
    // A later drawing call makes a new canvas; lineStyle without arguments strokes nothing.
    s.call(a, "lineStyle");
    EXPECT_EQ(a->get_canvas()->get_canvas()->get_current_line(), 0);
}

int g_frame_script_calls = 0;
void count_frame_script(const flash::fn_call&) { ++g_frame_script_calls; }

TEST(SpriteMethods, AddFrameScriptTakesAFunctionForAFrameOfTheClip) {
    clip_scene s;
    g_frame_script_calls = 0;
    const as_value script(count_frame_script);
    s.call(s.top.get_ptr(), "addFrameScript", {as_value(1), script});        // no frame 1
    s.call(s.top.get_ptr(), "addFrameScript", {as_value(0), as_value(3)});   // no function
    s.call(s.top.get_ptr(), "addFrameScript", {as_value(0)});                // one argument
    s.top->advance(1.0f / 12.0f);
    EXPECT_EQ(g_frame_script_calls, 0);
    // The current frame's script is pending at once and runs after the next frame's actions.
    s.call(s.top.get_ptr(), "addFrameScript", {as_value(0), script});
    s.top->advance(1.0f / 12.0f);
    EXPECT_EQ(g_frame_script_calls, 1);
}

TEST(SpriteMethods, EveryClipCarriesAConstructorOfEmptyClips) {
    clip_scene s;
    as_value ctor;
    ASSERT_TRUE(s.clip("a")->get_member("__constructor__", &ctor));
    const as_value made = s.call(s.clip("a"), "__constructor__");
    sprite_instance* clip = flash::cast_to<sprite_instance>(made.to_object());
    ASSERT_NE(clip, nullptr);
    EXPECT_NE(clip, s.clip("a"));
    EXPECT_EQ(clip->get_frame_count(), 1);
    EXPECT_EQ(clip->get_display_list()->size(), 0);
}

}  // namespace
