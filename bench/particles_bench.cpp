// One frame of effects: 20 effects of 500 living particles each, updated and drawn through the
// quad batcher into a device that only counts the draws.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/math_utils.h"
#include "core/random_tables.h"
#include "graphics/d3d_device.h"
#include "graphics/texture_container.h"
#include "particles/effect_mgr.h"
#include "particles/particle_mgr.h"
#include "tests/particles/spy_device.h"
#include "tests/support/temp_dir.h"

namespace {

const char* kDescription =
    "<?xml version=\"1.0\" ?><root><object name=\"d\">"
    "<string name=\"version\" value=\"3.0\" /><integer name=\"emission\" value=\"500\" />"
    "<float name=\"lifetime\" value=\"-1\" /><float name=\"absolutelifetime\" value=\"2\" />"
    "<float name=\"particleLifeMin\" value=\"1\" /><float name=\"particleLifeMax\" value=\"1\" />"
    "<string name=\"texture\" value=\"spark.png\" /><integer name=\"effect\" value=\"0\" />"
    "<float name=\"tx2\" value=\"16\" /><float name=\"ty2\" value=\"16\" /><float name=\"cx\" value=\"8\" />"
    "<float name=\"cy\" value=\"8\" /><integer name=\"blend\" value=\"128\" />"
    "<float name=\"imitterRadiusX\" value=\"20\" /><float name=\"imitterRadiusY\" value=\"20\" />"
    "<float name=\"Direction\" value=\"0\" /><float name=\"Spread\" value=\"60\" /><float name=\"Speed\" value=\"80\" />"
    "<object name=\"Alpha\"><object name=\"a\"><float name=\"elapsedTime\" value=\"0\" /><float name=\"value\" value=\"1\" /></object>"
    "<object name=\"b\"><float name=\"elapsedTime\" value=\"100\" /><float name=\"value\" value=\"0\" /></object></object>"
    "<object name=\"ColorR\"><object name=\"a\"><float name=\"elapsedTime\" value=\"0\" /><float name=\"value\" value=\"1\" /></object></object>"
    "<object name=\"ColorG\"><object name=\"a\"><float name=\"elapsedTime\" value=\"0\" /><float name=\"value\" value=\"0.5\" /></object></object>"
    "<object name=\"Size\"><object name=\"a\"><float name=\"elapsedTime\" value=\"0\" /><float name=\"value\" value=\"1\" /></object></object>"
    "<object name=\"Spin\"><object name=\"a\"><float name=\"elapsedTime\" value=\"0\" /><float name=\"value\" value=\"1\" /></object>"
    "<object name=\"b\"><float name=\"elapsedTime\" value=\"100\" /><float name=\"value\" value=\"3\" /></object></object>"
    "<object name=\"Gravity\"><object name=\"a\"><float name=\"elapsedTime\" value=\"0\" /><float name=\"value\" value=\"30\" /></object></object>"
    "<object name=\"Rubbing\"><object name=\"a\"><float name=\"elapsedTime\" value=\"0\" /><float name=\"value\" value=\"1\" /></object></object>"
    "</object></root>";

const char* kEffect =
    "<?xml version=\"1.0\" ?><root><object name=\"e\"><object name=\"effect\"><object name=\"s\">"
    "<string name=\"pse\" value=\"bench.xml\" /></object></object></object></root>";

void BM_TwentyEffectsOf500Particles(benchmark::State& state) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.path() / "bench.xml", kDescription);
    testsupport::writeFile(dir.path() / "bench.effect", kEffect);
    initSinCosTables();
    initRandomTables(1);
    particletest::SpyTexture texture(16, 16);
    particletest::SpyDevice device;
    device.recordDraws = false;
    CD3DDevice::setCacheDevice(&device);
    auto container = std::make_unique<TextureContainer>();
    texture.AddRef();
    TexturePtr wrapped(new Texture(&texture));
    wrapped->name = "spark.png";
    container->add(wrapped, "spark.png");
    auto registry = std::make_unique<particle::ParticleMgr>();
    auto* manager = new particle::fxParticleEffectMgr();
    for (int i = 0; i < 20; ++i) manager->startEffect(50.0f * i, 300, "bench", true, true);
    // One second of frames fills every system to its steady 500.
    for (int frame = 0; frame < 60; ++frame) manager->update(1.0f / 60);

    for (auto _ : state) {
        manager->update(1.0f / 60);
        manager->draw();
    }
    state.counters["particles"] = manager->getParticleCount();
    state.counters["draws/frame"] =
        benchmark::Counter(static_cast<double>(device.drawCount), benchmark::Counter::kAvgIterations);
    manager->destroy();
    registry.reset();
    wrapped.reset();
    container.reset();
    CD3DDevice::setCacheDevice(nullptr);
}
BENCHMARK(BM_TwentyEffectsOf500Particles)->Unit(benchmark::kMicrosecond);

}  // namespace
