#include "core/mmgr.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <new>

#include "tests/support/environment.h"

namespace {

TEST(Mmgr, ZeroAndNegativeSizes) {
    void* a = Mem_Alloc(0);
    void* b = Mem_Alloc(0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    Mem_Free(a);
    Mem_Free(b);
    EXPECT_EQ(Mem_Alloc(-1), nullptr);
    EXPECT_EQ(Mem_Alloc(INT_MIN), nullptr);
    Mem_Free(nullptr);
}

TEST(Mmgr, HeapsMixFreely) {
    // Blocks of Mem_Alloc, new and crtMalloc all come from the C runtime's heap, whole, so any of
    // the three releases may free them.
    int* fromMem = static_cast<int*>(Mem_Alloc(sizeof(int)));
    ASSERT_NE(fromMem, nullptr);
    EXPECT_GE(testsupport::runtimeHeapBlockSize(fromMem), sizeof(int));
    *fromMem = 1;
    int* fromNew = new int(2);
    EXPECT_GE(testsupport::runtimeHeapBlockSize(fromNew), sizeof(int));
    void* fromCrt = crtMalloc(16);
    ASSERT_NE(fromCrt, nullptr);
    EXPECT_GE(testsupport::runtimeHeapBlockSize(fromCrt), 16u);
    char* bigFromMem = static_cast<char*>(Mem_Alloc(100000));
    ASSERT_NE(bigFromMem, nullptr);
    EXPECT_GE(testsupport::runtimeHeapBlockSize(bigFromMem), 100000u);
    EXPECT_EQ(*fromMem, 1);
    EXPECT_EQ(*fromNew, 2);
    delete fromMem;
    Mem_Free(fromNew);
    Mem_Free(fromCrt);
    std::free(bigFromMem);
}

TEST(Mmgr, StatisticsKeepTheirStartValues) {
    MemoryStats inUse{}, all{}, frameA{}, frameF{};
    Mem_GetStats(inUse, all);
    for (const MemoryStats& s : {inUse, all}) {
        EXPECT_EQ(s.count, 0);
        EXPECT_EQ(s.minSize, 0x0FFFFFFF);
        EXPECT_EQ(s.maxSize, -1);
        EXPECT_EQ(s.total, 0);
    }
    Mem_GetFrameStats(frameA, frameF);
    EXPECT_EQ(frameA.minSize, 0);
    Mem_ClearFrameStats();
    Mem_GetFrameStats(frameA, frameF);
    EXPECT_EQ(frameA.minSize, 0x0FFFFFFF);
    EXPECT_EQ(frameF.maxSize, -1);
    Mem_CollectAllocs();
    Mem_DumpAllocs("size");
    Mem_DumpAllocs(nullptr);
    Mem_SetCallStackDepth(4);
}

TEST(Mmgr, NewNeverReturnsNullToAConstructor) {
    struct Huge {
        char bytes[1];
    };
    // A size no heap can supply: the throwing form throws, the nothrow form gives null.
    size_t tooMuch = static_cast<size_t>(1) << 62;
    EXPECT_THROW((void)::operator new(tooMuch), std::bad_alloc);
    EXPECT_EQ(::operator new(tooMuch, std::nothrow), nullptr);
    EXPECT_EQ(new (std::nothrow) Huge[tooMuch], nullptr);
}

TEST(Mmgr, ExportedInTheDynamicSymbolTable) {
    void* sym = testsupport::exportedSymbol("Mem_Alloc");
    ASSERT_NE(sym, nullptr);
    EXPECT_EQ(sym, reinterpret_cast<void*>(&Mem_Alloc));
    EXPECT_NE(testsupport::exportedSymbol("Mem_Free"), nullptr);
}

}  // namespace
