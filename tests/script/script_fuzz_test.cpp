// Runs the script fuzz entry over seeds made here: every single operation, then fixed
// pseudo-random programs, so each registered function, method and property is reached.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "script/script_core.h"
#include "tests/core/attr_test_support.h"
#include "tests/support/temp_dir.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

constexpr int kRandomSeeds = 300;
constexpr size_t kSeedLength = 200;

TEST(ScriptFuzz, SeedsRunClean) {
    testsupport::TempDir dir;
    attrtest::LogCapture log(dir);
    std::vector<std::vector<uint8_t>> seeds{{}};
    for (int op = 0; op < 256; ++op)
        for (int arg : {0, 7, 13, 255})
            seeds.push_back({static_cast<uint8_t>(op), static_cast<uint8_t>(arg),
                             static_cast<uint8_t>(arg * 3), static_cast<uint8_t>(op + arg),
                             static_cast<uint8_t>(arg), 5, 9, 21, 30, 31});
    uint32_t state = 12345;
    for (int i = 0; i < kRandomSeeds; ++i) {
        std::vector<uint8_t> seed(kSeedLength);
        for (uint8_t& byte : seed) {
            state = state * 1664525u + 1013904223u;
            byte = static_cast<uint8_t>(state >> 24);
        }
        seeds.push_back(seed);
    }
    for (const auto& seed : seeds) ASSERT_EQ(LLVMFuzzerTestOneInput(seed.data(), seed.size()), 0);
    EXPECT_EQ(currentScriptState(), nullptr);
}

}  // namespace
