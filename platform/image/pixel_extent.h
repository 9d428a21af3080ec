#pragma once
// Whether a file's bytes can hold the pixels its header states. stb_image reads past the end of
// short data as zeros, so a few bytes claiming a large picture would decode "whole": the sizes are
// checked from the headers before anything is decoded or allocated.
#include <cstddef>
#include <cstdint>

#include "platform/image/image.h"

namespace platform::image {

// TGA: the image id, colour map and pixels (uncompressed), or every run-length packet up to the
// last pixel, lie within the data.
[[nodiscard]] bool tgaHoldsPixels(const uint8_t* data, size_t size, uint32_t width, uint32_t height);
// BMP, uncompressed or bit fields: every padded row lies within the data after the pixel offset.
[[nodiscard]] bool bmpHoldsPixels(const uint8_t* data, size_t size, uint32_t width, uint32_t height);
// PNG: every chunk up to the end chunk lies within the data (stb_image sizes its buffer from a
// chunk's stated length before reading it), and the image data chunks hold at least what deflate
// needs for the stated pixels (it packs at most 1032 bytes into one).
[[nodiscard]] bool pngHoldsPixels(const uint8_t* data, size_t size, uint32_t width, uint32_t height);
// JPEG: an end-of-image marker follows the first scan, and the coded bytes between them have at
// least one bit for each 8x8 block of the picture (no Huffman-coded block takes less).
[[nodiscard]] bool jpegHoldsPixels(const uint8_t* data, size_t size, uint32_t width, uint32_t height);

// The check of the file's kind.
[[nodiscard]] bool holdsPixels(FileFormat format, const uint8_t* data, size_t size, uint32_t width, uint32_t height);

}  // namespace platform::image
