#include "platform/image/image.h"

#include <algorithm>
#include <cstring>

#include "platform/image/dds_reader.h"
#include "platform/image/stb_decoder.h"

namespace platform::image {

bool readInfo(const uint8_t* data, size_t size, ImageInfo& out) {
    if (!data || size == 0) return false;
    if (isDds(data, size)) return readDdsInfo(data, size, out);
    return readStbInfo(data, size, out);
}

Result decode(const uint8_t* data, size_t size, Image& out) {
    out = Image();
    if (!data || size == 0) return Result::InvalidData;
    if (isDds(data, size)) return decodeDds(data, size, out);
    return decodeStb(data, size, out);
}

uint32_t bytesPerPixel(Format format) {
    switch (format) {
        case FMT_A8R8G8B8:
        case FMT_X8R8G8B8:
        case FMT_A8B8G8R8:
        case FMT_X8B8G8R8: return 4;
        case FMT_R8G8B8: return 3;
        case FMT_R5G6B5:
        case FMT_A8L8: return 2;
        case FMT_A8:
        case FMT_L8: return 1;
        default: return 0;
    }
}

bool toArgb(Format format, const uint8_t* s, size_t count, uint8_t* d) {
    switch (format) {
        case FMT_A8R8G8B8: std::memcpy(d, s, count * 4); return true;
        case FMT_X8R8G8B8:
            for (size_t i = 0; i < count; ++i, s += 4, d += 4) d[0] = s[0], d[1] = s[1], d[2] = s[2], d[3] = 255;
            return true;
        case FMT_A8B8G8R8:
        case FMT_X8B8G8R8:
            for (size_t i = 0; i < count; ++i, s += 4, d += 4)
                d[0] = s[2], d[1] = s[1], d[2] = s[0], d[3] = format == FMT_X8B8G8R8 ? 255 : s[3];
            return true;
        case FMT_R8G8B8:  // memory order B, G, R
            for (size_t i = 0; i < count; ++i, s += 3, d += 4) d[0] = s[0], d[1] = s[1], d[2] = s[2], d[3] = 255;
            return true;
        case FMT_R5G6B5:
            for (size_t i = 0; i < count; ++i, s += 2, d += 4) {
                uint16_t v = static_cast<uint16_t>(s[0] | (s[1] << 8));
                uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
                d[0] = static_cast<uint8_t>((b << 3) | (b >> 2));
                d[1] = static_cast<uint8_t>((g << 2) | (g >> 4));
                d[2] = static_cast<uint8_t>((r << 3) | (r >> 2));
                d[3] = 255;
            }
            return true;
        case FMT_A8:
            for (size_t i = 0; i < count; ++i, ++s, d += 4) d[0] = d[1] = d[2] = 0, d[3] = s[0];
            return true;
        case FMT_L8:
            for (size_t i = 0; i < count; ++i, ++s, d += 4) d[0] = d[1] = d[2] = s[0], d[3] = 255;
            return true;
        case FMT_A8L8:
            for (size_t i = 0; i < count; ++i, s += 2, d += 4) d[0] = d[1] = d[2] = s[0], d[3] = s[1];
            return true;
        default: return false;
    }
}

Level halveArgb(const Level& level) {
    Level out;
    out.width = std::max(1u, level.width / 2);
    out.height = std::max(1u, level.height / 2);
    out.bytes.resize(static_cast<size_t>(out.width) * out.height * 4);
    for (uint32_t y = 0; y < out.height; ++y) {
        uint32_t y0 = std::min(y * 2, level.height - 1), y1 = std::min(y * 2 + 1, level.height - 1);
        for (uint32_t x = 0; x < out.width; ++x) {
            uint32_t x0 = std::min(x * 2, level.width - 1), x1 = std::min(x * 2 + 1, level.width - 1);
            for (int c = 0; c < 4; ++c) {
                auto at = [&](uint32_t px, uint32_t py) {
                    return static_cast<uint32_t>(level.bytes[(static_cast<size_t>(py) * level.width + px) * 4 + c]);
                };
                uint32_t sum = at(x0, y0) + at(x1, y0) + at(x0, y1) + at(x1, y1);
                out.bytes[(static_cast<size_t>(y) * out.width + x) * 4 + c] = static_cast<uint8_t>((sum + 2) / 4);
            }
        }
    }
    return out;
}

}  // namespace platform::image
