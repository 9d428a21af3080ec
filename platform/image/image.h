#pragma once
// Images as the texture loader reads them: what a file holds (size, levels, pixel format, kind of
// texture) and its pixels decoded into memory. Formats and kinds carry the Direct3D 9 numbers the
// graphics layer uses, so the two sides agree without this library depending on it.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::image {

constexpr uint32_t fourCC(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | (uint32_t(uint8_t(b)) << 8) | (uint32_t(uint8_t(c)) << 16) |
           (uint32_t(uint8_t(d)) << 24);
}

enum Format : uint32_t {
    FMT_UNKNOWN = 0,
    FMT_R8G8B8 = 20,
    FMT_A8R8G8B8 = 21,
    FMT_X8R8G8B8 = 22,
    FMT_R5G6B5 = 23,
    FMT_A8 = 28,
    FMT_A8B8G8R8 = 32,
    FMT_X8B8G8R8 = 33,
    FMT_L8 = 50,
    FMT_A8L8 = 51,
    FMT_DXT1 = fourCC('D', 'X', 'T', '1'),
    FMT_DXT2 = fourCC('D', 'X', 'T', '2'),
    FMT_DXT3 = fourCC('D', 'X', 'T', '3'),
    FMT_DXT4 = fourCC('D', 'X', 'T', '4'),
    FMT_DXT5 = fourCC('D', 'X', 'T', '5'),
};

enum ResourceType : uint32_t { RTYPE_TEXTURE = 3, RTYPE_VOLUMETEXTURE = 4, RTYPE_CUBETEXTURE = 5 };

enum FileFormat : uint32_t { FILE_BMP = 0, FILE_JPG = 1, FILE_TGA = 2, FILE_PNG = 3, FILE_DDS = 4 };

struct ImageInfo {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 1;
    uint32_t mipLevels = 1;
    Format format = FMT_UNKNOWN;  // as the file stores it (DXT1, R8G8B8, L8, ...)
    ResourceType resourceType = RTYPE_TEXTURE;
    FileFormat fileFormat = FILE_BMP;
};

struct Level {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> bytes;  // rows packed, top row first
};

struct Image {
    ImageInfo info;
    // The memory format of the levels: the file's own for the plain formats a texture can hold
    // (A8R8G8B8, X8R8G8B8, R5G6B5, A8, L8, A8L8); A8R8G8B8 for compressed and other sources.
    Format pixelFormat = FMT_UNKNOWN;
    uint32_t faces = 1;   // 6 for a cube map
    uint32_t levels = 0;  // per face
    std::vector<Level> surfaces;  // face-major: surfaces[face * levels + level]

    const Level& surface(uint32_t face, uint32_t level) const { return surfaces[face * levels + level]; }
};

enum class Result { Ok, InvalidData, Unsupported };

// Largest side accepted, so sizes never overflow and a lying header cannot ask for huge buffers.
constexpr uint32_t kMaxSide = 16384;
// Largest picture accepted, in pixels of one level (256 MiB as A8R8G8B8).
constexpr uint64_t kMaxPixels = uint64_t(8192) * 8192;

// Reads the header only. False for data no reader knows, a header that does not hold or a picture
// beyond kMaxSide or kMaxPixels.
[[nodiscard]] bool readInfo(const uint8_t* data, size_t size, ImageInfo& out);
// Decodes every level (and face). Volume textures are Unsupported; data too short for the pixels
// its header states, or otherwise malformed, is InvalidData, checked before anything is decoded.
// Nothing is logged: callers report in their own words.
[[nodiscard]] Result decode(const uint8_t* data, size_t size, Image& out);

// Bytes a pixel takes in one of the memory formats above; 0 for the others.
uint32_t bytesPerPixel(Format format);
// Converts `count` pixels of a memory format into A8R8G8B8 (bytes B, G, R, A). False for formats
// bytesPerPixel does not know.
[[nodiscard]] bool toArgb(Format format, const uint8_t* source, size_t count, uint8_t* destination);
// Halves an A8R8G8B8 level with a 2x2 box filter (a side of 1 stays 1).
Level halveArgb(const Level& level);

}  // namespace platform::image
