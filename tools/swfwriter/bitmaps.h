#pragma once
// Bitmap tags: DefineBitsLossless/2 from pixels (colour-mapped, 15-bit or 32-bit), the JPEG tags
// DefineBits with JPEGTables, DefineBitsJPEG2 and DefineBitsJPEG3, with the JPEG data made by
// libjpeg from pixels. Pixel data is deflated with zlib as the tags require.
#include <cstdint>
#include <vector>

#include "tools/swfwriter/bit_writer.h"
#include "tools/swfwriter/records.h"

namespace swf {

struct Image {
    int width = 0, height = 0;
    std::vector<Rgba> pixels;  // row by row, top row first

    static Image filled(int width, int height, Rgba color);
    Rgba& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    const Rgba& at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

enum LosslessFormat : uint8_t {
    lossless_colormapped = 3,  // a palette of up to 256 colours, index rows padded to 4 bytes
    lossless_rgb15 = 4,        // big-endian 5-5-5 pixels, rows padded to 4 bytes
    lossless_argb = 5,         // four bytes a pixel, alpha (or a reserved 0) first
};

// The zlib stream of `data`.
Bytes deflate_bytes(const Bytes& data);

// The bytes the tag deflates, before deflation. A colour-mapped palette lists the colours in
// the order they first appear; more than 256 colours throw std::invalid_argument. `with_alpha`
// (DefineBitsLossless2) keeps alpha in the palette and in 32-bit pixels; colours are stored as
// given, so a caller that wants the premultiplied form the format describes premultiplies first.
Bytes lossless_pixel_data(const Image& image, uint8_t format, bool with_alpha);
// Id, format, width, height, [colour count - 1,] deflated pixel data.
Bytes define_bits_lossless_body(uint16_t id, const Image& image, uint8_t format, bool with_alpha);

// JPEG streams made by libjpeg at the given quality (1..100).
Bytes encode_jpeg(const Image& image, int quality);
// The same picture as an abbreviated pair: a tables-only stream (quantisation and Huffman tables)
// and an image stream that relies on them.
struct JpegPair {
    Bytes tables;
    Bytes image;
};
JpegPair encode_jpeg_pair(const Image& image, int quality);

// The end-of-image and start-of-image markers that SWF JPEG data may start with.
inline const Bytes jpeg_erroneous_header = {0xFF, 0xD9, 0xFF, 0xD8};

// DefineBitsJPEG3: id, size of the JPEG data, the data, then the deflated alpha bytes.
Bytes define_bits_jpeg3_body(uint16_t id, const Bytes& jpeg, const Bytes& alpha);
// The alpha bytes of an image, one a pixel.
Bytes alpha_channel(const Image& image);

}  // namespace swf
