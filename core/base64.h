#pragma once
// Base64 text (RFC 4648 alphabet, "=" padding) for binary and wide-string attribute values.
#include <cstddef>
#include <cstdint>

namespace Tov {

// Encodes `length` bytes into `out` followed by a terminating zero. Returns 0, or -1 (with an
// incomplete output) when `capacity` does not hold every character and the zero.
int base64Encode(const uint8_t* in, size_t length, char* out, size_t capacity);

// The capacity base64Encode needs for `length` bytes, the terminating zero included (2 for no
// bytes; SIZE_MAX when the text could not fit in memory).
size_t base64EncodedCapacity(size_t length);

// Decodes the zero-terminated `text`, skipping characters outside the alphabet; "=" or the end of
// the text at a group boundary ends the data. Returns 0 and sets `outLength` (when given) to the
// bytes written; -1 when the text ends inside a group or the output would exceed `capacity`.
// Three bytes of output for every four characters of text always suffice.
int base64Decode(const char* text, uint8_t* out, uint32_t* outLength, size_t capacity = SIZE_MAX);

}  // namespace Tov
