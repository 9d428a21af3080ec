#include "platform/image/dds_reader.h"

#include <algorithm>
#include <cstring>

namespace platform::image {

namespace {

constexpr size_t kHeaderBytes = 128;  // "DDS " and the 124-byte header
constexpr uint32_t DDSD_MIPMAPCOUNT = 0x20000;
constexpr uint32_t DDPF_ALPHAPIXELS = 0x1;
constexpr uint32_t DDPF_ALPHA = 0x2;
constexpr uint32_t DDPF_FOURCC = 0x4;
constexpr uint32_t DDPF_RGB = 0x40;
constexpr uint32_t DDPF_LUMINANCE = 0x20000;
constexpr uint32_t DDSCAPS2_CUBEMAP = 0x200;
constexpr uint32_t DDSCAPS2_ALLFACES = 0xFC00;
constexpr uint32_t DDSCAPS2_VOLUME = 0x200000;

uint32_t u32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

struct Header {
    uint32_t flags, height, width, depth, mipCount;
    uint32_t pfFlags, fourCC, bits, rMask, gMask, bMask, aMask;
    uint32_t caps2;
};

Header parse(const uint8_t* d) {
    const uint8_t* h = d + 4;
    Header out{};
    out.flags = u32(h + 4);
    out.height = u32(h + 8);
    out.width = u32(h + 12);
    out.depth = u32(h + 20);
    out.mipCount = u32(h + 24);
    const uint8_t* pf = h + 72;
    out.pfFlags = u32(pf + 4);
    out.fourCC = u32(pf + 8);
    out.bits = u32(pf + 12);
    out.rMask = u32(pf + 16);
    out.gMask = u32(pf + 20);
    out.bMask = u32(pf + 24);
    out.aMask = u32(pf + 28);
    out.caps2 = u32(h + 108);
    return out;
}

bool isCompressed(Format f) {
    return f == FMT_DXT1 || f == FMT_DXT2 || f == FMT_DXT3 || f == FMT_DXT4 || f == FMT_DXT5;
}

// The file's pixel format; FMT_UNKNOWN for layouts we do not read.
Format formatOf(const Header& h) {
    if (h.pfFlags & DDPF_FOURCC) {
        switch (h.fourCC) {
            case FMT_DXT1:
            case FMT_DXT2:
            case FMT_DXT3:
            case FMT_DXT4:
            case FMT_DXT5: return static_cast<Format>(h.fourCC);
            // Writers also store a plain format's number in the FourCC field.
            case FMT_A8R8G8B8:
            case FMT_X8R8G8B8:
            case FMT_R8G8B8:
            case FMT_R5G6B5:
            case FMT_A8:
            case FMT_L8:
            case FMT_A8L8: return static_cast<Format>(h.fourCC);
            default: return FMT_UNKNOWN;
        }
    }
    bool alpha = (h.pfFlags & DDPF_ALPHAPIXELS) != 0;
    if (h.pfFlags & DDPF_RGB) {
        if (h.bits == 32 && h.rMask == 0xFF0000 && h.gMask == 0xFF00 && h.bMask == 0xFF)
            return alpha && h.aMask == 0xFF000000u ? FMT_A8R8G8B8 : FMT_X8R8G8B8;
        if (h.bits == 32 && h.rMask == 0xFF && h.gMask == 0xFF00 && h.bMask == 0xFF0000)
            return alpha && h.aMask == 0xFF000000u ? FMT_A8B8G8R8 : FMT_X8B8G8R8;
        if (h.bits == 24 && h.rMask == 0xFF0000 && h.gMask == 0xFF00 && h.bMask == 0xFF) return FMT_R8G8B8;
        if (h.bits == 16 && h.rMask == 0xF800 && h.gMask == 0x7E0 && h.bMask == 0x1F && !alpha) return FMT_R5G6B5;
        return FMT_UNKNOWN;
    }
    if (h.pfFlags & DDPF_LUMINANCE) {
        if (h.bits == 8 && !alpha) return FMT_L8;
        if (h.bits == 16 && alpha && h.rMask == 0xFF && h.aMask == 0xFF00) return FMT_A8L8;
        return FMT_UNKNOWN;
    }
    if ((h.pfFlags & DDPF_ALPHA) && h.bits == 8) return FMT_A8;
    return FMT_UNKNOWN;
}

uint32_t maxLevels(uint32_t w, uint32_t h) {
    uint32_t n = 1, side = std::max(w, h);
    while (side > 1) side >>= 1, ++n;
    return n;
}

size_t levelBytes(Format f, uint32_t w, uint32_t h) {
    if (isCompressed(f)) {
        size_t blocks = static_cast<size_t>((w + 3) / 4) * ((h + 3) / 4);
        return blocks * (f == FMT_DXT1 ? 8 : 16);
    }
    return static_cast<size_t>(w) * h * bytesPerPixel(f);
}

// The format the decoded levels are kept in.
Format memoryFormat(Format f) {
    switch (f) {
        case FMT_A8R8G8B8:
        case FMT_X8R8G8B8:
        case FMT_R5G6B5:
        case FMT_A8:
        case FMT_L8:
        case FMT_A8L8: return f;
        default: return FMT_A8R8G8B8;
    }
}

void expand565(uint16_t v, uint32_t rgb[3]) {
    uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
    rgb[0] = (r << 3) | (r >> 2);
    rgb[1] = (g << 2) | (g >> 4);
    rgb[2] = (b << 3) | (b >> 2);
}

// Colour part of a block; `fourColours` forces the four-colour mode of DXT3 and DXT5.
void colourBlock(const uint8_t* b, uint8_t* out, bool fourColours) {
    uint16_t c0 = static_cast<uint16_t>(b[0] | b[1] << 8), c1 = static_cast<uint16_t>(b[2] | b[3] << 8);
    uint32_t p[4][4];
    expand565(c0, p[0]);
    expand565(c1, p[1]);
    p[0][3] = p[1][3] = 255;
    if (fourColours || c0 > c1) {
        for (int i = 0; i < 3; ++i) {
            p[2][i] = (2 * p[0][i] + p[1][i]) / 3;
            p[3][i] = (p[0][i] + 2 * p[1][i]) / 3;
        }
        p[2][3] = p[3][3] = 255;
    } else {
        for (int i = 0; i < 3; ++i) {
            p[2][i] = (p[0][i] + p[1][i]) / 2;
            p[3][i] = 0;
        }
        p[2][3] = 255;
        p[3][3] = 0;
    }
    uint32_t bits = u32(b + 4);
    for (int i = 0; i < 16; ++i) {
        const uint32_t* c = p[(bits >> (2 * i)) & 3];
        uint8_t* o = out + i * 4;
        o[0] = static_cast<uint8_t>(c[2]), o[1] = static_cast<uint8_t>(c[1]), o[2] = static_cast<uint8_t>(c[0]);
        o[3] = static_cast<uint8_t>(c[3]);
    }
}

// Writes a decoded 4x4 block into a level, clipping at its right and bottom edges.
void putBlock(Level& level, uint32_t bx, uint32_t by, const uint8_t* pixels) {
    for (uint32_t y = 0; y < 4 && by * 4 + y < level.height; ++y)
        for (uint32_t x = 0; x < 4 && bx * 4 + x < level.width; ++x)
            std::memcpy(&level.bytes[((static_cast<size_t>(by) * 4 + y) * level.width + bx * 4 + x) * 4],
                        pixels + (y * 4 + x) * 4, 4);
}

// False for a plain format the converter does not know.
bool decodeLevel(Format f, const uint8_t* src, Level& level) {
    size_t pixels = static_cast<size_t>(level.width) * level.height;
    Format mem = memoryFormat(f);
    level.bytes.assign(pixels * bytesPerPixel(mem), 0);
    if (!isCompressed(f)) {
        if (mem != f) return toArgb(f, src, pixels, level.bytes.data());
        std::memcpy(level.bytes.data(), src, level.bytes.size());
        return true;
    }
    uint32_t bw = (level.width + 3) / 4, bh = (level.height + 3) / 4;
    size_t blockSize = f == FMT_DXT1 ? 8 : 16;
    uint8_t block[64];
    for (uint32_t by = 0; by < bh; ++by) {
        for (uint32_t bx = 0; bx < bw; ++bx, src += blockSize) {
            if (f == FMT_DXT1) decodeDxt1Block(src, block);
            else if (f == FMT_DXT2 || f == FMT_DXT3) decodeDxt3Block(src, block);
            else decodeDxt5Block(src, block);
            putBlock(level, bx, by, block);
        }
    }
    return true;
}

}  // namespace

void decodeDxt1Block(const uint8_t* block, uint8_t* out) { colourBlock(block, out, false); }

void decodeDxt3Block(const uint8_t* block, uint8_t* out) {
    colourBlock(block + 8, out, true);
    for (int i = 0; i < 16; ++i) {
        uint32_t nibble = (block[i / 2] >> ((i & 1) * 4)) & 15;
        out[i * 4 + 3] = static_cast<uint8_t>(nibble * 17);
    }
}

void decodeDxt5Block(const uint8_t* block, uint8_t* out) {
    colourBlock(block + 8, out, true);
    uint32_t a[8];
    a[0] = block[0];
    a[1] = block[1];
    if (a[0] > a[1]) {
        for (uint32_t i = 1; i < 7; ++i) a[i + 1] = ((7 - i) * a[0] + i * a[1]) / 7;
    } else {
        for (uint32_t i = 1; i < 5; ++i) a[i + 1] = ((5 - i) * a[0] + i * a[1]) / 5;
        a[6] = 0;
        a[7] = 255;
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= uint64_t(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i) out[i * 4 + 3] = static_cast<uint8_t>(a[(bits >> (3 * i)) & 7]);
}

bool isDds(const uint8_t* data, size_t size) { return size >= 4 && std::memcmp(data, "DDS ", 4) == 0; }

bool readDdsInfo(const uint8_t* data, size_t size, ImageInfo& out) {
    if (!isDds(data, size) || size < kHeaderBytes || u32(data + 4) != 124) return false;
    Header h = parse(data);
    if (h.width == 0 || h.height == 0 || h.width > kMaxSide || h.height > kMaxSide ||
        uint64_t(h.width) * h.height > kMaxPixels)
        return false;
    Format f = formatOf(h);
    if (f == FMT_UNKNOWN) return false;
    ImageInfo info;
    info.width = h.width;
    info.height = h.height;
    info.format = f;
    info.fileFormat = FILE_DDS;
    info.mipLevels = (h.flags & DDSD_MIPMAPCOUNT) && h.mipCount > 0 ? std::min(h.mipCount, maxLevels(h.width, h.height)) : 1;
    if (h.caps2 & DDSCAPS2_VOLUME) {
        info.resourceType = RTYPE_VOLUMETEXTURE;
        info.depth = std::max(1u, h.depth);
    } else if (h.caps2 & DDSCAPS2_CUBEMAP) {
        info.resourceType = RTYPE_CUBETEXTURE;
    }
    out = info;
    return true;
}

Result decodeDds(const uint8_t* data, size_t size, Image& out) {
    out = Image();
    ImageInfo info;
    if (!readDdsInfo(data, size, info)) return Result::InvalidData;
    if (info.resourceType == RTYPE_VOLUMETEXTURE) return Result::Unsupported;
    Header h = parse(data);
    uint32_t faces = 1;
    if (info.resourceType == RTYPE_CUBETEXTURE) {
        if ((h.caps2 & DDSCAPS2_ALLFACES) != DDSCAPS2_ALLFACES || info.width != info.height)
            return Result::InvalidData;
        faces = 6;
    }
    // Check the whole size first, so a short file allocates nothing.
    size_t need = 0;
    for (uint32_t l = 0; l < info.mipLevels; ++l)
        need += levelBytes(info.format, std::max(1u, info.width >> l), std::max(1u, info.height >> l));
    if (need * faces > size - kHeaderBytes) return Result::InvalidData;

    out.info = info;
    out.pixelFormat = memoryFormat(info.format);
    out.faces = faces;
    out.levels = info.mipLevels;
    out.surfaces.resize(static_cast<size_t>(faces) * info.mipLevels);
    const uint8_t* src = data + kHeaderBytes;
    for (uint32_t face = 0; face < faces; ++face) {
        for (uint32_t l = 0; l < info.mipLevels; ++l) {
            Level& level = out.surfaces[face * info.mipLevels + l];
            level.width = std::max(1u, info.width >> l);
            level.height = std::max(1u, info.height >> l);
            if (!decodeLevel(info.format, src, level)) return Result::Unsupported;
            src += levelBytes(info.format, level.width, level.height);
        }
    }
    return Result::Ok;
}

}  // namespace platform::image
