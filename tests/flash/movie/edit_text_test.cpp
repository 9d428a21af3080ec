// Text fields: what DefineEditText and DefineText give, the variable binding, typing on character
// boundaries, focus, members, setTextFormat, the border box and the host's drawing callback.
#include <gtest/gtest.h>

#include "flash/movie/edit_text_character.h"
#include "flash/movie/text.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/event_id.h"
#include "flash/runtime/method_call.h"
#include "flash/movie/host_callbacks.h"
#include "movie_fixture.h"
#include "recording_render_handler.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using movietest::movie_fixture;
using flash::edit_text_character;
using flash::edit_text_character_def;

constexpr uint16_t text_id = 3;

// 10..110 by 20..220 twips, with fractions that drawing truncates.
flash::rect movietest_box() {
    flash::rect r;
    r.m_x_min = 10.4f;
    r.m_x_max = 110.9f;
    r.m_y_min = 20.0f;
    r.m_y_max = 220.5f;
    return r;
}

edit_text_character_def* read_edit_text(movie_fixture& f, const swf::EditText& t) {
    swf::MovieWriter m(8);
    m.define_edit_text(t, text_id);
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("t.swf", m.finish_fws());
    flash::character_def* c = def ? def->get_character_def(text_id) : nullptr;
    return c && c->is(flash::character_def::EDIT_TEXT_CHARACTER_DEF) ? static_cast<edit_text_character_def*>(c) : nullptr;
}

TEST(EditTextReading, EveryOptionalFieldDecodes) {
    swf::EditText plain;
    plain.bounds = {-20, 2000, 10, 400};
    swf::EditText full = plain;
    full.word_wrap = full.multiline = full.password = full.read_only = true;
    full.auto_size = full.no_select = full.border = full.html = full.use_outlines = true;
    full.font_id = 12;
    full.font_height = 360;
    full.color = swf::Rgba{10, 20, 30, 40};
    full.max_length = 9;
    full.layout = swf::TextLayout{swf::align_center, 11, 12, -13, -14};
    full.variable_name = "score";
    full.initial_text = "héllo";
    swf::EditText only_text = plain;
    only_text.initial_text = "x";
    swf::EditText only_layout = plain;
    only_layout.layout = swf::TextLayout{swf::align_justify, 1, 2, 3, 4};

    movie_fixture f;
    const edit_text_character_def* d = read_edit_text(f, plain);
    ASSERT_NE(d, nullptr);
    EXPECT_FLOAT_EQ(d->m_rect.m_x_min, -20);
    EXPECT_FLOAT_EQ(d->m_rect.m_x_max, 2000);
    EXPECT_FLOAT_EQ(d->m_rect.m_y_max, 400);
    EXPECT_FALSE(d->m_word_wrap || d->m_multiline || d->m_password || d->m_readonly || d->m_auto_size ||
                 d->m_no_select || d->m_border || d->m_html || d->m_use_outlines);
    EXPECT_EQ(d->m_font_id, -1);
    EXPECT_FLOAT_EQ(d->m_text_height, 240);
    EXPECT_TRUE(d->m_color == flash::rgba(0, 0, 0, 255));
    EXPECT_EQ(d->m_max_length, 0);
    EXPECT_EQ(d->m_alignment, 0);
    EXPECT_STREQ(d->m_default_name.c_str(), "");
    EXPECT_STREQ(d->m_default_text.c_str(), "");

    movie_fixture g;
    d = read_edit_text(g, full);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->m_word_wrap && d->m_multiline && d->m_password && d->m_readonly && d->m_auto_size &&
                d->m_no_select && d->m_border && d->m_html && d->m_use_outlines);
    EXPECT_EQ(d->m_font_id, 12);
    EXPECT_FLOAT_EQ(d->m_text_height, 360);
    EXPECT_TRUE(d->m_color == flash::rgba(10, 20, 30, 40));
    EXPECT_EQ(d->m_max_length, 9);
    EXPECT_EQ(d->m_alignment, 2);
    EXPECT_FLOAT_EQ(d->m_left_margin, 11);
    EXPECT_FLOAT_EQ(d->m_right_margin, 12);
    EXPECT_FLOAT_EQ(d->m_indent, -13);
    EXPECT_FLOAT_EQ(d->m_leading, -14);
    EXPECT_STREQ(d->m_default_name.c_str(), "score");
    EXPECT_STREQ(d->m_default_text.c_str(), "héllo");

    movie_fixture h;
    d = read_edit_text(h, only_text);
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->m_default_text.c_str(), "x");
    EXPECT_EQ(d->m_alignment, 0);

    movie_fixture k;
    d = read_edit_text(k, only_layout);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->m_alignment, 3);
    EXPECT_FLOAT_EQ(d->m_leading, 4);
    EXPECT_STREQ(d->m_default_text.c_str(), "");
}

TEST(StaticText, IsReadAndSkippedAndDrawsNothing) {
    movie_fixture f;
    movietest::recording_render_handler render;
    // Bounds, identity matrix, glyph and advance bits, one style record (font, colour, offsets,
    // height), one glyph record, the end byte.
    swf::BitWriter w;
    w.u16(text_id);
    swf::write_rect(w, {0, 100, 0, 100});
    swf::write_matrix(w, {});
    w.u8(4);
    w.u8(4);
    w.u8(0x8F);
    w.u16(1);
    swf::write_rgb(w, {1, 2, 3});
    w.u16(5);
    w.u16(6);
    w.u16(240);
    w.u8(0x01);
    w.u8(0x55);
    w.u8(0);
    swf::MovieWriter m(8);
    m.tag(11, w.take());
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("s.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    flash::character_def* c = def->get_character_def(text_id);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->is(flash::character_def::TEXT_CHARACTER_DEF));
    EXPECT_FLOAT_EQ(c->get_bound().m_x_max, 100);
    flash::smart_ptr<flash::character> ch(c->create_character_instance(f.owner.get_ptr(), nullptr, text_id));
    ch->display();
    EXPECT_TRUE(render.calls.empty());
    EXPECT_EQ(ch->get_topmost_mouse_entity(50, 50), nullptr);
    EXPECT_TRUE(f.log.errors().empty()) << f.log.errors();
}

// A field over a run-time definition inside a plain parent character.
struct field_rig {
    movie_fixture f;
    flash::smart_ptr<flash::character> parent{new flash::character(f.owner.get_ptr())};
    flash::smart_ptr<edit_text_character_def> def{new edit_text_character_def(100, 20)};

    flash::smart_ptr<edit_text_character> make(const char* variable = "") {
        def->m_default_name = variable;
        return flash::smart_ptr<edit_text_character>(
            static_cast<edit_text_character*>(def->create_character_instance(f.owner.get_ptr(), parent.get_ptr(), 1)));
    }
    void set(const char* name, const flash::as_value& v) { parent->set_member(flash::bx_stringi(name), v); }
};

TEST(TextFieldBinding, ANumberShowsAsTextAfterAnAdvanceAndLaterChangesFollow) {
    field_rig rig;
    rig.set("score", flash::as_value(3));
    flash::smart_ptr<edit_text_character> field = rig.make("score");
    EXPECT_STREQ(field->m_text.c_str(), "3");
    rig.set("score", flash::as_value("abc"));
    EXPECT_STREQ(field->m_text.c_str(), "3");
    field->advance(0.1f);
    EXPECT_STREQ(field->m_text.c_str(), "abc");
    // Writing the text never writes the variable.
    field->set_text("typed");
    flash::as_value v;
    rig.parent->get_member(flash::bx_stringi("score"), &v);
    EXPECT_STREQ(v.to_string(), "abc");
}

TEST(TextFieldBinding, ADeadParentOrAMissingVariableKeepsTheText) {
    field_rig rig;
    rig.def->m_default_text = "start";
    flash::smart_ptr<edit_text_character> field = rig.make("missing");
    field->advance(0.1f);
    EXPECT_STREQ(field->m_text.c_str(), "start");
    rig.set("missing", flash::as_value("now"));
    rig.parent = nullptr;
    field->advance(0.1f);
    EXPECT_STREQ(field->m_text.c_str(), "start");
}

TEST(TextFieldBinding, SelfReferenceIsIgnoredAndMutualBindingEnds) {
    field_rig rig;
    rig.def->m_default_text = "mine";
    flash::smart_ptr<edit_text_character> self = rig.make("me");
    rig.set("me", flash::as_value(static_cast<flash::as_object*>(self.get_ptr())));
    self->advance(0.1f);
    EXPECT_STREQ(self->m_text.c_str(), "mine");

    flash::smart_ptr<edit_text_character_def> def_b(new edit_text_character_def(10, 10));
    def_b->m_default_name = "a";
    def_b->m_default_text = "B";
    rig.def->m_default_text = "A";
    flash::smart_ptr<edit_text_character> a = rig.make("b");
    flash::smart_ptr<edit_text_character> b(static_cast<edit_text_character*>(
        def_b->create_character_instance(rig.f.owner.get_ptr(), rig.parent.get_ptr(), 2)));
    rig.set("a", flash::as_value(static_cast<flash::as_object*>(a.get_ptr())));
    rig.set("b", flash::as_value(static_cast<flash::as_object*>(b.get_ptr())));
    b->advance(0.1f);
    a->advance(0.1f);
    // The ring is read once around and stops at the field that started it, whose text both
    // then show.
    EXPECT_STREQ(a->m_text.c_str(), "B");
    EXPECT_STREQ(b->m_text.c_str(), "B");
}

TEST(TextFieldText, MaximumLengthCutsOnCharacterBoundaries) {
    struct row {
        const char* text;
        const char* kept;
    };
    // "é" and "ü" are two bytes, "€" three.
    const row rows[] = {{"abcdefgh", "abcde"}, {"ééé", "éé"}, {"a€€", "a€"}, {"ab€", "ab€"}, {"abcd€", "abcd"}, {"üü", "üü"}};
    for (const row& r : rows) {
        field_rig rig;
        rig.def->m_max_length = 5;
        flash::smart_ptr<edit_text_character> field = rig.make();
        field->m_cursor = 8;
        field->set_text(r.text);
        EXPECT_STREQ(field->m_text.c_str(), r.kept) << r.text;
        EXPECT_EQ(field->m_cursor, field->m_text.length()) << r.text;
    }
}

TEST(TextFieldTyping, KeysEditAsTheTableSays) {
    struct row {
        const char* start;
        int cursor;
        int key;
        const char* text;
        int cursor_after;
    };
    const row rows[] = {
        {"", 0, 'a', "a", 1},         {"", 0, '7', "7", 1},          {"", 0, 'Z', "Z", 1},
        {"", 0, '.', "", 0},          {"", 0, ' ', "", 0},           {"", 0, '!', "", 0},
        {"ab", 1, 'x', "axb", 2},     {"ab", 2, 8, "a", 1},          {"ab", 0, 8, "ab", 0},
        {"ab", 0, 46, "b", 0},        {"ab", 2, 46, "ab", 2},        {"aéb", 3, 8, "ab", 1},
        {"aéb", 1, 46, "ab", 1},      {"€", 3, 8, "", 0},            {"aé", 1, 39, "aé", 3},
        {"aé", 3, 37, "aé", 1},       {"ab", 0, 37, "ab", 0},        {"ab", 2, 39, "ab", 2},
        {"abc", 1, 35, "abc", 3},     {"abc", 1, 33, "abc", 3},      {"abc", 1, 40, "abc", 3},
        {"abc", 2, 36, "abc", 0},     {"abc", 2, 34, "abc", 0},      {"abc", 2, 38, "abc", 0},
        {"abc", 9, 8, "ab", 2},       {"aé", 2, 'x', "axé", 2},      {"ab", -3, 46, "b", 0},
        {"ab", -1, 'x', "xab", 1},
    };
    for (const row& r : rows) {
        field_rig rig;
        flash::smart_ptr<edit_text_character> field = rig.make();
        field->set_text(r.start);
        field->m_cursor = r.cursor;
        EXPECT_FALSE(field->on_event(flash::event_id(flash::event_id::KEY_PRESS, static_cast<uint8_t>(r.key))));
        EXPECT_STREQ(field->m_text.c_str(), r.text) << r.start << " key " << r.key;
        EXPECT_EQ(field->m_cursor, r.cursor_after) << r.start << " key " << r.key;
    }
}

TEST(TextFieldTyping, LocksAndLimitsStopInsertionButNotEditing) {
    field_rig rig;
    flash::smart_ptr<edit_text_character> field = rig.make();
    field->m_typing_locked = true;
    field->on_event(flash::event_id(flash::event_id::KEY_PRESS, uint8_t{'a'}));
    EXPECT_STREQ(field->m_text.c_str(), "");
    field->m_typing_locked = false;
    field->m_max_chars = 2;
    for (char c : std::string("abc")) field->on_event(flash::event_id(flash::event_id::KEY_PRESS, uint8_t(c)));
    EXPECT_STREQ(field->m_text.c_str(), "ab");
    field->on_event(flash::event_id(flash::event_id::KEY_PRESS, uint8_t{8}));
    EXPECT_STREQ(field->m_text.c_str(), "a");
}

TEST(TextFieldTyping, AReadOnlyFieldIgnoresKeysAndFocus) {
    field_rig rig;
    rig.def->m_readonly = true;
    flash::smart_ptr<edit_text_character> field = rig.make();
    field->set_text("ab");
    field->m_cursor = 2;
    EXPECT_FALSE(field->on_event(flash::event_id(flash::event_id::SETFOCUS)));
    EXPECT_FALSE(field->m_has_focus);
    EXPECT_FALSE(field->on_event(flash::event_id(flash::event_id::KEY_PRESS, uint8_t{'x'})));
    EXPECT_FALSE(field->on_event(flash::event_id(flash::event_id::KEY_PRESS, uint8_t{8})));
    EXPECT_STREQ(field->m_text.c_str(), "ab");
}

std::vector<std::string> g_focus_calls;
void on_set_focus(const flash::fn_call& fn) {
    g_focus_calls.push_back(std::string("set ") + (fn.this_object ? "this" : "null") + " " + std::to_string(fn.arg_count));
}
void on_kill_focus(const flash::fn_call&) { g_focus_calls.push_back("kill"); }

TEST(TextFieldFocus, FocusCallsTheHandlersOnceAndPutsTheCursorAtTheEnd) {
    field_rig rig;
    flash::smart_ptr<edit_text_character> field = rig.make();
    field->set_member(flash::bx_stringi("onSetFocus"), flash::as_value(on_set_focus));
    field->set_member(flash::bx_stringi("onKillFocus"), flash::as_value(on_kill_focus));
    field->set_text("abc");
    g_focus_calls.clear();
    EXPECT_TRUE(field->on_event(flash::event_id(flash::event_id::SETFOCUS)));
    EXPECT_TRUE(field->m_has_focus);
    EXPECT_EQ(field->m_cursor, 3);
    EXPECT_TRUE(field->on_event(flash::event_id(flash::event_id::SETFOCUS)));
    EXPECT_TRUE(field->on_event(flash::event_id(flash::event_id::KILLFOCUS)));
    EXPECT_FALSE(field->m_has_focus);
    EXPECT_FALSE(field->on_event(flash::event_id(flash::event_id::KILLFOCUS)));
    EXPECT_EQ(g_focus_calls, (std::vector<std::string>{"set this 1", "kill"}));
}

std::vector<int> g_codes;
void on_code(flash::character*, int code) { g_codes.push_back(code); }

TEST(TextFieldFocus, PointerEventsReportTheirCodesEvenWhenReadOnly) {
    field_rig rig;
    rig.def->m_readonly = true;
    flash::smart_ptr<edit_text_character> field = rig.make();
    EXPECT_FALSE(field->can_handle_mouse_event());
    field->m_event_callback = on_code;
    EXPECT_TRUE(field->can_handle_mouse_event());
    g_codes.clear();
    for (uint8_t id : {flash::event_id::PRESS, flash::event_id::DRAG_OVER, flash::event_id::RELEASE,
                       flash::event_id::ROLL_OVER, flash::event_id::DRAG_OUT, flash::event_id::RELEASE_OUTSIDE,
                       flash::event_id::ROLL_OUT, flash::event_id::ENTER_FRAME}) {
        EXPECT_FALSE(field->on_event(flash::event_id(id)));
    }
    EXPECT_EQ(g_codes, (std::vector<int>{1, 1, 4, 4, 4, 5, 5}));
}

TEST(TextFieldMembers, ReadAndWriteTheFieldAndItsDefinition) {
    field_rig rig;
    flash::smart_ptr<edit_text_character> a = rig.make();
    flash::smart_ptr<edit_text_character> b = rig.make();
    flash::as_value v;
    ASSERT_TRUE(a->get_member(flash::bx_stringi("type"), &v));
    EXPECT_STREQ(v.to_string(), "input");
    // "type" is the shared definition's: both instances turn read-only.
    a->set_member(flash::bx_stringi("type"), flash::as_value("dynamic"));
    b->get_member(flash::bx_stringi("type"), &v);
    EXPECT_STREQ(v.to_string(), "dynamic");
    a->set_member(flash::bx_stringi("type"), flash::as_value("other"));
    EXPECT_TRUE(rig.def->m_readonly);
    a->set_member(flash::bx_stringi("type"), flash::as_value("input"));
    EXPECT_FALSE(rig.def->m_readonly);

    a->set_member(flash::bx_stringi("text"), flash::as_value(12.5));
    EXPECT_STREQ(a->m_text.c_str(), "12.5");
    a->get_member(flash::bx_stringi("text"), &v);
    EXPECT_STREQ(v.to_string(), "12.5");
    a->set_member(flash::bx_stringi("textColor"), flash::as_value(0x102030));
    EXPECT_TRUE(a->m_color == flash::rgba(0x10, 0x20, 0x30, 255));
    a->get_member(flash::bx_stringi("textColor"), &v);
    EXPECT_EQ(v.to_number(), 0x102030);
    a->set_member(flash::bx_stringi("backgroundColor"), flash::as_value(0xFF00FF));
    a->get_member(flash::bx_stringi("backgroundColor"), &v);
    EXPECT_EQ(v.to_number(), 0xFF00FF);
    a->set_member(flash::bx_stringi("border"), flash::as_value(true));
    EXPECT_TRUE(rig.def->m_border);
    b->get_member(flash::bx_stringi("border"), &v);
    EXPECT_TRUE(v.to_bool());
    a->set_member(flash::bx_stringi("multiline"), flash::as_value(true));
    a->set_member(flash::bx_stringi("wordWrap"), flash::as_value(true));
    EXPECT_TRUE(rig.def->m_multiline && rig.def->m_word_wrap);
    a->get_member(flash::bx_stringi("textWidth"), &v);
    EXPECT_EQ(v.to_number(), 0);
    EXPECT_TRUE(a->is(flash::as_object::EDIT_TEXT));
    EXPECT_TRUE(a->is(flash::as_object::CHARACTER));
}

// A TextFormat stand-in: the field only asks is() and the members.
class text_format : public flash::as_object {
public:
    explicit text_format(flash::engine_instance* owner) : flash::as_object(owner) {}
    bool is(int id) const override { return id == TEXT_FORMAT || flash::as_object::is(id); }
};

void call_set_text_format(edit_text_character* field, const std::vector<flash::as_value>& args) {
    flash::as_value method;
    ASSERT_TRUE(field->get_member(flash::bx_stringi("setTextFormat"), &method));
    flash::call_with_args(field->get_player(), method, flash::as_value(static_cast<flash::as_object*>(field)),
                          args.data(), static_cast<int>(args.size()));
}

TEST(TextFieldFormat, SetTextFormatCopiesTheFormatIntoTheFieldOnly) {
    field_rig rig;
    flash::smart_ptr<edit_text_character> field = rig.make();
    flash::smart_ptr<text_format> format(new text_format(rig.f.owner.get_ptr()));
    format->set_member(flash::bx_stringi("leftMargin"), flash::as_value(2));
    format->set_member(flash::bx_stringi("indent"), flash::as_value(3));
    format->set_member(flash::bx_stringi("rightMargin"), flash::as_value(4));
    format->set_member(flash::bx_stringi("leading"), flash::as_value(5));
    format->set_member(flash::bx_stringi("color"), flash::as_value(0xFF8000));
    format->set_member(flash::bx_stringi("size"), flash::as_value(18));
    format->set_member(flash::bx_stringi("align"), flash::as_value("center"));
    call_set_text_format(field.get_ptr(), {flash::as_value(static_cast<flash::as_object*>(format.get_ptr()))});
    EXPECT_FLOAT_EQ(field->m_left_margin, 40);
    EXPECT_FLOAT_EQ(field->m_indent, 60);
    EXPECT_FLOAT_EQ(field->m_right_margin, 80);
    EXPECT_FLOAT_EQ(field->m_leading, 100);
    EXPECT_TRUE(field->m_color == flash::rgba(255, 128, 0, 255));
    EXPECT_FLOAT_EQ(field->m_text_height, 360);
    EXPECT_EQ(field->m_alignment, 2);
    EXPECT_FLOAT_EQ(rig.def->m_text_height, 240);
    EXPECT_FLOAT_EQ(rig.def->m_left_margin, 0);

    const std::pair<const char*, int> aligns[] = {{"right", 1}, {"justify", 3}, {"middle", 3}, {"left", 0}};
    for (const auto& [name, expected] : aligns) {
        flash::smart_ptr<text_format> only_align(new text_format(rig.f.owner.get_ptr()));
        only_align->set_member(flash::bx_stringi("align"), flash::as_value(name));
        call_set_text_format(field.get_ptr(), {flash::as_value(static_cast<flash::as_object*>(only_align.get_ptr()))});
        EXPECT_EQ(field->m_alignment, expected) << name;
        EXPECT_FLOAT_EQ(field->m_left_margin, 40);  // absent members are left alone
    }
}

TEST(TextFieldFormat, WrongArgumentsChangeNothing) {
    field_rig rig;
    flash::smart_ptr<edit_text_character> field = rig.make();
    flash::smart_ptr<text_format> format(new text_format(rig.f.owner.get_ptr()));
    format->set_member(flash::bx_stringi("size"), flash::as_value(30));
    flash::smart_ptr<flash::as_object> plain(new flash::as_object(rig.f.owner.get_ptr()));
    plain->set_member(flash::bx_stringi("size"), flash::as_value(30));
    const flash::as_value fmt(static_cast<flash::as_object*>(format.get_ptr()));
    call_set_text_format(field.get_ptr(), {fmt, fmt});
    call_set_text_format(field.get_ptr(), {flash::as_value(static_cast<flash::as_object*>(plain.get_ptr()))});
    call_set_text_format(field.get_ptr(), {flash::as_value(30)});
    call_set_text_format(field.get_ptr(), {});
    EXPECT_FLOAT_EQ(field->m_text_height, 240);
    // Called on something that is no field.
    flash::as_value method;
    field->get_member(flash::bx_stringi("setTextFormat"), &method);
    flash::call_with_args(rig.f.owner.get_ptr(), method, flash::as_value(static_cast<flash::as_object*>(plain.get_ptr())),
                          {fmt});
    EXPECT_FLOAT_EQ(field->m_text_height, 240);
}

std::vector<edit_text_character*> g_drawn;
void on_draw(edit_text_character* field) { g_drawn.push_back(field); }

TEST(TextFieldDisplay, TheBorderBoxComesFirstThenOneDrawingCallPerShownField) {
    field_rig rig;
    movietest::recording_render_handler render;
    flash::register_drawtext_callback(on_draw);
    rig.def->m_rect = movietest_box();
    flash::smart_ptr<edit_text_character> a = rig.make();
    flash::smart_ptr<edit_text_character> b = rig.make();
    g_drawn.clear();
    a->display();
    b->display();
    EXPECT_EQ(g_drawn, (std::vector<edit_text_character*>{a.get_ptr(), b.get_ptr()}));
    EXPECT_TRUE(render.calls.empty());

    rig.def->m_border = true;
    a->m_background_color = flash::rgba(1, 2, 3, 4);
    g_drawn.clear();
    a->display();
    EXPECT_EQ(g_drawn.size(), 1u);
    EXPECT_EQ(render.call_names(), "matrix\nfill_color 1,2,3,4\nmesh_strip\nline_color 0,0,0,255\nline_width\nline_strip\n");
    EXPECT_EQ(render.calls[2].coords, (std::vector<int32_t>{10, 20, 110, 20, 10, 220, 110, 220}));
    EXPECT_EQ(render.calls[5].coords, (std::vector<int32_t>{10, 20, 110, 20, 110, 220, 10, 220, 10, 20}));

    g_drawn.clear();
    b->set_visible(false);
    b->display();
    EXPECT_TRUE(g_drawn.empty());
    flash::register_drawtext_callback(nullptr);
}

TEST(TextFieldDisplay, TheHitTestTakesTheBoundsWithTheirEdges) {
    field_rig rig;
    rig.def->m_rect = movietest_box();
    rig.def->m_rect.m_x_min = 10.0f;
    rig.def->m_rect.m_x_max = 110.0f;
    flash::smart_ptr<edit_text_character> field = rig.make();
    flash::matrix moved;
    moved.m_[0][2] = 1000;
    field->set_matrix(moved);
    EXPECT_EQ(field->get_topmost_mouse_entity(1010, 20), field.get_ptr());
    EXPECT_EQ(field->get_topmost_mouse_entity(1110, 220.5f), field.get_ptr());
    EXPECT_EQ(field->get_topmost_mouse_entity(1111, 220), nullptr);
    EXPECT_EQ(field->get_topmost_mouse_entity(110, 20), nullptr);
}


TEST(TextFieldScript, TheGlobalTextFieldMakesAnEmptyFieldWithoutAParent) {
    movie_fixture f;
    flash::as_value ctor;
    ASSERT_TRUE(f.owner->get_global()->get_member(flash::bx_stringi("TextField"), &ctor));
    const flash::as_value made = flash::call_with_args(f.owner.get_ptr(), ctor, flash::as_value());
    auto* field = flash::cast_to<edit_text_character>(made.to_object());
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->get_parent(), nullptr);
    EXPECT_EQ(field->get_id(), 0);
    EXPECT_FLOAT_EQ(field->get_definition()->m_rect.m_x_max, 0.0f);
    EXPECT_STREQ(field->m_text.c_str(), "");
    field->set_member(flash::bx_stringi("text"), flash::as_value("made"));
    EXPECT_STREQ(field->m_text.c_str(), "made");
}

}  // namespace
