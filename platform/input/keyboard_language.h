#pragma once
// The language of the keyboard layout (the low word of the Windows layout handle) and the
// notification that it changed.
#include <cstdint>
#include <functional>

namespace platform {

constexpr uint16_t kLanguageGerman = 1031;
constexpr uint16_t kLanguageEnglishUS = 1033;

// The override when one is set; else German when the SDL keymap puts Z on the Y key (QWERTZ),
// else US English.
uint16_t keyboardLanguageId();
// 0 returns to detection. Setting or clearing it raises the change notification.
void setKeyboardLanguageOverride(uint16_t languageId);

// Called (on the thread that pumps SDL events) when the keymap changes: the input-language
// change of the window. One handler; an empty one removes it.
void setInputLanguageChangeHandler(std::function<void()> handler);

}  // namespace platform
