#pragma once
// Test fixtures: DDS files written byte by byte, and PNG, BMP, TGA and JPEG files written by
// stb_image_write, from pixels the tests choose.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <stb_image_write.h>

namespace imagetest {

constexpr uint32_t DDPF_ALPHAPIXELS = 0x1, DDPF_ALPHA = 0x2, DDPF_FOURCC = 0x4, DDPF_RGB = 0x40,
                   DDPF_LUMINANCE = 0x20000;
constexpr uint32_t CAPS2_CUBE_ALL = 0x200 | 0xFC00, CAPS2_VOLUME = 0x200000;

struct DdsFormat {
    uint32_t flags, fourCC, bits, r, g, b, a;
};
inline DdsFormat ddsArgb() { return {DDPF_RGB | DDPF_ALPHAPIXELS, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u}; }
inline DdsFormat ddsXrgb() { return {DDPF_RGB, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0}; }
inline DdsFormat ddsRgb565() { return {DDPF_RGB, 0, 16, 0xF800, 0x7E0, 0x1F, 0}; }
inline DdsFormat ddsL8() { return {DDPF_LUMINANCE, 0, 8, 0xFF, 0, 0, 0}; }
inline DdsFormat ddsA8() { return {DDPF_ALPHA, 0, 8, 0, 0, 0, 0xFF}; }
inline DdsFormat ddsA8L8() { return {DDPF_LUMINANCE | DDPF_ALPHAPIXELS, 0, 16, 0xFF, 0, 0, 0xFF00}; }
inline DdsFormat ddsFourCC(const char* cc) {
    uint32_t v = uint32_t(uint8_t(cc[0])) | uint32_t(uint8_t(cc[1])) << 8 | uint32_t(uint8_t(cc[2])) << 16 |
                 uint32_t(uint8_t(cc[3])) << 24;
    return {DDPF_FOURCC, v, 0, 0, 0, 0, 0};
}

inline void put32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A DDS file: the header followed by `payload` (every face's levels, as the file stores them).
inline std::string dds(uint32_t width, uint32_t height, uint32_t levels, const DdsFormat& f, const std::string& payload,
                       uint32_t caps2 = 0, uint32_t depth = 0) {
    std::string s(128, '\0');
    std::memcpy(s.data(), "DDS ", 4);
    put32(s, 4, 124);
    uint32_t flags = 0x1 | 0x2 | 0x4 | 0x1000 | (levels > 1 ? 0x20000 : 0) | (depth ? 0x800000 : 0);
    put32(s, 8, flags);
    put32(s, 12, height);
    put32(s, 16, width);
    put32(s, 24, depth);
    put32(s, 28, levels);
    put32(s, 76, 32);
    put32(s, 80, f.flags);
    put32(s, 84, f.fourCC);
    put32(s, 88, f.bits);
    put32(s, 92, f.r);
    put32(s, 96, f.g);
    put32(s, 100, f.b);
    put32(s, 104, f.a);
    put32(s, 108, 0x1000 | (levels > 1 ? 0x400008 : 0) | (caps2 ? 0x8 : 0));
    put32(s, 112, caps2);
    return s + payload;
}

// Pixels as 32-bit values written little-endian (A8R8G8B8 memory order for 0xAARRGGBB).
inline std::string pixels32(const std::vector<uint32_t>& values) {
    std::string s(values.size() * 4, '\0');
    for (size_t i = 0; i < values.size(); ++i) put32(s, i * 4, values[i]);
    return s;
}

inline void appendTo(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

// `rgba` holds R, G, B, A bytes per pixel (or `channels` bytes).
inline std::string png(int w, int h, int channels, const std::vector<uint8_t>& bytes) {
    std::string out;
    stbi_write_png_to_func(appendTo, &out, w, h, channels, bytes.data(), w * channels);
    return out;
}
inline std::string bmp(int w, int h, int channels, const std::vector<uint8_t>& bytes) {
    std::string out;
    stbi_write_bmp_to_func(appendTo, &out, w, h, channels, bytes.data());
    return out;
}
inline std::string tga(int w, int h, int channels, const std::vector<uint8_t>& bytes, bool rle = false) {
    std::string out;
    stbi_write_tga_with_rle = rle ? 1 : 0;
    stbi_write_tga_to_func(appendTo, &out, w, h, channels, bytes.data());
    return out;
}
// A TGA header written by hand: image type, width, height and bits per pixel; no image id and no colour map
// unless given.
inline std::string tgaHeader(uint8_t type, uint16_t w, uint16_t h, uint8_t bits, uint8_t idLength = 0,
                             uint16_t mapLength = 0, uint8_t mapBits = 0) {
    std::string s(18, '\0');
    s[0] = static_cast<char>(idLength);
    s[1] = mapLength ? 1 : 0;
    s[2] = static_cast<char>(type);
    s[5] = static_cast<char>(mapLength), s[6] = static_cast<char>(mapLength >> 8);
    s[7] = static_cast<char>(mapBits);
    s[12] = static_cast<char>(w), s[13] = static_cast<char>(w >> 8);
    s[14] = static_cast<char>(h), s[15] = static_cast<char>(h >> 8);
    s[16] = static_cast<char>(bits);
    return s;
}

inline std::string jpg(int w, int h, int channels, const std::vector<uint8_t>& bytes) {
    std::string out;
    stbi_write_jpg_to_func(appendTo, &out, w, h, channels, bytes.data(), 100);
    return out;
}

// A w x h picture of four flat quadrants: red, green, blue, white (alpha 255 except where given).
inline std::vector<uint8_t> quadrants(int w, int h, int channels, uint8_t alpha = 255) {
    std::vector<uint8_t> out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool right = x >= w / 2, bottom = y >= h / 2;
            uint8_t r = (!right && !bottom) || (right && bottom) ? 255 : 0;
            uint8_t g = (right && !bottom) || (right && bottom) ? 255 : 0;
            uint8_t b = (!right && bottom) || (right && bottom) ? 255 : 0;
            uint8_t px[4] = {r, g, b, alpha};
            if (channels == 1) out.push_back(static_cast<uint8_t>(x * 255 / (w - 1)));
            else if (channels == 2) out.push_back(static_cast<uint8_t>(x * 255 / (w - 1))), out.push_back(alpha);
            else out.insert(out.end(), px, px + channels);
        }
    return out;
}

}  // namespace imagetest
