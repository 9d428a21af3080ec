#pragma once
// One fuzz input for the image readers: the bytes are read as a picture file of any kind.
#include <cstddef>
#include <cstdint>

namespace imagetest {

// Reads the header and decodes the bytes; a decoded picture is converted to A8R8G8B8 and halved.
// False when a decoded picture disagrees with itself (levels, faces or byte counts that do not
// match its sizes and format); true otherwise, whether or not the bytes were a picture.
bool decodeImageBytes(const uint8_t* data, size_t size);

}  // namespace imagetest
