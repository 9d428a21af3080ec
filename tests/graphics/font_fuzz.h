#pragma once
// One fuzz input for the font descriptions: the bytes are read as the XML text of a ".font" file.
#include <cstddef>
#include <cstdint>

namespace fonttest {

// Reads the description into a font and measures texts with it: its glyphs, the input's own
// bytes as characters, and a run of its widest glyph long enough to add up past 32 bits. Returns the number of glyphs
// read, or -1 when the bytes hold no readable description.
int readFontBytes(const uint8_t* data, size_t size);

}  // namespace fonttest
