#pragma once
// JPEG decoding through libjpeg, reading compressed bytes from an swf_stream so that a reader
// never passes the end it is given nor the end of the tag it sits in. Every libjpeg failure is
// caught at the reader's boundary: it is logged and the read gives no image; the process lives.
#include <cstdint>

#include "flash/render/image.h"

namespace flash {

class bx_file;
class swf_stream;

namespace jpeg {

class input {
public:
    virtual ~input() = default;
    // Forgets the buffered bytes: the next read starts at the stream's position and stops at
    // end_position (or the open tag's end, whichever comes first).
    virtual void discard_buffered_input(int end_position) = 0;
    // Reads headers until an image is ready and starts decompressing it. False (logged) on error.
    [[nodiscard]] virtual bool begin_image() = 0;
    // Finishes a started image; the reader keeps its tables for the next one.
    virtual void end_image() = 0;
    virtual int get_height() const = 0;
    virtual int get_width() const = 0;
    // Decodes the next row as width * 3 bytes r, g, b. False (logged) on error.
    [[nodiscard]] virtual bool read_row(uint8_t* rgb_row) = 0;
};

// A reader over in that has read the stream's header once without requiring an image, so that
// it keeps the quantisation and Huffman tables for later images (JPEGTables). A header that
// already carries an image leaves it ready for begin_image. Null (logged) on error.
input* create_tables_reader(swf_stream* in, int end_position);

// Decodes the next image of a reader into a new rgb image; the reader stays usable. Null on error.
image::rgb* read_rgb(input* reader);
// The same into an rgba image whose alpha bytes are all 255.
image::rgba* read_rgba(input* reader);

// A self-contained SWF JPEG between the stream's position and end_position: its own tables, then
// its image (DefineBitsJPEG2, and the colour part of DefineBitsJPEG3). Null on error.
image::rgb* read_swf_jpeg2(swf_stream* in, int end_position);
image::rgba* read_swf_jpeg3(swf_stream* in, int end_position);

}  // namespace jpeg

namespace image {

// A whole JPEG file, by path or from an open file. Null when the file cannot be opened or decoded.
rgb* read_jpeg(const char* filename);
rgb* read_jpeg(bx_file* in);

}  // namespace image

}  // namespace flash
