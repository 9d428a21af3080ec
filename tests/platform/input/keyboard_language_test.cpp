#include "platform/input/keyboard_language.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

TEST(KeyboardLanguage, DetectsUsWithoutAGermanKeymapAndHonoursTheOverride) {
    int changes = 0;
    platform::setInputLanguageChangeHandler([&] { ++changes; });

    // No video subsystem: SDL's default keymap, which puts Y on the Y key.
    EXPECT_EQ(platform::keyboardLanguageId(), platform::kLanguageEnglishUS);
    platform::setKeyboardLanguageOverride(platform::kLanguageGerman);
    EXPECT_EQ(platform::keyboardLanguageId(), 1031);
    EXPECT_EQ(changes, 1);
    platform::setKeyboardLanguageOverride(0);
    EXPECT_EQ(platform::keyboardLanguageId(), 1033);
    EXPECT_EQ(changes, 2);

    platform::setInputLanguageChangeHandler(nullptr);
    platform::setKeyboardLanguageOverride(0);
    EXPECT_EQ(changes, 2);
}

TEST(KeyboardLanguage, AKeymapChangeRaisesTheNotification) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
    int changes = 0;
    platform::setInputLanguageChangeHandler([&] { ++changes; });
    SDL_Event e{};
    e.type = SDL_KEYMAPCHANGED;
    ASSERT_GE(SDL_PushEvent(&e), 0);
    EXPECT_EQ(changes, 1);
    platform::setInputLanguageChangeHandler(nullptr);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

}  // namespace
