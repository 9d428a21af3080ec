#include "flash/base/utf8.h"

namespace flash {

uint32_t utf8_decode_next_char(const char** utf8_buffer) {
    const unsigned char* s = reinterpret_cast<const unsigned char*>(*utf8_buffer);
    const unsigned lead = s[0];
    if (lead == 0) return 0;
    if (lead < 0x80) {
        *utf8_buffer += 1;
        return lead;
    }

    int length;
    uint32_t value;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
    } else if ((lead & 0xFC) == 0xF8) {
        length = 5;
        value = lead & 0x03;
    } else if ((lead & 0xFE) == 0xFC) {
        length = 6;
        value = lead & 0x01;
    } else {
        // A continuation byte or 0xFE/0xFF cannot start a character.
        *utf8_buffer += 1;
        return 0xFFFD;
    }

    const unsigned char* p = s + 1;
    for (int k = 1; k < length; ++k, ++p) {
        const unsigned b = *p;
        if (b == 0) {
            *utf8_buffer = reinterpret_cast<const char*>(p);
            return 0;
        }
        if ((b & 0xC0) != 0x80) {
            *utf8_buffer = reinterpret_cast<const char*>(p);
            return 0xFFFD;
        }
        value = (value << 6) | (b & 0x3F);
    }
    *utf8_buffer = reinterpret_cast<const char*>(p);

    switch (length) {
        case 2:
            if (value < 0x80) return 0xFFFD;
            break;
        case 3:
            if (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF) || value == 0xFFFE ||
                value == 0xFFFF)
                return 0xFFFD;
            break;
        case 4:
            if (value <= 0xFFFF) return 0xFFFD;
            break;
        case 5:
            if (value <= 0x1FFFFF) return 0xFFFD;
            break;
        default:
            if (value <= 0x3FFFFFF) return 0xFFFD;
            break;
    }
    return value;
}

int utf8_encoded_length(uint32_t c) {
    if (c < 0x80) return 1;
    if (c < 0x800) return 2;
    if (c < 0x10000) return 3;
    if (c < 0x200000) return 4;
    if (c < 0x4000000) return 5;
    if (c < 0x80000000u) return 6;
    return 0;
}

void utf8_encode_char(char* buffer, int* index, uint32_t c) {
    const int length = utf8_encoded_length(c);
    if (length == 0) return;
    unsigned char* out = reinterpret_cast<unsigned char*>(buffer) + *index;
    if (length == 1) {
        out[0] = static_cast<unsigned char>(c);
    } else {
        static const unsigned char lead_marks[7] = {0, 0, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC};
        for (int k = length - 1; k > 0; --k) {
            out[k] = static_cast<unsigned char>(0x80 | (c & 0x3F));
            c >>= 6;
        }
        out[0] = static_cast<unsigned char>(lead_marks[length] | c);
    }
    *index += length;
}

}  // namespace flash
