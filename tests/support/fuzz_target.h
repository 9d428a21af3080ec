#pragma once
// A test's fuzz entry becomes libFuzzer's entry point when its file is built as a fuzz target
// (TOV_FUZZ_MAIN, see tov_fuzz); in the ordinary tests the same entry runs over seeds instead.
// The body sees the input as `data` and `size`.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#ifdef TOV_FUZZ_MAIN
#define TOV_FUZZ_TARGET(...)                                                    \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { \
        __VA_ARGS__;                                                            \
        return 0;                                                               \
    }
#else
#define TOV_FUZZ_TARGET(...)
#endif
