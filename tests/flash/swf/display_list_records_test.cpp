// The display-list records from hand-made bytes: PlaceObject's optional colour transform, each
// PlaceObject2 flag and the order of its fields, PlaceObject3's second flag byte, clip actions
// with 16- and 32-bit flags, the key-press byte, lengths that do not fit, RemoveObject 1 and 2,
// and bodies cut short.
#include "flash/swf/display_list_records.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "flash/base/log.h"
#include "swf_bytes.h"
#include "swf_fixture.h"
#include "tests/support/engine_log.h"

namespace {

using namespace swftest;

// A record read from a body, with the stream it was read from.
struct placed {
    placed(int tag_type, int version, bytes body) : s(std::move(body)) {
        flash::read_place_object(&s.in, tag_type, version, &p);
    }
    stream_over s;
    flash::swf_place_object p;
};

TEST(DisplayListRecords, PlaceObjectHasItsColourTransformOnlyWhenBytesAreLeft) {
    struct row {
        bytes tail;  // after the matrix
        bool has_cxform;
        int32_t blue_add;
    };
    const row rows[] = {{{}, false, 0}, {empty_cxform, true, 0}, {add_rgb, true, 7}};
    for (const row& w : rows) {
        placed r(flash::TAG_PLACE_OBJECT, 4, u16(7) + u16(3) + translation_10_m2 + w.tail);
        const flash::swf_place_object& p = r.p;
        SCOPED_TRACE(w.tail.size());
        EXPECT_EQ(p.tag_type, flash::TAG_PLACE_OBJECT);
        EXPECT_EQ(p.character_id, 7);
        EXPECT_EQ(p.depth, 3);
        EXPECT_TRUE(p.has_character);
        EXPECT_TRUE(p.has_matrix);
        EXPECT_EQ(p.matrix.translate_x, 10);
        EXPECT_EQ(p.matrix.translate_y, -2);
        EXPECT_EQ(p.has_cxform, w.has_cxform);
        EXPECT_EQ(p.cxform.channels, 3);
        EXPECT_EQ(p.cxform.add[2], w.blue_add);
        EXPECT_FALSE(p.is_move);
        EXPECT_FALSE(r.s.in.has_overrun());
    }
}

TEST(DisplayListRecords, EachPlaceObject2FlagReadsItsOwnField) {
    struct row {
        const char* what;
        uint8_t flags;
        bytes fields;  // after the depth
        std::function<void(const flash::swf_place_object&)> check;
    };
    const row rows[] = {
        {"move", 0x01, {}, [](const flash::swf_place_object& p) { EXPECT_TRUE(p.is_move); }},
        {"character", 0x02, u16(9),
         [](const flash::swf_place_object& p) {
             EXPECT_TRUE(p.has_character);
             EXPECT_EQ(p.character_id, 9);
         }},
        {"matrix", 0x04, translation_10_m2,
         [](const flash::swf_place_object& p) {
             EXPECT_TRUE(p.has_matrix);
             EXPECT_EQ(p.matrix.translate_x, 10);
         }},
        {"cxform", 0x08, add_rgba,
         [](const flash::swf_place_object& p) {
             EXPECT_TRUE(p.has_cxform);
             EXPECT_EQ(p.cxform.channels, 4);
             EXPECT_EQ(p.cxform.add[3], -8);
         }},
        {"ratio", 0x10, u16(0x7FFF),
         [](const flash::swf_place_object& p) {
             EXPECT_TRUE(p.has_ratio);
             EXPECT_FLOAT_EQ(p.ratio, 32767.0f / 65535.0f);
         }},
        {"name", 0x20, {'d', 'o', 'o', 'r', 0},
         [](const flash::swf_place_object& p) {
             EXPECT_TRUE(p.has_name);
             EXPECT_STREQ(p.name.c_str(), "door");
         }},
        {"clip depth", 0x40, u16(12),
         [](const flash::swf_place_object& p) {
             EXPECT_TRUE(p.has_clip_depth);
             EXPECT_EQ(p.clip_depth, 12);
         }},
        {"clip actions", 0x80, u16(0) + u32(1) + u32(1) + u32(2) + stop_end + u32(0),
         [](const flash::swf_place_object& p) {
             EXPECT_TRUE(p.has_clip_actions);
             EXPECT_EQ(p.all_events, 1u);
             ASSERT_EQ(p.clip_actions.size(), 1u);
             EXPECT_EQ(p.clip_actions[0].actions, stop_end);
         }},
    };
    for (const row& r : rows) {
        placed p_read(flash::TAG_PLACE_OBJECT2, 8, bytes{r.flags} + u16(3) + r.fields + bytes{marker});
        const flash::swf_place_object& p = p_read.p;
        flash::swf_stream* in_p = &p_read.s.in;
        SCOPED_TRACE(r.what);
        EXPECT_EQ(p.depth, 3);
        r.check(p);
        // Nothing else is read: the next byte is the marker.
        EXPECT_EQ(in_p->read_u8(), marker);
        EXPECT_FALSE(in_p->has_overrun());
        const bool only[] = {p.is_move,  p.has_character, p.has_matrix,     p.has_cxform,
                             p.has_ratio, p.has_name,      p.has_clip_depth, p.has_clip_actions};
        for (int bit = 0; bit < 8; ++bit) EXPECT_EQ(only[bit], r.flags == (1 << bit)) << "bit " << bit;
    }
}

TEST(DisplayListRecords, PlaceObject2FieldsComeInTheirOrder) {
    const bytes body = bytes{0x7F} + u16(2) + u16(9) + translation_10_m2 + add_rgba + u16(65535) +
                       bytes{'f', 'x', 0} + u16(5) + bytes{marker};
    placed p_read(flash::TAG_PLACE_OBJECT2, 8, body);
    const flash::swf_place_object& p = p_read.p;
    flash::swf_stream* in_p = &p_read.s.in;
    EXPECT_EQ(p.depth, 2);
    EXPECT_EQ(p.character_id, 9);
    EXPECT_EQ(p.matrix.translate_y, -2);
    EXPECT_EQ(p.cxform.add[0], 3);
    EXPECT_EQ(p.ratio, 1.0f);
    EXPECT_STREQ(p.name.c_str(), "fx");
    EXPECT_EQ(p.clip_depth, 5);
    EXPECT_TRUE(p.is_move);
    EXPECT_EQ(in_p->read_u8(), marker);
}

TEST(DisplayListRecords, PlaceObject3ReadsFiltersThenBlendThenClipActions) {
    // Second byte: reserved and ignored bits set (they change nothing), blend mode, filter list.
    const bytes body = bytes{0xA0, 0xFF} + u16(4) + bytes{'a', 0} + one_blur + bytes{5} + u16(0) + u32(4) + u32(4) +
                       u32(2) + stop_end + u32(0) + bytes{marker};
    placed p_read(flash::TAG_PLACE_OBJECT3, 8, body);
    const flash::swf_place_object& p = p_read.p;
    flash::swf_stream* in_p = &p_read.s.in;
    EXPECT_EQ(p.tag_type, flash::TAG_PLACE_OBJECT3);
    EXPECT_TRUE(p.has_filters);
    EXPECT_TRUE(p.has_blend_mode);
    EXPECT_EQ(p.blend_mode, 5);
    EXPECT_STREQ(p.name.c_str(), "a");
    ASSERT_EQ(p.clip_actions.size(), 1u);
    EXPECT_EQ(p.clip_actions[0].events, flash::CLIP_EVENT_UNLOAD);
    EXPECT_EQ(in_p->read_u8(), marker);

    // Without those two bits neither is read, whatever the bits above them say.
    placed plain_read(flash::TAG_PLACE_OBJECT3, 8, bytes{0x00, 0xFC} + u16(4) + bytes{marker});
    const flash::swf_place_object& plain = plain_read.p;
    flash::swf_stream* in_plain = &plain_read.s.in;
    EXPECT_FALSE(plain.has_filters);
    EXPECT_FALSE(plain.has_blend_mode);
    EXPECT_EQ(in_plain->read_u8(), marker);
}

TEST(DisplayListRecords, ClipEventFlagsAre16BitsBeforeVersion6And32From6) {
    for (const int version : {5, 6}) {
        const auto flags = [&](uint32_t v) { return version < 6 ? u16(static_cast<uint16_t>(v)) : u32(v); };
        const bytes actions = u16(0) + flags(0x0405) + flags(0x0401) + u32(2) + stop_end + flags(0x0004) + u32(1) +
                              bytes{0x00} + flags(0);
        placed p_read(flash::TAG_PLACE_OBJECT2, version, bytes{0x80} + u16(1) + actions + bytes{marker});
        const flash::swf_place_object& p = p_read.p;
        flash::swf_stream* in_p = &p_read.s.in;
        SCOPED_TRACE(version);
        EXPECT_EQ(p.all_events, 0x0405u);
        ASSERT_EQ(p.clip_actions.size(), 2u);
        EXPECT_EQ(p.clip_actions[0].events, flash::CLIP_EVENT_LOAD | flash::CLIP_EVENT_PRESS);
        EXPECT_EQ(p.clip_actions[0].actions, stop_end);
        EXPECT_EQ(p.clip_actions[1].events, flash::CLIP_EVENT_UNLOAD);
        EXPECT_EQ(p.clip_actions[1].actions, bytes{0x00});
        EXPECT_EQ(in_p->read_u8(), marker);
    }
}

TEST(DisplayListRecords, KeyPressRecordsCarryTheirKeyInsideTheirLength) {
    const bytes actions = u16(0) + u32(flash::CLIP_EVENT_KEY_PRESS) + u32(flash::CLIP_EVENT_KEY_PRESS) + u32(3) +
                          bytes{65} + stop_end + u32(0);
    placed p_read(flash::TAG_PLACE_OBJECT2, 8, bytes{0x80} + u16(1) + actions);
    const flash::swf_place_object& p = p_read.p;
    ASSERT_EQ(p.clip_actions.size(), 1u);
    EXPECT_EQ(p.clip_actions[0].key_code, 65);
    EXPECT_EQ(p.clip_actions[0].actions, stop_end);
}

TEST(DisplayListRecords, ClipActionsThatDoNotFitEndTheListWithTheirLine) {
    struct row {
        uint32_t events;
        uint32_t length;
        bytes record;  // after the length
        const char* line;
        bool is_error;
        size_t kept;  // records read before the list ended
        int end;      // bytes of the record consumed after its length (-1: not checked)
    };
    const row rows[] = {
        {1, 0xFFFFFFFFu, stop_end, "error: swf_event::read(), event_length = 4294967295 is past the tag's end", true, 1, -1},
        {1, 50, stop_end, "error: swf_event::read(), event_length = 50 is past the tag's end (", true, 1, -1},
        // The End code comes before the length runs out: the reader stops right after it.
        {1, 5, stop_end + bytes{0x07, 0x07, 0x00}, "swf_event::read(), event_length = 5, but read 2\n", false, 1, 2},
        // A key-press record with no room for its key byte.
        {flash::CLIP_EVENT_KEY_PRESS, 0, {}, "swf_event::read(), event_length = 0, but read 1\n", false, 1, 1},
        // Flags past the last known event are logged and still kept.
        {0x100001, 2, stop_end, "swf_event::read() -- unknown event type received, flags = 0x100001\n", false, 2, -1},
    };
    for (const row& r : rows) {
        testsupport::engine_log log;
        const bytes first = u32(flash::CLIP_EVENT_LOAD) + u32(2) + stop_end;
        const bytes second = u32(r.events) + u32(r.length);
        const bytes body = bytes{0x80} + u16(1) + u16(0) + u32(0x1FFFFF) + first + second + r.record + bytes{0, 0, 0, 0};
        placed p_read(flash::TAG_PLACE_OBJECT2, 8, body);
        const flash::swf_place_object& p = p_read.p;
        flash::swf_stream* in_p = &p_read.s.in;
        SCOPED_TRACE(r.line);
        EXPECT_EQ(p.clip_actions.size(), r.kept);
        EXPECT_TRUE(r.is_error ? log.has_error(r.line) : log.has_message(r.line)) << log.messages() << log.errors();
        if (r.end >= 0) {
            const int record_start = static_cast<int>(3 + 6 + first.size() + second.size());
            EXPECT_EQ(in_p->get_position(), record_start + r.end);
        }
    }
}

TEST(DisplayListRecords, CutPlaceObjectsReadZerosAndOverrun) {
    // PlaceObject2 that should have a character id and a name after its depth.
    placed p_read(flash::TAG_PLACE_OBJECT2, 8, bytes{0x22, 0x03});
    const flash::swf_place_object& p = p_read.p;
    flash::swf_stream* in_p = &p_read.s.in;
    EXPECT_TRUE(in_p->has_overrun());
    EXPECT_EQ(p.depth, 3);  // the missing high byte reads 0
    EXPECT_EQ(p.character_id, 0);
    EXPECT_STREQ(p.name.c_str(), "");
    // Clip actions cut inside their first record's flags keep nothing.
    placed q_read(flash::TAG_PLACE_OBJECT2, 8, bytes{0x80} + u16(1) + u16(0) + u32(1) + bytes{1, 0});
    const flash::swf_place_object& q = q_read.p;
    flash::swf_stream* in_q = &q_read.s.in;
    EXPECT_TRUE(in_q->has_overrun());
    EXPECT_TRUE(q.clip_actions.empty());
}

TEST(DisplayListRecords, RemoveObjectFormsAndACutOne) {
    stream_over one(u16(5) + u16(9));
    flash::swf_remove_object r;
    flash::read_remove_object(&one.in, flash::TAG_REMOVE_OBJECT, &r);
    EXPECT_EQ(r.character_id, 5);
    EXPECT_EQ(r.depth, 9);
    stream_over two(u16(11) + bytes{marker});
    flash::read_remove_object(&two.in, flash::TAG_REMOVE_OBJECT2, &r);
    EXPECT_EQ(r.tag_type, flash::TAG_REMOVE_OBJECT2);
    EXPECT_EQ(r.character_id, -1);
    EXPECT_EQ(r.depth, 11);
    EXPECT_EQ(two.in.read_u8(), marker);
    stream_over cut(bytes{5, 0, 9});
    flash::read_remove_object(&cut.in, flash::TAG_REMOVE_OBJECT, &r);
    EXPECT_EQ(r.character_id, 5);
    EXPECT_EQ(r.depth, 9);  // the missing high byte reads 0
    EXPECT_TRUE(cut.in.has_overrun());
}

}  // namespace
