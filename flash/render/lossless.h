#pragma once
// The pixel data of DefineBitsLossless (opaque) and DefineBitsLossless2 (with alpha): a zlib
// stream, read from the stream's position to the open tag's end, in one of three formats.
// Each reader gives a new image, or null with an ERROR logged when the format is unknown, the
// size is refused or the data is bad.
#include "flash/render/image.h"

namespace flash {

class swf_stream;

namespace lossless {

enum format {
    COLORMAPPED = 3,  // colour count - 1 byte, palette, index rows padded to 4 bytes
    RGB15 = 4,        // big-endian 0RRRRRGGGGGBBBBB, rows padded to 4 bytes
    ARGB = 5,         // a, r, g, b per pixel
};

// fmt's colour-mapped colour count byte, when it has one, is read first.
image::rgb* read_rgb(swf_stream* in, int fmt, int width, int height);
// Alpha as stored: 32-bit pixels keep their (premultiplied) colours; 15-bit ones get alpha 255.
image::rgba* read_rgba(swf_stream* in, int fmt, int width, int height);

}  // namespace lossless

}  // namespace flash
