#include "core/base64.h"

namespace Tov {
namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int valueOf(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

size_t base64EncodedCapacity(size_t length) {
    // Past this the text would not fit in a size_t: no buffer can be that large.
    constexpr size_t kMaxLength = (SIZE_MAX - 1) / 4 * 3;
    if (length > kMaxLength) return SIZE_MAX;
    // The empty text asks for two, as the encoder does.
    if (length == 0) return 2;
    return (length + 2) / 3 * 4 + 1;
}

int base64Encode(const uint8_t* in, size_t length, char* out, size_t capacity) {
    if (!out || capacity == 0) return -1;
    // An empty input gives the empty text, yet the capacity must hold two bytes: the least this
    // function accepts for any input.
    if (length == 0) {
        if (capacity < 2) return -1;
        out[0] = '\0';
        return 0;
    }
    if (!in) return -1;
    size_t pos = 0;
    for (size_t i = 0; i < length; i += 3) {
        if (capacity - pos < 5) {
            // Not even room for one more group and the terminator.
            out[pos < capacity ? pos : capacity - 1] = '\0';
            return -1;
        }
        const uint32_t b0 = in[i];
        const uint32_t b1 = i + 1 < length ? in[i + 1] : 0;
        const uint32_t b2 = i + 2 < length ? in[i + 2] : 0;
        const uint32_t group = (b0 << 16) | (b1 << 8) | b2;
        out[pos++] = kAlphabet[(group >> 18) & 63];
        out[pos++] = kAlphabet[(group >> 12) & 63];
        out[pos++] = i + 1 < length ? kAlphabet[(group >> 6) & 63] : '=';
        out[pos++] = i + 2 < length ? kAlphabet[group & 63] : '=';
    }
    out[pos] = '\0';
    return 0;
}

int base64Decode(const char* text, uint8_t* out, uint32_t* outLength, size_t capacity) {
    if (outLength) *outLength = 0;
    if (!text) return -1;
    size_t written = 0;
    uint32_t group = 0;
    int count = 0;  // characters of the current group
    auto put = [&](uint8_t b) {
        if (written >= capacity) return false;
        out[written++] = b;
        return true;
    };
    for (const char* p = text;; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '\0' || c == '=') {
            bool ok = true;
            if (count == 1 || (c == '\0' && count != 0)) {
                ok = false;  // the text ends inside a group
            } else if (count == 2) {
                ok = put(static_cast<uint8_t>(group >> 4));
            } else if (count == 3) {
                ok = put(static_cast<uint8_t>(group >> 10)) && put(static_cast<uint8_t>(group >> 2));
            }
            if (outLength) *outLength = static_cast<uint32_t>(written);
            return ok ? 0 : -1;
        }
        const int v = valueOf(c);
        if (v < 0) continue;  // line breaks, blanks and other noise
        group = (group << 6) | static_cast<uint32_t>(v);
        if (++count == 4) {
            if (!put(static_cast<uint8_t>(group >> 16)) || !put(static_cast<uint8_t>(group >> 8)) ||
                !put(static_cast<uint8_t>(group))) {
                if (outLength) *outLength = static_cast<uint32_t>(written);
                return -1;
            }
            group = 0;
            count = 0;
        }
    }
}

}  // namespace Tov
