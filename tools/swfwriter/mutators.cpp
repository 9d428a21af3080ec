#include "tools/swfwriter/mutators.h"

#include <algorithm>
#include <stdexcept>

#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/tag_codes.h"

namespace swf {

namespace {

constexpr int rect_bits_field = 5;
constexpr int rect_fields = 4;
constexpr size_t rate_and_count_size = 4;
constexpr size_t short_header_size = 2;
constexpr size_t long_header_size = 6;
constexpr size_t sprite_head_size = 4;  // id and frame count

uint32_t read_le(const Bytes& b, size_t at, int count) {
    uint32_t v = 0;
    for (int i = 0; i < count; ++i) v |= static_cast<uint32_t>(b[at + i]) << (8 * i);
    return v;
}

void write_le(Bytes& b, size_t at, uint32_t v, int count) {
    for (int i = 0; i < count; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

Bytes cut(const Bytes& file, size_t n) {
    return Bytes(file.begin(), file.begin() + std::min(n, file.size()));
}

void patch(Bytes& file, size_t offset, const Bytes& replacement) {
    if (offset > file.size() || replacement.size() > file.size() - offset)
        throw std::out_of_range("patch: past the end of the file");
    std::copy(replacement.begin(), replacement.end(), file.begin() + offset);
}

size_t first_tag_offset(const Bytes& fws) {
    if (fws.size() <= swf_header_size) throw std::invalid_argument("first_tag_offset: no frame rectangle");
    const int bits = fws[swf_header_size] >> (8 - rect_bits_field);
    const size_t rect_size = (rect_bits_field + rect_fields * bits + 7) / 8;
    return swf_header_size + rect_size + rate_and_count_size;
}

std::vector<TagLocation> list_tags(const Bytes& file, size_t begin, size_t end) {
    std::vector<TagLocation> tags;
    end = std::min(end, file.size());
    size_t at = begin;
    while (at + short_header_size <= end) {
        TagLocation t;
        t.header_offset = at;
        const uint32_t word = read_le(file, at, 2);
        t.code = static_cast<uint16_t>(word >> tag_code_shift);
        t.length = word & short_length_mask;
        t.long_form = t.length == long_length_marker;
        if (t.long_form) {
            if (at + long_header_size > end) break;
            t.length = read_le(file, at + short_header_size, 4);
        }
        t.body_offset = at + (t.long_form ? long_header_size : short_header_size);
        tags.push_back(t);
        if (t.code == tag_end || t.length > end - t.body_offset) break;
        at = t.body_offset + t.length;
    }
    return tags;
}

std::vector<TagLocation> list_tags(const Bytes& fws) {
    return list_tags(fws, first_tag_offset(fws), fws.size());
}

std::vector<TagLocation> sprite_tags(const Bytes& file, const TagLocation& sprite) {
    return list_tags(file, sprite.body_offset + sprite_head_size, sprite.body_offset + sprite.length);
}

void set_tag_length(Bytes& file, const TagLocation& tag, uint32_t length) {
    if (tag.long_form) {
        write_le(file, tag.header_offset + short_header_size, length, 4);
        return;
    }
    if (length >= long_length_marker)
        throw std::invalid_argument("set_tag_length: too long for a short header");
    const uint32_t word = (static_cast<uint32_t>(tag.code) << tag_code_shift) | length;
    write_le(file, tag.header_offset, word, 2);
}

}  // namespace swf
