// File system benchmarks: name lookups among 10,000 files, and reading a 50 MB SMA2 archive
// against plain zlib `uncompress` of the same packed data.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "vfs/archive_sma2.h"
#include "vfs/vfs_manager.h"

namespace {

class MemoryFile : public VFS::File {
public:
    MemoryFile(const std::string& path, std::string bytes) : File(path), m_bytes(std::move(bytes)) {}
    uint32_t size() override { return static_cast<uint32_t>(m_bytes.size()); }
    const uint8_t* map(uint32_t offset, uint32_t length) override {
        return rangeInside(offset, length, size()) ? reinterpret_cast<const uint8_t*>(m_bytes.data()) + offset : nullptr;
    }
    void release() override {}

private:
    std::string m_bytes;
};

std::string scratch(const char* name) {
    auto dir = std::filesystem::temp_directory_path() / "tov_vfs_bench";
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

std::string fileName(int i) { return "levels\\level" + std::to_string(i % 100) + "\\item_" + std::to_string(i) + ".png"; }

// Text-like data that zlib packs to roughly a third.
std::string sampleData(size_t size, unsigned seed) {
    static const char* words[] = {"forest ", "lantern ", "key ", "map ", "<item name=\"", "\"/>\n", "0.125 ", "owl "};
    std::mt19937 rng(seed);
    std::string out;
    out.reserve(size);
    while (out.size() < size) {
        out += words[rng() % 8];
        out += static_cast<char>('a' + rng() % 26);
    }
    out.resize(size);
    return out;
}

void BM_FindFileAmong10000(benchmark::State& state) {
    const std::string path = scratch("names.sma");
    VFS::FileMap files;
    for (int i = 0; i < 10000; ++i) files[fileName(i)] = VFS::FilePtr(new MemoryFile("m", "x"));
    VFS::ArchiveSMA2::build(path, files, nullptr);
    VFS::VFSManager vfs;
    vfs.mount("sma2", path);
    std::vector<std::string> names;
    for (int i = 0; i < 10000; ++i) names.push_back(i % 2 ? "ITEM_" + std::to_string(i) + ".PNG" : fileName(i));
    for (auto _ : state) {
        int found = 0;
        for (int i = 0; i < 10000; ++i) found += static_cast<bool>(vfs.findFile(names[i], i % 2 ? 1 : 2));
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_FindFileAmong10000)->Unit(benchmark::kMillisecond);

constexpr int kFiles = 50;
constexpr size_t kFileSize = 1000 * 1000;  // 50 MB in all

struct PackedSet {
    std::vector<std::string> plain;
    std::vector<std::vector<uint8_t>> packed;
    std::string archive;
};

const PackedSet& packedSet() {
    static PackedSet set = [] {
        PackedSet s;
        VFS::FileMap files;
        for (int i = 0; i < kFiles; ++i) {
            s.plain.push_back(sampleData(kFileSize, i));
            files["data\\file" + std::to_string(i)] = VFS::FilePtr(new MemoryFile("m", s.plain.back()));
            uLongf length = compressBound(kFileSize);
            std::vector<uint8_t> packed(length);
            compress2(packed.data(), &length, reinterpret_cast<const Bytef*>(s.plain.back().data()), kFileSize,
                      Z_DEFAULT_COMPRESSION);
            packed.resize(length);
            s.packed.push_back(std::move(packed));
        }
        s.archive = scratch("big.sma");
        VFS::ArchiveSMA2::build(s.archive, files, nullptr);
        return s;
    }();
    return set;
}

void BM_ReadSma2Archive(benchmark::State& state) {
    const PackedSet& set = packedSet();
    for (auto _ : state) {
        VFS::VFSManager vfs;
        vfs.mount("sma2", set.archive);
        for (int i = 0; i < kFiles; ++i) {
            VFS::FilePtr file = vfs.findFile("file" + std::to_string(i), 1);
            benchmark::DoNotOptimize(file->map(0, 0));
            file->release();
        }
    }
    state.SetBytesProcessed(state.iterations() * kFiles * static_cast<int64_t>(kFileSize));
}
BENCHMARK(BM_ReadSma2Archive)->Unit(benchmark::kMillisecond);

void BM_PlainUncompress(benchmark::State& state) {
    const PackedSet& set = packedSet();
    std::vector<uint8_t> out(kFileSize);
    for (auto _ : state) {
        for (int i = 0; i < kFiles; ++i) {
            uLongf length = kFileSize;
            uncompress(out.data(), &length, set.packed[i].data(), set.packed[i].size());
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * kFiles * static_cast<int64_t>(kFileSize));
}
BENCHMARK(BM_PlainUncompress)->Unit(benchmark::kMillisecond);

}  // namespace
