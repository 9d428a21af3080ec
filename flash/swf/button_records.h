#pragma once
// The button tags as records: DefineButton (7) and DefineButton2 (34) after their character id,
// with their child records and their conditions' action bytes (raw: the movie side makes action
// buffers of them), and DefineButtonSound (17) after the button's id.
#include <cstdint>
#include <vector>

#include "flash/swf/geometry_records.h"
#include "flash/swf/sound_info.h"
#include "flash/swf/tag_codes.h"

namespace flash {

class swf_stream;

// Condition bits of a DefineButton2 action; the key code sits in bits 9..15.
enum button_condition : uint32_t {
    IDLE_TO_OVER_UP = 0x01,        // roll over
    OVER_UP_TO_IDLE = 0x02,        // roll out
    OVER_UP_TO_OVER_DOWN = 0x04,   // press
    OVER_DOWN_TO_OVER_UP = 0x08,   // release
    OVER_DOWN_TO_OUT_DOWN = 0x10,  // drag out
    OUT_DOWN_TO_OVER_DOWN = 0x20,  // drag over
    OUT_DOWN_TO_IDLE = 0x40,       // release outside
    KEY_CODE_MASK = 0xFE00,
};
constexpr int button_key_code_shift = 9;
constexpr uint32_t button_key_code_bits = 0x7F;

// One BUTTONRECORD: a child character and the states it shows in.
struct swf_button_record {
    bool has_blend_mode = false;
    bool has_filter_list = false;
    bool hit_test = false;
    bool down = false;
    bool over = false;
    bool up = false;
    uint16_t character_id = 0;
    uint16_t depth = 0;
    swf_matrix matrix;
    // DefineButton2 only (with alpha); the filter list is stepped over.
    bool has_cxform = false;
    swf_cxform cxform;
    uint8_t blend_mode = 0;
};

struct swf_button_action {
    uint16_t conditions = 0;
    // The action records through their End code (or as far as the tag or the next action).
    std::vector<uint8_t> actions;
};

struct swf_define_button {
    int tag_type = TAG_DEFINE_BUTTON2;
    bool menu = false;  // DefineButton2's flags byte is not 0
    std::vector<swf_button_record> records;
    // DefineButton has one, on release, whose actions run to the tag's end; DefineButton2 those
    // its action offsets chain.
    std::vector<swf_button_action> actions;
};

// The rest of tag 7 or 34 after the character id. Records end at a 0 flag byte or a record cut
// by the tag's end (not kept); reads past the tag give zeros (swf_stream's rule).
void read_define_button(swf_stream* in, int tag_type, swf_define_button* out);

// Sound entry order: roll out, roll over, press, release.
enum button_sound_index { BUTTON_SOUND_ROLL_OUT = 0, BUTTON_SOUND_ROLL_OVER, BUTTON_SOUND_PRESS, BUTTON_SOUND_RELEASE, BUTTON_SOUND_COUNT };

struct swf_button_sound {
    uint16_t sound_id = 0;  // 0: none, and no sound info follows
    sound_info info;
};

struct swf_button_sounds {
    swf_button_sound entries[BUTTON_SOUND_COUNT];
};

// The rest of tag 17 after the button's id; entries after a cut one stay empty. With the verbose
// parse flag each sound and its info are logged.
void read_button_sounds(swf_stream* in, swf_button_sounds* out);

}  // namespace flash
