#include <cstring>

#include "platform/files.h"
#include "platform/graphics/gfx_control.h"

namespace platform::gfx {

uint32_t Image::argb(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    const uint8_t* p = pixels.data() + (static_cast<size_t>(y) * width + x) * 4;
    return (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
}

bool saveBmp24(const std::string& path, const Image& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() < static_cast<size_t>(image.width) * image.height * 4)
        return false;
    const uint32_t rowBytes = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
    const uint32_t dataBytes = rowBytes * static_cast<uint32_t>(image.height);
    std::vector<uint8_t> out(54 + static_cast<size_t>(dataBytes), 0);
    auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&out[at], &v, 2); };
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&out[at], &v, 4); };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, 54 + dataBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(image.width));
    put32(22, static_cast<uint32_t>(image.height));
    put16(26, 1);
    put16(28, 24);
    put32(34, dataBytes);
    put32(38, 2835);
    put32(42, 2835);
    // Bitmap rows run bottom up.
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* src = image.pixels.data() + static_cast<size_t>(image.height - 1 - y) * image.width * 4;
        uint8_t* dst = out.data() + 54 + static_cast<size_t>(y) * rowBytes;
        for (int x = 0; x < image.width; ++x) {
            dst[x * 3 + 0] = src[x * 4 + 0];
            dst[x * 3 + 1] = src[x * 4 + 1];
            dst[x * 3 + 2] = src[x * 4 + 2];
        }
    }
    return platform::writeFileAtomically(path, out.data(), out.size());
}

}  // namespace platform::gfx
