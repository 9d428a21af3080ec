#include <cstring>

#include <stb_image_write.h>

#include "platform/files.h"
#include "platform/graphics/gfx_control.h"

namespace platform::gfx {

namespace {

bool holdsPixels(const Image& image) {
    return image.width > 0 && image.height > 0 &&
           image.pixels.size() >= static_cast<size_t>(image.width) * image.height * 4;
}

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

}  // namespace

uint32_t Image::argb(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    const uint8_t* p = pixels.data() + (static_cast<size_t>(y) * width + x) * 4;
    return (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
}

bool saveBmp24(const std::string& path, const Image& image) {
    if (!holdsPixels(image)) return false;
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


bool saveDds32(const std::string& path, const Image& image) {
    if (!holdsPixels(image)) return false;
    constexpr size_t kHeader = 128;
    constexpr uint32_t kCaps = 0x1, kHeight = 0x2, kWidth = 0x4, kPitch = 0x8, kPixelFormat = 0x1000;
    constexpr uint32_t kRgb = 0x40, kAlphaPixels = 0x1, kTextureCaps = 0x1000;
    const size_t bytes = static_cast<size_t>(image.width) * image.height * 4;
    std::vector<uint8_t> out(kHeader + bytes, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&out[at], &v, 4); };
    std::memcpy(out.data(), "DDS ", 4);
    put32(4, 124);
    put32(8, kCaps | kHeight | kWidth | kPitch | kPixelFormat);
    put32(12, static_cast<uint32_t>(image.height));
    put32(16, static_cast<uint32_t>(image.width));
    put32(20, static_cast<uint32_t>(image.width) * 4);
    put32(76, 32);
    put32(80, kRgb | kAlphaPixels);
    put32(88, 32);
    put32(92, 0x00FF0000u);
    put32(96, 0x0000FF00u);
    put32(100, 0x000000FFu);
    put32(104, 0xFF000000u);
    put32(108, kTextureCaps);
    std::memcpy(out.data() + kHeader, image.pixels.data(), bytes);
    return platform::writeFileAtomically(path, out.data(), out.size());
}

bool savePng(const std::string& path, const Image& image, bool withAlpha) {
    if (!holdsPixels(image)) return false;
    const int channels = withAlpha ? 4 : 3;
    std::vector<uint8_t> rgba(static_cast<size_t>(image.width) * image.height * channels);
    for (size_t i = 0, n = static_cast<size_t>(image.width) * image.height; i < n; ++i) {
        const uint8_t* p = image.pixels.data() + i * 4;
        uint8_t* q = rgba.data() + i * channels;
        q[0] = p[2];
        q[1] = p[1];
        q[2] = p[0];
        if (withAlpha) q[3] = p[3];
    }
    std::vector<uint8_t> out;
    if (!stbi_write_png_to_func(appendBytes, &out, image.width, image.height, channels, rgba.data(),
                                image.width * channels))
        return false;
    return platform::writeFileAtomically(path, out.data(), out.size());
}

}  // namespace platform::gfx
