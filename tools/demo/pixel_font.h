#pragma once
// The demo's own pixel font: 5 by 7 glyphs for the letters (lower case drawn as upper case),
// digits and common signs, drawn at any whole scale. The generator makes every bitmap font and
// the captions of its pictures from it.
#include <cstdint>
#include <vector>

namespace demo {

inline constexpr int kGlyphWidth = 5, kGlyphHeight = 7;

// The seven rows of a character, bit 4 the leftmost column; unknown characters get a frame.
std::vector<uint8_t> glyphRows(char16_t c);

// The characters every demo font holds: printable ASCII and the non-ASCII letters of the texts.
std::vector<char16_t> fontCharacters();

}  // namespace demo
