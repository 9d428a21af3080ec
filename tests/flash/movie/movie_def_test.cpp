// Reading whole movies: plain and compressed files alike, header values, frames, labels,
// sprites, exports and imports, unknown tags and End tags.
#include <gtest/gtest.h>

#include "flash/movie/frame_tags.h"
#include "flash/movie/sprite_definition.h"
#include "movie_fixture.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using movietest::bytes;
using movietest::movie_fixture;

constexpr uint16_t imported_id = 40;

// Two frames: a background, a sprite of two frames (labelled second frame) placed by name, frame
// actions, an export and an import; then a label and a removal in frame 1.
bytes mixed_movie(bool compressed) {
    swf::MovieWriter m(8);
    m.frame_rect({0, 11000, -20, 8000});
    m.frame_rate_raw(0x0C00);
    m.set_background_color({1, 2, 3, 255});
    swf::SpriteWriter s = m.sprite();
    s.place_object2(swf::PlaceObject::place(1, 5));
    s.show_frame();
    s.frame_label("spin");
    s.remove_object2(1);
    s.show_frame();
    s.end();
    const uint16_t sprite_id = m.define_sprite(s);
    swf::PlaceObject place = swf::PlaceObject::place(1, sprite_id);
    place.name = "clip";
    m.place_object2(place);
    m.do_action(movietest::trace_actions({"hello"}));
    m.export_assets({{sprite_id, "Spinner"}});
    m.import_assets("lib.swf", {{imported_id, "Thing"}});
    m.show_frame();
    m.frame_label("Intro");
    m.remove_object2(1);
    m.show_frame();
    m.end();
    return compressed ? m.finish_cws() : m.finish_fws();
}

// A library movie exporting one sprite as "Thing".
bytes library_movie() {
    swf::MovieWriter m(8);
    swf::SpriteWriter s = m.sprite();
    s.show_frame();
    const uint16_t id = m.define_sprite(s);
    m.export_assets({{id, "Thing"}});
    m.show_frame();
    m.end();
    return m.finish_fws();
}

TEST(MovieDefinition, PlainAndCompressedFilesReadToTheSameDefinition) {
    movie_fixture f;
    f.files.add("lib.swf", library_movie());
    flash::movie_def_impl* fws = f.load("a.swf", mixed_movie(false));
    flash::movie_def_impl* cws = f.load("a_cws.swf", mixed_movie(true));
    ASSERT_NE(fws, nullptr);
    ASSERT_NE(cws, nullptr);
    const std::string expected =
        "v8 rect(0,11000,-20,8000) rate 12 frames 2\n"
        "frames: [0 bg(1,2,3) place26(0,1,1,clip,0) action(12)] [1 'Intro' remove(1,-1)]\n"
        "init: 0 0\n"
        "characters: 1{ [0 place26(0,1,5,,0)] [1 'spin' remove(1,-1)] } 40{ [0] }\n"
        "exports: Spinner=1\n"
        "imports: lib.swf:40=Thing\n";
    EXPECT_EQ(movietest::summary(*fws), expected);
    EXPECT_EQ(movietest::summary(*cws), expected);
    EXPECT_EQ(fws->get_loaded_length(), static_cast<int>(mixed_movie(false).size()));
    EXPECT_EQ(cws->get_loaded_length(), fws->get_loaded_length() - flash::movie_def_impl::swf_header_size);
    // The imported character is the library's exported sprite.
    flash::movie_definition_sub* lib = f.owner->get_movie_library().find("lib.swf");
    ASSERT_NE(lib, nullptr);
    EXPECT_EQ(fws->get_character_def(imported_id), lib->get_exported_resource("thing"));
    EXPECT_TRUE(fws->in_import_table(imported_id));
    EXPECT_FALSE(fws->in_import_table(1));
    EXPECT_TRUE(f.log.errors().empty()) << f.log.errors();
}

TEST(MovieDefinition, LabelsAreFoundWithoutCaseAndBelongToTheFrameBeingLoaded) {
    movie_fixture f;
    flash::movie_def_impl* def = f.load("a.swf", mixed_movie(false));
    ASSERT_NE(def, nullptr);
    for (const char* label : {"Intro", "intro", "INTRO"}) {
        int frame = -1;
        EXPECT_TRUE(def->get_labeled_frame(label, &frame)) << label;
        EXPECT_EQ(frame, 1) << label;
    }
    EXPECT_FALSE(def->get_labeled_frame("outro", nullptr));
    EXPECT_EQ(def->get_exported_resource("SPINNER"), def->get_character_def(1));
    auto* sprite = dynamic_cast<flash::sprite_definition*>(def->get_character_def(1));
    ASSERT_NE(sprite, nullptr);
    int frame = -1;
    EXPECT_TRUE(sprite->get_labeled_frame("spin", &frame));
    EXPECT_EQ(frame, 1);
    EXPECT_EQ(sprite->get_frame_rate(), 12.0f);
    EXPECT_EQ(sprite->get_version(), 8);
}

TEST(MovieDefinition, HeaderValues) {
    struct row {
        uint16_t raw_rate;
        uint16_t frame_count;
        float expected_rate;
        int expected_frames;
    };
    const row rows[] = {
        {0x0C00, 1, 12.0f, 1},
        {0x1800, 3, 24.0f, 3},
        {0x1880, 0, 24.5f, 1},             // 0 frames count as 1
        {0, 2, flash::default_frame_rate, 2},  // no rate: the default one
    };
    for (const row& r : rows) {
        movie_fixture f;
        swf::MovieWriter m(6);
        m.frame_rate_raw(r.raw_rate);
        m.frame_count(r.frame_count);
        m.end();
        flash::movie_def_impl* def = f.load("h.swf", m.finish_fws());
        ASSERT_NE(def, nullptr);
        EXPECT_EQ(def->get_frame_rate(), r.expected_rate);
        EXPECT_EQ(def->get_frame_count(), r.expected_frames);
        EXPECT_EQ(def->get_version(), 6);
        EXPECT_NE(def->get_playlist(r.expected_frames - 1), nullptr);
        EXPECT_EQ(def->get_playlist(r.expected_frames), nullptr);
    }
}

TEST(MovieDefinition, UnknownTagsAreSkippedExactlyByTheirLength) {
    movie_fixture f;
    swf::MovieWriter m(8);
    // A body that looks like a RemoveObject2 tag must not be read as one.
    m.tag(200, {0x42, 0x07, 0x09, 0x00});
    m.tag(201, {}, swf::TagHeader::long_header());
    m.remove_object2(3);
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("u.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    EXPECT_TRUE(f.log.has_message("*** no tag loader for type 200\n"));
    EXPECT_TRUE(f.log.has_message("*** no tag loader for type 201\n"));
    EXPECT_EQ(movietest::summary(*def).find("frames: [0 remove(3,-1)]\n") != std::string::npos, true)
        << movietest::summary(*def);
}

TEST(MovieDefinition, VerboseParseDumpsUnknownTagBodiesInRowsOfSixteen) {
    movie_fixture f;
    swf::MovieWriter m(8);
    bytes body;
    for (int i = 0; i < 18; ++i) body.push_back(static_cast<uint8_t>(i < 16 ? 'A' + i : i));
    m.tag(201, body);
    m.show_frame();
    m.end();
    flash::set_verbose_parse(true);
    ASSERT_NE(f.load("dump.swf", m.finish_fws()), nullptr);
    flash::set_verbose_parse(false);
    EXPECT_TRUE(f.log.has_message("---------------tag type = 201, tag length = 18\n"));
    EXPECT_TRUE(f.log.has_message("*** no tag loader for type 201\n"
                                  "41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50    ABCDEFGHIJKLMNOP\n"
                                  "10 11 \n"))
        << f.log.messages();
}

TEST(MovieDefinition, AnEndTagBeforeTheFileEndStopsWithTheWarning) {
    movie_fixture f;
    swf::MovieWriter m(8);
    m.remove_object2(1);
    m.end();
    m.remove_object2(2);
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("e.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    EXPECT_TRUE(f.log.has_message(
        "warning: hit stream-end tag, but not at the end of the file yet; stopping for safety\n"));
    EXPECT_EQ(def->get_playlist(0)->size(), 1);
    // At the end of the file the End tag is no cause for a warning.
    movie_fixture g;
    ASSERT_NE(g.load("ok.swf", mixed_movie(false)), nullptr);
    EXPECT_FALSE(g.log.has_message("warning: hit stream-end tag"));
}

TEST(MovieDefinition, ControlTagsAreReadAndDropped) {
    movie_fixture f;
    swf::MovieWriter m(9);
    m.file_attributes(0x08);
    m.tag(24, {});                                           // Protect
    m.tag(58, {'d', 'i', 'g', 0});                           // EnableDebugger
    m.tag(64, {0, 0, 'd', 0});                               // EnableDebugger2
    m.tag(66, {1, 0, 2, 0});                                 // SetTabIndex
    m.tag(77, {'<', 'x', '/', '>', 0});                      // Metadata
    m.tag(86, {1, 0, 'S', '1', 0, 1, 3, 'L', 0});            // one scene at 0, label L at frame 3
    m.symbol_class({{7, "pkg.Thing"}});
    m.tag(10, {1, 2, 3});                                    // DefineFont: not loaded
    m.tag(18, {0, 0x2E, 10, 0});                             // SoundStreamHead, no handler
    m.tag(19, {1, 2, 3, 4});                                 // SoundStreamBlock: ignored
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("c.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    EXPECT_TRUE(def->is_as3());
    EXPECT_EQ(def->get_stream_sound_id(), -1);
    EXPECT_EQ(def->get_stream_start_frame(), -1);
    flash::bx_string text;
    EXPECT_TRUE(def->get_symbol_classes().get(7, &text));
    EXPECT_STREQ(text.c_str(), "pkg.Thing");
    EXPECT_TRUE(def->get_scenes().get(0, &text));
    EXPECT_STREQ(text.c_str(), "S1");
    EXPECT_TRUE(def->get_scene_frame_labels().get(3, &text));
    EXPECT_STREQ(text.c_str(), "L");
    EXPECT_FALSE(f.log.has_message("no tag loader"));
    EXPECT_TRUE(f.log.errors().empty()) << f.log.errors();
}

TEST(MovieDefinition, SpritesCountFramesAndOverrideRepeatedLabels) {
    movie_fixture f;
    swf::MovieWriter m(8);
    swf::SpriteWriter s = m.sprite();
    s.frame_label("a");
    s.show_frame();
    s.frame_label("a");
    s.show_frame();
    const uint16_t twice = m.define_sprite(s);
    swf::SpriteWriter empty = m.sprite();
    const uint16_t none = m.define_sprite(empty, std::nullopt, 0);
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("s.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    auto* labelled = dynamic_cast<flash::sprite_definition*>(def->get_character_def(twice));
    auto* single = dynamic_cast<flash::sprite_definition*>(def->get_character_def(none));
    ASSERT_NE(labelled, nullptr);
    ASSERT_NE(single, nullptr);
    int frame = -1;
    EXPECT_TRUE(labelled->get_labeled_frame("a", &frame));
    EXPECT_EQ(frame, 1);
    EXPECT_TRUE(f.log.has_message("add_frame_name(1, 'a') -- frame name already assigned to frame 0; overriding\n"));
    EXPECT_EQ(single->get_frame_count(), 1);
    EXPECT_TRUE(single->is(flash::character_def::SPRITE_DEFINITION));
    EXPECT_TRUE(single->is(flash::character_def::CHARACTER_DEF));
    EXPECT_FALSE(single->is(flash::character_def::MOVIE_DEF_IMPL));
}

TEST(MovieDefinition, TagsASpriteMayNotHoldAreRefused) {
    movie_fixture f;
    swf::MovieWriter m(8);
    swf::SpriteWriter s = m.sprite();
    s.do_init_action(3, movietest::trace_actions({"x"}));
    s.export_assets({{1, "Self"}});
    s.show_frame();
    const uint16_t id = m.define_sprite(s);
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("r.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    EXPECT_TRUE(f.log.has_message("sprite_definition::add_init_action called!  Ignored.\n"));
    EXPECT_TRUE(f.log.has_message("export error: don't know how to export resource 'Self'\n"));
    EXPECT_EQ(def->get_init_actions(0)->size(), 0);
    EXPECT_EQ(def->get_exported_resource("Self"), nullptr);
    EXPECT_NE(def->get_character_def(id), nullptr);
}

TEST(MovieDefinition, DoActionAndDoInitActionLandInTheirFrames) {
    movie_fixture f;
    swf::MovieWriter m(8);
    m.show_frame();
    m.do_action(movietest::trace_actions({"one", "two"}));
    m.do_init_action(9, movietest::trace_actions({"init"}));
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("d.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    ASSERT_EQ(def->get_playlist(1)->size(), 1);
    auto* action = dynamic_cast<flash::do_action*>((*def->get_playlist(1))[0]);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->get_buffer().get_length(), static_cast<int>(movietest::trace_actions({"one", "two"}).size()));
    EXPECT_EQ(def->get_init_actions(1)->size(), 1);
    EXPECT_EQ(def->get_init_actions(0)->size(), 0);
}

}  // namespace
