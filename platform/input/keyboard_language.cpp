#include "platform/input/keyboard_language.h"

#include <SDL.h>

#include <atomic>
#include <mutex>

#include "platform/input/input_watch.h"

namespace platform {
namespace {
std::atomic<uint16_t> s_override{0};
std::mutex s_handlerLock;
std::function<void()> s_handler;
}  // namespace

uint16_t keyboardLanguageId() {
    if (const uint16_t forced = s_override.load()) return forced;
    // Without a video subsystem SDL answers from its default (US) keymap.
    return SDL_GetKeyFromScancode(SDL_SCANCODE_Y) == SDLK_z ? kLanguageGerman : kLanguageEnglishUS;
}

void setKeyboardLanguageOverride(uint16_t languageId) {
    s_override.store(languageId);
    detail::raiseInputLanguageChange();
}

void setInputLanguageChangeHandler(std::function<void()> handler) {
    {
        std::lock_guard<std::mutex> guard(s_handlerLock);
        s_handler = std::move(handler);
    }
    detail::ensureInputEventWatch();
}

namespace detail {

void raiseInputLanguageChange() {
    std::function<void()> handler;
    {
        std::lock_guard<std::mutex> guard(s_handlerLock);
        handler = s_handler;
    }
    if (handler) handler();
}

}  // namespace detail
}  // namespace platform
