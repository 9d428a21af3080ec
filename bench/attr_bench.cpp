// A level description of about 2 MB: many elements, each an object of typed values.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "core/attr_access.h"
#include "core/attr_xml.h"

namespace {

std::string numbered(const char* format, int n) {
    char text[96];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

Attr::AttributePtr levelTree(int elements) {
    Attr::AttributePtr level = Attr::createAttribute(Attr::TYPE_OBJECT, "forest_level");
    Attr::AttributePtr list = Attr::getOrCreateAttribute(level, "elements", Attr::TYPE_OBJECT);
    for (int i = 0; i < elements; ++i) {
        Attr::AttributePtr e = Attr::getOrCreateAttribute(list, numbered("element_%d", i), Attr::TYPE_OBJECT);
        Attr::getStringAttribute(e, "texture", true)->setValueString(numbered("Data\\Levels\\forest\\obj%d.dds", i).c_str());
        Attr::getStringAttribute(e, "movie", true)->setValueString("Data\\Flash\\forest_objects.swf");
        Attr::getBoolAttribute(e, "visible", true)->setValueString("true");
        Attr::getIntAttribute(e, "layer", true)->setValueString(numbered("%d", i % 7).c_str());
        for (const char* f : {"x", "y", "scale", "rotation", "alpha"})
            Attr::getChildShared(e, f, Attr::TYPE_FLOAT, true)->setValueString(std::to_string(i * 1.25).c_str());
        Attr::AttributePtr poly = Attr::getOrCreateAttribute(e, "polygon", Attr::TYPE_OBJECT);
        for (int p = 0; p < 8; ++p) {
            char point[32];
            std::snprintf(point, sizeof point, "%d,%d", i + p, i * 2 + p);
            Attr::getChildShared(poly, numbered("p%d", p), Attr::TYPE_STRING, true)->setValueString(point);
        }
        Attr::getChildShared(e, "caption", Attr::TYPE_WIDESTRING, true)->setValueString("SABpAA==");
    }
    return level;
}

std::string documentText() {
    static const std::string text = [] {
        std::ostringstream out;
        Attr::saveDocumentToStream(out, levelTree(2600));
        return out.str();
    }();
    return text;
}

void BM_ParseLevelDocument(benchmark::State& state) {
    std::string text = documentText();
    for (auto _ : state) benchmark::DoNotOptimize(Attr::parseDocument(text.c_str()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["document_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ParseLevelDocument)->Unit(benchmark::kMillisecond);

void BM_LoadLevelFile(benchmark::State& state) {
    bool compressed = state.range(0) != 0;
    std::string path = (std::filesystem::temp_directory_path() / (compressed ? "attr_bench.xml.gz" : "attr_bench.xml")).string();
    Attr::AttributePtr tree = Attr::parseDocument(documentText().c_str());
    Attr::saveDocument(path.c_str(), tree, compressed, !compressed);
    for (auto _ : state) benchmark::DoNotOptimize(Attr::loadDocument(path.c_str()));
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadLevelFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SaveLevelFile(benchmark::State& state) {
    bool compressed = state.range(0) != 0;
    std::string path = (std::filesystem::temp_directory_path() / "attr_bench_save.xml").string();
    Attr::AttributePtr tree = Attr::parseDocument(documentText().c_str());
    for (auto _ : state) benchmark::DoNotOptimize(Attr::saveDocument(path.c_str(), tree, compressed, !compressed));
    std::remove(path.c_str());
}
BENCHMARK(BM_SaveLevelFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_DeepClone(benchmark::State& state) {
    Attr::AttributePtr tree = Attr::parseDocument(documentText().c_str());
    for (auto _ : state) benchmark::DoNotOptimize(tree->clone(nullptr, true));
}
BENCHMARK(BM_DeepClone)->Unit(benchmark::kMillisecond);

}  // namespace
