#pragma once
// Writes the encodings SWF files are made of: bit fields packed most significant bit first,
// little-endian integers, fixed-point numbers, floats and NUL-terminated strings. Every whole-byte
// write first flushes a partly filled byte with zero padding, as the format's readers expect.
#include <cstdint>
#include <string_view>
#include <vector>

namespace swf {

using Bytes = std::vector<uint8_t>;

// Width asked of a bit field whose width the writer works out from the values.
inline constexpr int auto_bits = -1;

// Bits an unsigned field needs for v (0 for 0).
int ub_width(uint32_t v);
// Bits a signed field needs for v, sign bit included (0 for 0, 1 for -1, 2 for 1).
int sb_width(int32_t v);

// 16.16 and 8.8 fixed-point encodings of v, rounded to the nearest step.
int32_t to_fixed16(double v);
int16_t to_fixed8(double v);

class BitWriter {
public:
    // Unsigned field of `bits` bits (0..32); bits of v above the width are dropped, so a width too
    // small for the value writes a truncated field on purpose.
    void ub(uint32_t v, int bits);
    // Signed field: the low `bits` bits of v's two's complement form.
    void sb(int32_t v, int bits);
    void flag(bool v) { ub(v ? 1 : 0, 1); }
    // Pads the current byte with zero bits.
    void align();

    void u8(uint8_t v);
    void u16(uint16_t v);
    void u32(uint32_t v);
    void fixed16(double v) { u32(static_cast<uint32_t>(to_fixed16(v))); }
    void fixed8(double v) { u16(static_cast<uint16_t>(to_fixed8(v))); }
    void f32(float v);
    void f64(double v);
    // The text's bytes and a terminating 0.
    void string(std::string_view text);
    void bytes(const Bytes& data);
    void bytes(const uint8_t* data, size_t size);

    // The bytes written so far, the partial byte included.
    const Bytes& data();
    Bytes take();
    size_t size_in_bits() const { return out_.size() * 8 + pending_bits_; }

private:
    Bytes out_;
    uint8_t pending_ = 0;
    int pending_bits_ = 0;
};

}  // namespace swf
