#include "platform/input/clipboard.h"

#include <SDL.h>

#include <cstdint>

#include "platform/text_encoding.h"

namespace platform {

std::string cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) appendUtf8(out, cp1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string utf8ToCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        uint32_t cp = 0;
        const size_t n = decodeUtf8(text, i, cp);
        if (n == 0) {
            out += '?';
            ++i;
            continue;
        }
        const int b = unicodeToCp1252(cp);
        out += b < 0 ? '?' : static_cast<char>(b);
        i += n;
    }
    return out;
}

bool clipboardHasText() { return SDL_WasInit(SDL_INIT_VIDEO) && SDL_HasClipboardText(); }

bool startClipboardVideo() { return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0; }

void stopClipboardVideo() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

std::string clipboardUtf8() {
    if (!clipboardHasText()) return {};
    char* utf8 = SDL_GetClipboardText();
    if (!utf8) return {};
    std::string out = utf8;
    SDL_free(utf8);
    return out;
}

bool setClipboardUtf8(const char* utf8) {
    return SDL_WasInit(SDL_INIT_VIDEO) && SDL_SetClipboardText(utf8) == 0;
}

bool getClipboardText(std::string& text) {
    const std::string utf8 = clipboardUtf8();
    if (utf8.empty()) return false;
    text = utf8ToCp1252(utf8);
    return true;
}

bool setClipboardText(const std::string& text) {
    return setClipboardUtf8(cp1252ToUtf8(std::string_view(text.c_str())).c_str());
}

}  // namespace platform
