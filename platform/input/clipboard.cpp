#include "platform/input/clipboard.h"

#include <SDL.h>

#include <cstdint>

namespace platform {
namespace {

// Windows-1252 for 0x80-0x9F; the five unassigned bytes stand for the C1 controls of the same
// value, as the Windows conversion treats them.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

uint32_t fromCp1252(unsigned char b) { return b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : b; }

int toCp1252(uint32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == cp) return 0x80 + i;
    return -1;
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Length of the valid UTF-8 sequence at text[i] (0 when invalid) and its code point.
size_t decodeUtf8(std::string_view text, size_t i, uint32_t& cp) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    size_t n;
    uint32_t min;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        n = 2, min = 0x80, cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 3, min = 0x800, cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 4, min = 0x10000, cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + n > text.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

}  // namespace

std::string cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) appendUtf8(out, fromCp1252(static_cast<unsigned char>(c)));
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
        const int b = toCp1252(cp);
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
