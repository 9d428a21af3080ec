#pragma once
// One UTF-8 character at a time: the decoder and encoder under every character-counting string
// operation of the engine. Sequences of up to six bytes are read and written (31-bit codes).
#include <cstdint>

namespace flash {

// Returns the next code point of a NUL-terminated UTF-8 text and moves *utf8_buffer past it.
// At the terminating NUL it returns 0 without moving. A bad lead or continuation byte, an
// overlong form, a surrogate or U+FFFE/U+FFFF gives U+FFFD; a NUL inside a sequence gives 0 with
// the position left on that NUL.
uint32_t utf8_decode_next_char(const char** utf8_buffer);

// Writes the UTF-8 form of ucs_character at buffer[*index] (1 to 6 bytes; the buffer must have
// room for 6) and advances *index. Codes of 0x80000000 and above write nothing.
void utf8_encode_char(char* buffer, int* index, uint32_t ucs_character);

// The number of bytes utf8_encode_char writes for a code point (0 above 0x7FFFFFFF).
int utf8_encoded_length(uint32_t ucs_character);

}  // namespace flash
