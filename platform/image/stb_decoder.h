#pragma once
// PNG, JPEG, BMP and TGA files through stb_image.
#include "platform/image/image.h"

namespace platform::image {

[[nodiscard]] bool readStbInfo(const uint8_t* data, size_t size, ImageInfo& out);
[[nodiscard]] Result decodeStb(const uint8_t* data, size_t size, Image& out);

}  // namespace platform::image
