#pragma once
// Changes to finished files, to make malformed input: cutting, patching bytes, and rewriting a
// tag's length field. Tags are found by walking the uncompressed file; compress afterwards with
// to_cws when a malformed CWS file is wanted.
#include <cstdint>
#include <vector>

#include "tools/swfwriter/bit_writer.h"

namespace swf {

struct TagLocation {
    size_t header_offset = 0;
    size_t body_offset = 0;
    uint16_t code = 0;
    uint32_t length = 0;
    bool long_form = false;
};

// The first n bytes (all of them when n is past the end).
Bytes cut(const Bytes& file, size_t n);
// `replacement` written over the bytes from `offset`; throws std::out_of_range past the end.
void patch(Bytes& file, size_t offset, const Bytes& replacement);

// Offset of the first tag of an FWS file: after the header, the frame rectangle, rate and count.
size_t first_tag_offset(const Bytes& fws);
// The tags from `begin` up to `end`, stopping at an End tag (listed) or a header that does not fit.
std::vector<TagLocation> list_tags(const Bytes& file, size_t begin, size_t end);
// The top-level tags of an FWS file.
std::vector<TagLocation> list_tags(const Bytes& fws);
// The tags inside a DefineSprite, after its id and frame count.
std::vector<TagLocation> sprite_tags(const Bytes& file, const TagLocation& sprite);

// Rewrites the tag's length field in place. A short header holds at most 62; a larger length
// throws std::invalid_argument (write that tag with TagHeader::long_form instead).
void set_tag_length(Bytes& file, const TagLocation& tag, uint32_t length);

}  // namespace swf
