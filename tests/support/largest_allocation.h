#pragma once
// The largest single allocation made while a probe lives, seen through the sanitizers' malloc hook,
// so a test can show that a few bytes of input never cost a huge buffer. Builds without the
// sanitizers have no hook: available() is false there and tests skip the check.
#include <atomic>
#include <cstddef>

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, size_t),
                                                         void (*freeHook)(const volatile void*))
    __attribute__((weak));
extern "C" size_t __sanitizer_get_allocated_size(const volatile void* p) __attribute__((weak));

namespace testsupport {

class LargestAllocation {
public:
    static bool available() { return __sanitizer_install_malloc_and_free_hooks != nullptr && installed(); }

    LargestAllocation() {
        available();  // installs the hook before the first probe
        s_largest = 0;
        s_armed = true;
    }
    ~LargestAllocation() { s_armed = false; }
    LargestAllocation(const LargestAllocation&) = delete;
    LargestAllocation& operator=(const LargestAllocation&) = delete;

    size_t bytes() const { return s_largest; }

private:
    static void onMalloc(const volatile void*, size_t size) {
        if (!s_armed) return;
        size_t seen = s_largest;
        while (size > seen && !s_largest.compare_exchange_weak(seen, size)) {
        }
    }
    static void onFree(const volatile void*) {}
    // The sanitizers keep a few hooks for the whole process: install ours once.
    static bool installed() {
        static const bool once = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree) != 0;
        return once;
    }

    static inline std::atomic<size_t> s_largest{0};
    static inline std::atomic<bool> s_armed{false};
};

// The peak of the bytes allocated and not yet freed while a probe lives (blocks from before it
// count when they are freed, so the peak never reads high), through the same hooks.
class PeakLiveBytes {
public:
    static bool available() {
        return __sanitizer_install_malloc_and_free_hooks != nullptr && __sanitizer_get_allocated_size != nullptr &&
               installed();
    }

    PeakLiveBytes() {
        available();
        s_live = 0;
        s_peak = 0;
        s_armed = true;
    }
    ~PeakLiveBytes() { s_armed = false; }
    PeakLiveBytes(const PeakLiveBytes&) = delete;
    PeakLiveBytes& operator=(const PeakLiveBytes&) = delete;

    long long bytes() const { return s_peak; }

private:
    static void onMalloc(const volatile void*, size_t size) {
        if (!s_armed) return;
        const long long live = s_live += static_cast<long long>(size);
        long long seen = s_peak;
        while (live > seen && !s_peak.compare_exchange_weak(seen, live)) {
        }
    }
    static void onFree(const volatile void* p) {
        if (s_armed && p) s_live -= static_cast<long long>(__sanitizer_get_allocated_size(p));
    }
    static bool installed() {
        static const bool once = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree) != 0;
        return once;
    }

    static inline std::atomic<long long> s_live{0};
    static inline std::atomic<long long> s_peak{0};
    static inline std::atomic<bool> s_armed{false};
};

}  // namespace testsupport
