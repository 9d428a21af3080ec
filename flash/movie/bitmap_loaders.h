#pragma once
// The bitmap tag loaders: JPEGTables, DefineBits, DefineBitsJPEG2, DefineBitsJPEG3 and
// DefineBitsLossless/2. Each stores a bitmap character whose bitmap comes from the installed
// render handler under the movie file's name; bad data gives an empty bitmap (logged) and the
// tag loop goes on with the next tag.
#include "flash/base/bx_string.h"

namespace flash {

class bitmap_info;
class movie_definition_sub;
class swf_stream;

namespace image {
class rgb;
}

// The texture of a decoded image, which it takes over and deletes; an empty bitmap when img is
// null. Scripts' image loads make theirs here too.
bitmap_info* make_bitmap_info(image::rgb* img, const bx_string& owner);

void jpeg_tables_loader(swf_stream* in, int tag_type, movie_definition_sub* m);
void define_bits_jpeg_loader(swf_stream* in, int tag_type, movie_definition_sub* m);
void define_bits_jpeg2_loader(swf_stream* in, int tag_type, movie_definition_sub* m);
void define_bits_jpeg3_loader(swf_stream* in, int tag_type, movie_definition_sub* m);
void define_bits_lossless_loader(swf_stream* in, int tag_type, movie_definition_sub* m);

}  // namespace flash
