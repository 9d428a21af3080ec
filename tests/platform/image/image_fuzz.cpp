#include "tests/platform/image/image_fuzz.h"

#include <cstdlib>
#include <vector>

#include "platform/image/image.h"
#include "tests/support/fuzz_target.h"

namespace imagetest {

using namespace platform::image;

namespace {

// A level as the decoder promises it: its sides follow level 0's, its bytes its format.
bool levelHolds(const Image& image, const Level& level, uint32_t index) {
    const uint32_t width = image.info.width >> index ? image.info.width >> index : 1;
    const uint32_t height = image.info.height >> index ? image.info.height >> index : 1;
    const size_t bytes = size_t(level.width) * level.height * bytesPerPixel(image.pixelFormat);
    return level.width == width && level.height == height && level.bytes.size() == bytes &&
           uint64_t(width) * height <= kMaxPixels;
}

}  // namespace

bool decodeImageBytes(const uint8_t* data, size_t size) {
    ImageInfo info;
    const bool known = readInfo(data, size, info);
    Image image;
    if (decode(data, size, image) != Result::Ok) return true;
    if (!known || image.info.width != info.width || image.info.height != info.height) return false;
    if (image.levels == 0 || image.surfaces.size() != size_t(image.faces) * image.levels) return false;
    for (uint32_t face = 0; face < image.faces; ++face)
        for (uint32_t level = 0; level < image.levels; ++level)
            if (!levelHolds(image, image.surface(face, level), level)) return false;
    const Level& top = image.surface(0, 0);
    Level argb{top.width, top.height, std::vector<uint8_t>(size_t(top.width) * top.height * 4)};
    if (!toArgb(image.pixelFormat, top.bytes.data(), size_t(top.width) * top.height, argb.bytes.data())) return false;
    const Level half = halveArgb(argb);
    return half.bytes.size() == size_t(half.width) * half.height * 4;
}

}  // namespace imagetest

TOV_FUZZ_TARGET(if (!imagetest::decodeImageBytes(data, size)) std::abort())
