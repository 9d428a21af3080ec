#pragma once
// SWF tag codes the writer produces.
#include <cstdint>

namespace swf {

enum TagCode : uint16_t {
    tag_end = 0,
    tag_show_frame = 1,
    tag_define_shape = 2,
    tag_place_object = 4,
    tag_remove_object = 5,
    tag_define_bits = 6,
    tag_define_button = 7,
    tag_jpeg_tables = 8,
    tag_set_background_color = 9,
    tag_define_text = 11,
    tag_do_action = 12,
    tag_define_sound = 14,
    tag_start_sound = 15,
    tag_define_button_sound = 17,
    tag_sound_stream_head = 18,
    tag_sound_stream_block = 19,
    tag_define_bits_lossless = 20,
    tag_define_bits_jpeg2 = 21,
    tag_define_shape2 = 22,
    tag_place_object2 = 26,
    tag_remove_object2 = 28,
    tag_define_shape3 = 32,
    tag_define_text2 = 33,
    tag_define_button2 = 34,
    tag_define_bits_jpeg3 = 35,
    tag_define_bits_lossless2 = 36,
    tag_define_edit_text = 37,
    tag_define_sprite = 39,
    tag_sound_stream_head2 = 45,
    tag_frame_label = 43,
    tag_define_morph_shape = 46,
    tag_export_assets = 56,
    tag_import_assets = 57,
    tag_do_init_action = 59,
    tag_file_attributes = 69,
    tag_place_object3 = 70,
    tag_csm_text_settings = 74,
    tag_symbol_class = 76,
    tag_do_abc = 82,
    tag_define_shape4 = 83,
    tag_define_morph_shape2 = 84,
};

// A tag header word holds the code above 6 bits of length; 0x3F there announces a u32 length.
inline constexpr int tag_code_shift = 6;
inline constexpr uint16_t short_length_mask = 0x3F;
inline constexpr uint32_t long_length_marker = 0x3F;

}  // namespace swf
