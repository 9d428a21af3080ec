// The player's roots and the garbage pass across them: a frame step of one root never takes what
// another live root reaches, unreachable cycles still go, and large heaps pass soundly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flash/movie/movie_root.h"
#include "flash/movie/player.h"
#include "root_fixture.h"

namespace {

using flash::as_object;
using flash::as_value;
using flash::smart_ptr;
using flash::weak_ptr;
using movietest::probe;
using movietest::root_fixture;

// Two script objects that refer to each other, entered in the heap.
struct cycle {
    weak_ptr<as_object> first;
    weak_ptr<as_object> second;
};

cycle make_cycle(flash::player* owner, as_object* holder, const char* member) {
    as_object* a = new as_object(owner);
    as_object* b = new as_object(owner);
    owner->mark_alive(a);
    owner->mark_alive(b);
    a->set_member("next", as_value(b));
    b->set_member("next", as_value(a));
    a->set_member("tag", as_value(member));
    if (holder) holder->set_member(member, as_value(a));
    return {a, b};
}

// Both objects alive and still linked to each other.
bool intact(const cycle& c) {
    as_object* a = c.first.get_ptr();
    as_object* b = c.second.get_ptr();
    if (!a || !b) return false;
    as_value to_b, to_a;
    return a->get_member("next", &to_b) && to_b.to_object() == b && b->get_member("next", &to_a) &&
           to_a.to_object() == a;
}

// Steps the fixture's root until a garbage pass ran; the number of steps it took.
int step_until_pass(root_fixture& f) {
    constexpr int enough = 1000;
    const int before = f.owner->get_garbage_pass_count();
    for (int steps = 1; steps <= enough; ++steps) {
        f.r->advance(1.0f);
        if (f.owner->get_garbage_pass_count() != before) return steps;
    }
    return -1;
}

// A second root over the fixture's movie definition, with a probe movie of its own.
struct second_root {
    second_root(root_fixture& f, const char* name) {
        movie = new probe(f.owner.get_ptr(), name, nullptr);
        r = new flash::root(f.owner.get_ptr(), f.r->get_movie_definition());
        r->set_root_movie(movie.get_ptr());
    }
    smart_ptr<probe> movie;
    smart_ptr<flash::root> r;
};

TEST(PlayerRoots, TwoRootsWithCyclesBothKeepWorking) {
    root_fixture f;
    second_root other(f, "other");
    const cycle mine = make_cycle(f.owner.get_ptr(), f.movie.get_ptr(), "mine");
    const cycle theirs = make_cycle(f.owner.get_ptr(), other.movie.get_ptr(), "theirs");
    // A cycle held by a clip deep inside the other root's display list.
    smart_ptr<probe> clip(new probe(f.owner.get_ptr(), "clip", nullptr));
    other.movie->add_child(clip.get_ptr(), 1);
    const cycle deep = make_cycle(f.owner.get_ptr(), clip.get_ptr(), "deep");
    clip = nullptr;
    EXPECT_EQ(f.owner->get_live_root_count(), 2);

    // Only the first root steps: every pass must still mark from the second.
    EXPECT_GT(step_until_pass(f), 0);
    EXPECT_GT(step_until_pass(f), 0);
    EXPECT_TRUE(intact(mine));
    EXPECT_TRUE(intact(theirs));
    EXPECT_TRUE(intact(deep));
    for (int i = 0; i < 4; ++i) {
        f.r->advance(1.0f);
        other.r->advance(1.0f);
    }
    EXPECT_GT(step_until_pass(f), 0);
    EXPECT_TRUE(intact(mine));
    EXPECT_TRUE(intact(theirs));
    EXPECT_TRUE(intact(deep));

    // Let go of one cycle: a pass cuts and frees it, the other stays.
    other.movie->get_members().clear();
    EXPECT_GT(step_until_pass(f), 0);
    EXPECT_EQ(theirs.first.get_ptr(), nullptr);
    EXPECT_EQ(theirs.second.get_ptr(), nullptr);
    EXPECT_TRUE(intact(mine));
    EXPECT_TRUE(intact(deep));

    // A root that died is no source any more: what only it held goes.
    other = second_root(f, "replacement");
    EXPECT_EQ(f.owner->get_live_root_count(), 2);
    EXPECT_GT(step_until_pass(f), 0);
    EXPECT_EQ(deep.first.get_ptr(), nullptr);
    EXPECT_TRUE(intact(mine));
}

TEST(PlayerRoots, AnObjectThatMarkedItselfAliveIsStillWalked) {
    root_fixture f;
    flash::player* owner = f.owner.get_ptr();
    f.r->advance(0.0f);
    // Registered, and reached by nothing yet.
    as_object* older = new as_object(owner);
    owner->mark_alive(older);
    weak_ptr<as_object> older_link(older);
    const cycle kept = make_cycle(owner, older, "kept");
    // During the next step a new object registers itself and takes the only reference to it.
    owner->set_as_garbage();
    as_object* fresh = new as_object(owner);
    owner->mark_alive(fresh);
    fresh->set_member("older", as_value(older));
    f.movie->set_member("fresh", as_value(fresh));
    owner->clear_garbage();
    EXPECT_TRUE(owner->is_in_heap(older));
    EXPECT_TRUE(intact(kept));
    // And a clip that marked itself while advancing still has its members walked.
    owner->set_as_garbage();
    owner->mark_alive(f.movie.get_ptr());
    owner->clear_garbage();
    EXPECT_TRUE(owner->is_in_heap(older));
    EXPECT_TRUE(intact(kept));
    EXPECT_NE(older_link.get_ptr(), nullptr);
}

TEST(PlayerRoots, PassesFollowRoundsOfFrameStepsAndHeapGrowth) {
    root_fixture f;
    second_root b(f, "b");
    second_root c(f, "c");
    EXPECT_EQ(f.owner->get_live_root_count(), 3);
    f.owner->clear_garbage();
    const int start = f.owner->get_garbage_pass_count();
    auto round = [&] {
        f.r->advance(1.0f);
        b.r->advance(1.0f);
        c.r->advance(1.0f);
    };
    // A heap that does not grow is passed over once every 30 rounds.
    for (int i = 0; i < 29; ++i) round();
    EXPECT_EQ(f.owner->get_garbage_pass_count() - start, 0);
    round();
    EXPECT_EQ(f.owner->get_garbage_pass_count() - start, 1);
    // Growth by 64 objects or more brings the pass to the end of the round.
    for (int i = 0; i < 64; ++i) f.owner->mark_alive(new as_object(f.owner.get_ptr()));
    f.r->advance(1.0f);
    b.r->advance(1.0f);
    EXPECT_EQ(f.owner->get_garbage_pass_count() - start, 1);  // not before the round ends
    c.r->advance(1.0f);
    EXPECT_EQ(f.owner->get_garbage_pass_count() - start, 2);
    // Advances without a frame step count for nothing.
    for (int i = 0; i < 100; ++i) f.r->advance(0.0f);
    EXPECT_EQ(f.owner->get_garbage_pass_count() - start, 2);
    // A lone root makes a round of each of its steps.
    b.r = nullptr;
    c.r = nullptr;
    EXPECT_EQ(step_until_pass(f), 30);
}

TEST(PlayerRoots, AFrameStepWithTenThousandHeapObjects) {
    constexpr int object_count = 10000;
    root_fixture f;
    // A long chain the movie reaches, and twice as many unreachable objects in cycles.
    as_object* head = nullptr;
    for (int i = 0; i < object_count; ++i) {
        as_object* o = new as_object(f.owner.get_ptr());
        f.owner->mark_alive(o);
        if (head) o->set_member("next", as_value(head));
        head = o;
    }
    f.movie->set_member("chain", as_value(head));
    weak_ptr<as_object> lost_head;
    for (int i = 0; i < object_count / 2; ++i) {
        const cycle c = make_cycle(f.owner.get_ptr(), nullptr, "lost");
        if (i == 0) lost_head = c.first;
    }
    // A dropped table of objects that each point back at it.
    as_object* table = new as_object(f.owner.get_ptr());
    f.owner->mark_alive(table);
    for (int i = 0; i < object_count; ++i) {
        as_object* o = new as_object(f.owner.get_ptr());
        f.owner->mark_alive(o);
        o->set_member("table", as_value(table));
        table->set_member(std::to_string(i).c_str(), as_value(o));
    }
    EXPECT_GE(f.owner->get_heap_size(), 3 * object_count + 1);
    f.r->advance(0.0f);
    // What is left: the global object's world, the reachable chain and the movie.
    EXPECT_LT(f.owner->get_heap_size(), object_count + 100);
    EXPECT_GE(f.owner->get_heap_size(), object_count);
    EXPECT_EQ(lost_head.get_ptr(), nullptr);
    int length = 0;
    as_value link(head);
    while (as_object* o = link.to_object()) {
        ++length;
        if (!o->get_member("next", &link)) break;
    }
    EXPECT_EQ(length, object_count);
}

TEST(PlayerRoots, OnlyTheReferencesThatCloseACycleAreCut) {
    root_fixture f;
    flash::player* owner = f.owner.get_ptr();
    // Held here but reached by no root: its plain data stays, its cycle is broken.
    smart_ptr<as_object> held(new as_object(owner));
    smart_ptr<as_object> data(new as_object(owner));
    owner->mark_alive(held.get_ptr());
    owner->mark_alive(data.get_ptr());
    held->set_member("data", as_value(data.get_ptr()));
    const cycle loop = make_cycle(owner, held.get_ptr(), "loop");
    // A cycle through an accessor's bound target.
    as_object* bound = new as_object(owner);
    owner->mark_alive(bound);
    as_value accessor{as_value(), as_value()};
    accessor.set_property_target(bound);
    bound->get_members().set("self", accessor);
    accessor.set_undefined();
    weak_ptr<as_object> bound_link(bound);

    EXPECT_GT(step_until_pass(f), 0);
    as_value v;
    ASSERT_TRUE(held->get_member("data", &v));
    EXPECT_EQ(v.to_object(), data.get_ptr());
    // The loop hangs off "held": its first object stays with it, the reference back is cut.
    ASSERT_NE(loop.first.get_ptr(), nullptr);
    EXPECT_EQ(loop.second.get_ptr(), nullptr);
    EXPECT_FALSE(loop.first.get_ptr()->get_member("next", &v) && v.to_object());
    EXPECT_EQ(bound_link.get_ptr(), nullptr);
}

TEST(PlayerRoots, TheCurrentRootTakesKeysAndNamesTheRootMovie) {
    root_fixture f;
    flash::smart_ptr<probe> listener(new probe(f.owner.get_ptr(), "listener", &f.journal));
    f.r->get_keypress_listeners().add(listener.get_ptr());
    f.owner->notify_key_event(32, true);  // no current root: nobody hears it
    EXPECT_TRUE(f.journal.empty());
    EXPECT_EQ(f.owner->get_root_movie(), nullptr);

    f.owner->set_root(f.r.get_ptr());
    EXPECT_EQ(f.owner->get_root(), f.r.get_ptr());
    EXPECT_EQ(f.owner->get_root_movie(), f.movie.get_ptr());
    f.owner->notify_key_event(32, true);
    EXPECT_EQ(f.journal, (std::vector<std::string>{"listener 9:32"}));

    f.r = nullptr;  // the player's link is weak
    EXPECT_EQ(f.owner->get_root(), nullptr);
    EXPECT_EQ(f.owner->get_root_movie(), nullptr);
    EXPECT_EQ(f.owner->get_live_root_count(), 0);
}

TEST(PlayerRoots, DefinitionsHeldByRootsOutliveThePlayer) {
    root_fixture f;
    smart_ptr<flash::root> r = f.r;
    flash::movie_def_impl* def = r->get_movie_definition();
    const int held = def->get_ref_count();
    f.log.messages().clear();
    f.owner = nullptr;
    // Reported through the engine log, as every engine line is.
    const std::string out = f.log.messages();
    EXPECT_NE(out.find("memory leaks is found out: on exit movie_definition_sub ref_count > 1\n"), std::string::npos);
    EXPECT_NE(out.find("ref_count = " + std::to_string(held)), std::string::npos);
    // The library let go of its reference only.
    EXPECT_EQ(def->get_ref_count(), held - 1);
    EXPECT_EQ(def->get_frame_count(), 1);
    f.r = nullptr;
    f.movie = nullptr;
}

}  // namespace
