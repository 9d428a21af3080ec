#include "platform/image/pixel_extent.h"

#include <algorithm>

namespace platform::image {

namespace {

constexpr size_t kTgaHeaderBytes = 18;
constexpr uint8_t kTgaRunBit = 0x80;      // packet header: a run of one repeated pixel
constexpr uint32_t kTgaPacketPixels = 0x7F;  // packet header: pixel count - 1
constexpr size_t kBmpFileHeaderBytes = 14;
constexpr uint32_t kBmpCoreHeaderBytes = 12;
constexpr uint64_t kJpegBlockSide = 8;
constexpr size_t kPngSignatureBytes = 8;
constexpr size_t kPngChunkFrameBytes = 12;  // length, type, CRC
constexpr size_t kPngHeaderDepthAt = 24, kPngHeaderColourAt = 25;
constexpr uint64_t kMaxDeflateRatio = 1032;

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// Samples per pixel of a PNG colour type: grey, -, RGB, palette index, grey + alpha, -, RGBA.
uint32_t pngChannels(uint8_t colourType) {
    switch (colourType) {
        case 0: case 3: return 1;
        case 4: return 2;
        case 2: return 3;
        case 6: return 4;
        default: return 0;
    }
}

bool isTgaRunLength(uint8_t type) { return type == 9 || type == 10 || type == 11; }

// Every packet from `at` up to the picture's last pixel lies within the data. Each packet takes at
// least two bytes, so the walk is bounded by the data's size.
bool tgaPacketsFit(const uint8_t* data, size_t size, size_t at, uint64_t pixels, uint32_t pixelBytes) {
    while (pixels > 0) {
        if (at >= size) return false;
        const uint8_t header = data[at++];
        const uint64_t count = (header & kTgaPacketPixels) + 1u;
        const uint64_t bytes = (header & kTgaRunBit) ? pixelBytes : count * pixelBytes;
        if (bytes > size - at) return false;
        at += static_cast<size_t>(bytes);
        pixels -= std::min(pixels, count);
    }
    return true;
}

}  // namespace

bool tgaHoldsPixels(const uint8_t* data, size_t size, uint32_t width, uint32_t height) {
    if (size < kTgaHeaderBytes) return false;
    const uint8_t idLength = data[0], mapType = data[1], type = data[2], mapBits = data[7], bits = data[16];
    const uint64_t mapBytes = mapType == 1 ? uint64_t(le16(data + 5)) * ((mapBits + 7u) / 8u) : 0;
    const uint64_t start = kTgaHeaderBytes + idLength + mapBytes;
    const uint32_t pixelBytes = (bits + 7u) / 8u;
    const uint64_t pixels = uint64_t(width) * height;
    if (start > size || pixelBytes == 0) return false;
    if (isTgaRunLength(type)) return tgaPacketsFit(data, size, static_cast<size_t>(start), pixels, pixelBytes);
    return pixels * pixelBytes <= size - start;
}

bool bmpHoldsPixels(const uint8_t* data, size_t size, uint32_t width, uint32_t height) {
    if (size < kBmpFileHeaderBytes + 4) return false;
    const uint32_t headerBytes = le32(data + kBmpFileHeaderBytes);
    const bool core = headerBytes == kBmpCoreHeaderBytes;
    const size_t bitsAt = kBmpFileHeaderBytes + (core ? 10 : 14);
    if (size < bitsAt + 2) return false;
    const uint32_t bits = le16(data + bitsAt);
    if (bits == 0) return false;
    // The pixels start at the stated offset, and never inside the headers.
    const uint64_t start = std::max<uint64_t>(le32(data + 10), kBmpFileHeaderBytes + uint64_t(headerBytes));
    const uint64_t rowBytes = (uint64_t(width) * bits + 31) / 32 * 4;  // rows padded to 4 bytes
    return start <= size && rowBytes * height <= size - start;
}

bool pngHoldsPixels(const uint8_t* data, size_t size, uint32_t width, uint32_t height) {
    if (size <= kPngHeaderColourAt) return false;
    const uint64_t bits = uint64_t(data[kPngHeaderDepthAt]) * pngChannels(data[kPngHeaderColourAt]);
    uint64_t packed = 0;
    for (size_t at = kPngSignatureBytes;;) {
        if (size - at < kPngChunkFrameBytes) return false;
        const uint32_t length = be32(data + at);
        if (length > size - at - kPngChunkFrameBytes) return false;
        const uint8_t* type = data + at + 4;
        if (type[0] == 'I' && type[1] == 'D' && type[2] == 'A' && type[3] == 'T') packed += length;
        if (type[0] == 'I' && type[1] == 'E' && type[2] == 'N' && type[3] == 'D') break;
        at += kPngChunkFrameBytes + length;
    }
    // The pixels alone, without the filter byte of each row, are a lower bound of what inflates.
    return packed * kMaxDeflateRatio >= (uint64_t(width) * height * bits + 7) / 8;
}

bool jpegHoldsPixels(const uint8_t* data, size_t size, uint32_t width, uint32_t height) {
    // Walk the marker segments after the start-of-image marker to the first scan.
    size_t at = 2, coded = 0;
    while (coded == 0) {
        while (at + 1 < size && data[at] == 0xFF && data[at + 1] == 0xFF) ++at;  // fill bytes
        if (at + 4 > size || data[at] != 0xFF) return false;
        const uint8_t marker = data[at + 1];
        const bool standalone = marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7);
        if (standalone) {
            at += 2;
            continue;
        }
        const uint16_t length = be16(data + at + 2);
        if (length < 2) return false;
        at += 2 + size_t(length);
        if (marker == 0xDA) coded = at;
    }
    if (coded > size) return false;
    // The last end-of-image marker closes the coded data (0xFF 0xD9 cannot occur inside it).
    size_t end = size;
    for (size_t i = size - 1; i > coded; --i)
        if (data[i - 1] == 0xFF && data[i] == 0xD9) {
            end = i - 1;
            break;
        }
    if (end == size) return false;
    const uint64_t blocks = ((width + kJpegBlockSide - 1) / kJpegBlockSide) * ((height + kJpegBlockSide - 1) / kJpegBlockSide);
    return uint64_t(end - coded) * 8 >= blocks;
}

bool holdsPixels(FileFormat format, const uint8_t* data, size_t size, uint32_t width, uint32_t height) {
    switch (format) {
        case FILE_TGA: return tgaHoldsPixels(data, size, width, height);
        case FILE_BMP: return bmpHoldsPixels(data, size, width, height);
        case FILE_JPG: return jpegHoldsPixels(data, size, width, height);
        case FILE_PNG: return pngHoldsPixels(data, size, width, height);
        default: return true;
    }
}

}  // namespace platform::image
