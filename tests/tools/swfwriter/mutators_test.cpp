#include "tools/swfwriter/mutators.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tools/swfwriter/movie_writer.h"

using namespace swf;

namespace {

// Header (8), empty rectangle (1), rate and count (4): tags start at 13.
Bytes sample_movie() {
    MovieWriter m(8);
    m.frame_rect({});
    m.set_background_color({1, 2, 3});
    SpriteWriter s = m.sprite();
    s.show_frame();
    s.end();
    m.define_sprite(s);
    m.tag(tag_do_action, {0x00}, TagHeader::long_header());
    m.show_frame();
    m.end();
    return m.finish_fws();
}

TEST(SwfMutators, ListsTags) {
    const Bytes fws = sample_movie();
    EXPECT_EQ(first_tag_offset(fws), 13u);
    const std::vector<TagLocation> tags = list_tags(fws);
    struct Expected {
        size_t header;
        uint16_t code;
        uint32_t length;
        bool long_form;
    };
    const Expected expected[] = {
        {13, tag_set_background_color, 3, false},
        {18, tag_define_sprite, 8, false},
        {28, tag_do_action, 1, true},
        {35, tag_show_frame, 0, false},
        {37, tag_end, 0, false},
    };
    ASSERT_EQ(tags.size(), std::size(expected));
    for (size_t i = 0; i < tags.size(); ++i) {
        EXPECT_EQ(tags[i].header_offset, expected[i].header) << i;
        EXPECT_EQ(tags[i].code, expected[i].code) << i;
        EXPECT_EQ(tags[i].length, expected[i].length) << i;
        EXPECT_EQ(tags[i].long_form, expected[i].long_form) << i;
        EXPECT_EQ(tags[i].body_offset, expected[i].header + (expected[i].long_form ? 6 : 2)) << i;
    }
    const std::vector<TagLocation> inner = sprite_tags(fws, tags[1]);
    ASSERT_EQ(inner.size(), 2u);
    EXPECT_EQ(inner[0].header_offset, 24u);
    EXPECT_EQ(inner[0].code, tag_show_frame);
    EXPECT_EQ(inner[1].code, tag_end);

    // A first rectangle of NBits 15 takes 9 bytes.
    EXPECT_EQ(first_tag_offset(MovieWriter(8).finish_fws()), 21u);
}

TEST(SwfMutators, StopsAtATagPastTheEnd) {
    Bytes fws = sample_movie();
    const std::vector<TagLocation> tags = list_tags(fws);
    set_tag_length(fws, tags[2], 0xFFFFFFFF);
    EXPECT_EQ(Bytes(fws.begin() + 28, fws.begin() + 34), (Bytes{0x3F, 0x03, 0xFF, 0xFF, 0xFF, 0xFF}));
    const std::vector<TagLocation> after = list_tags(fws);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[2].length, 0xFFFFFFFFu);
}

TEST(SwfMutators, ShortHeaderLengths) {
    Bytes fws = sample_movie();
    const TagLocation background = list_tags(fws)[0];
    set_tag_length(fws, background, 62);
    EXPECT_EQ(fws[13], 0x7E);  // 9 << 6 | 62
    EXPECT_EQ(fws[14], 0x02);
    EXPECT_THROW(set_tag_length(fws, background, 63), std::invalid_argument);
}

TEST(SwfMutators, CutAndPatch) {
    const Bytes fws = sample_movie();
    EXPECT_EQ(cut(fws, 3), (Bytes{'F', 'W', 'S'}));
    EXPECT_EQ(cut(fws, 1000), fws);
    // A cut file lists the tags that still fit.
    EXPECT_EQ(list_tags(cut(fws, 30)).size(), 2u);

    Bytes patched = fws;
    patch(patched, 0, {'Z'});
    EXPECT_EQ(patched[0], 'Z');
    EXPECT_EQ(Bytes(patched.begin() + 1, patched.end()), Bytes(fws.begin() + 1, fws.end()));
    patch(patched, patched.size() - 2, {0xAA, 0xBB});
    EXPECT_EQ(patched.back(), 0xBB);
    EXPECT_THROW(patch(patched, patched.size() - 1, {1, 2}), std::out_of_range);
}

}  // namespace
