#pragma once
// DDS files: the header's size, levels, faces and pixel format, and the pixels decoded from the
// uncompressed layouts (ARGB, XRGB, RGB, RGB565, L8, A8, A8L8) and from DXT1 to DXT5 blocks.
#include "platform/image/image.h"

namespace platform::image {

bool isDds(const uint8_t* data, size_t size);
[[nodiscard]] bool readDdsInfo(const uint8_t* data, size_t size, ImageInfo& out);
[[nodiscard]] Result decodeDds(const uint8_t* data, size_t size, Image& out);

// One 4x4 block into 16 A8R8G8B8 pixels (row by row). DXT1 blocks are 8 bytes, DXT3 and DXT5 16.
void decodeDxt1Block(const uint8_t* block, uint8_t* out);
void decodeDxt3Block(const uint8_t* block, uint8_t* out);
void decodeDxt5Block(const uint8_t* block, uint8_t* out);

}  // namespace platform::image
