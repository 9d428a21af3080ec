// The dialog panel's frame against its goal: the panel's update with the level's zoom running
// (the zoom step, the level's scale, the bubble checks) under 0.05 ms, besides the movie's own
// advance, which the second figure adds (drawn through the counting handler, so it is the
// engine's CPU time) for comparison.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "bench/counting_render_handler.h"
#include "flash/render/bitmap_info.h"
#include "levels/base_level.h"
#include "levels/level_manager.h"
#include "screens/dialog_panel.h"
#include "tests/support/game_fixture.h"
#include "tests/support/game_run.h"
#include "tests/support/temp_dir.h"

namespace {

// The demo room as a plain level of the base.
class RoomLevel : public BaseLevel {
public:
    explicit RoomLevel(BaseLevel* parent) : BaseLevel(parent) {}
};

struct DialogGame {
    testsupport::TempDir dir{false};
    std::unique_ptr<testsupport::GameFixture> game;
    DialogPanel* panel = nullptr;

    DialogGame() {
        std::filesystem::copy(testsupport::demoFolder(), dir.path(), std::filesystem::copy_options::recursive);
        game = std::make_unique<testsupport::GameFixture>(dir.path(), 100);
        if (!game->start()) return;
        levels::setLevelMaker("hidden", [](BaseLevel* parent) -> BaseLevel* { return new RoomLevel(parent); });
        // The room's start plays its dialog of three bubbles with its zoom.
        if (!LevelManager::instance() || !LevelManager::instance()->startLevel("room")) return;
        if (DialogPanel::instance() && DialogPanel::instance()->holdsGame()) panel = DialogPanel::instance();
    }
    ~DialogGame() { game->shutdown(); }
};

void dialogFrames(benchmark::State& state, bool withAdvance) {
    DialogGame g;
    if (!g.panel) return state.SkipWithError("the dialog did not start");
    benchsupport::counting_render_handler counting;
    flash::render_handler* previous = flash::get_render_handler();
    flash::set_render_handler(&counting);
    constexpr float kStep = 1.0f / 60.0f;
    for (auto _ : state) {
        // Zooming in on every frame (its stop past d_DialogsLevelZoom would end the work).
        g.panel->setFlag(DialogPanel::kZoomingIn, true);
        g.panel->update(kStep);
        if (withAdvance) g.panel->render(kStep);
    }
    state.counters["zoom"] = g.panel->zoom();
    flash::set_render_handler(previous);
}

void BM_DialogUpdateWithZoom(benchmark::State& state) { dialogFrames(state, false); }
BENCHMARK(BM_DialogUpdateWithZoom)->Unit(benchmark::kMicrosecond);

void BM_DialogFrameWithZoomAndAdvance(benchmark::State& state) { dialogFrames(state, true); }
BENCHMARK(BM_DialogFrameWithZoomAndAdvance)->Unit(benchmark::kMicrosecond);

}  // namespace
