// The button records from hand-made bytes: DefineButton's records and its one release action,
// DefineButton2's menu flag, colour transforms, filters and blend bytes, its chain of condition
// actions (and an action offset of 0), DefineButtonSound's four entries with their sound info,
// and bodies cut short.
#include "flash/swf/button_records.h"

#include <gtest/gtest.h>

#include "flash/base/log.h"
#include "swf_bytes.h"
#include "swf_fixture.h"
#include "tests/support/engine_log.h"

namespace {

using namespace swftest;

struct read_button {
    read_button(int tag_type, bytes body) : s(std::move(body)) { flash::read_define_button(&s.in, tag_type, &b); }
    stream_over s;
    flash::swf_define_button b;
};

TEST(ButtonRecords, DefineButtonRecordsAndItsReleaseAction) {
    // The second record claims blend mode and filters: DefineButton has neither, nor a cxform.
    const bytes body = bytes{0x09} + u16(5) + u16(1) + identity_matrix + bytes{0x36} + u16(6) + u16(2) +
                       translation_10_m2 + bytes{0} + stop_end + bytes{0x07};
    read_button r(flash::TAG_DEFINE_BUTTON, body);
    EXPECT_FALSE(r.b.menu);
    ASSERT_EQ(r.b.records.size(), 2u);
    const flash::swf_button_record& a = r.b.records[0];
    EXPECT_TRUE(a.hit_test && a.up);
    EXPECT_FALSE(a.down || a.over || a.has_blend_mode || a.has_filter_list);
    EXPECT_EQ(a.character_id, 5);
    EXPECT_EQ(a.depth, 1);
    const flash::swf_button_record& b = r.b.records[1];
    EXPECT_TRUE(b.has_blend_mode && b.has_filter_list && b.down && b.over);
    EXPECT_FALSE(b.hit_test || b.up);
    EXPECT_EQ(b.character_id, 6);
    EXPECT_EQ(b.depth, 2);
    EXPECT_EQ(b.matrix.translate_x, 10);
    EXPECT_FALSE(b.has_cxform);
    ASSERT_EQ(r.b.actions.size(), 1u);
    EXPECT_EQ(r.b.actions[0].conditions, flash::OVER_DOWN_TO_OVER_UP);
    EXPECT_EQ(r.b.actions[0].actions, stop_end);
    // Nothing after the End code is read.
    EXPECT_EQ(r.s.in.get_position(), static_cast<int>(body.size()) - 1);
}

// Records of a DefineButton2: one with cxform, filters and blend byte, one plain, then the end.
bytes button2_records() {
    return bytes{0x31} + u16(7) + u16(3) + identity_matrix + add_rgba + one_blur + bytes{4} + bytes{0x02} + u16(8) +
           u16(4) + translation_10_m2 + empty_cxform + bytes{0};
}

TEST(ButtonRecords, DefineButton2RecordsAndItsChainOfActions) {
    const bytes records = button2_records();
    const uint16_t enter_release = flash::OVER_DOWN_TO_OVER_UP | (13 << flash::button_key_code_shift);
    // The first action has no End code: its offset alone ends it.
    const bytes stop_play = {0x07, 0x06};
    const bytes actions = u16(4 + 2) + u16(enter_release) + stop_play + u16(0) + u16(flash::OVER_UP_TO_OVER_DOWN) +
                          bytes{0x06, 0x00};
    const bytes body = bytes{1} + u16(static_cast<uint16_t>(2 + records.size())) + records + actions;
    read_button r(flash::TAG_DEFINE_BUTTON2, body);
    EXPECT_TRUE(r.b.menu);
    ASSERT_EQ(r.b.records.size(), 2u);
    const flash::swf_button_record& a = r.b.records[0];
    EXPECT_TRUE(a.up && a.has_blend_mode && a.has_filter_list);
    EXPECT_EQ(a.character_id, 7);
    EXPECT_TRUE(a.has_cxform);
    EXPECT_EQ(a.cxform.channels, 4);
    EXPECT_EQ(a.cxform.add[3], -8);
    EXPECT_EQ(a.blend_mode, 4);
    const flash::swf_button_record& b = r.b.records[1];
    EXPECT_TRUE(b.over);
    EXPECT_EQ(b.character_id, 8);
    EXPECT_EQ(b.depth, 4);
    EXPECT_EQ(b.matrix.translate_y, -2);
    EXPECT_TRUE(b.has_cxform);
    EXPECT_FALSE(b.cxform.has_add || b.cxform.has_mult);
    EXPECT_EQ(b.blend_mode, 0);
    ASSERT_EQ(r.b.actions.size(), 2u);
    EXPECT_EQ(r.b.actions[0].conditions, enter_release);
    EXPECT_EQ(r.b.actions[0].actions, stop_play);
    EXPECT_EQ(r.b.actions[1].conditions, flash::OVER_UP_TO_OVER_DOWN);
    EXPECT_EQ(r.b.actions[1].actions, (bytes{0x06, 0x00}));
    EXPECT_FALSE(r.s.in.has_overrun());
}

TEST(ButtonRecords, DefineButton2ActionOffsetsThatGiveNoActions) {
    const bytes records = button2_records();
    const bytes actions = u16(0) + u16(flash::IDLE_TO_OVER_UP) + stop_end;
    struct row {
        const char* what;
        uint16_t offset;
    };
    const row rows[] = {{"offset 0", 0}, {"offset past the tag", 0xFFF0}};
    for (const row& w : rows) {
        read_button r(flash::TAG_DEFINE_BUTTON2, bytes{0} + u16(w.offset) + records + actions);
        EXPECT_FALSE(r.b.menu) << w.what;
        EXPECT_EQ(r.b.records.size(), 2u) << w.what;
        EXPECT_TRUE(r.b.actions.empty()) << w.what;
    }
}

TEST(ButtonRecords, CutButtonsKeepWhatWasWhole) {
    // A record cut inside its ids is not kept.
    read_button cut_record(flash::TAG_DEFINE_BUTTON, bytes{0x09} + u16(5) + u16(1) + identity_matrix + bytes{0x01, 5});
    EXPECT_EQ(cut_record.b.records.size(), 1u);
    EXPECT_TRUE(cut_record.s.in.has_overrun());
    // An action whose offset runs past the tag: its actions end in zeros (the stream's rule)
    // and, past its End code, the list.
    const bytes records = button2_records();
    const bytes actions = u16(0x20) + u16(flash::OVER_DOWN_TO_OVER_UP) + bytes{0x96, 0x05, 0x00, 0x01};
    read_button cut_action(flash::TAG_DEFINE_BUTTON2, bytes{0} + u16(static_cast<uint16_t>(2 + records.size())) + records + actions);
    ASSERT_EQ(cut_action.b.actions.size(), 1u);
    EXPECT_EQ(cut_action.b.actions[0].actions, (bytes{0x96, 0x05, 0x00, 0x01, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(cut_action.s.in.has_overrun());
}

TEST(ButtonRecords, ButtonSoundsWithTheirSoundInfo) {
    // Entry 1: no multiple, envelope, loops, out and in points; entry 2: stop only.
    const bytes body = u16(0) + u16(7) + bytes{0x1F} + u32(100) + u32(200) + u16(3) + bytes{1} + u32(5) + u16(6) +
                       u16(7) + u16(9) + bytes{0x20} + u16(0) + bytes{marker};
    stream_over s(body);
    flash::swf_button_sounds sounds;
    testsupport::engine_log log;
    flash::set_verbose_parse(true);
    flash::read_button_sounds(&s.in, &sounds);
    flash::set_verbose_parse(false);
    EXPECT_EQ(s.in.read_u8(), marker);
    const flash::swf_button_sound* e = sounds.entries;
    EXPECT_EQ(e[flash::BUTTON_SOUND_ROLL_OUT].sound_id, 0);
    EXPECT_EQ(e[flash::BUTTON_SOUND_ROLL_OVER].sound_id, 7);
    const flash::sound_info& over = e[flash::BUTTON_SOUND_ROLL_OVER].info;
    EXPECT_FALSE(over.m_stop_playback);
    EXPECT_TRUE(over.m_no_multiple && over.m_has_envelope && over.m_has_loops && over.m_has_out_point && over.m_has_in_point);
    EXPECT_EQ(over.m_in_point, 100u);
    EXPECT_EQ(over.m_out_point, 200u);
    EXPECT_EQ(over.m_loop_count, 3);
    ASSERT_EQ(over.m_envelopes.size(), 1);
    EXPECT_EQ(over.m_envelopes[0].m_position, 5u);
    EXPECT_EQ(over.m_envelopes[0].m_left_level, 6);
    EXPECT_EQ(over.m_envelopes[0].m_right_level, 7);
    EXPECT_EQ(e[flash::BUTTON_SOUND_PRESS].sound_id, 9);
    const flash::sound_info& press = e[flash::BUTTON_SOUND_PRESS].info;
    EXPECT_TRUE(press.m_stop_playback);
    EXPECT_FALSE(press.m_no_multiple || press.m_has_envelope || press.m_has_loops || press.m_has_in_point);
    EXPECT_EQ(press.m_loop_count, 0);
    EXPECT_EQ(e[flash::BUTTON_SOUND_RELEASE].sound_id, 0);
    for (const char* line : {"button sound options:\n", "\n\tsound_id = 7\n", "\tin_point = 100\n", "\tout_point = 200\n",
                             "\tloop_count = 3\n", "\tenvelope size = 1\n", "\n\tsound_id = 9\n"}) {
        EXPECT_TRUE(log.has_message(line)) << line;
    }
}

TEST(ButtonRecords, CutButtonSoundsLeaveTheRestEmpty) {
    // Entry 1 loops 3 times; entry 2's id is cut, so it and entry 3 stay empty. An envelope point
    // cut short is dropped.
    stream_over s(u16(0) + u16(7) + bytes{0x04} + u16(3) + bytes{9});
    flash::swf_button_sounds sounds;
    flash::read_button_sounds(&s.in, &sounds);
    EXPECT_EQ(sounds.entries[1].sound_id, 7);
    EXPECT_EQ(sounds.entries[1].info.m_loop_count, 3);
    EXPECT_EQ(sounds.entries[2].sound_id, 0);
    EXPECT_EQ(sounds.entries[3].sound_id, 0);
    EXPECT_TRUE(s.in.has_overrun());

    stream_over envelope(bytes{0x08, 2} + u32(1) + u16(2) + u16(3) + u32(4));
    flash::sound_info info;
    flash::read_sound_info(&envelope.in, &info);
    EXPECT_TRUE(info.m_has_envelope);
    ASSERT_EQ(info.m_envelopes.size(), 1);
    EXPECT_EQ(info.m_envelopes[0].m_right_level, 3);
}

}  // namespace
