// Morph tweens: two instances of one morph at different ratios each frame rebuild its one mesh
// set on every display, against one instance whose ratio moves once a frame. Cache files: a
// scene's meshes read from its cache file against tesselating them on first display.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "flash/base/bx_file.h"
#include "flash/base/smart_ptr.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/shape_def.h"
#include "flash/movie/tag_loaders.h"
#include "flash/shape/morph2_character_def.h"
#include "flash/swf/swf_stream.h"
#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/shape.h"

namespace {

constexpr int tween_frames = 60;
constexpr int morph_edges = 200;
constexpr float display_tolerance = 15.0f;
constexpr int scene_shapes = 100;
constexpr int edges_per_scene_shape = 100;

std::vector<swf::Point> wavy_ring(int cx, int cy, int radius, int count, double waves) {
    std::vector<swf::Point> pts;
    for (int i = 0; i < count; ++i) {
        const double a = i * 2.0 * M_PI / count;
        const double r = radius * (1.0 + 0.1 * std::sin(waves * a));
        pts.push_back({cx + static_cast<int32_t>(r * std::cos(a)), cy + static_cast<int32_t>(r * std::sin(a))});
    }
    return pts;
}

flash::smart_ptr<flash::morph2_character_def> ring_morph() {
    swf::MorphShape m;
    m.fills.push_back({swf::FillStyle::solid({200, 0, 0, 255}), swf::FillStyle::solid({0, 0, 200, 255})});
    m.start.fill0(1).polygon(wavy_ring(4000, 4000, 3000, morph_edges, 5));
    m.end.fill0(1).polygon(wavy_ring(6000, 5000, 4500, morph_edges, 9));
    std::vector<uint8_t> body = swf::define_morph_shape_body(1, m, swf::tag_define_morph_shape);
    flash::bx_file file(flash::memory_buffer, static_cast<int>(body.size()), body.data());
    flash::swf_stream in(&file);
    in.set_stream_end(static_cast<int>(body.size()));
    in.read_u16();
    flash::smart_ptr<flash::morph2_character_def> def(new flash::morph2_character_def);
    def->read(&in, swf::tag_define_morph_shape);
    return def;
}

// Arg 2: two instances, one tweening forward and one backward; arg 1: one instance.
void BM_MorphTween(benchmark::State& state) {
    auto def = ring_morph();
    const int instances = static_cast<int>(state.range(0));
    for (auto _ : state) {
        for (int f = 0; f < tween_frames; ++f) {
            const float t = static_cast<float>(f) / (tween_frames - 1);
            benchmark::DoNotOptimize(def->get_ratio_mesh_set(t, display_tolerance));
            if (instances > 1) benchmark::DoNotOptimize(def->get_ratio_mesh_set(1.0f - t, display_tolerance));
        }
    }
    state.counters["frames"] = tween_frames;
    state.counters["time_per_frame"] = benchmark::Counter(static_cast<double>(tween_frames) * state.iterations(),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MorphTween)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

std::vector<uint8_t> scene_movie(std::vector<uint16_t>* ids) {
    swf::MovieWriter w(8);
    std::mt19937 random(7);
    for (int i = 0; i < scene_shapes; ++i) {
        swf::Shape s;
        s.fills.push_back(swf::FillStyle::solid({static_cast<uint8_t>(random()), 0, 0, 255}));
        s.path.fill0(1).polygon(wavy_ring(static_cast<int>(random() % 20000), static_cast<int>(random() % 15000),
                                          500 + static_cast<int>(random() % 3000), edges_per_scene_shape, 7));
        ids->push_back(w.define_shape(s));
    }
    w.show_frame();
    w.end();
    return w.finish_fws();
}

flash::smart_ptr<flash::movie_def_impl> load(const std::vector<uint8_t>& movie) {
    flash::register_tag_loaders();
    flash::smart_ptr<flash::movie_def_impl> def(new flash::movie_def_impl(nullptr, true));
    auto* file = new flash::bx_file(flash::memory_buffer);
    file->write_bytes(movie.data(), static_cast<int>(movie.size()));
    file->set_position(0);
    if (!def->read(file)) return nullptr;
    return def;
}

void display_all(flash::movie_def_impl* def, const std::vector<uint16_t>& ids) {
    flash::matrix identity;
    for (uint16_t id : ids) {
        auto* shape = static_cast<flash::shape_def*>(def->get_character_def(id));
        benchmark::DoNotOptimize(shape->get_shape()->get_mesh_set(identity, 1.0f));
    }
}

// Arg 0: the first display tesselates every shape; arg 1: the meshes come from the cache file.
void BM_SceneMeshes(benchmark::State& state) {
    std::vector<uint16_t> ids;
    const std::vector<uint8_t> movie = scene_movie(&ids);
    const bool from_cache = state.range(0) != 0;
    std::vector<uint8_t> cache;
    {
        auto source = load(movie);
        display_all(source.get_ptr(), ids);
        flash::bx_file out(flash::memory_buffer);
        source->output_cached_data(&out);
        cache.resize(static_cast<size_t>(out.get_position()));
        out.set_position(0);
        out.read_bytes(cache.data(), static_cast<int>(cache.size()));
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto def = load(movie);
        state.ResumeTiming();
        if (from_cache) {
            flash::bx_file in(flash::memory_buffer, static_cast<int>(cache.size()), cache.data());
            def->input_cached_data(&in);
        }
        display_all(def.get_ptr(), ids);
    }
    state.counters["cache_bytes"] = static_cast<double>(cache.size());
}
BENCHMARK(BM_SceneMeshes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
