// Script functions in the script heap: cycles through them (a function that is its own prototype,
// a class whose prototype holds its constructor, a function that its own with block's object
// holds) are freed by the garbage pass once their movie is released, and by the player's end
// while it still plays; a pass keeps reachable cycles, and a deep chain of members is marked and
// freed without recursion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "flash/runtime/as_array.h"
#include "flash/runtime/as_object.h"
#include "tests/flash/movie/movie_fixture.h"
#include "tests/flash/runtime/action_assembler.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using namespace testasm;

struct cycle_case {
    const char* name;
    assembler script;
    // The root variable and, when not empty, its member that holds the function of the cycle.
    const char* variable;
    const char* member;
};

std::vector<cycle_case> cycles() {
    std::vector<cycle_case> rows;
    // function F() {}; F.prototype = F;
    rows.push_back({"own prototype",
                    assembler().define_function("F", {}, assembler())
                        .push({str("F")}).op(GET_VARIABLE).push({str("prototype"), str("F")}).op(GET_VARIABLE)
                        .op(SET_MEMBER),
                    "F", ""});
    // C = function () {}; C.prototype.constructor = C;
    rows.push_back({"class prototype holds its constructor",
                    assembler().push({str("C")}).define_function("", {}, assembler()).op(SET_VARIABLE)
                        .push({str("C")}).op(GET_VARIABLE).push({str("prototype")}).op(GET_MEMBER)
                        .push({str("constructor"), str("C")}).op(GET_VARIABLE).op(SET_MEMBER),
                    "C", ""});
    // o = new Object(); with (o) { o.f = function () {}; }
    rows.push_back({"function held by its with block's object",
                    assembler().push({str("o"), i32(0), str("Object")}).op(NEW_OBJECT).op(SET_VARIABLE)
                        .push({str("o")}).op(GET_VARIABLE)
                        .with(assembler().push({str("o")}).op(GET_VARIABLE).push({str("f")})
                                  .define_function("", {}, assembler()).op(SET_MEMBER)),
                    "o", "f"});
    return rows;
}

movietest::bytes movie_of(const assembler& script) {
    swf::MovieWriter m(8);
    m.frame_rect({0, 550 * 20, 0, 400 * 20});
    m.do_action(assembler(script).op(STOP).end().take());
    m.show_frame();
    m.end();
    return m.finish_fws();
}

// Plays the movie's first frame; the function of the cycle, held weakly.
flash::weak_ptr<flash::as_object> play(movietest::movie_fixture& f, flash::smart_ptr<flash::root>& r,
                                       const cycle_case& c) {
    f.files.add("cycle.swf", movie_of(c.script));
    r = f.owner->load_file("cycle.swf");
    EXPECT_TRUE(r);
    if (!r) return {};
    r->advance(0.0f);
    flash::as_value value;
    r->get_root_movie()->get_member(c.variable, &value);
    if (*c.member) value.to_object()->get_member(c.member, &value);
    EXPECT_TRUE(value.to_object() && value.to_object()->is_script_function()) << c.name;
    return value.to_object();
}

TEST(ScriptHeap, CyclesThroughFunctionsAreFreedWhenTheirMovieIsReleased) {
    for (const cycle_case& c : cycles()) {
        movietest::movie_fixture f;
        flash::smart_ptr<flash::root> r;
        flash::weak_ptr<flash::as_object> func = play(f, r, c);
        ASSERT_NE(func.get_ptr(), nullptr) << c.name;
        r = nullptr;
        f.owner->set_as_garbage();
        f.owner->clear_garbage();
        EXPECT_EQ(func.get_ptr(), nullptr) << c.name;
    }
}

TEST(ScriptHeap, CyclesThroughFunctionsAreFreedWhenThePlayerEnds) {
    for (const cycle_case& c : cycles()) {
        flash::weak_ptr<flash::as_object> func;
        {
            movietest::movie_fixture f;
            flash::smart_ptr<flash::root> r;
            func = play(f, r, c);
            ASSERT_NE(func.get_ptr(), nullptr) << c.name;
            // No pass ran: only the heap knows the function.
            r = nullptr;
            f.owner = nullptr;
        }
        EXPECT_EQ(func.get_ptr(), nullptr) << c.name;
    }
}

TEST(ScriptHeap, APassWhileTheMoviePlaysKeepsTheFunctionsAndTheirCycles) {
    for (const cycle_case& c : cycles()) {
        movietest::movie_fixture f;
        flash::smart_ptr<flash::root> r;
        flash::weak_ptr<flash::as_object> func = play(f, r, c);
        f.owner->set_as_garbage();
        f.owner->clear_garbage();
        ASSERT_NE(func.get_ptr(), nullptr) << c.name;
        // The cycle is still whole: the function still reaches what it reached.
        flash::as_object* fn = func.get_ptr();
        flash::as_value prototype;
        EXPECT_TRUE(fn->get_member("prototype", &prototype) && prototype.to_object()) << c.name;
        if (*c.member) EXPECT_NE(fn->get_held(0), nullptr) << c.name;
    }
}

TEST(ScriptHeap, APassFreesUnreachableCyclesAndKeepsReachableOnes) {
    const flash::smart_ptr<flash::player> p(new flash::player);
    flash::weak_ptr<flash::as_object> a_watch, b_watch, kept_watch, kept_child_watch;
    {
        flash::smart_ptr<flash::as_object> a(new flash::as_object(p));
        flash::smart_ptr<flash::as_object> b(new flash::as_object(p));
        a->set_member("other", flash::as_value(b.get_ptr()));
        b->set_member("other", flash::as_value(a.get_ptr()));
        a->set_member("self", flash::as_value(a.get_ptr()));
        p->mark_alive(a);
        p->mark_alive(b);
        a_watch = a.get_ptr();
        b_watch = b.get_ptr();

        flash::smart_ptr<flash::as_object> kept(new flash::as_object(p));
        flash::smart_ptr<flash::as_array> kept_child(new flash::as_array(p));
        kept->set_member("child", flash::as_value(kept_child.get_ptr()));
        kept_child->push(flash::as_value(kept.get_ptr()));  // a reachable cycle
        p->get_global()->set_member("kept", flash::as_value(kept.get_ptr()));
        p->mark_alive(kept);
        p->mark_alive(kept_child);
        kept_watch = kept.get_ptr();
        kept_child_watch = kept_child.get_ptr();
    }
    ASSERT_NE(a_watch.get_ptr(), nullptr);  // the cycle keeps itself alive
    p->set_as_garbage();
    p->clear_garbage();
    EXPECT_EQ(a_watch.get_ptr(), nullptr);
    EXPECT_EQ(b_watch.get_ptr(), nullptr);
    ASSERT_NE(kept_watch.get_ptr(), nullptr);
    ASSERT_NE(kept_child_watch.get_ptr(), nullptr);
    flash::as_value v;
    EXPECT_TRUE(kept_watch->get_member("child", &v));
    EXPECT_EQ(v.to_object(), kept_child_watch.get_ptr());
    EXPECT_TRUE(kept_child_watch->get_member("0", &v));
    EXPECT_EQ(v.to_object(), kept_watch.get_ptr());
    EXPECT_FALSE(p->is_garbage(kept_watch.get_ptr()));
}

TEST(ScriptHeap, DeepMemberChainsAreMarkedAndFreedWithoutRecursion) {
    constexpr int depth = 100000;
    flash::weak_ptr<flash::as_object> tail_watch;
    {
        flash::smart_ptr<flash::player> own(new flash::player);
        {
            flash::smart_ptr<flash::as_object> head(new flash::as_object(own));
            own->get_global()->set_member("head", flash::as_value(head.get_ptr()));
            flash::smart_ptr<flash::as_object> tail = head;
            for (int i = 0; i < depth; ++i) {
                flash::smart_ptr<flash::as_object> next(new flash::as_object(own));
                tail->set_member("n", flash::as_value(next.get_ptr()));
                own->mark_alive(next);
                tail = next;
            }
            tail_watch = tail.get_ptr();
        }
        own->set_as_garbage();
        own->clear_garbage();
        ASSERT_NE(tail_watch.get_ptr(), nullptr);
        EXPECT_FALSE(own->is_garbage(tail_watch.get_ptr()));
    }
    // The player's end releases the whole chain in a loop.
    EXPECT_EQ(tail_watch.get_ptr(), nullptr);
}

}  // namespace
