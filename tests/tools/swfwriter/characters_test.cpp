// Buttons, button sounds, sounds and edit texts.
#include <gtest/gtest.h>

#include <functional>

#include "tests/tools/swfwriter/bit_strings.h"
#include "tools/swfwriter/tag_writer.h"

using namespace swf;

namespace {

TEST(SwfSound, DefineSoundAndStartSound) {
    TagWriter t(8);
    Sound pcm;
    pcm.sample_count = 2;
    pcm.data = {1, 2, 3, 4};
    EXPECT_EQ(t.define_sound(pcm), 1);
    // Format 3, rate 2, 16-bit, mono: 0011 10 1 0.
    EXPECT_EQ(t.bytes(), (Bytes{0x8B, 0x03, 0x01, 0x00, 0x3A, 0x02, 0x00, 0x00, 0x00, 1, 2, 3, 4}));

    Sound adpcm;
    adpcm.format = sound_adpcm;
    adpcm.rate = rate_44100;
    adpcm.sixteen_bit = false;
    adpcm.stereo = true;
    EXPECT_EQ(define_sound_body(9, adpcm)[2], 0x1D);  // 0001 11 0 1

    struct Case {
        const char* what;
        SoundInfo info;
        Bytes expected;
    };
    SoundInfo full;
    full.stop = true;
    full.no_multiple = true;
    full.in_point = 0x10;
    full.out_point = 0x20;
    full.loops = 3;
    full.envelope = std::vector<EnvelopePoint>{{5, 0x100, 0x200}};
    SoundInfo looping;
    looping.loops = 2;
    const Case cases[] = {
        {"no options", {}, {0xC3, 0x03, 0x01, 0x00, 0x00}},
        {"loops only", looping, {0xC5, 0x03, 0x01, 0x00, 0x04, 0x02, 0x00}},
        {"every option, in record order", full, {0xD6, 0x03, 0x01, 0x00, 0x3F, 0x10, 0,    0,    0,
                                                 0x20, 0,    0,    0,    0x03, 0x00,  //
                                                 0x01, 0x05, 0,    0,    0,    0x00, 0x01, 0x00, 0x02}},
    };
    for (const Case& c : cases) {
        TagWriter s(8);
        s.start_sound(1, c.info);
        EXPECT_EQ(s.bytes(), c.expected) << c.what;
    }
}

TEST(SwfButton, DefineButton) {
    ButtonRecord r;
    r.states = button_up | button_hit_test;
    r.character_id = 2;
    EXPECT_EQ(define_button_body(1, {r}, {0x07, 0x00}),
              (Bytes{0x01, 0x00, 0x09, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x07, 0x00}));
}

TEST(SwfButton, DefineButton2) {
    Button2 b;
    b.track_as_menu = true;
    ButtonRecord r;
    r.character_id = 2;
    r.filters = std::vector<Filter>{blur_filter(1, 2, 1)};
    r.blend_mode = 3;
    b.records = {r};
    b.actions = {{cond_press, {0x07, 0x00}},
                 {static_cast<uint16_t>(cond_key_press(13) | cond_release), {0x00}}};
    const Bytes expected = {
        0x01, 0x00, 0x01, 0x16, 0x00,                                            // id, menu, offset 22
        0x3F, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00,                                // all states, filter, blend
        0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x08, 0x03,  // blur, blend 3
        0x00,                                                                    // end of records
        0x06, 0x00, 0x04, 0x00, 0x07, 0x00,                                      // press, next in 6
        0x00, 0x00, 0x08, 0x1A, 0x00,                                            // key 13 + release, last
    };
    EXPECT_EQ(define_button2_body(1, b), expected);

    Button2 no_actions;
    no_actions.records = {r};
    no_actions.records[0].filters.reset();
    no_actions.records[0].blend_mode.reset();
    EXPECT_EQ(define_button2_body(4, no_actions),
              (Bytes{0x04, 0x00, 0x00, 0x00, 0x00, 0x0F, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00}));
    no_actions.action_offset = 0x1234;
    EXPECT_EQ(define_button2_body(4, no_actions)[3], 0x34);
}

TEST(SwfButton, DefineButtonSound) {
    std::array<ButtonSound, 4> sounds{};
    sounds[1].sound_id = 7;
    sounds[3].sound_id = 8;
    sounds[3].info.loops = 2;
    TagWriter t(8);
    t.define_button_sound(5, sounds);
    EXPECT_EQ(t.bytes(), (Bytes{0x4E, 0x04, 0x05, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00,
                                0x04, 0x02, 0x00}));
}

TEST(SwfEditText, FlagPositions) {
    struct Case {
        const char* what;
        std::function<void(EditText&)> set;
        uint8_t first, second;
    };
    const std::vector<Case> cases = {
        {"word wrap", [](EditText& t) { t.word_wrap = true; }, 0x40, 0x00},
        {"multiline", [](EditText& t) { t.multiline = true; }, 0x20, 0x00},
        {"password", [](EditText& t) { t.password = true; }, 0x10, 0x00},
        {"read-only", [](EditText& t) { t.read_only = true; }, 0x08, 0x00},
        {"auto size", [](EditText& t) { t.auto_size = true; }, 0x00, 0x40},
        {"no select", [](EditText& t) { t.no_select = true; }, 0x00, 0x10},
        {"border", [](EditText& t) { t.border = true; }, 0x00, 0x08},
        {"was static", [](EditText& t) { t.was_static = true; }, 0x00, 0x04},
        {"html", [](EditText& t) { t.html = true; }, 0x00, 0x02},
        {"use outlines", [](EditText& t) { t.use_outlines = true; }, 0x00, 0x01},
    };
    for (const Case& c : cases) {
        EditText t;
        c.set(t);
        // Id, empty bounds, the two flag bytes, an empty variable name.
        EXPECT_EQ(define_edit_text_body(1, t), (Bytes{0x01, 0x00, 0x00, c.first, c.second, 0x00})) << c.what;
    }
}

TEST(SwfEditText, EveryOptionalField) {
    EditText t;
    t.bounds = {0, 20, 0, 20};
    t.word_wrap = t.multiline = t.password = t.read_only = true;
    t.auto_size = t.no_select = t.border = t.was_static = t.html = t.use_outlines = true;
    t.font_id = 3;
    t.font_height = 240;
    t.font_class = "F";
    t.color = Rgba{1, 2, 3, 4};
    t.max_length = 16;
    t.layout = TextLayout{align_center, 5, 6, -1, 2};
    t.variable_name = "v";
    t.initial_text = "hi";
    const Bytes expected = join({
        {0x0C, 0x00},
        bits("00110 000000 010100 000000 010100"),
        {0xFF, 0xFF},                                            // every flag
        {0x03, 0x00, 0x46, 0x00, 0xF0, 0x00},                    // font id, class, height
        {0x01, 0x02, 0x03, 0x04},                                // colour
        {0x10, 0x00},                                            // max length
        {0x02, 0x05, 0x00, 0x06, 0x00, 0xFF, 0xFF, 0x02, 0x00},  // layout
        {0x76, 0x00, 0x68, 0x69, 0x00},                          // variable, text
    });
    TagWriter w(8);
    EXPECT_EQ(w.define_edit_text(t, 12), 12);
    EXPECT_EQ(w.bytes(), join({{0x62, 0x09}, expected}));  // 37 << 6 | 34
}

}  // namespace
