#include "flash/runtime/character.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "flash/movie/character_def.h"
#include "flash/movie/generic_character.h"
#include "flash/movie/player.h"

using flash::as_value;
using flash::character;
using flash::player;
using flash::rect;
using flash::smart_ptr;

namespace {

// A definition 0..w by 0..h twips that accepts points inside its left half only, so bounds and
// the point test can disagree.
class half_box_def : public flash::character_def {
public:
    half_box_def(float w, float h) : m_w(w), m_h(h) {}
    rect get_bound() const override {
        rect r;
        r.m_x_max = m_w;
        r.m_y_max = m_h;
        return r;
    }
    bool point_test_local(float x, float y) const override {
        return x >= 0 && x <= m_w / 2 && y >= 0 && y <= m_h;
    }
    void display(character*) override { ++drawn; }
    int drawn = 0;

private:
    float m_w;
    float m_h;
};

class CharacterTest : public ::testing::Test {
protected:
    smart_ptr<player> p{new player};
    smart_ptr<half_box_def> def{new half_box_def(2000.0f, 1000.0f)};  // 100 x 50 pixels
    smart_ptr<character> top{new character(p.get_ptr())};
    smart_ptr<character> box{def->create_character_instance(p.get_ptr(), top.get_ptr(), 5)};

    double number(character* ch, const char* name) {
        as_value v;
        EXPECT_TRUE(ch->get_member(name, &v)) << name;
        return v.to_number();
    }
    std::string text(character* ch, const char* name) {
        as_value v;
        EXPECT_TRUE(ch->get_member(name, &v)) << name;
        return v.to_string();
    }
};

TEST_F(CharacterTest, StandardMembersReadTheirFields) {
    struct row {
        const char* name;
        double written;
        double read;
    };
    const row rows[] = {
        {"_x", 12.5, 12.5},      {"_y", -3.0, -3.0},          {"_alpha", 50.0, 50.0},
        {"_xscale", 200.0, 200.0}, {"_yscale", 25.0, 25.0},   {"_rotation", 90.0, 90.0},
        {"_X", 7.0, 7.0},  // names are case-insensitive
        {"_alpha", std::numeric_limits<double>::quiet_NaN(), 0.0},
    };
    for (const row& r : rows) {
        smart_ptr<character> ch(new character(p.get_ptr()));
        ch->set_member(r.name, as_value(r.written));
        EXPECT_NEAR(number(ch.get_ptr(), r.name), r.read, 1e-3) << r.name;
    }
    // "_x" is twips inside.
    box->set_member("_x", as_value(10.0));
    EXPECT_FLOAT_EQ(box->get_matrix().m_[0][2], 200.0f);
}

TEST_F(CharacterTest, ScaleOnARotatedCharacterKeepsRotationAndOtherScale) {
    box->set_member("_rotation", as_value(30.0));
    box->set_member("_yscale", as_value(50.0));
    box->set_member("_xscale", as_value(200.0));
    EXPECT_NEAR(number(box.get_ptr(), "_rotation"), 30.0, 1e-3);
    EXPECT_NEAR(number(box.get_ptr(), "_yscale"), 50.0, 1e-3);
    EXPECT_NEAR(number(box.get_ptr(), "_xscale"), 200.0, 1e-3);
}

TEST_F(CharacterTest, WidthAndHeight) {
    EXPECT_EQ(number(box.get_ptr(), "_width"), 100.0);
    EXPECT_EQ(number(box.get_ptr(), "_height"), 50.0);
    box->set_member("_width", as_value(50.0));
    EXPECT_NEAR(number(box.get_ptr(), "_xscale"), 50.0, 1e-3);
    EXPECT_EQ(number(box.get_ptr(), "_width"), 50.0);
    for (double refused : {0.0, -10.0, std::numeric_limits<double>::quiet_NaN()}) {
        box->set_member("_width", as_value(refused));
        EXPECT_EQ(number(box.get_ptr(), "_width"), 50.0) << refused;
    }
    // An empty character is 0 wide, at its origin, and cannot be stretched.
    top->set_member("_x", as_value(4.0));
    rect r;
    r.m_x_min = r.m_x_max = r.m_y_min = r.m_y_max = 99.0f;
    top->get_bound(&r);
    EXPECT_EQ(r.m_x_min, 80.0f);
    EXPECT_EQ(r.m_x_max, 80.0f);
    EXPECT_EQ(r.m_y_min, 0.0f);
    EXPECT_EQ(number(top.get_ptr(), "_width"), 0.0);
    top->set_member("_width", as_value(10.0));
    EXPECT_EQ(number(top.get_ptr(), "_width"), 0.0);
    EXPECT_EQ(number(top.get_ptr(), "_xscale"), 100.0);
}

TEST_F(CharacterTest, NamesTargetsAndParents) {
    EXPECT_EQ(text(top.get_ptr(), "_target"), "/");
    EXPECT_EQ(text(box.get_ptr(), "_target"), "/noname");
    box->set_member("_name", as_value("a"));
    EXPECT_EQ(text(box.get_ptr(), "_name"), "a");
    EXPECT_EQ(text(box.get_ptr(), "_target"), "/a");
    smart_ptr<character> inner(new character(p.get_ptr(), box.get_ptr(), 7));
    inner->set_name("b");
    EXPECT_EQ(text(inner.get_ptr(), "_target"), "/a/b");
    EXPECT_STREQ(inner->get_path().c_str(), "a\\b");
    as_value parent;
    ASSERT_TRUE(inner->get_member("_parent", &parent));
    EXPECT_EQ(parent.to_object(), box.get_ptr());
    ASSERT_TRUE(top->get_member("_parent", &parent));
    EXPECT_TRUE(parent.is_null());
    EXPECT_FALSE(number(box.get_ptr(), "_visible") == 0.0);
    box->set_member("_visible", as_value(false));
    EXPECT_FALSE(box->get_visible());
    EXPECT_EQ(text(box.get_ptr(), "_url"), "flash");
    EXPECT_EQ(text(box.get_ptr(), "_droptarget"), "/_root");
    // Members that are not standard stay ordinary members.
    box->set_member("score", as_value(3.0));
    EXPECT_EQ(number(box.get_ptr(), "score"), 3.0);
}

TEST_F(CharacterTest, WorldTransformsMultiplyUpTheChain) {
    top->set_member("_x", as_value(10.0));
    top->set_member("_alpha", as_value(50.0));
    box->set_member("_x", as_value(5.0));
    box->set_member("_alpha", as_value(50.0));
    EXPECT_FLOAT_EQ(box->get_world_matrix().m_[0][2], 300.0f);
    EXPECT_FLOAT_EQ(box->get_world_cxform().m_[3][0], 0.25f);
}

TEST_F(CharacterTest, GenericCharacterForwardsToItsDefinition) {
    box->set_member("_x", as_value(100.0));  // 2000 twips
    // Inside the bounds but only the left half hits.
    EXPECT_EQ(box->get_topmost_mouse_entity(2100.0f, 500.0f), box.get_ptr());
    EXPECT_EQ(box->get_topmost_mouse_entity(3500.0f, 500.0f), nullptr);
    EXPECT_EQ(box->get_topmost_mouse_entity(1900.0f, 500.0f), nullptr);
    rect r;
    box->get_bound(&r);
    EXPECT_EQ(r.m_x_min, 2000.0f);
    EXPECT_EQ(r.m_x_max, 4000.0f);
    int calls = 0;
    box->set_display_callback([](void* user) { ++*static_cast<int*>(user); }, &calls);
    box->display();
    EXPECT_EQ(def->drawn, 1);
    EXPECT_EQ(calls, 1);
}

}  // namespace
