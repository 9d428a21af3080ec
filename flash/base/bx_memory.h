#pragma once
// Allocation for the engine's strings, containers and buffers. Blocks come from Mem_Alloc; the
// program allocator ends in the C runtime heap, so a block may be grown in place with realloc.
#include <cstddef>
#include <cstdlib>

#include "core/mmgr.h"

namespace flash {

// Sizes above this are refused by every growable engine store (strings, arrays, hashes, buffers):
// the engine counts in signed 32-bit sizes and must never see them wrap.
constexpr std::size_t bx_max_block = 0x7FFF0000u;

inline void* bx_alloc(std::size_t bytes) {
    if (bytes > bx_max_block) return nullptr;
    return Mem_Alloc(static_cast<int>(bytes));
}

inline void bx_free(void* p) { Mem_Free(p); }

// Like realloc: on failure the old block stays valid and null is returned.
inline void* bx_realloc(void* p, std::size_t bytes) {
    if (bytes > bx_max_block) return nullptr;
    if (!p) return bx_alloc(bytes);
    return std::realloc(p, bytes == 0 ? 1 : bytes);
}

}  // namespace flash
