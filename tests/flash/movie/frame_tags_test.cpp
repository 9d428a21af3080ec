// Reading PlaceObject 1/2/3 and RemoveObject 1/2: the three place forms, optional fields, clip
// actions with 16- or 32-bit flags, the key-press byte, filters and the blend byte, and records
// whose lengths do not fit their tag.
#include "flash/movie/frame_tags.h"

#include <gtest/gtest.h>

#include "flash/runtime/as_s_function.h"
#include "movie_fixture.h"
#include "tools/swfwriter/movie_writer.h"

namespace {

using movietest::bytes;
using movietest::movie_fixture;

// The first frame tag of a one-frame movie holding the tag that add writes.
template <class T, class Add>
const T* first_tag(movie_fixture& f, int version, Add add) {
    swf::MovieWriter m(version);
    add(m);
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("p.swf", m.finish_fws());
    if (!def || def->get_playlist(0)->size() < 1) return nullptr;
    return dynamic_cast<const T*>((*def->get_playlist(0))[0]);
}

TEST(FrameTags, PlaceObject2Forms) {
    struct row {
        swf::PlaceObject tag;
        int expected_type;
        uint32_t expected_key;
    };
    const row rows[] = {
        {swf::PlaceObject::place(3, 7), flash::place_object_2::PLACE, (3u << 16) | 0xFFFF},
        {swf::PlaceObject::move_to(3), flash::place_object_2::MOVE, 0xFFFFFFFFu},
        {swf::PlaceObject::replace(3, 7), flash::place_object_2::REPLACE, (3u << 16) | 0xFFFF},
    };
    for (const row& r : rows) {
        movie_fixture f;
        const auto* p = first_tag<flash::place_object_2>(f, 8, [&](swf::MovieWriter& m) { m.place_object2(r.tag); });
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->m_place_type, r.expected_type);
        EXPECT_EQ(p->m_depth, 3);
        EXPECT_EQ(p->get_depth_id_key(), r.expected_key);
        EXPECT_EQ(p->m_has_matrix, 0);
        EXPECT_TRUE(p->m_matrix.is_identity());
        EXPECT_TRUE(p->m_color_transform.is_identity());
    }
}

TEST(FrameTags, PlaceObject2OptionalFields) {
    movie_fixture f;
    swf::PlaceObject tag = swf::PlaceObject::place(2, 9);
    tag.matrix = swf::Matrix::translation(100, -60);
    swf::CxForm c;
    c.has_mult = true;
    c.mult = {128, 256, 256, 64};
    tag.cxform = c;
    tag.ratio = 65535;
    tag.name = "door";
    tag.clip_depth = 12;
    const auto* p = first_tag<flash::place_object_2>(f, 8, [&](swf::MovieWriter& m) { m.place_object2(tag); });
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->m_character_id, 9);
    EXPECT_EQ(p->m_has_matrix, 1);
    EXPECT_EQ(p->m_matrix.m_[0][2], 100.0f);
    EXPECT_EQ(p->m_matrix.m_[1][2], -60.0f);
    EXPECT_EQ(p->m_has_cxform, 1);
    EXPECT_EQ(p->m_color_transform.m_[0][0], 0.5f);
    EXPECT_EQ(p->m_color_transform.m_[3][0], 0.25f);
    EXPECT_EQ(p->m_ratio, 1.0f);
    EXPECT_STREQ(p->m_name.c_str(), "door");
    EXPECT_EQ(p->m_clip_depth, 12);
}

TEST(FrameTags, PlaceObjectWithAndWithoutItsColourTransform) {
    for (const bool with_cxform : {false, true}) {
        movie_fixture f;
        swf::PlaceObject1 tag;
        tag.character_id = 4;
        tag.depth = 6;
        tag.matrix = swf::Matrix::translation(20, 40);
        if (with_cxform) {
            swf::CxForm c;
            c.has_add = true;
            c.add = {10, 20, 30, 0};
            tag.cxform = c;
        }
        const auto* p = first_tag<flash::place_object_2>(f, 4, [&](swf::MovieWriter& m) { m.place_object(tag); });
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->m_place_type, flash::place_object_2::PLACE);
        EXPECT_EQ(p->get_depth_id_key(), (6u << 16) | 4u);
        EXPECT_EQ(p->m_has_matrix, 0);  // tag 4 leaves the flags clear
        EXPECT_EQ(p->m_matrix.m_[1][2], 40.0f);
        EXPECT_EQ(p->m_color_transform.m_[2][1], with_cxform ? 30.0f : 0.0f);
    }
}

TEST(FrameTags, ClipActionFlagsAre16BitsBeforeVersion6And32After) {
    for (const int version : {5, 6}) {
        movie_fixture f;
        swf::PlaceObject tag = swf::PlaceObject::place(1, 2);
        swf::ClipActions actions;
        actions.records.push_back(swf::clip_action(swf::event_load | swf::event_press,
                                                   movietest::trace_actions({"loaded"})));
        actions.records.push_back(swf::clip_action(swf::event_enter_frame, movietest::trace_actions({"tick"})));
        tag.clip_actions = actions;
        const auto* p = first_tag<flash::place_object_2>(f, version, [&](swf::MovieWriter& m) { m.place_object2(tag); });
        ASSERT_NE(p, nullptr) << version;
        ASSERT_EQ(p->m_event_handlers.size(), 3) << version;
        EXPECT_EQ(p->m_event_handlers[0]->m_event.m_id, flash::event_id::LOAD);
        EXPECT_EQ(p->m_event_handlers[1]->m_event.m_id, flash::event_id::PRESS);
        EXPECT_EQ(p->m_event_handlers[2]->m_event.m_id, flash::event_id::ENTER_FRAME);
        // Each event has its own function over its record's actions.
        EXPECT_NE(p->m_event_handlers[0]->m_method.to_object(), p->m_event_handlers[1]->m_method.to_object());
        auto* tick = dynamic_cast<flash::as_s_function*>(p->m_event_handlers[2]->m_method.to_object());
        ASSERT_NE(tick, nullptr);
        EXPECT_EQ(tick->get_length(), static_cast<int>(movietest::trace_actions({"tick"}).size()));
        EXPECT_TRUE(f.log.errors().empty()) << f.log.errors();
    }
}

TEST(FrameTags, EveryClipEventBitMapsToItsEventId) {
    movie_fixture f;
    swf::PlaceObject tag = swf::PlaceObject::place(1, 2);
    swf::ClipActions actions;
    actions.records.push_back(swf::clip_action(0x7FFFF, movietest::trace_actions({}), 65));
    tag.clip_actions = actions;
    const auto* p = first_tag<flash::place_object_2>(f, 8, [&](swf::MovieWriter& m) { m.place_object2(tag); });
    ASSERT_NE(p, nullptr);
    const uint8_t expected[] = {11, 13, 12, 16, 14, 15, 17, 18, 19, 10, 1, 2, 3, 4, 5, 6, 7, 9, 20};
    ASSERT_EQ(p->m_event_handlers.size(), 19);
    for (int i = 0; i < 19; ++i) EXPECT_EQ(p->m_event_handlers[i]->m_event.m_id, expected[i]) << "bit " << i;
    // The key-press record's key byte counts inside its length.
    EXPECT_EQ(p->m_event_handlers[17]->m_event.m_key_code, 65);
    EXPECT_EQ(p->m_event_handlers[0]->m_event.m_key_code, 0);
}

TEST(FrameTags, PlaceObject3ReadsFiltersThenTheBlendByteBeforeClipActions) {
    movie_fixture f;
    swf::PlaceObject tag = swf::PlaceObject::place(4, 2);
    tag.filters = std::vector<swf::Filter>{swf::blur_filter(2, 2, 1), swf::glow_filter({1, 2, 3, 4}, {})};
    tag.blend_mode = 3;
    tag.ignored_flags = 0x1C;
    swf::ClipActions actions;
    actions.records.push_back(swf::clip_action(swf::event_unload, movietest::trace_actions({"bye"})));
    tag.clip_actions = actions;
    tag.name = "fx";
    const auto* p = first_tag<flash::place_object_2>(f, 8, [&](swf::MovieWriter& m) { m.place_object3(tag); });
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->m_tag_type, 70);
    EXPECT_STREQ(p->m_name.c_str(), "fx");
    ASSERT_EQ(p->m_event_handlers.size(), 1);
    EXPECT_EQ(p->m_event_handlers[0]->m_event.m_id, flash::event_id::UNLOAD);
    EXPECT_TRUE(f.log.errors().empty()) << f.log.errors();
}

TEST(FrameTags, ClipActionLengthsAreCheckedAgainstTheTag) {
    struct row {
        uint32_t length;
        const char* expected_log;
        bool is_error;
    };
    const row rows[] = {
        {0xFFFFFFFFu, "error: swf_event::read(), event_length = 4294967295 is past the tag's end", true},
        {5000, "error: swf_event::read(), event_length = 5000 is past the tag's end", true},
        // Longer than the actions (the list's closing flags follow): the End code comes first.
        {12, "swf_event::read(), event_length = 12, but read 8\n", false},
    };
    for (const row& r : rows) {
        movie_fixture f;
        swf::PlaceObject tag = swf::PlaceObject::place(1, 2);
        swf::ClipActions actions;
        swf::ClipAction record = swf::clip_action(swf::event_load, movietest::trace_actions({"x"}));
        record.length = r.length;
        actions.records.push_back(record);
        tag.clip_actions = actions;
        const auto* p = first_tag<flash::place_object_2>(f, 8, [&](swf::MovieWriter& m) { m.place_object2(tag); });
        ASSERT_NE(p, nullptr) << r.length;
        EXPECT_EQ(p->m_event_handlers.size(), 0) << r.length;
        EXPECT_TRUE(r.is_error ? f.log.has_error(r.expected_log) : f.log.has_message(r.expected_log))
            << r.length << "\n" << f.log.messages() << f.log.errors();
    }
}

TEST(FrameTags, RemoveObjectForms) {
    movie_fixture f;
    swf::MovieWriter m(8);
    m.remove_object(5, 9);
    m.remove_object2(11);
    m.show_frame();
    m.end();
    flash::movie_def_impl* def = f.load("r.swf", m.finish_fws());
    ASSERT_NE(def, nullptr);
    const auto* first = dynamic_cast<const flash::remove_object_2*>((*def->get_playlist(0))[0]);
    const auto* second = dynamic_cast<const flash::remove_object_2*>((*def->get_playlist(0))[1]);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->m_id, 5);
    EXPECT_EQ(first->m_depth, 9);
    EXPECT_EQ(second->m_id, -1);
    EXPECT_EQ(second->m_depth, 11);
    EXPECT_TRUE(second->is_remove_tag());
}

}  // namespace
