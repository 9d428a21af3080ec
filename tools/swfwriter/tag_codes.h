#pragma once
// The tag codes the writer produces, by the writer's names; the numbers are the engine's one table
// (a known-answer test there pins them to the published format).
#include <cstdint>

#include "flash/swf/tag_codes.h"

namespace swf {

using TagCode = flash::swf_tag_code;

inline constexpr TagCode tag_end = flash::TAG_END;
inline constexpr TagCode tag_show_frame = flash::TAG_SHOW_FRAME;
inline constexpr TagCode tag_define_shape = flash::TAG_DEFINE_SHAPE;
inline constexpr TagCode tag_place_object = flash::TAG_PLACE_OBJECT;
inline constexpr TagCode tag_remove_object = flash::TAG_REMOVE_OBJECT;
inline constexpr TagCode tag_define_bits = flash::TAG_DEFINE_BITS;
inline constexpr TagCode tag_define_button = flash::TAG_DEFINE_BUTTON;
inline constexpr TagCode tag_jpeg_tables = flash::TAG_JPEG_TABLES;
inline constexpr TagCode tag_set_background_color = flash::TAG_SET_BACKGROUND_COLOR;
inline constexpr TagCode tag_define_text = flash::TAG_DEFINE_TEXT;
inline constexpr TagCode tag_do_action = flash::TAG_DO_ACTION;
inline constexpr TagCode tag_define_sound = flash::TAG_DEFINE_SOUND;
inline constexpr TagCode tag_start_sound = flash::TAG_START_SOUND;
inline constexpr TagCode tag_define_button_sound = flash::TAG_DEFINE_BUTTON_SOUND;
inline constexpr TagCode tag_sound_stream_head = flash::TAG_SOUND_STREAM_HEAD;
inline constexpr TagCode tag_sound_stream_block = flash::TAG_SOUND_STREAM_BLOCK;
inline constexpr TagCode tag_define_bits_lossless = flash::TAG_DEFINE_BITS_LOSSLESS;
inline constexpr TagCode tag_define_bits_jpeg2 = flash::TAG_DEFINE_BITS_JPEG2;
inline constexpr TagCode tag_define_shape2 = flash::TAG_DEFINE_SHAPE2;
inline constexpr TagCode tag_place_object2 = flash::TAG_PLACE_OBJECT2;
inline constexpr TagCode tag_remove_object2 = flash::TAG_REMOVE_OBJECT2;
inline constexpr TagCode tag_define_shape3 = flash::TAG_DEFINE_SHAPE3;
inline constexpr TagCode tag_define_text2 = flash::TAG_DEFINE_TEXT2;
inline constexpr TagCode tag_define_button2 = flash::TAG_DEFINE_BUTTON2;
inline constexpr TagCode tag_define_bits_jpeg3 = flash::TAG_DEFINE_BITS_JPEG3;
inline constexpr TagCode tag_define_bits_lossless2 = flash::TAG_DEFINE_BITS_LOSSLESS2;
inline constexpr TagCode tag_define_edit_text = flash::TAG_DEFINE_EDIT_TEXT;
inline constexpr TagCode tag_define_sprite = flash::TAG_DEFINE_SPRITE;
inline constexpr TagCode tag_frame_label = flash::TAG_FRAME_LABEL;
inline constexpr TagCode tag_sound_stream_head2 = flash::TAG_SOUND_STREAM_HEAD2;
inline constexpr TagCode tag_define_morph_shape = flash::TAG_DEFINE_MORPH_SHAPE;
inline constexpr TagCode tag_export_assets = flash::TAG_EXPORT_ASSETS;
inline constexpr TagCode tag_import_assets = flash::TAG_IMPORT_ASSETS;
inline constexpr TagCode tag_do_init_action = flash::TAG_DO_INIT_ACTION;
inline constexpr TagCode tag_file_attributes = flash::TAG_FILE_ATTRIBUTES;
inline constexpr TagCode tag_place_object3 = flash::TAG_PLACE_OBJECT3;
inline constexpr TagCode tag_csm_text_settings = flash::TAG_CSM_TEXT_SETTINGS;
inline constexpr TagCode tag_symbol_class = flash::TAG_SYMBOL_CLASS;
inline constexpr TagCode tag_do_abc = flash::TAG_DO_ABC;
inline constexpr TagCode tag_define_shape4 = flash::TAG_DEFINE_SHAPE4;
inline constexpr TagCode tag_define_morph_shape2 = flash::TAG_DEFINE_MORPH_SHAPE2;

inline constexpr int tag_code_shift = flash::tag_code_shift;
inline constexpr uint16_t short_length_mask = flash::tag_short_length_mask;
inline constexpr uint32_t long_length_marker = flash::tag_long_length_marker;

}  // namespace swf
