#pragma once
// DefineButton, DefineButton2 and DefineButtonSound bodies.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "tools/swfwriter/bit_writer.h"
#include "tools/swfwriter/filters.h"
#include "tools/swfwriter/records.h"
#include "tools/swfwriter/sounds.h"

namespace swf {

// The states a button record shows in.
enum ButtonState : uint8_t {
    button_up = 0x01,
    button_over = 0x02,
    button_down = 0x04,
    button_hit_test = 0x08,
};

// Condition bits of a DefineButton2 action, as the little-endian condition word holds them.
enum ButtonCondition : uint16_t {
    cond_roll_over = 0x0001,        // idle to over up
    cond_roll_out = 0x0002,         // over up to idle
    cond_press = 0x0004,            // over up to over down
    cond_release = 0x0008,          // over down to over up
    cond_drag_out = 0x0010,         // over down to out down
    cond_drag_over = 0x0020,        // out down to over down
    cond_release_outside = 0x0040,  // out down to idle
    cond_idle_to_over_down = 0x0080,
    cond_over_down_to_idle = 0x0100,
};
// A key-press condition: the key code in bits 9..15.
constexpr uint16_t cond_key_press(uint8_t key_code) { return static_cast<uint16_t>((key_code & 0x7F) << 9); }

struct ButtonRecord {
    uint8_t states = button_up | button_over | button_down | button_hit_test;
    uint16_t character_id = 0;
    uint16_t depth = 1;
    Matrix matrix;
    // DefineButton2 only.
    CxForm cxform;
    std::optional<std::vector<Filter>> filters;
    std::optional<uint8_t> blend_mode;
};

struct ButtonAction {
    uint16_t conditions = cond_release;
    Bytes actions;
};

struct Button2 {
    bool track_as_menu = false;
    std::vector<ButtonRecord> records;
    std::vector<ButtonAction> actions;
    // The offset to the first action; by default the true one (0 without actions).
    std::optional<uint16_t> action_offset;
};

// Roll out, roll over, press, release: a sound id (0 for none) and its sound info.
struct ButtonSound {
    uint16_t sound_id = 0;
    SoundInfo info;
};

// Records, the end byte, then the action bytes of the release event as given.
Bytes define_button_body(uint16_t id, const std::vector<ButtonRecord>& records, const Bytes& actions);
Bytes define_button2_body(uint16_t id, const Button2& b);
Bytes define_button_sound_body(uint16_t button_id, const std::array<ButtonSound, 4>& sounds);

}  // namespace swf
