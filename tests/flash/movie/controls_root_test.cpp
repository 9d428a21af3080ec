// Buttons and text fields under a movie root: the root's mouse events reach a button as host
// codes, sound names and queued actions, and a clicked field takes focus and typed keys through
// the root's key listeners.
#include <gtest/gtest.h>

#include "control_test_support.h"
#include "flash/movie/button.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/host_callbacks.h"
#include "root_fixture.h"

namespace {

using movietest::journal;

constexpr uint16_t face_id = 1;
constexpr uint16_t button_id = 2;

// The root's top-level movie, keeping the actions queued on it.
class action_probe : public movietest::probe {
public:
    action_probe(flash::player* owner, journal* log) : movietest::probe(owner, "movie", log) {}
    void add_action_buffer(flash::action_buffer* buffer) override { queued.push_back(buffer); }
    std::vector<flash::action_buffer*> queued;
};

journal* g_host = nullptr;
void host_code(flash::character*, int code) { g_host->push_back("code " + std::to_string(code)); }
void host_sound(flash::character*, const char* name) { g_host->push_back(std::string("sound ") + name); }

// A root over a movie with one button (a face shown in every state, the same face as its hit
// area at 100..200 pixels, actions on press and release) placed on an action probe.
struct controls_root : movietest::movie_fixture {
    controls_root() {
        g_host = &host;
        swf::ButtonRecord face;
        face.character_id = face_id;
        face.states = swf::button_up | swf::button_over | swf::button_down | swf::button_hit_test;
        swf::Button2 b;
        b.records = {face};
        b.actions = {{swf::cond_press, movietest::trace_actions({"p"})},
                     {swf::cond_release, movietest::trace_actions({"r"})}};
        swf::MovieWriter m(8);
        m.define_button2(b, button_id);
        m.show_frame();
        m.end();
        movie = load("controls.swf", m.finish_fws());
        movie->add_character(face_id,
                             new movietest::journal_def(&children, movietest::box(2000, 4000, 2000, 4000), "face"));
        clip = new action_probe(owner.get_ptr(), &probe_log);
        r = new flash::root(owner.get_ptr(), movie);
        r->set_root_movie(clip.get_ptr());
        owner->set_root(r.get_ptr());
        r->advance(0.0f);
        flash::register_sound_callback(host_sound);
    }
    ~controls_root() {
        flash::register_sound_callback(nullptr);
        r = nullptr;
        clip = nullptr;
    }
    flash::character* place(flash::character_def* def, int depth) {
        flash::character* ch = def->create_character_instance(owner.get_ptr(), clip.get_ptr(), depth);
        clip->get_display_list()->add_display_object(ch, depth, false, flash::cxform(), flash::matrix(), 0.0f, 0);
        return ch;
    }
    void mouse(int x, int y, int buttons) {
        r->notify_mouse_state(x, y, buttons);
        r->advance(0.0f);
    }

    journal host;
    journal children;
    journal probe_log;
    flash::movie_def_impl* movie = nullptr;
    flash::smart_ptr<action_probe> clip;
    flash::smart_ptr<flash::root> r;
};

TEST(ControlsUnderARoot, TheMouseDrivesAButtonThroughItsStates) {
    controls_root f;
    auto* button = static_cast<flash::button_character_instance*>(f.place(f.movie->get_character_def(button_id), 1));
    button->m_event_callback = host_code;
    auto* def = button->get_definition();

    f.mouse(50, 50, 0);
    EXPECT_TRUE(f.host.empty());
    f.mouse(150, 150, 0);
    EXPECT_EQ(f.host, std::vector<std::string>{"code 4"});
    EXPECT_EQ(button->get_mouse_state(), flash::MOUSE_OVER_STATE);

    f.host.clear();
    f.mouse(150, 150, 1);
    EXPECT_EQ(f.host, (std::vector<std::string>{"sound default_btn_click", "code 1"}));
    EXPECT_EQ(button->get_mouse_state(), flash::MOUSE_DOWN_STATE);
    ASSERT_EQ(f.clip->queued.size(), 1u);
    EXPECT_EQ(f.clip->queued[0], def->m_button_actions[0]->m_actions[0]);

    f.host.clear();
    f.children.clear();
    f.mouse(150, 150, 0);
    EXPECT_EQ(f.host, std::vector<std::string>{"code 4"});
    EXPECT_EQ(button->get_mouse_state(), flash::MOUSE_OVER_STATE);
    ASSERT_EQ(f.clip->queued.size(), 2u);
    EXPECT_EQ(f.clip->queued[1], def->m_button_actions[1]->m_actions[0]);
    EXPECT_EQ(f.children, (journal{"goto face 0", "play_state face 0"}));

    f.host.clear();
    f.mouse(300, 300, 0);
    EXPECT_EQ(f.host, std::vector<std::string>{"code 5"});
    EXPECT_EQ(button->get_mouse_state(), flash::MOUSE_UP_STATE);
}

TEST(ControlsUnderARoot, AClickedFieldTakesFocusAndTypedKeysUntilAClickElsewhere) {
    controls_root f;
    flash::smart_ptr<flash::edit_text_character_def> def(new flash::edit_text_character_def(100, 20));
    auto* field = static_cast<flash::edit_text_character*>(f.place(def.get_ptr(), 2));
    flash::matrix at;
    at.m_[0][2] = 1000;
    at.m_[1][2] = 1000;
    field->set_matrix(at);

    f.mouse(60, 55, 1);
    f.mouse(60, 55, 0);
    EXPECT_TRUE(field->m_has_focus);
    EXPECT_EQ(f.r->get_focus(), field);
    for (int key : {'h', 'i', '!', '7'}) {
        f.r->notify_key_event(f.owner.get_ptr(), key, true);
        f.r->notify_key_event(f.owner.get_ptr(), key, false);
    }
    EXPECT_STREQ(field->m_text.c_str(), "hi7");

    f.mouse(400, 300, 1);
    f.mouse(400, 300, 0);
    EXPECT_FALSE(field->m_has_focus);
    f.r->notify_key_event(f.owner.get_ptr(), 'x', true);
    EXPECT_STREQ(field->m_text.c_str(), "hi7");
}

}  // namespace
