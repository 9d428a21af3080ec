// The allocator entry points and the replaced global new/delete live in this one translation unit,
// so any program that links the core gets both together.
#include "core/mmgr.h"

#include <cstdlib>
#include <new>

namespace {
// The statistics keep their interface but are never updated by the allocation path.
MemoryStats g_inUse{0, 0x0FFFFFFF, -1, 0};
MemoryStats g_allAllocs{0, 0x0FFFFFFF, -1, 0};
MemoryStats g_frameAllocs{0, 0, 0, 0};
MemoryStats g_frameFrees{0, 0, 0, 0};

// The full-width path behind both Mem_Alloc and new: sizes are never narrowed.
void* heapAlloc(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }
}  // namespace

extern "C" {

void* Mem_Alloc(int size) {
    if (size < 0) return nullptr;
    return heapAlloc(static_cast<std::size_t>(size));
}

void Mem_Free(void* p) {
    if (p) std::free(p);
}

void* crtMalloc(unsigned long size) { return std::malloc(size); }

void Mem_GetStats(MemoryStats& inUse, MemoryStats& allAllocs) {
    inUse = g_inUse;
    allAllocs = g_allAllocs;
}

void Mem_GetFrameStats(MemoryStats& frameAllocs, MemoryStats& frameFrees) {
    frameAllocs = g_frameAllocs;
    frameFrees = g_frameFrees;
}

void Mem_ClearFrameStats() {
    g_frameAllocs = MemoryStats{0, 0x0FFFFFFF, -1, 0};
    g_frameFrees = MemoryStats{0, 0x0FFFFFFF, -1, 0};
}

void Mem_CollectAllocs() {}
void Mem_DumpRaw() {}
void Mem_DumpAllocs(const char*) {}
void Mem_DumpSorted(const char*) {}
void Mem_EnableLeakTest(const char*) {}
void Mem_SetCallStackDepth(int) {}

}  // extern "C"

// Global new/delete: throwing forms throw std::bad_alloc (a constructor never runs on null),
// nothrow forms return null.
void* operator new(std::size_t size) {
    if (void* p = heapAlloc(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = heapAlloc(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return heapAlloc(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return heapAlloc(size); }
void operator delete(void* p) noexcept { Mem_Free(p); }
void operator delete[](void* p) noexcept { Mem_Free(p); }
void operator delete(void* p, std::size_t) noexcept { Mem_Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Mem_Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Mem_Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Mem_Free(p); }
