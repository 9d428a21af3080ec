#pragma once
// The program-wide allocation entry points (the exported Mem_ family). Everything ends in the C
// runtime heap, so blocks from Mem_Alloc, new and crtMalloc may be released by any of the three.

extern "C" {

struct MemoryStats {
    int count;    // operations counted
    int minSize;  // smallest size seen
    int maxSize;  // largest size seen
    int total;    // bytes in all
};

void* Mem_Alloc(int size);
void Mem_Free(void* p);
void* crtMalloc(unsigned long size);

void Mem_GetStats(MemoryStats& inUse, MemoryStats& allAllocs);
void Mem_GetFrameStats(MemoryStats& frameAllocs, MemoryStats& frameFrees);
void Mem_ClearFrameStats();
void Mem_CollectAllocs();
void Mem_DumpRaw();
void Mem_DumpAllocs(const char* fileName);
void Mem_DumpSorted(const char* fileName);
void Mem_EnableLeakTest(const char* fileName);
void Mem_SetCallStackDepth(int depth);

}  // extern "C"
