#pragma once
// The text encodings the game meets outside the engine: strict UTF-8, and Windows-1252 for the
// 8-bit texts of old data and the clipboard.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Length of the valid UTF-8 sequence at text[i] and its code point; 0 when the bytes there are not
// one (overlong forms, surrogates and values past U+10FFFF are not).
size_t decodeUtf8(std::string_view text, size_t i, uint32_t& cp);
void appendUtf8(std::string& out, uint32_t cp);

// Windows-1252 byte to code point; the five unassigned bytes stand for the C1 controls of the
// same value, as the Windows conversion treats them.
char16_t cp1252ToUnicode(unsigned char b);
// Code point to Windows-1252 byte; -1 when the code page has none.
int unicodeToCp1252(uint32_t cp);

}  // namespace platform
