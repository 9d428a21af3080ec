#pragma once
// A whole SWF file: the header (signature, version, file length, frame rectangle, rate and count)
// over a tag stream, packed as an uncompressed "FWS" file or a zlib-compressed "CWS" file.
//
//   swf::MovieWriter m(8);
//   m.frame_rect({0, 11000, 0, 8000});
//   m.do_action(actions);
//   m.show_frame();
//   m.end();
//   swf::Bytes fws = m.finish_fws();
//
// Nothing is added behind the caller's back: a movie without an End tag has none.
#include <cstdint>
#include <optional>

#include "tools/swfwriter/records.h"
#include "tools/swfwriter/tag_writer.h"

namespace swf {

class MovieWriter : public TagWriter {
public:
    explicit MovieWriter(int version = 8);

    void frame_rect(const Rect& r) { frame_rect_ = r; }
    // Frames per second, stored as 8.8 fixed point.
    void frame_rate(double fps);
    void frame_rate_raw(uint16_t raw) { frame_rate_ = raw; }
    // The header's count; by default the number of ShowFrame tags written.
    void frame_count(uint16_t n) { frame_count_ = n; }
    // The header's file length; by default the true (uncompressed) length.
    void file_length(uint32_t n) { file_length_ = n; }

    Bytes finish_fws() const;
    Bytes finish_cws() const;

private:
    Rect frame_rect_{0, 550 * 20, 0, 400 * 20};
    uint16_t frame_rate_ = 12 << 8;
    std::optional<uint16_t> frame_count_;
    std::optional<uint32_t> file_length_;
};

// Offset of the first byte after the 8-byte signature, version and length.
inline constexpr size_t swf_header_size = 8;

// The same file compressed: "CWS", the header's version and length kept, the rest deflated.
// Accepts any bytes of at least the header's size (a mutated FWS file included).
Bytes to_cws(const Bytes& fws);

}  // namespace swf
