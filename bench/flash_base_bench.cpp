// The engine's hash table against std::unordered_map: 1,000,000 string keys inserted, then found.
#include <benchmark/benchmark.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "flash/base/bx_string.h"
#include "flash/base/hash.h"

namespace {

constexpr int key_count = 1000000;

const std::vector<std::string>& std_keys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> k;
        k.reserve(key_count);
        for (int i = 0; i < key_count; ++i) k.push_back("member_name_" + std::to_string(static_cast<long long>(i) * 7919));
        return k;
    }();
    return keys;
}

const std::vector<flash::bx_string>& bx_keys() {
    static const std::vector<flash::bx_string> keys = [] {
        std::vector<flash::bx_string> k;
        k.reserve(key_count);
        for (const std::string& s : std_keys()) k.emplace_back(s.c_str());
        return k;
    }();
    return keys;
}

void BM_BxHashInsert(benchmark::State& state) {
    const auto& keys = bx_keys();
    for (auto _ : state) {
        flash::hash<flash::bx_string, int> h;
        for (int i = 0; i < key_count; ++i) h.add(keys[i], i);
        benchmark::DoNotOptimize(h.size());
    }
    state.SetItemsProcessed(state.iterations() * key_count);
}
BENCHMARK(BM_BxHashInsert)->Unit(benchmark::kMillisecond);

void BM_StdUnorderedMapInsert(benchmark::State& state) {
    const auto& keys = std_keys();
    for (auto _ : state) {
        std::unordered_map<std::string, int> h;
        for (int i = 0; i < key_count; ++i) h.emplace(keys[i], i);
        benchmark::DoNotOptimize(h.size());
    }
    state.SetItemsProcessed(state.iterations() * key_count);
}
BENCHMARK(BM_StdUnorderedMapInsert)->Unit(benchmark::kMillisecond);

void BM_BxHashFind(benchmark::State& state) {
    const auto& keys = bx_keys();
    flash::hash<flash::bx_string, int> h;
    for (int i = 0; i < key_count; ++i) h.add(keys[i], i);
    for (auto _ : state) {
        long long sum = 0;
        int v = 0;
        for (int i = 0; i < key_count; ++i) {
            if (h.get(keys[i], &v)) sum += v;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * key_count);
}
BENCHMARK(BM_BxHashFind)->Unit(benchmark::kMillisecond);

void BM_StdUnorderedMapFind(benchmark::State& state) {
    const auto& keys = std_keys();
    std::unordered_map<std::string, int> h;
    for (int i = 0; i < key_count; ++i) h.emplace(keys[i], i);
    for (auto _ : state) {
        long long sum = 0;
        for (int i = 0; i < key_count; ++i) {
            const auto it = h.find(keys[i]);
            if (it != h.end()) sum += it->second;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * key_count);
}
BENCHMARK(BM_StdUnorderedMapFind)->Unit(benchmark::kMillisecond);

}  // namespace
