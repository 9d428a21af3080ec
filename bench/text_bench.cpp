// Lookups in a table of 5,000 localised texts, and the string helpers on typical inputs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/base64.h"
#include "core/string_table.h"
#include "core/string_utils.h"

namespace {

constexpr int kKeys = 5000;

std::string keyName(int i) { return "IDS_Level_" + std::to_string(i) + "_Hint"; }

// Writes a 5,000-key strings.st into the temp folder and loads it into the global table once.
void loadTable() {
    static bool done = false;
    if (done) return;
    done = true;
    std::u16string text = u"\uFEFFheader";
    for (int i = 0; i < kKeys; ++i) {
        text += u"\r\n" + toWString(keyName(i)) + u"\r\n" + u"Look behind the old clock, hint number " +
                toWString(std::to_string(i));
    }
    std::string bytes;
    for (char16_t u : text) {
        bytes.push_back(static_cast<char>(u & 0xFF));
        bytes.push_back(static_cast<char>(u >> 8));
    }
    const std::string path = (std::filesystem::temp_directory_path() / "text_bench_strings.st").string();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    StringTable::instance().load(path.c_str());
    std::filesystem::remove(path);
}

void BM_TranslateHit(benchmark::State& state) {
    loadTable();
    std::vector<std::string> keys;
    for (int i = 0; i < kKeys; i += 7) keys.push_back(keyName(i));
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(StringTable::translate(keys[i]));
        if (++i == keys.size()) i = 0;
    }
}
BENCHMARK(BM_TranslateHit);

void BM_TranslateMiss(benchmark::State& state) {
    loadTable();
    const std::string key = "ids_not_in_the_table";
    for (auto _ : state) benchmark::DoNotOptimize(StringTable::translate(key));
}
BENCHMARK(BM_TranslateMiss);

void BM_LoadTable(benchmark::State& state) {
    loadTable();
    // Re-creating the file each time would dominate; measure parsing through a saved copy.
    std::u16string text = u"h";
    for (int i = 0; i < kKeys; ++i) text += u"\r\n" + toWString(keyName(i)) + u"\r\nsome hint text";
    std::string bytes;
    for (char16_t u : text) {
        bytes.push_back(static_cast<char>(u & 0xFF));
        bytes.push_back(static_cast<char>(u >> 8));
    }
    const std::string file = (std::filesystem::temp_directory_path() / "text_bench_load.st").string();
    if (FILE* f = std::fopen(file.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    StringTable table;
    for (auto _ : state) benchmark::DoNotOptimize(table.load(file.c_str()));
    std::filesystem::remove(file);
}
BENCHMARK(BM_LoadTable)->Unit(benchmark::kMillisecond);

void BM_ToLower(benchmark::State& state) {
    const std::string path = "Data\\Levels\\Chapter_02\\Forest_Clearing.XML";
    std::string out;
    for (auto _ : state) benchmark::DoNotOptimize(toLower(path, out));
}
BENCHMARK(BM_ToLower);

void BM_SplitString(benchmark::State& state) {
    const std::string text = "name, Ann, count, 12, place, forest, item, golden_key";
    for (auto _ : state) benchmark::DoNotOptimize(splitString(text, ", "));
}
BENCHMARK(BM_SplitString);

void BM_Base64Encode4K(benchmark::State& state) {
    std::vector<uint8_t> in(4096);
    for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<uint8_t>(i * 31);
    std::vector<char> out(Tov::base64EncodedCapacity(in.size()));
    for (auto _ : state) benchmark::DoNotOptimize(Tov::base64Encode(in.data(), in.size(), out.data(), out.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 4096);
}
BENCHMARK(BM_Base64Encode4K);

}  // namespace
