// Buttons: the definitions DefineButton, DefineButton2 and DefineButtonSound give, and an
// instance's behaviour as the sequences of host callback codes, sound names, queued actions, drawn
// children and handler calls that mouse and key events produce.
#include <gtest/gtest.h>

#include <algorithm>

#include "control_test_support.h"
#include "flash/movie/button.h"
#include "flash/movie/display_list.h"
#include "flash/runtime/event_id.h"
#include "flash/movie/host_callbacks.h"
#include "movie_fixture.h"
#include "recording_sound_handler.h"
#include "sprite_fixture.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using movietest::journal;
using movietest::movie_fixture;

constexpr uint16_t button_id = 20;
// Ids the records name; the tests fill them with journal definitions.
constexpr uint16_t up_id = 1, over_id = 2, down_id = 3, hit_id = 4, all_id = 5, all2_id = 6;

movietest::bytes actions_of(const std::string& line) { return movietest::trace_actions({line}); }

swf::ButtonRecord record(uint16_t id, uint8_t states, uint16_t depth) {
    swf::ButtonRecord r;
    r.character_id = id;
    r.states = states;
    r.depth = depth;
    return r;
}

// Two 16-bit samples.
swf::Sound two_samples() {
    swf::Sound s;
    s.sample_count = 2;
    s.data = {1, 2, 3, 4};
    return s;
}

flash::button_character_definition* button_def(flash::movie_def_impl* def) {
    flash::character_def* c = def ? def->get_character_def(button_id) : nullptr;
    return c && c->is(flash::character_def::BUTTON_CHARACTER_DEFINITION)
               ? static_cast<flash::button_character_definition*>(c)
               : nullptr;
}

TEST(ButtonReading, DefineButtonGetsItsOneReleaseAction) {
    movie_fixture f;
    swf::MovieWriter m(8);
    m.define_button({record(up_id, swf::button_up | swf::button_hit_test, 1)}, actions_of("go"), button_id);
    m.show_frame();
    m.end();
    flash::button_character_definition* b = button_def(f.load("b.swf", m.finish_fws()));
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->m_button_records.size(), 1);
    EXPECT_TRUE(b->m_button_records[0].m_up);
    EXPECT_TRUE(b->m_button_records[0].m_hit_test);
    EXPECT_FALSE(b->m_button_records[0].m_over);
    EXPECT_TRUE(b->m_button_records[0].m_button_cxform.is_identity());
    ASSERT_EQ(b->m_button_actions.size(), 1);
    EXPECT_EQ(b->m_button_actions[0]->m_conditions, 8u);
    ASSERT_EQ(b->m_button_actions[0]->m_actions.size(), 1);
    EXPECT_EQ(b->m_button_actions[0]->m_actions[0]->get_length(), static_cast<int>(actions_of("go").size()));
    EXPECT_FALSE(b->m_menu);
    EXPECT_EQ(b->m_sound, nullptr);
}

TEST(ButtonReading, DefineButton2KeepsRecordsActionsKeyConditionsAndTheMenuFlag) {
    struct row {
        bool menu;
        std::vector<uint16_t> conditions;
        bool offset_zero;
    };
    const row rows[] = {
        {true, {swf::cond_press, swf::cond_release, swf::cond_key_press(13), swf::cond_key_press(19) | swf::cond_roll_over}, false},
        {false, {swf::cond_release_outside}, false},
        {false, {swf::cond_press, swf::cond_release}, true},
    };
    for (const row& r : rows) {
        movie_fixture f;
        swf::Button2 b2;
        b2.track_as_menu = r.menu;
        swf::ButtonRecord with_extras = record(over_id, swf::button_over, 2);
        with_extras.cxform.has_add = true;
        with_extras.cxform.add = {10, 20, 30, 40};
        with_extras.filters = std::vector<swf::Filter>{swf::blur_filter(1, 1, 1)};
        with_extras.blend_mode = 3;
        b2.records = {record(up_id, swf::button_up, 1), with_extras};
        for (uint16_t c : r.conditions) b2.actions.push_back({c, actions_of("a" + std::to_string(c))});
        if (r.offset_zero) b2.action_offset = 0;
        swf::MovieWriter m(8);
        m.define_button2(b2, button_id);
        m.show_frame();
        m.end();
        flash::button_character_definition* b = button_def(f.load("b.swf", m.finish_fws()));
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->m_menu, r.menu);
        ASSERT_EQ(b->m_button_records.size(), 2);
        const flash::button_record& second = b->m_button_records[1];
        EXPECT_TRUE(second.m_over);
        EXPECT_TRUE(second.m_has_filter_list);
        EXPECT_TRUE(second.m_has_blend_mode);
        EXPECT_EQ(second.m_blend_mode, 3);
        EXPECT_FLOAT_EQ(second.m_button_cxform.m_[0][1], 10.0f);
        EXPECT_FLOAT_EQ(second.m_button_cxform.m_[3][1], 40.0f);
        EXPECT_EQ(second.m_button_layer, 2);
        if (r.offset_zero) {
            EXPECT_EQ(b->m_button_actions.size(), 0);
            continue;
        }
        ASSERT_EQ(b->m_button_actions.size(), static_cast<int>(r.conditions.size()));
        for (size_t i = 0; i < r.conditions.size(); ++i) {
            EXPECT_EQ(b->m_button_actions[i]->m_conditions, r.conditions[i]);
            ASSERT_EQ(b->m_button_actions[i]->m_actions.size(), 1);
            EXPECT_EQ(b->m_button_actions[i]->m_actions[0]->get_length(),
                      static_cast<int>(actions_of("a" + std::to_string(r.conditions[i])).size()));
        }
        EXPECT_TRUE(f.log.errors().empty()) << f.log.errors();
    }
}

TEST(ButtonReading, ButtonSoundsResolveAndBadTargetsAreSkipped) {
    movie_fixture f;
    movietest::recording_sound_handler handler;
    swf::Sound s;
    s.sample_count = 2;
    s.data = {1, 2, 3, 4};
    swf::MovieWriter m(8);
    m.define_sound(s, 40);
    m.define_button2({false, {record(up_id, swf::button_up, 1)}, {}, {}}, button_id);
    std::array<swf::ButtonSound, 4> sounds{};
    sounds[2].sound_id = 40;
    sounds[2].info.loops = 3;
    sounds[3].sound_id = 41;  // no such sound
    m.define_button_sound(button_id, sounds);
    m.define_button_sound(77, sounds);  // no such character
    m.define_sound(s, 50);
    m.define_button_sound(50, sounds);  // a sound, not a button
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("b.swf", m.finish_fws());
    flash::button_character_definition* b = button_def(def);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(b->m_sound, nullptr);
    const flash::button_sound_entry* e = b->m_sound->m_button_sounds;
    EXPECT_EQ(e[0].m_sound_id, 0);
    EXPECT_EQ(e[2].m_sound_id, 40);
    EXPECT_EQ(e[2].m_sample.get_ptr(), def->get_sound_sample(40));
    EXPECT_TRUE(e[2].m_sound_style.m_has_loops);
    EXPECT_EQ(e[2].m_sound_style.m_loop_count, 3);
    EXPECT_EQ(e[3].m_sound_id, 41);
    EXPECT_EQ(e[3].m_sample.get_ptr(), nullptr);
    EXPECT_TRUE(f.log.has_error("button sound for character 77, which is not defined")) << f.log.errors();
    // Sounds live in their own table, so id 50 names no character either.
    EXPECT_TRUE(f.log.has_error("button sound for character 50")) << f.log.errors();
}

TEST(ButtonReading, AnEnvelopeTakesItsCountOfPointsAndTheNextSoundFollows) {
    movie_fixture f;
    movietest::recording_sound_handler handler;
    swf::MovieWriter m(8);
    m.define_sound(two_samples(), 40);
    m.define_button2({false, {record(up_id, swf::button_up, 1)}, {}, {}}, button_id);
    std::array<swf::ButtonSound, 4> sounds{};
    sounds[0].sound_id = 40;
    sounds[0].info.envelope = std::vector<swf::EnvelopePoint>{{5, 6, 7}};
    sounds[1].sound_id = 40;
    sounds[1].info.loops = 9;
    m.define_button_sound(button_id, sounds);
    m.show_frame();
    m.end();
    flash::button_character_definition* b = button_def(f.load("env.swf", m.finish_fws()));
    ASSERT_NE(b, nullptr);
    ASSERT_NE(b->m_sound, nullptr);
    const flash::button_sound_entry* e = b->m_sound->m_button_sounds;
    ASSERT_EQ(e[0].m_sound_style.m_envelopes.size(), 1);
    EXPECT_EQ(e[0].m_sound_style.m_envelopes[0].m_position, 5u);
    EXPECT_EQ(e[0].m_sound_style.m_envelopes[0].m_right_level, 7);
    EXPECT_EQ(e[1].m_sound_id, 40);
    EXPECT_EQ(e[1].m_sound_style.m_loop_count, 9);
    EXPECT_EQ(e[2].m_sound_id, 0);
}

TEST(ButtonReading, AnImportedSoundIsFoundAmongTheCharacters) {
    movie_fixture f;
    movietest::recording_sound_handler handler;
    swf::MovieWriter source(8);
    source.define_sound(two_samples(), 9);
    source.export_assets({{9, "click"}});
    source.show_frame();
    source.end();
    ASSERT_NE(f.load("sounds.swf", source.finish_fws()), nullptr);
    swf::MovieWriter m(8);
    m.import_assets("sounds.swf", {{40, "click"}});
    m.define_button2({false, {record(up_id, swf::button_up, 1)}, {}, {}}, button_id);
    std::array<swf::ButtonSound, 4> sounds{};
    sounds[2].sound_id = 40;
    m.define_button_sound(button_id, sounds);
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("b.swf", m.finish_fws());
    flash::button_character_definition* b = button_def(def);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(b->m_sound, nullptr);
    EXPECT_EQ(def->get_sound_sample(40), nullptr);  // not in the importer's own sound table
    ASSERT_NE(b->m_sound->m_button_sounds[2].m_sample.get_ptr(), nullptr);
    EXPECT_EQ(b->m_sound->m_button_sounds[2].m_sample.get_ptr(), def->get_character_def(40));
}

// One button of six records over journal children, its parent and the host callbacks.
struct button_rig {
    movie_fixture f;
    journal log;
    std::vector<std::string> host;  // callback codes and sound and effect names, in order
    flash::smart_ptr<movietest::action_parent> parent;
    flash::smart_ptr<flash::button_character_instance> button;
    flash::button_character_definition* def = nullptr;

    static button_rig* current;
    static void on_event(flash::character*, int code) { current->host.push_back("code " + std::to_string(code)); }
    static void on_sound(flash::character*, const char* name) { current->host.push_back(std::string("sound ") + name); }
    static void on_fx(flash::character*, const char* name) { current->host.push_back(std::string("fx ") + name); }

    explicit button_rig(bool host_callbacks = true) {
        current = this;
        swf::Button2 b2;
        b2.records = {record(up_id, swf::button_up, 1),        record(over_id, swf::button_over, 2),
                      record(all_id, swf::button_up | swf::button_over | swf::button_down, 3),
                      record(down_id, swf::button_down, 4),    record(hit_id, swf::button_hit_test, 5),
                      record(all2_id, swf::button_up | swf::button_over | swf::button_down, 6)};
        b2.records[4].matrix = swf::Matrix::translation(1000, 0);
        b2.actions = {{swf::cond_press, actions_of("press")},
                      {swf::cond_release, actions_of("release")},
                      {swf::cond_key_press(13), actions_of("enter")},
                      {swf::cond_key_press(19), actions_of("never")},
                      {swf::cond_key_press(1), actions_of("left")},
                      {swf::cond_key_press('a'), actions_of("a")}};
        swf::MovieWriter m(8);
        m.define_button2(b2, button_id);
        m.show_frame();
        m.end();
        flash::movie_def_impl* movie = f.load("b.swf", m.finish_fws());
        const char* names[] = {"", "up", "over", "down", "hit", "all", "all2"};
        for (int id = up_id; id <= all2_id; ++id) {
            movie->add_character(id, new movietest::journal_def(&log, movietest::box(0, 100, 0, 100), names[id]));
        }
        def = button_def(movie);
        parent = new movietest::action_parent(f.owner.get_ptr());
        button = static_cast<flash::button_character_instance*>(
            def->create_character_instance(f.owner.get_ptr(), parent.get_ptr(), button_id));
        button->m_event_callback = &button_rig::on_event;
        if (host_callbacks) {
            flash::register_sound_callback(&button_rig::on_sound);
            flash::register_fx_callback(&button_rig::on_fx);
        }
    }
    ~button_rig() {
        flash::register_sound_callback(nullptr);
        flash::register_fx_callback(nullptr);
        button = nullptr;
        parent = nullptr;
    }
    bool fire(uint8_t id) { return button->on_event(flash::event_id(id)); }
    bool key(uint8_t code) { return button->on_event(flash::event_id(flash::event_id::KEY_PRESS, code)); }
    // Which of the definition's actions were queued, by their index.
    std::vector<int> queued_actions() const {
        std::vector<int> out;
        for (flash::action_buffer* buffer : parent->queued) {
            for (int i = 0; i < def->m_button_actions.size(); ++i) {
                if (def->m_button_actions[i]->m_actions[0] == buffer) out.push_back(i);
            }
        }
        return out;
    }
    std::vector<std::string> restarts() const {
        std::vector<std::string> out;
        for (const std::string& line : log) {
            if (line.rfind("goto", 0) == 0 || line.rfind("play_state", 0) == 0) out.push_back(line);
        }
        return out;
    }
};
button_rig* button_rig::current = nullptr;

TEST(ButtonBehaviour, RollOverPressAndReleaseGiveTheirStatesCodesSoundsAndActions) {
    button_rig rig;
    EXPECT_EQ(rig.button->get_mouse_state(), flash::MOUSE_UP_STATE);
    EXPECT_STREQ(rig.button->m_sound_names[flash::SOUND_PRESS].c_str(), "default_btn_click");

    EXPECT_FALSE(rig.fire(flash::event_id::ROLL_OVER));
    EXPECT_EQ(rig.button->get_mouse_state(), flash::MOUSE_OVER_STATE);
    EXPECT_EQ(rig.host, std::vector<std::string>{"code 4"});
    EXPECT_TRUE(rig.queued_actions().empty());

    rig.host.clear();
    rig.log.clear();
    EXPECT_TRUE(rig.fire(flash::event_id::PRESS));
    EXPECT_EQ(rig.button->get_mouse_state(), flash::MOUSE_DOWN_STATE);
    EXPECT_EQ(rig.host, (std::vector<std::string>{"sound default_btn_click", "code 1"}));
    EXPECT_EQ(rig.queued_actions(), std::vector<int>{0});
    EXPECT_TRUE(rig.restarts().empty());

    rig.host.clear();
    EXPECT_TRUE(rig.fire(flash::event_id::RELEASE));
    EXPECT_EQ(rig.button->get_mouse_state(), flash::MOUSE_OVER_STATE);
    EXPECT_EQ(rig.host, std::vector<std::string>{"code 4"});
    EXPECT_EQ(rig.queued_actions(), (std::vector<int>{0, 1}));
    // Every child made restarts from its first frame and plays.
    EXPECT_EQ(rig.restarts().size(), 2u * 6u);
    EXPECT_EQ(rig.restarts()[0], "goto up 0");
    EXPECT_EQ(rig.restarts()[1], "play_state up 0");

    rig.host.clear();
    EXPECT_FALSE(rig.fire(flash::event_id::ROLL_OUT));
    EXPECT_EQ(rig.button->get_mouse_state(), flash::MOUSE_UP_STATE);
    EXPECT_EQ(rig.host, std::vector<std::string>{"code 5"});
}

TEST(ButtonBehaviour, EventsSetStatesAndCodesAsTheTableSays) {
    struct row {
        uint8_t event;
        int state;
        std::string code;
    };
    const row rows[] = {
        {flash::event_id::PRESS, flash::MOUSE_DOWN_STATE, "code 1"},
        {flash::event_id::DRAG_OVER, flash::MOUSE_DOWN_STATE, "code 1"},
        {flash::event_id::RELEASE, flash::MOUSE_OVER_STATE, "code 4"},
        {flash::event_id::ROLL_OVER, flash::MOUSE_OVER_STATE, "code 4"},
        {flash::event_id::DRAG_OUT, flash::MOUSE_OVER_STATE, "code 4"},
        {flash::event_id::RELEASE_OUTSIDE, flash::MOUSE_UP_STATE, "code 5"},
        {flash::event_id::ROLL_OUT, flash::MOUSE_UP_STATE, "code 5"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(int(r.event));
        button_rig rig(false);
        rig.fire(flash::event_id::ROLL_OVER);
        rig.host.clear();
        rig.fire(r.event);
        EXPECT_EQ(rig.button->get_mouse_state(), r.state);
        EXPECT_EQ(rig.host, std::vector<std::string>{r.code});
    }
    button_rig rig(false);
    EXPECT_FALSE(rig.fire(flash::event_id::ENTER_FRAME));
    EXPECT_TRUE(rig.host.empty());
}

TEST(ButtonBehaviour, NamedSoundsAndEffectsGoToTheHostBySlot) {
    button_rig rig;
    rig.button->m_sound_names[flash::SOUND_ROLL_OVER] = "over_snd";
    rig.button->m_effect_names[flash::SOUND_ROLL_OVER] = "over_fx";
    rig.button->m_sound_names[flash::SOUND_RELEASE] = "up_snd";
    rig.button->m_effect_names[flash::SOUND_ROLL_OUT] = "out_fx";
    rig.fire(flash::event_id::ROLL_OVER);
    rig.fire(flash::event_id::PRESS);
    rig.fire(flash::event_id::RELEASE);
    rig.fire(flash::event_id::ROLL_OUT);
    EXPECT_EQ(rig.host, (std::vector<std::string>{"fx over_fx", "sound over_snd", "code 4", "sound default_btn_click",
                                                  "code 1", "sound up_snd", "code 4", "fx out_fx", "code 5"}));
}

TEST(ButtonBehaviour, KeyCodesFireAsTheKeyTableMapsThem) {
    button_rig rig;
    EXPECT_TRUE(rig.button->wants_key_events());
    for (int code = 0; code < 256; ++code) {
        rig.parent->queued.clear();
        const bool fired = rig.key(static_cast<uint8_t>(code));
        std::vector<int> expected;
        if (code == 13) expected = {2};
        if (code == 37) expected = {4};  // file code 1 is the left arrow
        if (code == 'a') expected = {5};
        EXPECT_EQ(rig.queued_actions(), expected) << code;
        EXPECT_EQ(fired, !expected.empty()) << code;
    }
    // Key events change no state and tell the host nothing.
    EXPECT_EQ(rig.button->get_mouse_state(), flash::MOUSE_UP_STATE);
    EXPECT_TRUE(rig.host.empty());
}

TEST(ButtonBehaviour, TheAllStateRecordIsDrawnLastAndAloneInEveryState) {
    for (uint8_t event : {flash::event_id::ROLL_OUT, flash::event_id::ROLL_OVER, flash::event_id::PRESS}) {
        button_rig rig(false);
        rig.fire(event);
        rig.log.clear();
        rig.button->display();
        const char* own = event == flash::event_id::PRESS ? "display down"
                          : event == flash::event_id::ROLL_OVER ? "display over" : "display up";
        EXPECT_EQ(rig.log, (std::vector<std::string>{own, "display all2"})) << int(event);
    }
}

TEST(ButtonBehaviour, OnlyActiveChildrenAdvanceAndHiddenButtonsDrawNothing) {
    button_rig rig(false);
    rig.log.clear();
    rig.button->advance(0.1f);
    EXPECT_EQ(rig.log, (std::vector<std::string>{"advance up", "advance all", "advance all2"}));
    rig.log.clear();
    rig.button->set_visible(false);
    rig.button->display();
    EXPECT_TRUE(rig.log.empty());
}

TEST(ButtonBehaviour, FirstFrameExecutionReachesEveryRecordsChildUnchanged) {
    button_rig rig;
    rig.log.clear();
    rig.button->execute_frame_tags_first(3, true);
    EXPECT_EQ(rig.log, (journal{"first up 3 state", "first over 3 state", "first all 3 state", "first down 3 state",
                                "first hit 3 state", "first all2 3 state"}));
    rig.log.clear();
    rig.button->execute_frame_tags_first(0, false);
    EXPECT_EQ(rig.log.size(), 6u);
    EXPECT_EQ(rig.log.front(), "first up 0 full");
}

TEST(ButtonBehaviour, OnlyHitRecordsAnswerTheHitTest) {
    button_rig rig(false);
    // The hit record is moved 1000 twips right; the shown records sit at 0..100.
    EXPECT_EQ(rig.button->get_topmost_mouse_entity(50, 50), nullptr);
    EXPECT_EQ(rig.button->get_topmost_mouse_entity(1050, 50), rig.button.get_ptr());
    flash::matrix moved;
    moved.m_[0][2] = 200;
    rig.button->set_matrix(moved);
    EXPECT_EQ(rig.button->get_topmost_mouse_entity(1050, 50), nullptr);
    EXPECT_EQ(rig.button->get_topmost_mouse_entity(1250, 50), rig.button.get_ptr());
    rig.button->set_visible(false);
    EXPECT_EQ(rig.button->get_topmost_mouse_entity(1250, 50), nullptr);
}

TEST(ButtonBehaviour, BoundsJoinTheActiveChildrenUnderTheButtonMatrix) {
    button_rig rig(false);
    flash::matrix moved;
    moved.m_[0][2] = 500;
    rig.button->set_matrix(moved);
    flash::rect r;
    rig.button->get_bound(&r);
    EXPECT_FLOAT_EQ(r.m_x_min, 500);
    EXPECT_FLOAT_EQ(r.m_x_max, 600);
}

TEST(ButtonBehaviour, DefinitionSoundsPlayOnlyWithoutASoundCallbackAndAnEnabledHandler) {
    movietest::recording_sound_handler handler;
    button_rig rig(false);
    // Give the definition sounds: press plays with 2 loops, release stops.
    flash::smart_ptr<flash::sound_sample> sample(new flash::sound_sample(7));
    rig.def->m_sound.reset(new flash::button_sound_def);
    flash::button_sound_entry* e = rig.def->m_sound->m_button_sounds;
    e[flash::BUTTON_SOUND_PRESS].m_sound_id = 9;
    e[flash::BUTTON_SOUND_PRESS].m_sample = sample;
    e[flash::BUTTON_SOUND_PRESS].m_sound_style.m_loop_count = 2;
    e[flash::BUTTON_SOUND_RELEASE].m_sound_id = 9;
    e[flash::BUTTON_SOUND_RELEASE].m_sample = sample;
    e[flash::BUTTON_SOUND_RELEASE].m_sound_style.m_stop_playback = true;
    rig.fire(flash::event_id::PRESS);
    rig.fire(flash::event_id::RELEASE);
    EXPECT_EQ(handler.calls, (std::vector<std::string>{"play 7 loops 2", "stop 7"}));

    handler.calls.clear();
    handler.enabled = false;
    rig.fire(flash::event_id::PRESS);
    EXPECT_TRUE(handler.calls.empty());

    handler.enabled = true;
    flash::register_sound_callback(&button_rig::on_sound);
    rig.fire(flash::event_id::PRESS);
    EXPECT_TRUE(handler.calls.empty());
}

TEST(ButtonBehaviour, NothingHappensWithoutALiveParent) {
    button_rig rig;
    rig.parent = nullptr;
    EXPECT_FALSE(rig.fire(flash::event_id::PRESS));
    EXPECT_TRUE(rig.host.empty());
    EXPECT_EQ(rig.button->get_mouse_state(), flash::MOUSE_UP_STATE);
}

TEST(ButtonBehaviour, ButtonsNamingEachOtherStopNesting) {
    movie_fixture f;
    swf::MovieWriter m(8);
    m.define_button2({false, {record(21, swf::button_up, 1)}, {}, {}}, button_id);
    m.define_button2({false, {record(button_id, swf::button_up, 1)}, {}, {}}, 21);
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("b.swf", m.finish_fws());
    flash::smart_ptr<flash::character> b(
        def->get_character_def(button_id)->create_character_instance(f.owner.get_ptr(), nullptr, button_id));
    ASSERT_NE(b.get_ptr(), nullptr);
    EXPECT_TRUE(f.log.has_error("nests buttons deeper")) << f.log.errors();
    b->display();
}

// Every instance under a button, the button included.
int instances_under(flash::character* ch) {
    auto* b = dynamic_cast<flash::button_character_instance*>(ch);
    if (!b) return ch ? 1 : 0;
    int n = 1;
    for (int i = 0; i < b->get_definition()->m_button_records.size(); ++i) n += instances_under(b->get_record_character(i));
    return n;
}

int lines_in(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

TEST(ButtonInstances, AButtonShowingItselfTwiceMakesABoundedTreeWithOneError) {
    // The fuzzer's movie: an empty stage and one DefineButton whose two records show the button
    // itself, with nothing after it.
    swf::MovieWriter m(8);
    m.frame_rect({0, 0, 0, 0});
    m.define_button({record(button_id, swf::button_up, 1), record(button_id, swf::button_up, 2)}, {}, button_id);
    const movietest::bytes movie = m.finish_fws();
    EXPECT_LE(movie.size(), 30u);
    movie_fixture f;
    flash::movie_def_impl* def = f.load("self.swf", movie);
    ASSERT_NE(def, nullptr);
    flash::smart_ptr<flash::character> b(
        def->get_character_def(button_id)->create_character_instance(f.owner.get_ptr(), nullptr, button_id));
    ASSERT_NE(b.get_ptr(), nullptr);
    const int made = instances_under(b.get_ptr());
    EXPECT_LE(made, 1024 + 1);
    EXPECT_GE(made, 33);  // the nesting bound alone is reached first
    EXPECT_EQ(lines_in(f.log.errors()), 1) << f.log.errors();
    // A second button made later has its own budget, and its own one ERROR.
    f.log.errors().clear();
    flash::smart_ptr<flash::character> again(
        def->get_character_def(button_id)->create_character_instance(f.owner.get_ptr(), nullptr, button_id));
    EXPECT_EQ(instances_under(again.get_ptr()), made);
    EXPECT_EQ(lines_in(f.log.errors()), 1) << f.log.errors();
}

TEST(ButtonInstances, ManySmallRecordsStopAtTheInstanceBound) {
    // Ten levels of buttons, each showing the next one four times: 4^10 instances asked for.
    swf::MovieWriter m(8);
    const uint16_t leaf = m.define_shape(swf::filled_rect(0, 0, 20, 20, {1, 2, 3, 255}), swf::tag_define_shape3, 100);
    uint16_t below = leaf;
    for (uint16_t level = 0; level < 10; ++level) {
        std::vector<swf::ButtonRecord> records;
        for (uint16_t k = 0; k < 4; ++k) records.push_back(record(below, swf::button_up, static_cast<uint16_t>(k + 1)));
        below = m.define_button2({false, records, {}, {}}, static_cast<uint16_t>(200 + level));
    }
    m.show_frame();
    m.end();
    movie_fixture f;
    flash::movie_def_impl* def = f.load("wide.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    flash::smart_ptr<flash::character> b(def->get_character_def(below)->create_character_instance(f.owner.get_ptr(), nullptr, below));
    EXPECT_EQ(instances_under(b.get_ptr()), 1024 + 1);
    EXPECT_EQ(f.log.errors(), "error: button 209 makes more than 1024 instances; the rest of its records show nothing\n");
}

// A one-frame clip in the up state: placing the button runs the clip's frame, so what the clip
// places is there before any mouse event.
TEST(ButtonInstances, AClipInAStateRunsItsFirstFrameWhenTheButtonIsPlaced) {
    swf::MovieWriter m(8);
    swf::SpriteWriter clip = m.sprite();
    const uint16_t box = spritetest::square(m, 0, 0, 10);
    clip.place_object2(swf::PlaceObject::place(1, box));
    clip.show_frame();
    const uint16_t clip_id = m.define_sprite(clip);
    m.define_button2({false, {record(clip_id, swf::button_up | swf::button_over, 1)}, {}, {}}, button_id);
    m.place_object2(swf::PlaceObject::place(1, button_id));
    m.show_frame();
    spritetest::playing_movie p(spritetest::finish(m));
    ASSERT_NE(p.top.get_ptr(), nullptr);
    auto* b = dynamic_cast<flash::button_character_instance*>(p.top->get_character(0));
    ASSERT_NE(b, nullptr);
    auto* inner = dynamic_cast<flash::sprite_instance*>(b->get_record_character(0));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->get_display_list()->size(), 1);
    p.advance(3);
    EXPECT_EQ(inner->get_display_list()->size(), 1);
    EXPECT_EQ(p.fixture.log.errors(), "");
}

// Every instance below ch, ch included: clips' display lists and buttons' records.
int tree_size(flash::character* ch) {
    if (!ch) return 0;
    int n = 1;
    if (flash::display_list* list = ch->get_display_list()) {
        for (int i = 0; i < list->size(); ++i) n += tree_size(list->get_character(i));
    } else if (auto* b = dynamic_cast<flash::button_character_instance*>(ch)) {
        for (int i = 0; i < b->get_definition()->m_button_records.size(); ++i) n += tree_size(b->get_record_character(i));
    }
    return n;
}

TEST(ButtonInstances, ClipsInAStatePlaceNoMoreThanTheButtonsInstanceBound) {
    // Eight clips, each placing the next one four times, the last a square: 4^8 instances asked
    // for by the clip in the button's up state, which nests only nine deep.
    swf::MovieWriter m(8);
    uint16_t below = spritetest::square(m, 0, 0, 10);
    for (int level = 0; level < 8; ++level) {
        swf::SpriteWriter clip = m.sprite();
        for (uint16_t depth = 1; depth <= 4; ++depth) clip.place_object2(swf::PlaceObject::place(depth, below));
        clip.show_frame();
        below = m.define_sprite(clip);
    }
    m.define_button2({false, {record(below, swf::button_up, 1)}, {}, {}}, button_id);
    m.place_object2(swf::PlaceObject::place(1, button_id));
    m.show_frame();
    spritetest::playing_movie p(spritetest::finish(m));
    ASSERT_NE(p.top.get_ptr(), nullptr);
    p.advance(3);
    auto* b = dynamic_cast<flash::button_character_instance*>(p.top->get_character(0));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(tree_size(b), 1024 + 1);
    EXPECT_EQ(p.fixture.log.errors(),
              "error: button " + std::to_string(button_id) + " makes more than 1024 instances; its clips place nothing more\n");
    // A button within the bound places every instance its clips ask for.
    swf::MovieWriter small(8);
    below = spritetest::square(small, 0, 0, 10);
    for (int level = 0; level < 4; ++level) {
        swf::SpriteWriter clip = small.sprite();
        for (uint16_t depth = 1; depth <= 4; ++depth) clip.place_object2(swf::PlaceObject::place(depth, below));
        clip.show_frame();
        below = small.define_sprite(clip);
    }
    small.define_button2({false, {record(below, swf::button_up, 1)}, {}, {}}, button_id);
    small.place_object2(swf::PlaceObject::place(1, button_id));
    small.show_frame();
    spritetest::playing_movie q(spritetest::finish(small));
    ASSERT_NE(q.top.get_ptr(), nullptr);
    q.advance(3);
    // The button, then 1 + 4 + 16 + 64 clips and 256 squares.
    EXPECT_EQ(tree_size(q.top->get_character(0)), 1 + 85 + 256);
    EXPECT_EQ(q.fixture.log.errors(), "");
}

TEST(ButtonInstances, AClipThatPlacesItsOwnButtonAgainStops) {
    constexpr uint16_t clip_id = 30;
    swf::MovieWriter m(8);
    swf::SpriteWriter clip = m.sprite();
    clip.place_object2(swf::PlaceObject::place(1, button_id));
    clip.show_frame();
    m.define_sprite(clip, clip_id);
    m.define_button2({false, {record(clip_id, swf::button_up, 1)}, {}, {}}, button_id);
    m.place_object2(swf::PlaceObject::place(1, clip_id));
    m.show_frame();
    spritetest::playing_movie p(spritetest::finish(m));
    ASSERT_NE(p.top.get_ptr(), nullptr);
    p.advance(2);
    EXPECT_TRUE(p.fixture.log.has_error("error: sprite 30 placed inside itself: nesting stopped\n")) << p.fixture.log.errors();
}

}  // namespace
