// Malformed button, text and sound tags, one row each: every load returns, logs what the row
// expects, keeps what it could read, and the characters it made can be placed, drawn, hit-tested
// and sent events without a fault (the sanitizers watch every row).
#include <gtest/gtest.h>

#include <algorithm>

#include "control_test_support.h"
#include "flash/base/bx_file.h"
#include "flash/movie/button.h"
#include "flash/movie/edit_text_character.h"
#include "flash/runtime/event_id.h"
#include "movie_fixture.h"
#include "movie_seeds.h"
#include "recording_sound_handler.h"
#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/tag_codes.h"

namespace {

using movietest::bytes;
using movietest::movie_fixture;

constexpr uint16_t id = 5;

struct tag {
    uint16_t code;
    bytes body;
};

struct row {
    const char* name;
    std::vector<tag> tags;
    const char* error;  // a part of the expected ERROR; "" when none is expected
};

bytes with_id(std::initializer_list<uint8_t> rest) {
    bytes out = {id, 0};
    out.insert(out.end(), rest);
    return out;
}

// A DefineButton2 body: menu byte, action offset, one up record at depth 1 naming id 1, the end
// byte, then the given tail.
bytes button2(uint16_t offset, std::initializer_list<uint8_t> tail) {
    bytes out = with_id({0, uint8_t(offset & 0xFF), uint8_t(offset >> 8), 0x09, 1, 0, 1, 0, 0, 0, 0});
    out.insert(out.end(), tail);
    return out;
}

std::vector<tag> tags(uint16_t code, const bytes& body) { return {tag{code, body}}; }
std::vector<tag> tags(uint16_t code1, const bytes& body1, uint16_t code2, const bytes& body2) {
    return {tag{code1, body1}, tag{code2, body2}};
}

std::vector<row> rows() {
    const bytes cut_actions = button2(12, {1, 0, 4, 0, 0, 2, 0, 8, 0, 0, 3, 0, 0x40, 0, 0});
    return {
        {"button2 offset past the tag", tags(swf::tag_define_button2, button2(200, {})), ""},
        {"button2 offset into itself", tags(swf::tag_define_button2, button2(1, {})), ""},
        {"button2 next offsets too small", tags(swf::tag_define_button2, cut_actions), ""},
        {"button2 records without an end", tags(swf::tag_define_button2, with_id({0, 0, 0, 0x0F, 1, 0, 1})), ""},
        {"button records without an end", tags(swf::tag_define_button, with_id({0x0F, 1, 0, 1, 0, 0x08})), ""},
        {"button sound for no character", tags(swf::tag_define_button_sound, with_id({1, 0, 0})), "which is not defined"},
        {"button sound for a text",
         tags(swf::tag_define_edit_text, with_id({0x00, 0, 0, 0}), swf::tag_define_button_sound, with_id({1, 0, 0})),
         "which is not a button"},
        {"button sound with a cut envelope",
         {{swf::tag_define_button2, button2(0, {})},
          {swf::tag_define_button_sound, with_id({0, 0, 9, 0, 0x20, 255, 1, 2})}},
         ""},
        {"sound header cut", tags(swf::tag_define_sound, with_id({0x3E})), ""},
        {"adpcm count past the data",
         tags(swf::tag_define_sound, with_id({0x16, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 0})), "define_sound_loader"},
        {"adpcm header cut inside a block", tags(swf::tag_define_sound, with_id({0x16, 2, 0, 0, 0, 0x80})),
         "define_sound_loader"},
        {"pcm count past the data", tags(swf::tag_define_sound, with_id({0x3E, 0x00, 0x10, 0, 0, 1, 2, 3})),
         "define_sound_loader"},
        {"start sound of no sound", tags(swf::tag_start_sound, with_id({0x10, 0, 0})), "start_sound_loader: sound_id 5"},
        {"start sound with a cut envelope",
         tags(swf::tag_define_sound, with_id({0x3E, 1, 0, 0, 0, 1, 2}), swf::tag_start_sound, with_id({0x20, 255, 1})),
         ""},
        {"edit text strings without an end", tags(swf::tag_define_edit_text, with_id({0x00, 0x80, 0x00, 'v', 'a', 'r'})), ""},
        {"edit text cut after the bounds", tags(swf::tag_define_edit_text, with_id({0x00})), ""},
        {"edit text flags of every field, no data", tags(swf::tag_define_edit_text, with_id({0x00, 0xFF, 0xFF})), ""},
        {"static text records without an end",
         tags(swf::tag_define_text, with_id({0, 0, 0, 0, 0x8F, 1, 0, 1, 2, 3})), ""},
        {"static text cut in the bounds", tags(swf::tag_define_text2, with_id({0xFF})), ""},
        {"text settings for no text", tags(swf::tag_csm_text_settings, with_id({0x40, 0, 0, 0})),
         "define_font_alignzones: can't find font w/ id 5"},
    };
}

TEST(MalformedControls, EveryRowLoadsLogsAndPlaysSafely) {
    for (const row& r : rows()) {
        SCOPED_TRACE(r.name);
        movie_fixture f;
        movietest::recording_sound_handler handler;
        swf::MovieWriter m(8);
        for (const tag& t : r.tags) m.tag(t.code, t.body);
        m.show_frame();
        m.end();
        flash::movie_def_impl* def = f.load("bad.swf", m.finish_fws());
        ASSERT_NE(def, nullptr);
        if (r.error[0]) {
            EXPECT_TRUE(f.log.has_error(r.error)) << f.log.errors();
        } else {
            EXPECT_TRUE(f.log.errors().empty()) << f.log.errors();
        }
        // Whatever was made must behave.
        def->add_character(1, new movietest::journal_def(nullptr, movietest::box(0, 10, 0, 10), "child"));
        flash::character_def* made = def->get_character_def(id);
        if (!made) continue;
        flash::smart_ptr<movietest::action_parent> parent(new movietest::action_parent(f.owner.get_ptr()));
        flash::smart_ptr<flash::character> ch(made->create_character_instance(f.owner.get_ptr(), parent.get_ptr(), id));
        ASSERT_NE(ch.get_ptr(), nullptr);
        for (uint8_t e = flash::event_id::PRESS; e <= flash::event_id::KEY_PRESS; ++e) ch->on_event(flash::event_id(e, uint8_t{8}));
        ch->advance(0.1f);
        flash::rect bound;
        ch->get_bound(&bound);
        ch->get_topmost_mouse_entity(5, 5);
    }
}

TEST(MalformedControls, ButtonActionOffsetsAlwaysMoveForward) {
    movie_fixture f;
    swf::MovieWriter m(8);
    m.tag(swf::tag_define_button2, button2(12, {1, 0, 4, 0, 0, 2, 0, 8, 0, 0, 3, 0, 0x40, 0, 0}));
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("b.swf", m.finish_fws());
    auto* b = static_cast<flash::button_character_definition*>(def->get_character_def(id));
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->m_button_records.size(), 1);
    // Each action starts past the one before; the list ends within the tag.
    EXPECT_GE(b->m_button_actions.size(), 1);
    EXPECT_LE(b->m_button_actions.size(), 15);
}

// The bytes of a CWS movie read through a file that counts what its readers take.
struct counted_movie {
    bytes data;
    int position = 0;
    long long taken = 0;
};
counted_movie* g_counted = nullptr;

flash::bx_file* open_counted(const char*) {
    struct cb {
        static int read(void* dst, int n, void*) {
            counted_movie& c = *g_counted;
            const int got = std::min(n, static_cast<int>(c.data.size()) - c.position);
            std::copy(c.data.begin() + c.position, c.data.begin() + c.position + got, static_cast<uint8_t*>(dst));
            c.position += got;
            c.taken += got;
            return got;
        }
        static int seek(int at, void*) {
            if (at < 0 || at > static_cast<int>(g_counted->data.size())) return flash::bx_file::SEEK_FAILED;
            g_counted->position = at;
            return flash::bx_file::NO_ERROR;
        }
        static int tell(const void*) { return g_counted->position; }
        static bool eof(void*) { return g_counted->position >= static_cast<int>(g_counted->data.size()); }
    };
    g_counted->position = 0;
    return new flash::bx_file(g_counted, cb::read, nullptr, cb::seek, nullptr, cb::tell, cb::eof, nullptr);
}

TEST(MalformedControls, ACompressedButtonWhoseActionsStepBackIsInflatedOnce) {
    // Data that does not compress, then a DefineButton2 whose every action offset (2) is below
    // the action header (4): each action steps the reader back by two bytes.
    constexpr int records = 300;
    bytes noise(1 << 20);
    uint32_t x = 7;
    for (uint8_t& b : noise) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(x >> 24);
    }
    bytes body = with_id({0, 3, 0, 0});  // menu, action offset 3, no records
    for (int i = 0; i < records; ++i) body.insert(body.end(), {2, 0});
    body.insert(body.end(), {0, 0, 8, 0, 0});
    swf::MovieWriter m(8);
    constexpr uint16_t define_binary_data = 87;  // read by no loader: skipped by its length
    m.tag(define_binary_data, noise);
    m.tag(swf::tag_define_button2, body);
    m.show_frame();
    m.end();
    counted_movie movie;
    movie.data = swf::to_cws(m.finish_fws());
    g_counted = &movie;
    movie_fixture f;
    flash::register_file_opener_callback(open_counted);
    flash::movie_definition_sub* def = f.owner->create_movie("steps.swf");
    ASSERT_NE(def, nullptr);
    auto* b = static_cast<flash::button_character_definition*>(def->get_character_def(id));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->m_button_actions.size(), records + 1);
    // The compressed file is read once, not once more per step back.
    EXPECT_LE(movie.taken, static_cast<long long>(movie.data.size()) + 8192);
    g_counted = nullptr;
}

TEST(MalformedControls, EditTextStringsStopAtTheTagEnd) {
    movie_fixture f;
    swf::MovieWriter m(8);
    m.tag(swf::tag_define_edit_text, with_id({0x00, 0x80, 0x00, 'v', 'a', 'r'}));
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("t.swf", m.finish_fws());
    auto* t = static_cast<flash::edit_text_character_def*>(def->get_character_def(id));
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->m_default_name.c_str(), "var");
    EXPECT_STREQ(t->m_default_text.c_str(), "");
}


// The fuzz corpus's control movie is whole: it reads without an ERROR and holds what it names.
TEST(ControlSeed, ReadsCleanlyWithButtonsFieldsAndSounds) {
    const movietest::bytes seed = movietest::fuzz_seeds().back();
    movie_fixture f;
    movietest::recording_sound_handler handler;
    flash::movie_def_impl* def = f.load("seed.swf", seed);
    ASSERT_NE(def, nullptr);
    EXPECT_TRUE(f.log.errors().empty()) << f.log.errors();
    int buttons = 0, fields = 0, texts = 0;
    for (auto it = def->get_characters().begin(); it != def->get_characters().end(); ++it) {
        buttons += it.get_value()->is(flash::character_def::BUTTON_CHARACTER_DEFINITION);
        fields += it.get_value()->is(flash::character_def::EDIT_TEXT_CHARACTER_DEF);
        texts += it.get_value()->is(flash::character_def::TEXT_CHARACTER_DEF);
    }
    EXPECT_EQ(buttons, 2);
    EXPECT_EQ(fields, 2);
    EXPECT_EQ(texts, 1);
    EXPECT_EQ(handler.created.size(), 3u);
}

}  // namespace
