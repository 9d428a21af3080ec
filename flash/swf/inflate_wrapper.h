#pragma once
// Inflates one zlib stream from an swf_stream into a buffer of the exact size the caller expects,
// reading no further than the open tag's end. Anything but a stream that ends after filling the
// buffer exactly (corrupt data, too little or too much output, data cut by the tag) is an
// ERROR in the log and a false result.
#include <cstdint>

namespace flash {

class swf_stream;

[[nodiscard]] bool inflate_wrapper(swf_stream* in, void* buffer, int64_t size);

}  // namespace flash
