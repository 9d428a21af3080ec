#pragma once
// Golden pictures: a picture read back from the device compared with a PNG kept beside the test,
// per channel within a tolerance. TOV_UPDATE_GOLDENS=1 writes the PNG instead (and skips the
// test): only after the new picture was looked at. On a mismatch the picture drawn is written
// next to the test's working folder as "<name>.actual.png" for inspection.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/graphics/gfx_control.h"
#include "platform/image/image.h"

namespace gfxtest {

inline bool updatingGoldens() {
    const char* update = std::getenv("TOV_UPDATE_GOLDENS");
    return update && std::string(update) == "1";
}

// The PNG's pixels as a read-back picture (B, G, R, A bytes); false when it cannot be read.
inline bool readPng(const std::string& path, platform::gfx::Image& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    platform::image::Image decoded;
    if (platform::image::decode(bytes.data(), bytes.size(), decoded) != platform::image::Result::Ok ||
        decoded.pixelFormat != platform::image::FMT_A8R8G8B8 || decoded.surfaces.empty())
        return false;
    out.width = static_cast<int>(decoded.info.width);
    out.height = static_cast<int>(decoded.info.height);
    out.pixels = decoded.surfaces[0].bytes;
    return true;
}

// Compares the colour channels (alpha too with `alpha`); fails with the count of differing pixels
// and the first of them.
inline ::testing::AssertionResult matchesGolden(const platform::gfx::Image& actual, const std::string& golden,
                                               int tolerance = 2, bool alpha = false) {
    if (updatingGoldens()) {
        std::filesystem::create_directories(std::filesystem::path(golden).parent_path());
        if (!platform::gfx::savePng(golden, actual, alpha))
            return ::testing::AssertionFailure() << "cannot write " << golden;
        return ::testing::AssertionSuccess() << "written";
    }
    platform::gfx::Image want;
    if (!readPng(golden, want))
        return ::testing::AssertionFailure() << "missing golden " << golden << " (write it with TOV_UPDATE_GOLDENS=1)";
    if (want.width != actual.width || want.height != actual.height)
        return ::testing::AssertionFailure() << "size " << actual.width << "x" << actual.height << " vs golden "
                                             << want.width << "x" << want.height;
    int wrong = 0;
    std::string first;
    for (int y = 0; y < actual.height; ++y)
        for (int x = 0; x < actual.width; ++x) {
            const uint32_t a = actual.argb(x, y), w = want.argb(x, y);
            for (int shift = 0; shift < (alpha ? 32 : 24); shift += 8) {
                if (std::abs(int((a >> shift) & 0xFF) - int((w >> shift) & 0xFF)) <= tolerance) continue;
                if (wrong++ == 0) {
                    char text[96];
                    std::snprintf(text, sizeof text, "(%d,%d) 0x%08X vs golden 0x%08X", x, y, a, w);
                    first = text;
                }
                break;
            }
        }
    if (wrong == 0) return ::testing::AssertionSuccess();
    const std::string dump = std::filesystem::path(golden).stem().string() + ".actual.png";
    platform::gfx::savePng(dump, actual, alpha);
    return ::testing::AssertionFailure() << wrong << " pixels differ from " << golden << ", first " << first
                                         << "; drawn picture in " << dump;
}

}  // namespace gfxtest
