#pragma once
// Values that write themselves to and read themselves from a byte buffer (archive directory
// entries, LEB128 lengths, length-prefixed names).
#include <cstdint>
#include <string>

namespace Tov {

class Storeable {
public:
    virtual ~Storeable() = default;
    // Writes the value and returns the pointer just past it. The caller guarantees size() bytes.
    virtual uint8_t* store(uint8_t* out) const = 0;
    // Reads the value and returns the pointer just past it; null when the bytes are malformed.
    virtual const uint8_t* load(const uint8_t* in) = 0;
    // The number of bytes store() writes.
    virtual uint32_t size() const = 0;
};

// An unsigned 32-bit value stored as unsigned LEB128: 7 bits a byte, least significant group
// first, the high bit set on every byte but the last; 1 to 5 bytes.
class CompactULong : public Storeable {
public:
    static constexpr uint32_t kMaxBytes = 5;

    CompactULong() = default;
    explicit CompactULong(uint32_t value) : m_value(value) {}

    uint8_t* store(uint8_t* out) const override;
    // Stops after five bytes: a fifth byte that still has the high bit set is an error (null).
    const uint8_t* load(const uint8_t* in) override;
    // The bounded read for untrusted buffers: null when the value runs past `end` or is too long.
    const uint8_t* load(const uint8_t* in, const uint8_t* end);
    uint32_t size() const override;

    uint32_t value() const { return m_value; }
    void setValue(uint32_t value) { m_value = value; }
    operator uint32_t() const { return m_value; }

private:
    uint32_t m_value = 0;
};

// Length-prefixed string: a CompactULong byte length, then the bytes without a terminating zero.
uint8_t* storeString(uint8_t* out, const std::string& text);
// Unbounded read (trusted buffers); null when the length prefix is malformed.
const uint8_t* loadString(const uint8_t* in, std::string& text);
// Bounded read: null (and `text` cleared) when the prefix or the bytes run past `end`.
const uint8_t* loadString(const uint8_t* in, const uint8_t* end, std::string& text);
// Bytes storeString writes for `text`.
uint32_t storedStringSize(const std::string& text);

}  // namespace Tov
