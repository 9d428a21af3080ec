#include "platform/input/scan_codes.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

struct Case {
    SDL_Scancode sdl;
    int dik;
};

// The keys the game names, with the extended ones (bit 7), the numeric pad, the ISO key beside
// left shift and Print screen.
const Case kCases[] = {
    {SDL_SCANCODE_ESCAPE, 1},         {SDL_SCANCODE_1, 0x02},          {SDL_SCANCODE_0, 0x0B},
    {SDL_SCANCODE_MINUS, 0x0C},       {SDL_SCANCODE_EQUALS, 0x0D},     {SDL_SCANCODE_BACKSPACE, 0x0E},
    {SDL_SCANCODE_W, 17},             {SDL_SCANCODE_R, 19},            {SDL_SCANCODE_Y, 0x15},
    {SDL_SCANCODE_P, 25},             {SDL_SCANCODE_LEFTBRACKET, 0x1A}, {SDL_SCANCODE_RETURN, 28},
    {SDL_SCANCODE_LCTRL, 0x1D},       {SDL_SCANCODE_D, 32},            {SDL_SCANCODE_F, 33},
    {SDL_SCANCODE_H, 35},             {SDL_SCANCODE_SEMICOLON, 0x27},  {SDL_SCANCODE_APOSTROPHE, 0x28},
    {SDL_SCANCODE_GRAVE, 41},         {SDL_SCANCODE_LSHIFT, 0x2A},     {SDL_SCANCODE_BACKSLASH, 0x2B},
    {SDL_SCANCODE_NONUSHASH, 0x2B},   {SDL_SCANCODE_Z, 0x2C},          {SDL_SCANCODE_M, 50},
    {SDL_SCANCODE_SLASH, 0x35},       {SDL_SCANCODE_RSHIFT, 0x36},     {SDL_SCANCODE_KP_MULTIPLY, 0x37},
    {SDL_SCANCODE_LALT, 0x38},        {SDL_SCANCODE_SPACE, 0x39},      {SDL_SCANCODE_F1, 0x3B},
    {SDL_SCANCODE_F10, 0x44},         {SDL_SCANCODE_KP_7, 0x47},       {SDL_SCANCODE_KP_MINUS, 0x4A},
    {SDL_SCANCODE_KP_PLUS, 0x4E},     {SDL_SCANCODE_KP_0, 0x52},       {SDL_SCANCODE_KP_PERIOD, 0x53},
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56}, {SDL_SCANCODE_F11, 0x57},     {SDL_SCANCODE_F12, 0x58},
    {SDL_SCANCODE_F13, 0x64},         {SDL_SCANCODE_F15, 0x66},        {SDL_SCANCODE_KP_EQUALS, 0x8D},
    {SDL_SCANCODE_KP_AT, 0x91},       {SDL_SCANCODE_KP_COLON, 0x92},   {SDL_SCANCODE_KP_ENTER, 156},
    {SDL_SCANCODE_RCTRL, 0x9D},       {SDL_SCANCODE_KP_COMMA, 0xB3},   {SDL_SCANCODE_KP_DIVIDE, 0xB5},
    {SDL_SCANCODE_PRINTSCREEN, 183},  {SDL_SCANCODE_RALT, 0xB8},       {SDL_SCANCODE_PAUSE, 0xC5},
    {SDL_SCANCODE_HOME, 0xC7},        {SDL_SCANCODE_UP, 0xC8},         {SDL_SCANCODE_PAGEUP, 0xC9},
    {SDL_SCANCODE_LEFT, 0xCB},        {SDL_SCANCODE_RIGHT, 0xCD},      {SDL_SCANCODE_END, 0xCF},
    {SDL_SCANCODE_DOWN, 0xD0},        {SDL_SCANCODE_PAGEDOWN, 0xD1},   {SDL_SCANCODE_INSERT, 210},
    {SDL_SCANCODE_DELETE, 0xD3},      {SDL_SCANCODE_LGUI, 0xDB},       {SDL_SCANCODE_APPLICATION, 0xDD},
};

TEST(ScanCodes, KeysMapToTheirDirectInputCodes) {
    for (const Case& c : kCases)
        EXPECT_EQ(platform::scanCodeToDik(c.sdl), c.dik) << SDL_GetScancodeName(c.sdl);
}

TEST(ScanCodes, AllLettersAndDigitsAreDistinctAndKnown) {
    bool seen[256] = {};
    for (int sdl = SDL_SCANCODE_A; sdl <= SDL_SCANCODE_0; ++sdl) {
        const int dik = platform::scanCodeToDik(sdl);
        ASSERT_GT(dik, 0) << sdl;
        EXPECT_FALSE(seen[dik]) << sdl;
        seen[dik] = true;
    }
}

TEST(ScanCodes, KeysWithoutACodeAndOutOfRangeValuesGiveZero) {
    for (int sdl : {int(SDL_SCANCODE_UNKNOWN), int(SDL_SCANCODE_F24), int(SDL_SCANCODE_AGAIN), -1, 100000,
                    int(SDL_NUM_SCANCODES)})
        EXPECT_EQ(platform::scanCodeToDik(sdl), 0) << sdl;
}

}  // namespace
