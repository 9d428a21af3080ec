#include "tools/swfwriter/movie_writer.h"

#include <zlib.h>

#include <stdexcept>

namespace swf {

namespace {

constexpr uint8_t compressed_signature = 'C';

}  // namespace

MovieWriter::MovieWriter(int version) : TagWriter(version) {}

void MovieWriter::frame_rate(double fps) { frame_rate_ = static_cast<uint16_t>(to_fixed8(fps)); }

Bytes MovieWriter::finish_fws() const {
    BitWriter body;
    write_rect(body, frame_rect_);
    body.u16(frame_rate_);
    body.u16(frame_count_.value_or(static_cast<uint16_t>(frames())));
    body.bytes(bytes());
    const Bytes& rest = body.data();

    BitWriter w;
    w.bytes(reinterpret_cast<const uint8_t*>("FWS"), 3);
    w.u8(static_cast<uint8_t>(version()));
    w.u32(file_length_.value_or(static_cast<uint32_t>(swf_header_size + rest.size())));
    w.bytes(rest);
    return w.take();
}

Bytes MovieWriter::finish_cws() const { return to_cws(finish_fws()); }

Bytes to_cws(const Bytes& fws) {
    if (fws.size() < swf_header_size) throw std::invalid_argument("to_cws: shorter than a SWF header");
    const uLong source_size = static_cast<uLong>(fws.size() - swf_header_size);
    uLongf packed_size = compressBound(source_size);
    Bytes out(swf_header_size + packed_size);
    std::copy(fws.begin(), fws.begin() + swf_header_size, out.begin());
    out[0] = compressed_signature;
    if (compress2(out.data() + swf_header_size, &packed_size, fws.data() + swf_header_size, source_size,
                  Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("to_cws: zlib compression failed");
    out.resize(swf_header_size + packed_size);
    return out;
}

}  // namespace swf
