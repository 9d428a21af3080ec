#include "tools/swfwriter/place_object.h"

#include <gtest/gtest.h>

#include "tools/swfwriter/tag_writer.h"

using namespace swf;

namespace {

CxForm add_terms(int32_t r, int32_t g, int32_t b, int32_t a) {
    CxForm c;
    c.has_add = true;
    c.add = {r, g, b, a};
    return c;
}

TEST(SwfPlaceObject, PlaceObjectAndRemove) {
    TagWriter t(8);
    t.place_object({1, 2, {}, std::nullopt});
    t.place_object({1, 2, Matrix{}, add_terms(1, 2, 3, 0)});
    const Bytes expected = {
        0x05, 0x01, 0x01, 0x00, 0x02, 0x00, 0x00,              // id, depth, identity matrix
        0x07, 0x01, 0x01, 0x00, 0x02, 0x00, 0x00, 0x8C, 0xA6,  // and 1 0 0011 001 010 011
    };
    EXPECT_EQ(t.bytes(), expected);
}

TEST(SwfPlaceObject, PlaceObject2Forms) {
    struct Case {
        const char* what;
        PlaceObject p;
        Bytes expected;
    };
    PlaceObject with_matrix = PlaceObject::place(1, 2);
    with_matrix.matrix = Matrix{};
    PlaceObject everything = with_matrix;
    everything.cxform = add_terms(-1, 2, 3, 0);
    everything.ratio = 0x1234;
    everything.name = "n";
    everything.clip_depth = 3;
    const Case cases[] = {
        {"move", PlaceObject::move_to(5), {0x01, 0x05, 0x00}},
        {"place", with_matrix, {0x06, 0x01, 0x00, 0x02, 0x00, 0x00}},
        {"replace", PlaceObject::replace(1, 2), {0x03, 0x01, 0x00, 0x02, 0x00}},
        {"every field but clip actions, in order",
         everything,
         {0x7E, 0x01, 0x00, 0x02, 0x00, 0x00, 0x8F, 0xA6, 0x00, 0x34, 0x12, 0x6E, 0x00, 0x03, 0x00}},
    };
    for (const Case& c : cases) EXPECT_EQ(place_object2_body(c.p, 8), c.expected) << c.what;
}

TEST(SwfPlaceObject, ClipActionsByVersion) {
    PlaceObject p = PlaceObject::place(1, 2);
    p.clip_actions.emplace().records = {clip_action(event_load | event_key_press, {0x07, 0x00}, 0x0D)};
    // Version 6: u32 flags; the key code counts in the length.
    const Bytes v6 = {
        0x82, 0x01, 0x00, 0x02, 0x00,                    // flags, depth, id
        0x00, 0x00, 0x01, 0x00, 0x02, 0x00,              // reserved, all events
        0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x00, 0x00,  // events, length
        0x0D, 0x07, 0x00,                                // key code, actions
        0x00, 0x00, 0x00, 0x00,                          // end
    };
    EXPECT_EQ(place_object2_body(p, 6), v6);

    PlaceObject old = PlaceObject::place(1, 2);
    old.clip_actions.emplace().records = {clip_action(event_enter_frame | event_press, {0x07, 0x00})};
    // Version 5: u16 flags.
    const Bytes v5 = {0x82, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x04, 0x02,
                      0x04, 0x02, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00};
    EXPECT_EQ(place_object2_body(old, 5), v5);

    // Overrides: wide flags at version 5, a given union and a false record length.
    old.clip_actions->flags_bytes = 4;
    old.clip_actions->all_events = 0xFFFFFFFF;
    old.clip_actions->records[0].length = 9;
    EXPECT_EQ(place_object2_body(old, 5),
              (Bytes{0x82, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x04,
                     0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00}));

    // An empty list: only the head and the end marker.
    PlaceObject none;
    none.depth = 1;
    none.clip_actions.emplace();
    EXPECT_EQ(place_object2_body(none, 6),
              (Bytes{0x80, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
}

TEST(SwfPlaceObject, PlaceObject3FiltersThenBlendThenClipActions) {
    PlaceObject p = PlaceObject::move_to(1);
    p.filters = std::vector<Filter>{blur_filter(1.0, 2.0, 1)};
    p.blend_mode = 5;
    p.ignored_flags = 0x07;
    p.clip_actions.emplace();
    const Bytes expected = {0x81, 0x1F, 0x01, 0x00,                                            // flags, depth
                            0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x08,  // one blur
                            0x05,                                                              // blend mode
                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(place_object3_body(p, 8), expected);

    TagWriter t(8);
    PlaceObject empty;
    empty.depth = 2;
    t.place_object3(empty);
    EXPECT_EQ(t.bytes(), (Bytes{0x84, 0x11, 0x00, 0x00, 0x02, 0x00}));  // tag 70, no fields
}

TEST(SwfPlaceObject, FilterBodies) {
    const ShadowParams shadow{
        .blur_x = 1, .blur_y = 1, .angle = 0, .distance = 2, .strength = 1, .flags = 0xA1};
    EXPECT_EQ(drop_shadow_filter({1, 2, 3, 4}, shadow).body,
              (Bytes{1, 2, 3, 4, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0x00, 0x01, 0xA1}));

    struct Case {
        Filter filter;
        uint8_t id;
        size_t size;
    };
    const std::vector<GradientStop> two = {{{1, 2, 3, 4}, 0}, {{5, 6, 7, 8}, 255}};
    const Case cases[] = {
        {drop_shadow_filter({}, shadow), filter_drop_shadow, 23},
        {blur_filter(4, 4, 2), filter_blur, 9},
        {glow_filter({}, shadow), filter_glow, 15},
        {bevel_filter({}, {}, shadow), filter_bevel, 27},
        {gradient_glow_filter(two, shadow), filter_gradient_glow, 30},
        {gradient_bevel_filter({two[0]}, shadow), filter_gradient_bevel, 25},
        {convolution_filter(3, 3, 1, 0, std::vector<float>(9, 1.0f), {}, 3), filter_convolution, 51},
        {color_matrix_filter(std::vector<float>(20, 0.0f)), filter_color_matrix, 80},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.filter.id, c.id);
        EXPECT_EQ(c.filter.body.size(), c.size) << int(c.id);
    }
    // Gradient glow: count, colours, then ratios.
    const Bytes& glow = cases[4].filter.body;
    EXPECT_EQ(Bytes(glow.begin(), glow.begin() + 11), (Bytes{2, 1, 2, 3, 4, 5, 6, 7, 8, 0, 255}));
}

}  // namespace
