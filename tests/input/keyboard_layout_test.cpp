#include "input/keyboard_layout.h"

#include <gtest/gtest.h>

#include "input/direct_input.h"
#include "platform/input/keyboard_language.h"

namespace {

struct CharCase {
    int scanCode;
    bool shift;
    char16_t german, other;
};

const CharCase kChars[] = {
    {0x02, false, u'1', u'1'},   {0x0B, false, u'0', u'0'},      {0x15, false, u'z', u'y'},
    {0x2C, false, u'y', u'z'},   {0x15, true, u'Z', u'Y'},       {0x2C, true, u'Y', u'Z'},
    {0x1E, false, u'a', u'a'},   {0x32, true, u'M', u'M'},       {0x03, true, u'"', u'@'},
    {0x04, true, 0xA7, u'#'},    {0x0B, true, u'=', u')'},       {0x0C, false, u'?', u'-'},
    {0x0D, false, 0x60, u'='},   {0x0D, true, 0x60, u'+'},       {0x0C, true, u'?', u'_'},
    {0x1A, false, u'u', u'['},   {0x1A, true, u'U', u'{'},       {0x1B, false, u'+', u']'},
    {0x1B, true, u'*', u'}'},    {0x27, false, u'o', u';'},      {0x27, true, u'O', u':'},
    {0x28, false, u'a', 0x60},   {0x28, true, u'A', u'"'},       {0x29, false, u'^', 0x60},
    {0x29, true, u'~', u'~'},    {0x2B, false, u'#', u'\\'},     {0x2B, true, 0x60, u'|'},
    {0x33, false, u',', u','},   {0x33, true, u';', u'<'},       {0x34, true, u':', u'>'},
    {0x35, false, u'-', u'/'},   {0x35, true, u'_', u'?'},       {0x37, true, u'*', u'*'},
    {0x39, false, u' ', u' '},   {0x39, true, u' ', u' '},       {0x4F, false, u'1', u'1'},
    {0x52, false, u'0', u'0'},   {0x4A, false, u'-', u'-'},      {0x4E, false, u'+', u'+'},
    {0x53, false, u',', u'.'},   {0x8D, false, u'=', u'='},      {0x91, false, u'@', u'@'},
    {0x92, false, u':', u':'},   {0xB3, false, u':', u':'},      {0xB5, false, u'/', u'/'},
    // Keys the layout does not give.
    {0x3B, false, 0xFFFF, 0xFFFF}, {0x01, false, 0xFFFF, 0xFFFF}, {0x4F, true, 0xFFFF, 0xFFFF},
    {0x1C, false, 0xFFFF, 0xFFFF}, {-1, false, 0xFFFF, 0xFFFF},   {0x1000, false, 0xFFFF, 0xFFFF},
};

TEST(KeyboardLayout, GermanAndOtherLayoutsGiveTheirCharacters) {
    for (uint16_t language : {uint16_t(1031), uint16_t(1033), uint16_t(1036), uint16_t(0)}) {
        KeyTables::buildKeyboardLayout(language);
        for (const CharCase& c : kChars)
            EXPECT_EQ(int(KeyTables::getChar(c.scanCode, c.shift)), int(language == 1031 ? c.german : c.other))
                << "language " << language << " code " << c.scanCode << " shift " << c.shift;
    }
}

TEST(KeyboardLayout, EveryLetterHasBothCases) {
    for (uint16_t language : {uint16_t(1031), uint16_t(1033)}) {
        KeyTables::buildKeyboardLayout(language);
        int letters = 0;
        for (const auto& [key, c] : KeyTables::layoutMap()) {
            if (key < kShiftedKey && c >= u'a' && c <= u'z') {
                ++letters;
                EXPECT_EQ(int(KeyTables::getChar(int(key), true)), c - u'a' + u'A') << key;
            }
        }
        EXPECT_EQ(letters, language == 1031 ? 29 : 26) << "German umlaut keys give plain vowels";
    }
}

TEST(KeyboardLayout, FollowsTheDetectedLanguageAndItsOverride) {
    platform::setKeyboardLanguageOverride(platform::kLanguageGerman);
    buildKeyboardLayout();
    EXPECT_EQ(KeyTables::getChar(0x15, false), u'z');

    platform::setKeyboardLanguageOverride(0);  // headless detection: US
    {
        CDirectInput8 input;  // builds the layout at construction
        EXPECT_EQ(KeyTables::getChar(0x15, false), u'y');
        platform::setKeyboardLanguageOverride(platform::kLanguageGerman);
        input.buildKeyboardLayout();
        EXPECT_EQ(KeyTables::getChar(0x15, false), u'z');
    }
    platform::setKeyboardLanguageOverride(0);
    buildKeyboardLayout();
}

TEST(VirtualKeys, FullAndEditingMaps) {
    struct Case {
        int scanCode;
        uint32_t full, editing;
    };
    const Case cases[] = {
        {0x3B, 0x70, 0},    {0x44, 0x79, 0},    {0x57, 0x7A, 0},    {0x58, 0x7B, 0},    {0x66, 0x7E, 0},
        {0xD3, 0x2E, 0x2E}, {0x0E, 0x08, 0x08}, {0xCF, 0x23, 0x23}, {0xC7, 0x24, 0x24}, {0xCB, 0x25, 0x25},
        {0xC8, 0x26, 0x26}, {0xCD, 0x27, 0x27}, {0xD0, 0x28, 0x28}, {0x1E, 0x41, 0},    {0x15, 0x59, 0},
        {0x2C, 0x5A, 0},    {0x0B, 0x30, 0},    {0x02, 0x31, 0},    {0x0A, 0x39, 0},    {0x52, 0x60, 0},
        {0x4F, 0x61, 0},    {0x49, 0x69, 0},    {0x39, 0x20, 0},    {0x27, 0xBA, 0},    {0x0D, 0xBB, 0},
        {0x0C, 0xBD, 0},    {0x35, 0xBF, 0},    {0x1A, 0xDB, 0},    {0x1B, 0xDD, 0},    {0x2B, 0xDC, 0},
        {0x01, 0, 0},       {0x1C, 0, 0},       {-5, 0, 0},         {300, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(scanCodeToVirtualKey(c.scanCode, false), c.full) << c.scanCode;
        EXPECT_EQ(scanCodeToVirtualKey(c.scanCode, true), c.editing) << c.scanCode;
    }
}

}  // namespace
