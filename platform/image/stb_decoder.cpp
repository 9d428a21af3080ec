#include "platform/image/stb_decoder.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <stb_image.h>

#include "platform/image/pixel_extent.h"

namespace platform::image {

namespace {

bool startsWith(const uint8_t* data, size_t size, const char* magic, size_t length) {
    return size >= length && std::memcmp(data, magic, length) == 0;
}

// TGA has no magic number: accept a header whose colour-map and image types and depth make sense.
bool looksLikeTga(const uint8_t* d, size_t size) {
    if (size < 18) return false;
    uint8_t mapType = d[1], type = d[2], bits = d[16];
    if (mapType > 1) return false;
    bool known = type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
    bool depth = bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32;
    return known && depth;
}

bool fileFormatOf(const uint8_t* d, size_t size, FileFormat& out) {
    if (startsWith(d, size, "\x89PNG\r\n\x1a\n", 8)) out = FILE_PNG;
    else if (startsWith(d, size, "\xFF\xD8\xFF", 3)) out = FILE_JPG;
    else if (startsWith(d, size, "BM", 2)) out = FILE_BMP;
    else if (looksLikeTga(d, size)) out = FILE_TGA;
    else return false;
    return true;
}

Format formatOf(FileFormat file, int components) {
    switch (components) {
        case 1: return FMT_L8;
        case 2: return FMT_A8L8;
        case 3: return file == FILE_JPG ? FMT_X8R8G8B8 : FMT_R8G8B8;
        default: return FMT_A8R8G8B8;
    }
}

}  // namespace

bool readStbInfo(const uint8_t* data, size_t size, ImageInfo& out) {
    FileFormat file;
    if (!data || size > static_cast<size_t>(INT_MAX) || !fileFormatOf(data, size, file)) return false;
    int w = 0, h = 0, comp = 0;
    if (!stbi_info_from_memory(data, static_cast<int>(size), &w, &h, &comp)) return false;
    if (w <= 0 || h <= 0 || static_cast<uint32_t>(w) > kMaxSide || static_cast<uint32_t>(h) > kMaxSide ||
        uint64_t(w) * uint64_t(h) > kMaxPixels)
        return false;
    ImageInfo info;
    info.width = static_cast<uint32_t>(w);
    info.height = static_cast<uint32_t>(h);
    info.format = formatOf(file, comp);
    info.fileFormat = file;
    out = info;
    return true;
}

Result decodeStb(const uint8_t* data, size_t size, Image& out) {
    out = Image();
    ImageInfo info;
    if (!readStbInfo(data, size, info) || !holdsPixels(info.fileFormat, data, size, info.width, info.height))
        return Result::InvalidData;
    int channels = info.format == FMT_L8 ? 1 : info.format == FMT_A8L8 ? 2 : 4;
    int w = 0, h = 0, comp = 0;
    stbi_uc* pixels = stbi_load_from_memory(data, static_cast<int>(size), &w, &h, &comp, channels);
    if (!pixels) return Result::InvalidData;
    if (static_cast<uint32_t>(w) != info.width || static_cast<uint32_t>(h) != info.height) {
        stbi_image_free(pixels);
        return Result::InvalidData;
    }
    Level level;
    level.width = info.width;
    level.height = info.height;
    size_t count = static_cast<size_t>(w) * h;
    level.bytes.assign(pixels, pixels + count * channels);
    stbi_image_free(pixels);
    if (channels == 4) {
        // stb gives R, G, B, A; A8R8G8B8 lies in memory as B, G, R, A.
        for (size_t i = 0; i < count; ++i) std::swap(level.bytes[i * 4], level.bytes[i * 4 + 2]);
    }
    out.info = info;
    out.pixelFormat = channels == 1 ? FMT_L8 : channels == 2 ? FMT_A8L8 : FMT_A8R8G8B8;
    out.faces = 1;
    out.levels = 1;
    out.surfaces.push_back(std::move(level));
    return Result::Ok;
}

}  // namespace platform::image
