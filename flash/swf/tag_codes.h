#pragma once
// The SWF tag codes and the tag header's layout: the one table that the engine's tag loop, its
// loaders and the test movie writer all name.
#include <cstdint>

namespace flash {

enum swf_tag_code : uint16_t {
    TAG_END = 0,
    TAG_SHOW_FRAME = 1,
    TAG_DEFINE_SHAPE = 2,
    TAG_PLACE_OBJECT = 4,
    TAG_REMOVE_OBJECT = 5,
    TAG_DEFINE_BITS = 6,
    TAG_DEFINE_BUTTON = 7,
    TAG_JPEG_TABLES = 8,
    TAG_SET_BACKGROUND_COLOR = 9,
    TAG_DEFINE_FONT = 10,
    TAG_DEFINE_TEXT = 11,
    TAG_DO_ACTION = 12,
    TAG_DEFINE_FONT_INFO = 13,
    TAG_DEFINE_SOUND = 14,
    TAG_START_SOUND = 15,
    TAG_DEFINE_BUTTON_SOUND = 17,
    TAG_SOUND_STREAM_HEAD = 18,
    TAG_SOUND_STREAM_BLOCK = 19,
    TAG_DEFINE_BITS_LOSSLESS = 20,
    TAG_DEFINE_BITS_JPEG2 = 21,
    TAG_DEFINE_SHAPE2 = 22,
    TAG_PROTECT = 24,
    TAG_PLACE_OBJECT2 = 26,
    TAG_REMOVE_OBJECT2 = 28,
    TAG_DEFINE_SHAPE3 = 32,
    TAG_DEFINE_TEXT2 = 33,
    TAG_DEFINE_BUTTON2 = 34,
    TAG_DEFINE_BITS_JPEG3 = 35,
    TAG_DEFINE_BITS_LOSSLESS2 = 36,
    TAG_DEFINE_EDIT_TEXT = 37,
    TAG_DEFINE_SPRITE = 39,
    TAG_FRAME_LABEL = 43,
    TAG_SOUND_STREAM_HEAD2 = 45,
    TAG_DEFINE_MORPH_SHAPE = 46,
    TAG_DEFINE_FONT2 = 48,
    TAG_EXPORT_ASSETS = 56,
    TAG_IMPORT_ASSETS = 57,
    TAG_ENABLE_DEBUGGER = 58,
    TAG_DO_INIT_ACTION = 59,
    TAG_DEFINE_FONT_INFO2 = 62,
    TAG_ENABLE_DEBUGGER2 = 64,
    TAG_SET_TAB_INDEX = 66,
    TAG_FILE_ATTRIBUTES = 69,
    TAG_PLACE_OBJECT3 = 70,
    TAG_DEFINE_FONT_ALIGN_ZONES = 73,
    TAG_CSM_TEXT_SETTINGS = 74,
    TAG_DEFINE_FONT3 = 75,
    TAG_SYMBOL_CLASS = 76,
    TAG_METADATA = 77,
    TAG_DO_ABC = 82,
    TAG_DEFINE_SHAPE4 = 83,
    TAG_DEFINE_MORPH_SHAPE2 = 84,
    TAG_DEFINE_SCENE_AND_FRAME_LABEL_DATA = 86,
    TAG_DEFINE_FONT_NAME = 88,
};

// A tag header word holds the code above 6 bits of length; a length field of 0x3F announces a
// 32-bit length after the word.
inline constexpr int tag_code_shift = 6;
inline constexpr uint16_t tag_short_length_mask = 0x3F;
inline constexpr uint32_t tag_long_length_marker = 0x3F;

}  // namespace flash
