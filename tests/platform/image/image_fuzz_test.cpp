// Runs the image fuzz entry over a corpus made here: files of every kind the readers know, each
// cut short at every length and with bytes changed through it.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/platform/image/image_fuzz.h"
#include "tests/support/image_writer.h"

using namespace imagetest;

namespace {

bool run(const std::string& input) {
    return decodeImageBytes(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

}  // namespace

TEST(ImageFuzz, CorpusRunsClean) {
    const std::vector<std::string> seeds = {
        png(8, 6, 4, quadrants(8, 6, 4, 0x80)),
        png(8, 6, 1, quadrants(8, 6, 1)),
        png(5, 3, 2, quadrants(5, 3, 2)),
        bmp(7, 5, 3, quadrants(7, 5, 3)),
        bmp(4, 4, 4, quadrants(4, 4, 4)),
        tga(8, 6, 4, quadrants(8, 6, 4)),
        tga(16, 4, 3, quadrants(16, 4, 3), true),
        jpg(16, 16, 3, quadrants(16, 16, 3)),
        jpg(9, 7, 1, quadrants(9, 7, 1)),
        dds(4, 4, 3, ddsArgb(), pixels32(std::vector<uint32_t>(16 + 4 + 1, 0xFF204060))),
        dds(8, 8, 1, ddsFourCC("DXT1"), std::string(32, '\x5A')),
        dds(4, 4, 1, ddsFourCC("DXT5"), std::string(16, '\x33')),
        dds(2, 2, 1, ddsL8(), std::string(6 * 4, '\x80'), CAPS2_CUBE_ALL),
        tgaHeader(2, 16384, 16384, 32),
    };
    for (const std::string& seed : seeds) EXPECT_TRUE(run(seed));
    std::mt19937 rng(11);
    for (const std::string& seed : seeds) {
        for (size_t cut = 0; cut < seed.size(); ++cut) EXPECT_TRUE(run(seed.substr(0, cut)));
        for (int i = 0; i < 100; ++i) {
            std::string changed = seed;
            for (int n = 1 + static_cast<int>(rng() % 3); n > 0; --n)
                changed[rng() % changed.size()] = static_cast<char>(rng());
            EXPECT_TRUE(run(changed));
        }
    }
}
