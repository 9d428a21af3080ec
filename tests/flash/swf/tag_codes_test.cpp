// The one table of tag codes against the numbers of the published format: the engine's loaders and
// the test movie writer both take their codes from it, so only these known answers catch a slip.
#include "flash/swf/tag_codes.h"

#include <gtest/gtest.h>

namespace {

TEST(TagCodes, MatchThePublishedNumbers) {
    struct row {
        int code;
        int expected;
    };
    const row rows[] = {
        {flash::TAG_END, 0},
        {flash::TAG_SHOW_FRAME, 1},
        {flash::TAG_DEFINE_SHAPE, 2},
        {flash::TAG_PLACE_OBJECT, 4},
        {flash::TAG_REMOVE_OBJECT, 5},
        {flash::TAG_DEFINE_BITS, 6},
        {flash::TAG_DEFINE_BUTTON, 7},
        {flash::TAG_JPEG_TABLES, 8},
        {flash::TAG_SET_BACKGROUND_COLOR, 9},
        {flash::TAG_DEFINE_FONT, 10},
        {flash::TAG_DEFINE_TEXT, 11},
        {flash::TAG_DO_ACTION, 12},
        {flash::TAG_DEFINE_FONT_INFO, 13},
        {flash::TAG_DEFINE_SOUND, 14},
        {flash::TAG_START_SOUND, 15},
        {flash::TAG_DEFINE_BUTTON_SOUND, 17},
        {flash::TAG_SOUND_STREAM_HEAD, 18},
        {flash::TAG_SOUND_STREAM_BLOCK, 19},
        {flash::TAG_DEFINE_BITS_LOSSLESS, 20},
        {flash::TAG_DEFINE_BITS_JPEG2, 21},
        {flash::TAG_DEFINE_SHAPE2, 22},
        {flash::TAG_PROTECT, 24},
        {flash::TAG_PLACE_OBJECT2, 26},
        {flash::TAG_REMOVE_OBJECT2, 28},
        {flash::TAG_DEFINE_SHAPE3, 32},
        {flash::TAG_DEFINE_TEXT2, 33},
        {flash::TAG_DEFINE_BUTTON2, 34},
        {flash::TAG_DEFINE_BITS_JPEG3, 35},
        {flash::TAG_DEFINE_BITS_LOSSLESS2, 36},
        {flash::TAG_DEFINE_EDIT_TEXT, 37},
        {flash::TAG_DEFINE_SPRITE, 39},
        {flash::TAG_FRAME_LABEL, 43},
        {flash::TAG_SOUND_STREAM_HEAD2, 45},
        {flash::TAG_DEFINE_MORPH_SHAPE, 46},
        {flash::TAG_DEFINE_FONT2, 48},
        {flash::TAG_EXPORT_ASSETS, 56},
        {flash::TAG_IMPORT_ASSETS, 57},
        {flash::TAG_ENABLE_DEBUGGER, 58},
        {flash::TAG_DO_INIT_ACTION, 59},
        {flash::TAG_DEFINE_FONT_INFO2, 62},
        {flash::TAG_ENABLE_DEBUGGER2, 64},
        {flash::TAG_SET_TAB_INDEX, 66},
        {flash::TAG_FILE_ATTRIBUTES, 69},
        {flash::TAG_PLACE_OBJECT3, 70},
        {flash::TAG_DEFINE_FONT_ALIGN_ZONES, 73},
        {flash::TAG_CSM_TEXT_SETTINGS, 74},
        {flash::TAG_DEFINE_FONT3, 75},
        {flash::TAG_SYMBOL_CLASS, 76},
        {flash::TAG_METADATA, 77},
        {flash::TAG_DO_ABC, 82},
        {flash::TAG_DEFINE_SHAPE4, 83},
        {flash::TAG_DEFINE_MORPH_SHAPE2, 84},
        {flash::TAG_DEFINE_SCENE_AND_FRAME_LABEL_DATA, 86},
        {flash::TAG_DEFINE_FONT_NAME, 88},
    };
    for (const row& r : rows) EXPECT_EQ(r.code, r.expected);
    // The header word: code above 6 bits of length, 0x3F announcing a 32-bit length.
    EXPECT_EQ((flash::TAG_PLACE_OBJECT2 << flash::tag_code_shift) | 5, 0x0685);
    EXPECT_EQ(flash::tag_short_length_mask, 0x3F);
    EXPECT_EQ(flash::tag_long_length_marker, 0x3Fu);
}

}  // namespace
