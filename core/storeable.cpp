#include "core/storeable.h"

#include <cstring>

#include "core/log_stream.h"

namespace Tov {

uint8_t* CompactULong::store(uint8_t* out) const {
    uint32_t v = m_value;
    while (v >= 0x80) {
        *out++ = static_cast<uint8_t>(v | 0x80);
        v >>= 7;
    }
    *out++ = static_cast<uint8_t>(v);
    return out;
}

namespace {

// Reads at most five groups; unbounded, the caller vouches for the bytes.
const uint8_t* readCompact(const uint8_t* in, const uint8_t* end, bool bounded, uint32_t& value) {
    uint32_t v = 0;
    for (uint32_t i = 0; i < CompactULong::kMaxBytes; ++i) {
        if (bounded && (!in || !end || in + i >= end)) {
            LogLine("ERROR") << "Tov::CompactULong::load" << ": truncated value";
            value = 0;
            return nullptr;
        }
        const uint8_t b = in[i];
        v |= static_cast<uint32_t>(b & 0x7F) << (7 * i);
        if (!(b & 0x80)) {
            value = v;
            return in + i + 1;
        }
    }
    LogLine("ERROR") << "Tov::CompactULong::load" << ": value longer than 5 bytes";
    value = 0;
    return nullptr;
}

}  // namespace

const uint8_t* CompactULong::load(const uint8_t* in) { return readCompact(in, nullptr, false, m_value); }

const uint8_t* CompactULong::load(const uint8_t* in, const uint8_t* end) {
    return readCompact(in, end, true, m_value);
}

uint32_t CompactULong::size() const {
    uint32_t n = 1;
    for (uint32_t v = m_value; v >= 0x80; v >>= 7) ++n;
    return n;
}

uint8_t* storeString(uint8_t* out, const std::string& text) {
    const uint32_t length = static_cast<uint32_t>(text.size());
    out = CompactULong(length).store(out);
    if (length) std::memcpy(out, text.data(), length);
    return out + length;
}

const uint8_t* loadString(const uint8_t* in, std::string& text) {
    CompactULong length;
    const uint8_t* p = length.load(in);
    if (!p) {
        text.clear();
        return nullptr;
    }
    text.assign(reinterpret_cast<const char*>(p), length.value());
    return p + length.value();
}

const uint8_t* loadString(const uint8_t* in, const uint8_t* end, std::string& text) {
    text.clear();
    CompactULong length;
    const uint8_t* p = length.load(in, end);
    if (!p) return nullptr;
    if (static_cast<size_t>(end - p) < length.value()) {
        LogLine("ERROR") << "Tov::loadString" << ": string of " << length.value()
                         << " bytes runs past the end of the data";
        return nullptr;
    }
    text.assign(reinterpret_cast<const char*>(p), length.value());
    return p + length.value();
}

uint32_t storedStringSize(const std::string& text) {
    const uint32_t length = static_cast<uint32_t>(text.size());
    return CompactULong(length).size() + length;
}

}  // namespace Tov
