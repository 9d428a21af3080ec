// Shapes: the first tesselation of a 10,000-edge scene; a zoom tween across tolerance bands with
// the mesh cache against building a mesh set every frame; the path point test on a 1,000-edge
// shape; and the strip joiner over 1k, 10k and 100k trapezoids, which must grow close to linearly.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "flash/base/bx_file.h"
#include "flash/base/smart_ptr.h"
#include "flash/shape/mesh_set.h"
#include "flash/shape/shape_character_def.h"
#include "flash/shape/tri_stripper.h"
#include "flash/swf/swf_stream.h"
#include "tools/swfwriter/shape.h"
#include "tools/swfwriter/tag_codes.h"

namespace {

constexpr int scene_shapes = 100;
constexpr int edges_per_scene_shape = 100;
constexpr int point_test_edges = 1000;
constexpr int zoom_frames = 60;
constexpr float zoom_from = 0.5f;
constexpr float zoom_to = 4.0f;
constexpr int points_per_test_round = 1024;

std::vector<swf::Point> wavy_ring(int cx, int cy, int radius, int count) {
    std::vector<swf::Point> pts;
    for (int i = 0; i < count; ++i) {
        const double a = i * 2.0 * M_PI / count;
        const double r = radius * (1.0 + 0.1 * std::sin(7.0 * a));
        pts.push_back({cx + static_cast<int32_t>(r * std::cos(a)), cy + static_cast<int32_t>(r * std::sin(a))});
    }
    return pts;
}

flash::smart_ptr<flash::shape_character_def> read(const swf::Shape& s) {
    std::vector<uint8_t> body = swf::define_shape_body(1, s, swf::tag_define_shape3);
    flash::bx_file file(flash::memory_buffer, static_cast<int>(body.size()), body.data());
    flash::swf_stream in(&file);
    in.set_stream_end(static_cast<int>(body.size()));
    in.read_u16();
    flash::smart_ptr<flash::shape_character_def> def(new flash::shape_character_def);
    def->read(&in, swf::tag_define_shape3, true);
    return def;
}

// One hundred overlapping wavy rings of a hundred edges, each in its own colour, plus circles.
flash::smart_ptr<flash::shape_character_def> scene() {
    swf::Shape s;
    std::mt19937 random(7);
    for (int i = 0; i < scene_shapes; ++i) {
        s.fills.push_back(swf::FillStyle::solid({static_cast<uint8_t>(random()), 0, 0, 255}));
        s.path.fill0(i + 1).polygon(wavy_ring(static_cast<int>(random() % 20000), static_cast<int>(random() % 15000),
                                              500 + static_cast<int>(random() % 3000), edges_per_scene_shape));
    }
    return read(s);
}

void BM_FirstTesselationOfScene(benchmark::State& state) {
    auto def = scene();
    for (auto _ : state) {
        flash::mesh_set set(def.get(), 15.0f);
        benchmark::DoNotOptimize(set.get_layers().data());
    }
    state.counters["edges"] = scene_shapes * edges_per_scene_shape;
}
BENCHMARK(BM_FirstTesselationOfScene)->Unit(benchmark::kMillisecond);

flash::smart_ptr<flash::shape_character_def> curvy() {
    swf::Shape s;
    s.fills.push_back(swf::FillStyle::solid({200, 0, 0, 255}));
    for (int i = 0; i < 20; ++i) s.path.fill0(1).circle((i % 5) * 4000, (i / 5) * 4000, 1800);
    return read(s);
}

float zoom_scale(int frame) { return zoom_from + (zoom_to - zoom_from) * frame / (zoom_frames - 1); }

// What a display would build at this scale without a cache.
float twips_per_pixel_tolerance(float scale) {
    return flash::twips_per_pixel / scale * flash::shape_character_def::cache_build_factor;
}

// Arg 1: the mesh cache picks or builds per tolerance band; arg 0: a new mesh set every frame.
void BM_ZoomTween(benchmark::State& state) {
    auto def = curvy();
    const bool cached = state.range(0) != 0;
    int built = 0;
    for (auto _ : state) {
        def->invalidate_cache();
        for (int f = 0; f < zoom_frames; ++f) {
            flash::matrix m;
            m.concatenate_scale(zoom_scale(f));
            if (cached) {
                benchmark::DoNotOptimize(def->get_mesh_set(m, 1.0f));
            } else {
                flash::mesh_set set(def.get(), twips_per_pixel_tolerance(zoom_scale(f)));
                benchmark::DoNotOptimize(set.get_layers().data());
            }
        }
        built = cached ? static_cast<int>(def->get_cached_meshes().size()) : zoom_frames;
    }
    state.counters["mesh_sets_built"] = built;
}

BENCHMARK(BM_ZoomTween)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_PointTest(benchmark::State& state) {
    swf::Shape s;
    s.fills.push_back(swf::FillStyle::solid({0, 0, 200, 255}));
    s.path.fill0(1).polygon(wavy_ring(0, 0, 10000, point_test_edges));
    auto def = read(s);
    std::mt19937 random(3);
    std::vector<flash::point> probes;
    for (int i = 0; i < points_per_test_round; ++i)
        probes.push_back(flash::point(static_cast<float>(random() % 24000) - 12000.0f, static_cast<float>(random() % 24000) - 12000.0f));
    for (auto _ : state) {
        int hits = 0;
        for (const flash::point& p : probes) hits += def->point_test_local(p.m_x, p.m_y);
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * points_per_test_round);
    state.counters["edges"] = point_test_edges;
}
BENCHMARK(BM_PointTest)->Unit(benchmark::kMicrosecond);

// Trapezoids of a hundred columns, arriving row by row, so every row continues strips made
// earlier and the joiner must find them among all open strips.
void BM_StripJoiner(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    constexpr int columns = 100;
    for (auto _ : state) {
        flash::tri_stripper stripper;
        for (int i = 0; i < count; ++i) {
            const float x = static_cast<float>((i % columns) * 30);
            const float y = static_cast<float>((i / columns) * 10);
            stripper.add_trapezoid({x, y}, {x + 20, y}, {x, y + 10}, {x + 20, y + 10});
        }
        benchmark::DoNotOptimize(stripper.join().data());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_StripJoiner)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity()->Unit(benchmark::kMicrosecond);

}  // namespace
