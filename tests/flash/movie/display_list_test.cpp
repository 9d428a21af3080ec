#include "flash/movie/display_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "flash/base/log.h"
#include "flash/movie/player.h"
#include "flash/render/bitmap_info.h"
#include "flash/runtime/event_id.h"

using flash::character;
using flash::cxform;
using flash::display_list;
using flash::matrix;
using flash::player;
using flash::smart_ptr;

namespace {

std::vector<std::string>* g_journal = nullptr;

// Records its events, advances and drawing into the journal under its name.
class journal_character : public character {
public:
    journal_character(player* owner, const char* name, int id = 1) : character(owner, nullptr, id) {
        set_name(name);
    }
    bool on_event(const flash::event_id& event) override {
        note("event " + std::to_string(event.m_id));
        return character::on_event(event);
    }
    void advance(float) override {
        note("advance");
        if (victim_list) victim_list->remove_character(victim);
    }
    void display() override { note("display"); }
    void on_remove() override { note("removed"); }

    display_list* get_display_list() override { return children.get(); }

    std::unique_ptr<display_list> children;
    display_list* victim_list = nullptr;
    character* victim = nullptr;

private:
    void note(const std::string& what) {
        if (g_journal) g_journal->push_back(std::string(get_name().c_str()) + " " + what);
    }
};

std::vector<std::string> g_errors;
void capture(bool is_error, const char* text) {
    if (is_error) g_errors.push_back(text);
}

class DisplayListTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_journal = &journal;
        g_errors.clear();
        flash::register_log_callback(capture);
    }
    void TearDown() override {
        list.clear();
        flash::register_log_callback(nullptr);
        g_journal = nullptr;
    }
    journal_character* make(const char* name, int id = 1) {
        journal_character* ch = new journal_character(p.get_ptr(), name, id);
        made.push_back(smart_ptr<character>(ch));
        return ch;
    }
    void add(character* ch, int depth, bool replace = true) {
        list.add_display_object(ch, depth, replace, cxform(), matrix(), 0.0f, 0);
    }
    std::string order() {
        std::string s;
        for (int i = 0; i < list.size(); ++i) {
            s += list.get_character(i)->get_name().c_str();
            s += "@" + std::to_string(list.get_character(i)->get_depth()) + " ";
        }
        return s;
    }

    smart_ptr<player> p{new player};
    std::vector<smart_ptr<character>> made;
    std::vector<std::string> journal;
    display_list list;
};

TEST_F(DisplayListTest, AddKeepsDepthOrderAndReplaceChoosesBetweenKeepingAndRemoving) {
    add(make("a"), 5);
    add(make("b"), 1);
    add(make("c"), 9);
    EXPECT_EQ(order(), "b@1 a@5 c@9 ");
    add(make("d"), 5, false);  // both kept, the new one first
    EXPECT_EQ(order(), "b@1 d@5 a@5 c@9 ");
    journal.clear();
    add(make("e"), 9, true);
    EXPECT_EQ(order(), "b@1 d@5 a@5 e@9 ");
    EXPECT_EQ(journal, (std::vector<std::string>{"c removed", "c event 22", "c event 12"}));
    EXPECT_EQ(made[2]->get_depth(), 0);
}

TEST_F(DisplayListTest, MoveAndReplaceTakeOnlyWhatTheirFlagsAsk) {
    journal_character* a = make("a");
    matrix m;
    m.m_[0][2] = 40.0f;
    list.add_display_object(a, 3, true, cxform(), m, 0.0f, 0);
    cxform half;
    half.m_[3][0] = 0.5f;
    list.move_display_object(3, true, half, false, matrix(), 0.25f, 7);
    EXPECT_EQ(a->get_cxform().m_[3][0], 0.5f);
    EXPECT_EQ(a->get_matrix().m_[0][2], 40.0f);
    EXPECT_EQ(a->get_ratio(), 0.25f);
    EXPECT_EQ(a->get_clip_depth(), 0);  // a move never changes the clip depth

    list.move_display_object(4, true, half, true, m, 0.0f, 0);
    ASSERT_EQ(g_errors.size(), 1u);
    EXPECT_EQ(g_errors[0], "error: move_display_object() -- no object at depth 4\n");

    journal_character* b = make("b");
    list.replace_display_object(b, 3, false, cxform(), false, matrix(), 0.0f, 0);
    EXPECT_EQ(order(), "b@3 ");
    EXPECT_EQ(b->get_matrix().m_[0][2], 40.0f);  // kept from the replaced object
    EXPECT_EQ(b->get_cxform().m_[3][0], 0.5f);

    display_list empty;
    empty.move_display_object(1, false, cxform(), false, matrix(), 0.0f, 0);
    EXPECT_EQ(g_errors.back(), "error: move_display_object() -- no objects on display list\n");
}

TEST_F(DisplayListTest, RemoveByDepthAndId) {
    add(make("a", 10), 2);
    add(make("b", 11), 2, false);
    list.remove_display_object(2, 10);
    EXPECT_EQ(order(), "b@2 ");
    list.remove_display_object(2, 99);
    EXPECT_EQ(g_errors.back(), "remove_display_object: no character at depth 2 with id 99\n");
    list.remove_display_object(8, -1);
    EXPECT_EQ(g_errors.back(), "remove_display_object: no character at depth 8 with id -1\n");
    list.remove_display_object(2, -1);
    EXPECT_EQ(list.size(), 0);
}

TEST_F(DisplayListTest, DepthsNamesAndSwaps) {
    EXPECT_EQ(list.get_next_highest_depth(), 16384);
    add(make("a"), 1);
    EXPECT_EQ(list.get_next_highest_depth(), 16384);
    add(make("Clip"), 20000);
    EXPECT_EQ(list.get_next_highest_depth(), 20001);
    add(make("clip"), 30);
    EXPECT_EQ(list.get_character_by_name("clip", false), made[2].get_ptr());
    EXPECT_EQ(list.get_character_by_name("CLIP", false), nullptr);
    EXPECT_EQ(list.get_character_by_name_i("CLIP"), made[2].get_ptr());
    flash::array<character*> all;
    EXPECT_EQ(list.get_character_by_name("", false, &all), nullptr);
    EXPECT_EQ(all.size(), 3);
    list.set_character_depth(made[0].get_ptr(), 25000);
    EXPECT_EQ(order(), "clip@30 Clip@20000 a@25000 ");
    list.swap_characters(made[0].get_ptr(), made[2].get_ptr());
    EXPECT_EQ(order(), "a@25000 Clip@20000 clip@30 ");
    smart_ptr<character> stranger(make("x"));
    list.swap_characters(made[0].get_ptr(), stranger.get_ptr());
    EXPECT_EQ(order(), "a@25000 Clip@20000 clip@30 ");
    // A recursive search goes into each child's own list after the child, in order.
    journal_character* parent = static_cast<journal_character*>(made[0].get_ptr());
    parent->children = std::make_unique<display_list>();
    journal_character* inner = make("clip");
    parent->children->add_display_object(inner, 1, true, cxform(), matrix(), 0.0f, 0);
    flash::array<character*> clips;
    list.get_character_by_name("clip", true, &clips);
    ASSERT_EQ(clips.size(), 2);
    EXPECT_EQ(clips[0], inner);
    EXPECT_EQ(clips[1], made[2].get_ptr());
    EXPECT_EQ(list.get_character_by_name("clip", true), inner);
    EXPECT_EQ(list.get_character_by_name("nothing", true), nullptr);
    parent->children->clear();
    flash::array<int> kept;
    kept.push_back(20000);
    list.clear_unaffected(kept);
    EXPECT_EQ(order(), "Clip@20000 ");
}

TEST_F(DisplayListTest, AnObjectRemovedDuringAdvanceStillFinishesItsStep) {
    journal_character* a = make("a");
    journal_character* b = make("b");
    add(a, 1);
    add(b, 2);
    a->victim_list = &list;
    a->victim = b;
    made.clear();  // the list holds the only references now
    journal.clear();
    list.advance(0.0f);
    EXPECT_EQ(journal, (std::vector<std::string>{"a advance", "b removed", "b event 22",
                                                 "b event 12", "b advance"}));
    EXPECT_EQ(order(), "a@1 ");
}

// Journals the mask calls; makes no bitmaps.
class mask_journal_handler : public flash::render_handler {
public:
    flash::bitmap_info* create_bitmap_info_empty(const flash::bx_string&) override { return nullptr; }
    flash::bitmap_info* create_bitmap_info_alpha(int, int, const uint8_t*,
                                                 const flash::bx_string&) override {
        return nullptr;
    }
    flash::bitmap_info* create_bitmap_info_rgb(flash::image::rgb*, const flash::bx_string&) override {
        return nullptr;
    }
    flash::bitmap_info* create_bitmap_info_rgba(flash::image::rgba*,
                                                const flash::bx_string&) override {
        return nullptr;
    }
    void begin_submit_mask() override { g_journal->push_back("begin mask"); }
    void end_submit_mask() override { g_journal->push_back("end mask"); }
    void disable_mask() override { g_journal->push_back("disable mask"); }
};

TEST_F(DisplayListTest, AMaskCoversTheObjectsUpToItsClipDepth) {
    mask_journal_handler handler;
    flash::set_render_handler(&handler);
    add(make("under"), 1);
    list.add_display_object(make("mask"), 2, true, cxform(), matrix(), 0.0f, 10);
    add(make("covered"), 10);
    add(make("above"), 11);
    add(make("hidden_mask"), 12);
    made.back()->set_clip_depth(20);
    made.back()->set_visible(false);
    add(make("top"), 13);
    journal.clear();
    list.display();
    flash::set_render_handler(nullptr);
    EXPECT_EQ(journal, (std::vector<std::string>{"under display", "begin mask", "mask display",
                                                 "end mask", "covered display", "disable mask",
                                                 "above display", "top display"}));
    // A mask still active after the last object is switched off.
    display_list last;
    last.add_display_object(make("m"), 1, true, cxform(), matrix(), 0.0f, 5);
    journal.clear();
    flash::set_render_handler(&handler);
    last.display();
    flash::set_render_handler(nullptr);
    EXPECT_EQ(journal, (std::vector<std::string>{"begin mask", "m display", "end mask",
                                                 "disable mask"}));
    last.clear();
}

TEST_F(DisplayListTest, ACharacterMovedToAnotherListOutlivesItsOldParent) {
    // The host carries an element from one root's clip to another's (the cursor does this).
    smart_ptr<character> old_parent(new journal_character(p.get_ptr(), "old"));
    smart_ptr<character> new_parent(new journal_character(p.get_ptr(), "new"));
    smart_ptr<character> carried(new journal_character(p.get_ptr(), "carried"));
    carried->set_parent(old_parent.get_ptr());
    display_list other;
    add(carried.get_ptr(), 3);
    list.remove_character(carried.get_ptr());
    carried->set_parent(new_parent.get_ptr());
    other.add_display_object(carried.get_ptr(), 7, true, cxform(), matrix(), 0.0f, 0);
    old_parent = nullptr;
    EXPECT_EQ(carried->get_parent(), new_parent.get_ptr());
    EXPECT_EQ(carried->get_depth(), 7);
    EXPECT_EQ(other.get_character_by_name("carried", false), carried.get_ptr());
    // A parent that dies leaves no dangling link behind.
    new_parent = nullptr;
    EXPECT_EQ(carried->get_parent(), nullptr);
    flash::as_value target;
    ASSERT_TRUE(carried->get_member("_target", &target));
    EXPECT_STREQ(target.to_string(), "/");
    other.clear();
}

TEST_F(DisplayListTest, InvisibleObjectsAreNotDrawn) {
    add(make("a"), 1);
    add(make("b"), 2);
    made[0]->set_visible(false);
    journal.clear();
    list.display();
    EXPECT_EQ(journal, (std::vector<std::string>{"b display"}));
}

}  // namespace
