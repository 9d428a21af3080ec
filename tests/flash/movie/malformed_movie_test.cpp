// Malformed movies: every cut of a writer movie, tag lengths past the file or the sprite,
// 0xFFFFFFFF lengths, deeply nested sprites and ShowFrames beyond the frame count. Every load
// returns, logs an ERROR and keeps what it could read.
#include <gtest/gtest.h>

#include "flash/movie/sprite_definition.h"
#include "movie_fixture.h"
#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/mutators.h"

namespace {

using movietest::bytes;
using movietest::movie_fixture;

bytes writer_movie() {
    swf::MovieWriter m(8);
    m.set_background_color({9, 9, 9, 255});
    swf::SpriteWriter s = m.sprite();
    s.place_object2(swf::PlaceObject::place(1, 5));
    s.show_frame();
    s.end();
    const uint16_t id = m.define_sprite(s);
    swf::PlaceObject p = swf::PlaceObject::place(1, id);
    p.name = "n";
    swf::ClipActions actions;
    actions.records.push_back(swf::clip_action(swf::event_load, movietest::trace_actions({"l"})));
    p.clip_actions = actions;
    m.place_object2(p);
    m.do_action(movietest::trace_actions({"a", "b"}));
    m.frame_label("f");
    m.export_assets({{id, "S"}});
    m.show_frame();
    m.end();
    return m.finish_fws();
}

TEST(MalformedMovies, EveryCutOfAPlainMovieLogsAnErrorAndReturns) {
    const bytes whole = writer_movie();
    for (size_t n = 0; n < whole.size(); ++n) {
        movie_fixture f;
        flash::movie_def_impl* def = f.load("cut.swf", swf::cut(whole, n));
        EXPECT_FALSE(f.log.errors().empty()) << "cut at " << n;
        if (def) {
            EXPECT_GE(def->get_frame_count(), 1);
            EXPECT_NE(def->get_playlist(0), nullptr);
        }
    }
}

TEST(MalformedMovies, EveryCutOfACompressedMovieReturns) {
    const bytes whole = swf::to_cws(writer_movie());
    movie_fixture full;
    const std::string complete = movietest::summary(*full.load("whole.swf", whole));
    for (size_t n = 0; n < whole.size(); ++n) {
        movie_fixture f;
        flash::movie_def_impl* def = f.load("cut.swf", swf::cut(whole, n));
        // A cut in the stream's checksum leaves every inflated byte: then the movie is whole.
        const bool whole_read = def && movietest::summary(*def) == complete;
        EXPECT_TRUE(!f.log.errors().empty() || whole_read) << "cut at " << n;
    }
}

TEST(MalformedMovies, TagLengthsPastTheirContainer) {
    const bytes whole = writer_movie();
    const std::vector<swf::TagLocation> tags = swf::list_tags(whole);
    ASSERT_GE(tags.size(), 4u);
    // The last ShowFrame claims more than the file; the sprite's first tag more than the sprite.
    struct row {
        bytes data;
        const char* what;
    };
    std::vector<row> rows;
    bytes past_file = whole;
    swf::set_tag_length(past_file, tags[tags.size() - 2], 62);
    rows.push_back({past_file, "past the file"});
    ASSERT_EQ(tags[1].code, 39);
    const std::vector<swf::TagLocation> inner = swf::sprite_tags(whole, tags[1]);
    ASSERT_FALSE(inner.empty());
    bytes past_sprite = whole;
    swf::set_tag_length(past_sprite, inner[0], 62);
    rows.push_back({past_sprite, "past the sprite"});
    for (const row& r : rows) {
        movie_fixture f;
        flash::movie_def_impl* def = f.load("len.swf", r.data);
        ASSERT_NE(def, nullptr) << r.what;
        EXPECT_TRUE(f.log.has_error("past the end of its container")) << r.what << "\n" << f.log.errors();
        EXPECT_EQ(def->get_frame_count(), 1);
    }
}

TEST(MalformedMovies, AllOnesLongLengthsStopTheLoop) {
    swf::MovieWriter m(8);
    m.remove_object2(1);
    m.tag(12, {0}, swf::TagHeader::declared_length(0xFFFFFFFFu, true));
    m.remove_object2(2);
    m.show_frame();
    m.end();
    movie_fixture f;
    flash::movie_def_impl* def = f.load("ones.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    EXPECT_TRUE(f.log.has_error("has length 4294967295, past the end of its container"));
    EXPECT_EQ(def->get_playlist(0)->size(), 1);  // the tags before it are kept
}

// DefineSprite(id 1, one frame, inner tags + ShowFrame + End), nested depth times.
bytes nested_sprites(int depth) {
    bytes body;
    for (int level = 0; level < depth; ++level) {
        bytes sprite = {1, 0, 1, 0};
        sprite.insert(sprite.end(), body.begin(), body.end());
        sprite.insert(sprite.end(), {0x40, 0x00, 0x00, 0x00});  // ShowFrame, End
        body.clear();
        swf::write_tag_header(body, 39, static_cast<uint32_t>(sprite.size()), true);
        body.insert(body.end(), sprite.begin(), sprite.end());
    }
    swf::MovieWriter m(8);
    m.tag(39, bytes(body.begin() + 6, body.end()), swf::TagHeader::long_header());
    m.show_frame();
    m.end();
    return m.finish_fws();
}

TEST(MalformedMovies, NestedSpritesAreRefusedWithoutRecursion) {
    movie_fixture f;
    flash::movie_def_impl* def = f.load("deep.swf", nested_sprites(10000));
    ASSERT_NE(def, nullptr);
    EXPECT_TRUE(f.log.has_error("DefineSprite inside a sprite"));
    auto* outer = dynamic_cast<flash::sprite_definition*>(def->get_character_def(1));
    ASSERT_NE(outer, nullptr);
    EXPECT_EQ(outer->get_frame_count(), 1);
    EXPECT_EQ(def->get_characters().size(), 1);
}

TEST(MalformedMovies, ShowFramesBeyondTheFrameCountDropTheirTags) {
    swf::MovieWriter m(8);
    m.frame_count(1);
    swf::SpriteWriter s = m.sprite();
    s.show_frame();
    s.show_frame();
    s.remove_object2(4);
    s.frame_label("late");
    s.show_frame();
    m.define_sprite(s, 7, 1);
    m.remove_object2(1);
    m.show_frame();
    m.remove_object2(2);
    m.do_init_action(3, movietest::trace_actions({}));
    m.frame_label("late");
    m.show_frame();
    m.show_frame();
    m.end();
    movie_fixture f;
    flash::movie_def_impl* def = f.load("extra.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->get_frame_count(), 1);
    EXPECT_EQ(def->get_playlist(0)->size(), 1);
    EXPECT_EQ(def->get_init_actions(0)->size(), 0);
    EXPECT_FALSE(def->get_labeled_frame("late", nullptr));
    EXPECT_TRUE(f.log.has_error("movie_def_impl: a tag in frame 1, past the declared 1 frames; dropped"));
    EXPECT_TRUE(f.log.has_error("sprite_definition: a tag in frame 2, past the declared 1 frames; dropped"));
    auto* sprite = dynamic_cast<flash::sprite_definition*>(def->get_character_def(7));
    ASSERT_NE(sprite, nullptr);
    EXPECT_FALSE(sprite->get_labeled_frame("late", nullptr));
}

}  // namespace
