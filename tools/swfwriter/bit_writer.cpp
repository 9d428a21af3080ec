#include "tools/swfwriter/bit_writer.h"

#include <cmath>
#include <cstring>

namespace swf {

int ub_width(uint32_t v) {
    int bits = 0;
    while (v != 0) {
        ++bits;
        v >>= 1;
    }
    return bits;
}

int sb_width(int32_t v) {
    if (v == 0) return 0;
    // A negative value needs the bits of its complement plus the sign bit, a positive one the
    // bits of its magnitude plus a clear sign bit.
    const uint32_t magnitude = v < 0 ? ~static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
    return ub_width(magnitude) + 1;
}

int32_t to_fixed16(double v) { return static_cast<int32_t>(std::lround(v * 65536.0)); }

int16_t to_fixed8(double v) { return static_cast<int16_t>(std::lround(v * 256.0)); }

void BitWriter::ub(uint32_t v, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
        pending_ = static_cast<uint8_t>((pending_ << 1) | ((v >> i) & 1u));
        if (++pending_bits_ == 8) {
            out_.push_back(pending_);
            pending_ = 0;
            pending_bits_ = 0;
        }
    }
}

void BitWriter::sb(int32_t v, int bits) { ub(static_cast<uint32_t>(v), bits); }

void BitWriter::align() {
    if (pending_bits_ > 0) ub(0, 8 - pending_bits_);
}

void BitWriter::u8(uint8_t v) {
    align();
    out_.push_back(v);
}

void BitWriter::u16(uint16_t v) {
    u8(static_cast<uint8_t>(v));
    u8(static_cast<uint8_t>(v >> 8));
}

void BitWriter::u32(uint32_t v) {
    u16(static_cast<uint16_t>(v));
    u16(static_cast<uint16_t>(v >> 16));
}

void BitWriter::f32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    u32(bits);
}

void BitWriter::f64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    u32(static_cast<uint32_t>(bits));
    u32(static_cast<uint32_t>(bits >> 32));
}

void BitWriter::string(std::string_view text) {
    bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    u8(0);
}

void BitWriter::bytes(const Bytes& data) { bytes(data.data(), data.size()); }

void BitWriter::bytes(const uint8_t* data, size_t size) {
    align();
    out_.insert(out_.end(), data, data + size);
}

const Bytes& BitWriter::data() {
    align();
    return out_;
}

Bytes BitWriter::take() {
    align();
    Bytes result;
    result.swap(out_);
    return result;
}

}  // namespace swf
