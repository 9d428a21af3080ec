// Movie elements played through real roots: the background colour tag, the global MovieClip and
// its prototype, a registered class's place in a clip's first advance, goto by text, dragging,
// stream sounds, one-shot timers of a root that is not current, and what imports, bitmaps and
// the root's definition answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>
#include <cstdio>
#include <string>
#include <vector>

#include "flash/movie/movie_def_impl.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "flash/movie/button.h"
#include "flash/movie/canvas_def.h"
#include "flash/runtime/action_buffer.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/as_timer.h"
#include "flash/runtime/global_functions.h"
#include "tests/flash/movie/recording_render_handler.h"
#include "tests/flash/movie/recording_sound_handler.h"
#include "tests/flash/movie/root_fixture.h"
#include "tests/flash/movie/sprite_fixture.h"
#include "tests/support/runtime_test_support.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using flash::as_value;
using flash::smart_ptr;
using flash::sprite_instance;
using spritetest::journal;
using testasm::assembler;
using testasm::i32;
using testasm::str;

swf::Bytes code(assembler a) { return a.end().take(); }

// object.method(args...), the result left on the stack.
assembler& call_method(assembler& a, const std::string& object, const std::string& method,
                       const std::vector<testasm::item>& args) {
    for (auto it = args.rbegin(); it != args.rend(); ++it) a.push({*it});
    a.push({i32(static_cast<int>(args.size()))}).push_str(object).op(testasm::GET_VARIABLE);
    return a.push_str(method).op(testasm::CALL_METHOD);
}

// A movie loaded through the player, its root current, the journal listening.
struct played_root {
    movietest::movie_fixture fixture;
    journal events;
    smart_ptr<flash::root> r;

    explicit played_root(const swf::Bytes& swf, const std::string& path = "movie.swf") {
        fixture.files.add(path, swf);
        r = fixture.owner->load_file(path.c_str());
        if (r) fixture.owner->set_root(r.get_ptr());
    }
    ~played_root() { r = nullptr; }

    sprite_instance* top() const { return r ? flash::cast_to<sprite_instance>(r->get_root_movie()) : nullptr; }
    flash::character* child(const char* name) const {
        sprite_instance* t = top();
        return t ? t->get_character_by_name(name) : nullptr;
    }
    void advance(int count = 1) {
        for (int i = 0; i < count; ++i) r->advance(spritetest::frame_time);
    }
};

swf::PlaceObject named_at(uint16_t depth, uint16_t id, const char* name, int x, int y) {
    swf::PlaceObject p = swf::PlaceObject::place(depth, id);
    p.name = name;
    p.matrix = swf::Matrix::translation(x * 20, y * 20);
    return p;
}

// Records the background each frame begins with.
class background_recorder : public movietest::recording_render_handler {
public:
    void begin_display(flash::rgba bg, int, int, int, int, float, float, float, float) override {
        char text[32];
        std::snprintf(text, sizeof text, "%d,%d,%d,%d", bg.m_r, bg.m_g, bg.m_b, bg.m_a);
        backgrounds.push_back(text);
    }
    std::vector<std::string> backgrounds;
};

TEST(MovieElements, BackgroundColourReachesTheRootUnderTheHostsAlpha) {
    swf::MovieWriter m(8);
    m.show_frame();
    m.set_background_color({10, 20, 30, 255});
    m.show_frame();
    m.end();
    played_root p(m.finish_fws());
    ASSERT_TRUE(p.r);
    background_recorder handler;
    p.r->set_background_alpha(0.5f);
    p.advance();  // frame 0
    p.r->begin_display();
    p.advance();  // frame 1 sets the colour
    p.r->begin_display();
    EXPECT_EQ(handler.backgrounds, (std::vector<std::string>{"0,0,0,128", "10,20,30,128"}));
}

TEST(MovieElements, MovieClipIsAGlobalWhosePrototypeEveryClipAnswers) {
    swf::MovieWriter m(8);
    const uint16_t clip = spritetest::empty_sprite(m);
    m.place_object2(spritetest::named(1, clip, "a"));
    assembler a;
    a.push_str("MovieClip").op(testasm::GET_VARIABLE).op(testasm::TYPE_OF).op(testasm::TRACE);
    // MovieClip.prototype.hello = function () { return "hi " + this._name }
    a.push_str("MovieClip").op(testasm::GET_VARIABLE).push_str("prototype").op(testasm::GET_MEMBER);
    a.push_str("hello");
    a.define_function("", {}, assembler().push_str("hi ").push_str("this").op(testasm::GET_VARIABLE)
                                  .push_str("_name").op(testasm::GET_MEMBER).op(testasm::ADD2).op(testasm::RETURN));
    a.op(testasm::SET_MEMBER);
    call_method(a, "a", "hello", {}).op(testasm::TRACE);  // made before the method was added
    call_method(a, "_root", "createEmptyMovieClip", {str("b"), i32(5)}).op(testasm::POP);
    call_method(a, "b", "hello", {}).op(testasm::TRACE);
    m.do_action(code(a));
    m.show_frame();
    m.place_object2(spritetest::named(2, clip, "c"));
    assembler b;
    call_method(b, "c", "hello", {}).op(testasm::TRACE);
    b.op(testasm::STOP);
    m.do_action(code(b));
    m.show_frame();
    m.end();
    played_root p(m.finish_fws());
    p.advance(2);
    EXPECT_EQ(p.events.take(), "trace function, trace hi a, trace hi b, trace hi c");
}

TEST(MovieElements, ARegisteredClassTakesAPlacedClipOnItsFirstAdvance) {
    swf::MovieWriter m(8);
    const uint16_t sym = spritetest::empty_sprite(m);
    m.export_assets({{sym, "sym"}});
    assembler a;
    // function C() { trace("ctor") }  C.prototype.onLoad = function () { trace("onLoad") }
    a.define_function("C", {}, assembler().trace_str("ctor"));
    a.push_str("C").op(testasm::GET_VARIABLE).push_str("prototype").op(testasm::GET_MEMBER).push_str("onLoad");
    a.define_function("", {}, assembler().trace_str("onLoad"));
    a.op(testasm::SET_MEMBER);
    a.push_str("C").op(testasm::GET_VARIABLE);
    a.push({str("sym"), i32(2)}).push_str("Object").op(testasm::GET_VARIABLE).push_str("registerClass");
    a.op(testasm::CALL_METHOD).op(testasm::POP);
    m.do_action(code(a));
    m.show_frame();
    m.place_object2(spritetest::named(1, sym, "a"));
    m.do_action(code(assembler().trace_str("frame 1 action")));
    m.show_frame();
    // attachMovie binds at once, and the clip's first advance does not bind it again.
    assembler b;
    call_method(b, "_root", "attachMovie", {str("sym"), str("b"), i32(5)}).op(testasm::POP);
    b.trace_str("attached").op(testasm::STOP);
    m.do_action(code(b));
    m.show_frame();
    m.end();
    played_root p(m.finish_fws());
    p.advance();
    EXPECT_EQ(p.events.take(), "");
    p.advance();
    EXPECT_EQ(p.events.take(), "trace frame 1 action, trace ctor, trace onLoad");
    p.advance();
    EXPECT_EQ(p.events.take(), "trace ctor, trace attached, trace onLoad");
    p.advance();
    EXPECT_EQ(p.events.take(), "");
}

TEST(MovieElements, GotoByTextTakesOnlyWholeNumbersAsFrames) {
    // Frames 0 .. 5, labelled " 3" (1), "+3" (3) and "3 " (4).
    swf::MovieWriter m(8);
    const char* labels[] = {nullptr, " 3", nullptr, "+3", "3 ", nullptr};
    for (const char* label : labels) {
        if (label) m.frame_label(label);
        m.show_frame();
    }
    m.end();
    const struct {
        const char* text;
        int frame;  // -1: the clip stays where it was
    } cases[] = {
        {"3", 2}, {" 3", 1}, {"+3", 3}, {"3 ", 4}, {"6", 5}, {"7", -1}, {"0", -1}, {"-1", -1},
        {"-2147483648", -1}, {"99999999999999999999", -1}, {"4294967299", -1}, {"", -1}, {"-", -1},
        {"x", -1},
    };
    played_root p(m.finish_fws());
    sprite_instance* top = p.top();
    ASSERT_NE(top, nullptr);
    for (const auto& c : cases) {
        top->goto_frame(0);
        top->goto_frame(flash::bx_string(c.text));
        EXPECT_EQ(top->get_current_frame(), c.frame < 0 ? 0 : c.frame) << '"' << c.text << '"';
        EXPECT_EQ(top->get_play_state(), flash::character::STOP) << '"' << c.text << '"';
    }
    // GotoFrame2 takes a number given as text as the frame index itself.
    top->goto_frame(0);
    flash::action_buffer buffer;
    const swf::Bytes goto2 = code(assembler().push_str("3").goto_frame2(0));
    buffer.read(goto2.data(), static_cast<int>(goto2.size()));
    buffer.execute(top->get_environment());
    EXPECT_EQ(top->get_current_frame(), 3);
}

// A clip "d" of a 20-pixel square inside a clip "p" placed at (100, 0) pixels.
swf::Bytes drag_movie(const swf::Bytes& frame_actions) {
    swf::MovieWriter m(8);
    const uint16_t square = spritetest::square(m, 0, 0, 20);
    swf::SpriteWriter inner = m.sprite();
    inner.place_object2(swf::PlaceObject::place(1, square));
    inner.show_frame();
    inner.end();
    const uint16_t inner_id = m.define_sprite(inner);
    swf::SpriteWriter outer = m.sprite();
    outer.place_object2(named_at(1, inner_id, "d", 10, 10));
    outer.show_frame();
    outer.end();
    const uint16_t outer_id = m.define_sprite(outer);
    m.place_object2(named_at(1, outer_id, "p", 100, 0));
    m.do_action(frame_actions);
    m.show_frame();
    m.end();
    return m.finish_fws();
}

TEST(MovieElements, StartDragLocksTheCentreAndTheClipFollowsTheMouse) {
    assembler a;
    call_method(a, "p.d", "startDrag", {}).op(testasm::POP);
    played_root p(drag_movie(code(a)));
    ASSERT_TRUE(p.r);
    p.r->notify_mouse_state(300, 200, 0);
    p.advance();
    sprite_instance* d = flash::cast_to<sprite_instance>(p.top()->get_variable("p.d").to_object());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(p.r->get_drag_state().character, d);
    EXPECT_TRUE(p.r->get_drag_state().lock_center);
    // The parent's offset is taken off: the mouse at (300, 200) is (200, 200) inside p.
    EXPECT_FLOAT_EQ(d->get_matrix().m_[0][2], 200 * 20.0f);
    EXPECT_FLOAT_EQ(d->get_matrix().m_[1][2], 200 * 20.0f);
    p.r->notify_mouse_state(120, 30, 0);
    p.advance();
    EXPECT_FLOAT_EQ(d->get_matrix().m_[0][2], 20 * 20.0f);
    EXPECT_FLOAT_EQ(d->get_matrix().m_[1][2], 30 * 20.0f);
    // stopDrag ends it: the clip stays.
    d->call_method("stopDrag");
    p.r->notify_mouse_state(400, 400, 0);
    p.advance();
    EXPECT_FLOAT_EQ(d->get_matrix().m_[0][2], 20 * 20.0f);
}

TEST(MovieElements, StartDragActionFollowsOnlyWithALockedCentreWithinItsPixelBounds) {
    const struct {
        bool lock;
        bool bounded;
        double x0, y0, x1, y1;  // pixels
        int mouse_x, mouse_y;
        float x, y;  // pixels inside p
    } cases[] = {
        {true, false, 0, 0, 1, 1, 300, 200, 200, 200},
        {true, true, 0, 0, 150, 50, 300, 200, 50, 50},
        {true, true, 120, 60, 400, 400, 10, 10, 20, 60},
        {false, false, 0, 0, 1, 1, 300, 200, 10, 10},  // not moved
    };
    for (const auto& c : cases) {
        assembler a;
        if (c.bounded) a.push({testasm::dbl(c.x0), testasm::dbl(c.y0), testasm::dbl(c.x1), testasm::dbl(c.y1)});
        a.push({testasm::boolean(c.bounded), testasm::boolean(c.lock), str("p.d")}).op(testasm::START_DRAG);
        played_root p(drag_movie(code(a)));
        ASSERT_TRUE(p.r);
        p.r->notify_mouse_state(c.mouse_x, c.mouse_y, 0);
        p.advance();
        sprite_instance* d = flash::cast_to<sprite_instance>(p.top()->get_variable("p.d").to_object());
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(p.r->get_drag_state().character, d);
        EXPECT_FLOAT_EQ(d->get_matrix().m_[0][2], c.x * 20.0f) << c.lock << c.bounded << c.mouse_x;
        EXPECT_FLOAT_EQ(d->get_matrix().m_[1][2], c.y * 20.0f) << c.lock << c.bounded << c.mouse_x;
    }
}

TEST(MovieElements, ADraggedButtonFollowsTheMouseToo) {
    swf::MovieWriter m(8);
    const uint16_t square = spritetest::square(m, 0, 0, 20);
    swf::ButtonRecord record;
    record.character_id = square;
    const uint16_t button = m.define_button2({false, {record}, {}, {}});
    m.place_object2(named_at(1, button, "btn", 5, 5));
    m.do_action(code(assembler().push({testasm::boolean(false), testasm::boolean(true), str("btn")})
                         .op(testasm::START_DRAG)));
    m.show_frame();
    m.end();
    played_root p(m.finish_fws());
    ASSERT_TRUE(p.r);
    p.r->notify_mouse_state(40, 50, 0);
    p.advance();
    flash::character* btn = p.child("btn");
    ASSERT_NE(btn, nullptr);
    EXPECT_EQ(p.r->get_drag_state().character, btn);
    EXPECT_FLOAT_EQ(btn->get_matrix().m_[0][2], 40 * 20.0f);
    EXPECT_FLOAT_EQ(btn->get_matrix().m_[1][2], 50 * 20.0f);
}

// Frame 0: a stream head (unless none) and a block; frame 1: a block.
swf::Bytes stream_movie(std::optional<swf::StreamHead> head, const swf::Bytes& first, const swf::Bytes& second) {
    swf::MovieWriter m(8);
    if (!head) m.sound_stream_block({42});  // before any head: ignored
    if (head) m.sound_stream_head(*head);
    m.sound_stream_block(first);
    m.show_frame();
    m.sound_stream_block(second);
    m.show_frame();
    m.end();
    return m.finish_fws();
}

TEST(MovieElements, StreamSoundsAreMadeFedRestartedAndPaused) {
    movietest::recording_sound_handler handler;
    handler.streaming = true;
    swf::StreamHead head;
    head.format = swf::sound_little_endian_raw;
    head.rate = swf::rate_11025;
    head.stereo = true;
    head.sample_count = 100;
    {
        played_root p(stream_movie(head, {1, 2, 3}, {4, 5}));
        ASSERT_TRUE(p.r);
        ASSERT_EQ(handler.created.size(), 1u);
        EXPECT_TRUE(handler.created[0].data.empty());
        EXPECT_EQ(handler.created[0].sample_count, 100);
        EXPECT_EQ(handler.created[0].format, swf::sound_little_endian_raw);
        EXPECT_EQ(handler.created[0].rate, 11025);
        EXPECT_TRUE(handler.created[0].stereo);
        // Fed while reading; frame 0, where the stream starts, restarts it.
        EXPECT_EQ(handler.calls, (std::vector<std::string>{"append 100 1 2 3", "append 100 4 5", "stop 100",
                                                           "play 100 loops 0"}));
        handler.calls.clear();
        p.r->set_play_state(flash::character::STOP);
        p.r->set_play_state(flash::character::PLAY);
        EXPECT_EQ(handler.calls, (std::vector<std::string>{"pause 100 playing", "pause 100 stopped"}));
        handler.calls.clear();
        p.advance(2);  // frames 0 and 1: the stream goes on
        EXPECT_TRUE(handler.calls.empty()) << handler.calls.size();
        p.advance();  // back to frame 0
        EXPECT_EQ(handler.calls, (std::vector<std::string>{"stop 100", "play 100 loops 0"}));
        handler.calls.clear();
    }
    // The movie's definition stops its stream when it goes.
    EXPECT_EQ(handler.calls, (std::vector<std::string>{"stop 100"}));
}

TEST(MovieElements, StreamBlocksNeedAStreamingHandlerAndAHeadAndSkipTheMp3Header) {
    movietest::recording_sound_handler handler;
    swf::StreamHead mp3;
    mp3.format = swf::sound_mp3;
    mp3.latency_seek = 7;
    const struct {
        bool streaming;
        std::optional<swf::StreamHead> head;
        std::vector<std::string> calls;
    } cases[] = {
        {false, swf::StreamHead{}, {}},
        {true, std::nullopt, {}},
        {true, mp3, {"append 100 7", "append 100 9", "stop 100", "play 100 loops 0"}},
    };
    for (const auto& c : cases) {
        handler.streaming = c.streaming;
        handler.created.clear();
        handler.calls.clear();
        played_root p(stream_movie(c.head, {9, 9, 8, 8, 7}, {1, 1, 2, 2, 9}));
        ASSERT_TRUE(p.r);
        EXPECT_EQ(handler.created.size(), c.calls.empty() ? 0u : 1u);
        EXPECT_EQ(handler.calls, c.calls) << c.streaming;
    }
}

TEST(MovieElements, ADuplicatedClipShowsACopyOfTheDrawing) {
    swf::MovieWriter m(8);
    const uint16_t clip = spritetest::empty_sprite(m);
    m.place_object2(spritetest::named(1, clip, "a"));
    assembler a;
    call_method(a, "a", "beginFill", {i32(0xFF0000)}).op(testasm::POP);
    call_method(a, "a", "moveTo", {i32(0), i32(0)}).op(testasm::POP);
    call_method(a, "a", "lineTo", {i32(10), i32(0)}).op(testasm::POP);
    call_method(a, "a", "lineTo", {i32(10), i32(10)}).op(testasm::POP);
    call_method(a, "a", "endFill", {}).op(testasm::POP);
    call_method(a, "a", "duplicateMovieClip", {str("b"), i32(3)}).op(testasm::POP);
    call_method(a, "b", "lineTo", {i32(50), i32(50)}).op(testasm::POP);  // the copy only
    a.op(testasm::STOP);
    m.do_action(code(a));
    m.show_frame();
    m.end();
    played_root p(m.finish_fws());
    ASSERT_TRUE(p.r);
    p.advance();
    auto* original = flash::cast_to<sprite_instance>(p.child("a"));
    auto* copy = flash::cast_to<sprite_instance>(p.child("b"));
    ASSERT_NE(original, nullptr);
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(original->get_canvas(), nullptr);
    ASSERT_NE(copy->get_canvas(), nullptr);
    EXPECT_NE(copy->get_canvas(), original->get_canvas());
    const flash::canvas* drawn = original->get_canvas()->get_canvas();
    const flash::canvas* copied = copy->get_canvas()->get_canvas();
    ASSERT_EQ(copied->get_fill_styles().size(), drawn->get_fill_styles().size());
    EXPECT_EQ(copied->get_fill_styles()[0].m_color.m_r, 255);
    EXPECT_EQ(copied->get_fill_styles()[0].m_color.m_g, 0);
    auto edges = [](const flash::canvas* c) {
        int n = 0;
        for (const flash::path& path : c->get_paths()) n += path.m_edges.size();
        return n;
    };
    EXPECT_GE(edges(drawn), 2);
    EXPECT_EQ(edges(copied), edges(drawn) + 1);
    EXPECT_FLOAT_EQ(copied->get_bound().m_x_max, 50 * 20.0f);
    EXPECT_FLOAT_EQ(drawn->get_bound().m_x_max, 10 * 20.0f);
}

// A clip "a" of an exported empty sprite "sym" in a movie whose frame runs the actions.
played_root* clip_movie(const swf::Bytes& actions) {
    swf::MovieWriter m(8);
    const uint16_t clip = spritetest::empty_sprite(m);
    m.export_assets({{clip, "sym"}});
    m.place_object2(spritetest::named(1, clip, "a"));
    m.do_action(actions);
    m.show_frame();
    m.end();
    return new played_root(m.finish_fws());
}

TEST(MovieElements, AttachMovieTakesThreeOrFourArgumentsAndAnInitObjectOnlyAsTheFourth) {
    assembler a;
    // An object lies on the stack below the arguments: a call of three must not take it.
    a.push({str("x"), i32(7), i32(1)}).op(testasm::INIT_OBJECT);
    call_method(a, "_root", "attachMovie", {str("sym"), str("three"), i32(5)}).op(testasm::POP);
    a.op(testasm::POP);
    call_method(a, "_root", "attachMovie", {str("sym"), str("two")}).op(testasm::POP);
    a.push({str("x"), i32(8), i32(1)}).op(testasm::INIT_OBJECT);  // the fourth argument
    a.push({i32(6), str("four"), str("sym"), i32(4), str("_root")}).op(testasm::GET_VARIABLE);
    a.push_str("attachMovie").op(testasm::CALL_METHOD).op(testasm::POP);
    a.op(testasm::STOP);
    std::unique_ptr<played_root> p(clip_movie(code(a)));
    ASSERT_TRUE(p->r);
    p->advance();
    flash::character* three = p->child("three");
    ASSERT_NE(three, nullptr);
    as_value x;
    EXPECT_FALSE(three->get_member("x", &x) && x.is_number()) << x.to_string();
    EXPECT_EQ(p->child("two"), nullptr);
    EXPECT_TRUE(p->fixture.log.has_error("attachMovie needs 3 or 4 args\n")) << p->fixture.log.errors();
    flash::character* four = p->child("four");
    ASSERT_NE(four, nullptr);
    ASSERT_TRUE(four->get_member("x", &x));
    EXPECT_EQ(x.to_number(), 8);
}

TEST(MovieElements, SwapDepthsToAFreeDepthMovesTheClipThere) {
    assembler a;
    call_method(a, "a", "swapDepths", {i32(20)}).op(testasm::POP);
    a.op(testasm::STOP);
    std::unique_ptr<played_root> p(clip_movie(code(a)));
    ASSERT_TRUE(p->r);
    p->advance();
    flash::character* clip = p->child("a");
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->get_depth(), 20 + 16384);
    EXPECT_EQ(p->top()->get_id_at_depth(1), -1);
}

TEST(MovieElements, AClipEnumeratesItsMembersThenItsNamedChildren) {
    std::unique_ptr<played_root> p(clip_movie(code(assembler().op(testasm::STOP))));
    ASSERT_TRUE(p->r);
    sprite_instance* top = p->top();
    top->set_member("own", as_value(1));
    flash::as_environment env(p->fixture.owner.get_ptr());
    top->enumerate(&env);
    std::vector<std::string> names;
    for (int i = 0; i <= env.get_top_index(); ++i) names.push_back(env.bottom(i).to_string());
    EXPECT_NE(std::find(names.begin(), names.end(), "own"), names.end());
    EXPECT_EQ(names.back(), "a");
}

TEST(MovieElements, AReleasedButtonRestartsItsClipsWithEverythingInThem) {
    swf::MovieWriter m(8);
    const uint16_t inner = spritetest::empty_sprite(m, 2);
    swf::SpriteWriter outer = m.sprite();
    outer.place_object2(spritetest::named(1, inner, "inner"));
    outer.show_frame();
    outer.show_frame();
    outer.end();
    swf::ButtonRecord record;
    record.character_id = m.define_sprite(outer);
    m.place_object2(spritetest::named(1, m.define_button2({false, {record}, {}, {}}), "btn"));
    m.show_frame();
    m.end();
    played_root p(m.finish_fws());
    ASSERT_TRUE(p.r);
    p.advance();
    auto* btn = dynamic_cast<flash::button_character_instance*>(p.child("btn"));
    ASSERT_NE(btn, nullptr);
    auto* clip = flash::cast_to<sprite_instance>(btn->get_record_character(0));
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(btn->get_record_character(-1), nullptr);
    EXPECT_EQ(btn->get_record_character(1), nullptr);
    auto* nested = flash::cast_to<sprite_instance>(clip->get_character_by_name("inner"));
    ASSERT_NE(nested, nullptr);
    clip->set_play_state(flash::character::STOP, true);
    ASSERT_EQ(nested->get_play_state(), flash::character::STOP);
    btn->on_event(flash::event_id(flash::event_id::RELEASE));
    EXPECT_EQ(clip->get_play_state(), flash::character::PLAY);
    EXPECT_EQ(nested->get_play_state(), flash::character::PLAY);
}

TEST(MovieElements, AHostGotoDropsTheActionsTheFrameHadQueued) {
    swf::MovieWriter m(8);
    for (int f = 1; f <= 3; ++f) spritetest::traced_frame(m, "f" + std::to_string(f));
    played_root p(spritetest::finish(m));
    ASSERT_TRUE(p.r);
    // Frame 0's actions are queued by the new root; the goto comes before they ran.
    p.top()->goto_frame(2);
    p.advance();
    EXPECT_EQ(p.events.take(), "trace f3");
}

TEST(MovieElements, ExportsAndImportsReadOnlyTheEntriesTheirCountGives) {
    movietest::movie_fixture f;
    swf::MovieWriter m(8);
    const uint16_t clip = spritetest::empty_sprite(m);
    swf::BitWriter exports;
    exports.u16(1);  // one entry, though two follow
    exports.u16(clip);
    exports.string("first");
    exports.u16(clip);
    exports.string("second");
    m.tag(swf::tag_export_assets, exports.take());
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("exports.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    EXPECT_NE(def->get_exported_resource("first"), nullptr);
    EXPECT_EQ(def->get_exported_resource("second"), nullptr);

    swf::MovieWriter importer(8);
    swf::BitWriter imports;
    imports.string("exports.swf");
    imports.u16(1);
    imports.u16(5);
    imports.string("first");
    imports.u16(6);
    imports.string("first");
    importer.tag(swf::tag_import_assets, imports.take());
    importer.show_frame();
    importer.end();
    flash::movie_def_impl* imported = f.load("imports.swf", importer.finish_fws());
    ASSERT_NE(imported, nullptr);
    EXPECT_EQ(imported->get_imports().size(), 1);
    EXPECT_NE(imported->get_character_def(5), nullptr);
    EXPECT_EQ(imported->get_character_def(6), nullptr);
}

int g_ticks = 0;
void count_tick(const flash::fn_call&) { ++g_ticks; }

TEST(MovieElements, AOneShotTimerLeavesTheListOfItsOwnRootWhenAnotherIsCurrent) {
    movietest::movie_fixture f;
    f.files.add("a.swf", movietest::plain_movie(12.0));
    f.files.add("b.swf", movietest::plain_movie(12.0));
    smart_ptr<flash::root> a = f.owner->load_file("a.swf");
    smart_ptr<flash::root> b = f.owner->load_file("b.swf");
    ASSERT_TRUE(a && b);
    f.owner->set_root(a.get_ptr());
    flash::character* movie_a = a->get_root_movie();
    movie_a->set_member("tick", as_value(new flash::as_c_function(f.owner.get_ptr(), count_tick)));
    g_ticks = 0;
    const as_value timer = testsupport::call_native(f.owner.get_ptr(), flash::as_global_settimeout, as_value(),
                                                    {as_value(movie_a), as_value("tick"), as_value(0)});
    ASSERT_NE(flash::cast_to<flash::as_timer>(timer.to_object()), nullptr);
    EXPECT_EQ(a->get_advance_listeners().size(), 1);
    f.owner->set_root(b.get_ptr());
    for (int i = 0; i < 3; ++i) a->advance(0.1f);
    EXPECT_EQ(g_ticks, 1);
    EXPECT_EQ(a->get_advance_listeners().size(), 0);
    a = nullptr;
    b = nullptr;
}

// A resource that is no character definition.
class odd_resource : public flash::character_def {
public:
    bool is(int class_id) const override { return class_id == odd_class; }
    static constexpr int odd_class = 99;
};

TEST(MovieElements, ImportsTakeOnlyCharacterDefinitions) {
    movietest::movie_fixture f;
    swf::MovieWriter source(8);
    const uint16_t clip = spritetest::empty_sprite(source);
    source.export_assets({{clip, "clip"}});
    source.show_frame();
    source.end();
    flash::movie_def_impl* src = f.load("src.swf", source.finish_fws());
    ASSERT_NE(src, nullptr);
    src->export_resource("odd", new odd_resource);
    swf::MovieWriter m(8);
    m.import_assets("src.swf", {{5, "odd"}, {6, "clip"}, {7, "none"}});
    m.show_frame();
    m.end();
    const bool verbose = flash::get_verbose_action();
    flash::set_verbose_action(true);
    flash::movie_def_impl* def = f.load("imp.swf", m.finish_fws());
    flash::set_verbose_action(verbose);
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->get_character_def(5), nullptr);
    EXPECT_NE(def->get_character_def(6), nullptr);
    EXPECT_TRUE(f.log.has_message("import error: resource 'odd' from movie 'src.swf' has unknown type\n"))
        << f.log.messages();
    EXPECT_TRUE(f.log.has_message("import error: resource 'none' is not exported from movie 'src.swf'\n"));
}

TEST(MovieElements, TheMoviesBitmapsAreKeptInOrderAndItsFramesHaveNoLabelsByNumber) {
    movietest::movie_fixture f;
    movietest::recording_render_handler handler;
    swf::MovieWriter m(8);
    m.define_bits_lossless(swf::Image::filled(3, 2, {1, 2, 3, 255}));
    m.define_bits_lossless(swf::Image::filled(5, 4, {1, 2, 3, 255}));
    m.frame_label("start");
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("bits.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    ASSERT_EQ(def->get_bitmap_info_count(), 2);
    ASSERT_NE(def->get_bitmap_info(0), nullptr);
    ASSERT_NE(def->get_bitmap_info(1), nullptr);
    EXPECT_EQ(def->get_bitmap_info(0)->get_width(), 3);
    EXPECT_EQ(def->get_bitmap_info(1)->get_height(), 4);
    EXPECT_EQ(def->get_bitmap_info(2), nullptr);
    EXPECT_EQ(def->get_bitmap_info(-1), nullptr);
    // The label is found by name; a whole movie gives no label for a frame number.
    int frame = -1;
    EXPECT_TRUE(def->get_labeled_frame("START", &frame));
    EXPECT_EQ(frame, 0);
    flash::bx_string label("unchanged");
    EXPECT_FALSE(def->get_frame_label(0, &label));
    EXPECT_STREQ(label.c_str(), "unchanged");
}

}  // namespace
