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

bool getClipboardText(std::string& text) {
    if (!clipboardHasText()) return false;
    char* utf8 = SDL_GetClipboardText();
    if (!utf8) return false;
    const bool any = *utf8 != '\0';
    if (any) text = utf8ToCp1252(utf8);
    SDL_free(utf8);
    return any;
}

bool setClipboardText(const std::string& text) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    const std::string utf8 = cp1252ToUtf8(std::string_view(text.c_str()));
    return SDL_SetClipboardText(utf8.c_str()) == 0;
}

}  // namespace platform
